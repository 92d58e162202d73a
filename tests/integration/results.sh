# The title's difficulty and the results after a game, with real key presses: Right on the title
# chooses Hard (saved in vantor.ini, its own high-score table named), Space starts a crowded game
# at level 30 that soon costs every ship, the results show its score and level, and without a press
# they give way to the title; hiscore.tbl is left alone (see docs/testing.md). Set SKX_SHOT_DIR to
# keep the screenshots.
# shellcheck disable=SC2086 # the *_AREA values split into X Y W H
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
. "$SKX_SOURCE_DIR/tests/integration/lib/screens.sh"
skx_setup "$1" "$2"
start_xvfb
SHOT_PREFIX=results_
DIFFICULTY_AREA="170 394 300 26" # "Difficulty: < Standard >"
RESULTS_AREA="120 170 400 150"   # the rows of the results
not_menu() { ! is_menu "$1"; }

windowed 'maxfps = 60' 'level = 30' 'diff = 0' 'easy = 1' 'results = 1' 'titlediff = 1' \
    'hitables = 1'
printf '%-20s %d \n' alpha 5 bravo 4 charlie 3 delta 2 echo 1 > hiscore.tbl
cp hiscore.tbl old.tbl
start_window 170
wait_shot menu 20 is_menu
above "$(white menu $DIFFICULTY_AREA)" 0.02 || fail "no difficulty line on the title"
hold Right
wait_for boot.log "Title: difficulty Hard" 10
grep -q "HiScoreSelect: table hiscore-d1-l30.tbl" boot.log || fail "Hard's table is not shown"
grep -q '^diff = 1$' vantor.ini || fail "the difficulty is not saved: $(grep diff vantor.ini)"
shot menu_hard
[ "$(text_changed menu menu_hard $DIFFICULTY_AREA)" -gt 20 ] || fail "the difficulty line stayed"

# The ship sits still among 32 rocks and 9 firing saucers until its ships are gone.
hold space
wait_shot hud 30 is_hud
wait_for boot.log "Results: score " 150
line=$(sed -n 's/.*Results: \(score .*\)/\1/p' boot.log)
case $line in
    "score "*" level 30 "*) ;;
    *) fail "the results line does not name level 30: $line" ;;
esac
wait_shot results 10 not_menu
above "$(white results $RESULTS_AREA)" 0.03 || fail "the results show no rows"
# No press: after their seconds the results give way to the title (the score makes no table).
wait_for boot.log "Results: closed" 20
wait_shot menu_after 20 is_menu
cmp -s hiscore.tbl old.tbl || fail "hiscore.tbl changed: $(cat hiscore.tbl)"
hold Escape
wait_shot quit_prompt 20 has_prompt
quit_with_y
echo "results: ok ($line)"
