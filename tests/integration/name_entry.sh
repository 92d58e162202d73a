# The name entry after a qualifying game, in the real program under Xvfb with real key presses:
# a table of low scores, a crowded, hostile level that soon costs all five ships, the
# "Please Enter your Name" screen over the title menu, a name typed key by key and Enter; then
# hiscore.tbl holds the name with the game's score in its place and the title menu shows that
# row in yellow. Set SKX_SHOT_DIR to keep the screenshots.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
. "$SKX_SOURCE_DIR/tests/integration/lib/screens.sh"
skx_setup "$1" "$2"
start_xvfb
SHOT_PREFIX=name_
NAME=ziggy7

is_menu() {
    above "$(white "$1" $LIST_AREA)" 0.01 && above "$(white "$1" $PRESS_AREA)" 0.03
}
is_hud() {
    above "$(white "$1" $LIVES_AREA)" 0.03 && above "$(white "$1" $SCORE_AREA)" 0.03
}
is_name_entry() {
    above "$(white "$1" $NAME_LABEL_AREA)" 0.02 && ! above "$(white "$1" $SCORE_AREA)" 0.01
}
scored() {
    [ "$(text_changed hud "$1" $SCORE_DIGITS_AREA)" -gt 12 ]
}
NAME_LABEL_AREA="150 270 340 50"
SCORE_DIGITS_AREA="555 0 85 24"
EDIT_AREA="225 345 190 40"

# Level 8 at the highest difficulty: many rocks and saucers that fire often and aim at the ship.
printf 'fscreen = 0\nwidth = 640\nheight = 480\nmaxfps = 60\nlevel = 8\ndiff = 3\n' > vantor.ini
printf '%-20s %d \n' alpha 5 bravo 4 charlie 3 delta 2 echo 1 > hiscore.tbl
start_game 150
wait_for boot.log "Server initialization complete" 60
wait_window
wait_shot menu 20 is_menu

hold space
wait_shot hud 30 is_hud
# Fire while turning until the score's digits change, so that the score beats the table's best
# row; then no more input (points would bring extra ships) until the last ship is lost and the
# game ends (about 20 s).
xdotool keydown space keydown Left
wait_shot scored 40 scored
xdotool keyup space keyup Left
wait_shot entry 90 is_name_entry
sleep 0.3
shot entry_empty
type_slowly "$NAME"
shot entry_typed
above "$(changed entry_empty entry_typed $EDIT_AREA)" 0.02 || fail "the typed name does not show"
hold Return
wait_shot menu_after 20 is_menu

[ "$(wc -l < hiscore.tbl)" -eq 5 ] || fail "hiscore.tbl does not have five rows: $(cat hiscore.tbl)"
row=$(awk -v n="$NAME" '$1 == n { print NR - 1 }' hiscore.tbl)
[ -n "$row" ] || fail "the name is not in hiscore.tbl: $(cat hiscore.tbl)"
got=$(awk -v n="$NAME" '$1 == n { print $2 }' hiscore.tbl)
[ "$got" -gt 5 ] || fail "the entered score $got does not beat the old best"
# The new best goes to the top; the others move down and the lowest one drops out.
[ "$row" -eq 0 ] || fail "a score of $got is in row $row"
awk 'NR > 1 { print $1 }' hiscore.tbl | tr '\n' ' ' | grep -qx "alpha bravo charlie delta " \
    || fail "the old rows did not move down in order: $(cat hiscore.tbl)"

# The new row is yellow on the menu, the others white.
above "$(yellow menu_after $(row_area "$row"))" 0.03 || fail "row $row is not yellow"
for i in 0 1 2 3 4; do
    [ "$i" -eq "$row" ] && continue
    above "$(yellow menu_after $(row_area $i))" 0.005 && fail "row $i is yellow too"
    above "$(white menu_after $(row_area $i))" 0.012 || fail "row $i is not shown"
done

kill -TERM "$SKX_PID"
wait_game
[ "$STATUS" -eq 0 ] || fail "the program exited with $STATUS"
tail -n 1 boot.log | grep -q "LogUnInit: Releasing critical section" || fail "incomplete shutdown"
[ -s error.log ] && fail "unexpected error log: $(cat error.log)"
echo "name_entry: ok"
