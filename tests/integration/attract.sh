# Title demos in the real program: with attract = 2 the shipped demo "early" starts after two idle
# seconds on the title, drawn behind "Demo" and "Press any key" without the high-score list; Space
# brings the title back at once and starts no game (the title goes on idling); a damaged "dark" is
# left out with one error line and "early" plays again in turn; a mouse click brings the title
# back too, and the quit prompt then ends the run. Set SKX_SHOT_DIR to keep the screenshots.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
. "$SKX_SOURCE_DIR/tests/integration/lib/screens.sh"
skx_setup "$1" "$2"
start_xvfb
SHOT_PREFIX=attract_
DEMO_AREA="580 0 60 24" # "Demo" in the top right corner
# The demo's game in play (a varied scene, not the bare level banner) under the demo's lines.
# shellcheck disable=SC2086 # the areas are X Y W H
is_demo() {
    above "$(white "$1" $DEMO_AREA)" 0.03 && above "$(white "$1" $PRESS_AREA)" 0.03 \
        && ! above "$(white "$1" $LIST_AREA)" 0.005 && [ "$(identify -format '%k' "$1.png")" -gt 500 ]
}
count() { # TEXT: how many lines of boot.log hold it
    grep -cF -- "$1" boot.log 2>/dev/null
}
twice() {
    [ "$(count "$1")" -ge 2 ]
}

mkdir demos
cp "$SKX_SOURCE_DIR/data/demos/early.skd" demos/
head -c 3000 /dev/zero | tr '\0' Z > demos/dark.skd
windowed 'maxfps = 60' 'attract = 2'
start_window 120
wait_for boot.log "Attract demo: early" 30
wait_shot demo 20 is_demo

hold space
wait_for boot.log "Attract demo ended: a press" 10
wait_shot title 10 is_menu
# Only a title left alone for two more seconds gets here: the Space did not start a game.
wait_for boot.log "Attract demo: dark cannot play, left out" 20
[ "$(grep -c "DemoPlay: demos/dark.skd: not a demo file" error.log)" -eq 1 ] ||
    fail "no single error line for the damaged demo"
wait_until 20 twice "Attract demo: early" || fail "early did not play again after dark"
xdotool mousemove --window "$WIN" 320 240 click 1
wait_until 10 twice "Attract demo ended: a press" || fail "a click did not end the demo"
hold Escape
wait_shot prompt 10 has_prompt
hold y
wait_until 30 gone || fail "Y on the quit prompt did not end the program"
wait_game 0
[ "$(wc -l < error.log)" -eq 1 ] || fail "unexpected errors: $(cat error.log)"
echo "attract: ok"
