# A whole game in the real program under Xvfb, played with real input: Space on the title menu,
# then thrust, turns and fire with held keys (Up, Left, Right, Space) and the left mouse button,
# until the last ship is lost; the name entry, the new row on the title menu, and Escape then Y
# on the quit prompt over the menu. The program must end with exit status 0, a complete shutdown
# in the boot log and nothing in the error log. Set SKX_SHOT_DIR to keep the screenshots.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
. "$SKX_SOURCE_DIR/tests/integration/lib/screens.sh"
skx_setup "$1" "$2"
start_xvfb
SHOT_PREFIX=play_
NAME=pilot42
SCORE_DIGITS_AREA="555 0 85 24"
NAME_LABEL_AREA="150 270 340 50"

is_menu() {
    above "$(white "$1" $LIST_AREA)" 0.01 && above "$(white "$1" $PRESS_AREA)" 0.03
}
is_hud() {
    above "$(white "$1" $LIVES_AREA)" 0.03 && above "$(white "$1" $SCORE_AREA)" 0.03
}
is_name_entry() {
    above "$(white "$1" $NAME_LABEL_AREA)" 0.02 && ! above "$(white "$1" $SCORE_AREA)" 0.01
}
has_prompt() {
    above "$(grey "$1" $PROMPT_AREA)" 0.8
}
scored() {
    [ "$(text_changed hud "$1" $SCORE_DIGITS_AREA)" -gt 12 ]
}

printf 'fscreen = 0\nwidth = 640\nheight = 480\nmaxfps = 60\nlevel = 12\ndiff = 3\n' > vantor.ini
printf '%-20s %d \n' able 0 baker 0 carol 0 dover 0 eagle 0 > hiscore.tbl
start_game 170
wait_for boot.log "Server initialization complete" 60
wait_window
wait_shot menu 20 is_menu

hold space
wait_shot hud 30 is_hud

# The left mouse button fires while the ship turns, until the first points show.
xdotool mousemove --window "$WIN" 320 240
xdotool keydown Left mousedown 1
wait_shot mouse_fire 40 scored
xdotool mouseup 1 keyup Left
# Thrust, turn the other way and fire with Space for a moment.
xdotool keydown Up keydown Right keydown space
sleep 1.5
shot flying
xdotool keyup space keyup Right
alive "while flying"
# Then only thrust, into the rocks, until the last ship is lost (bonus ships would come with
# more points) and the name entry opens.
wait_shot entry 120 is_name_entry
xdotool keyup Up
sleep 0.3
type_slowly "$NAME"
shot entry_typed
hold Return
wait_shot menu_after 20 is_menu

row=$(awk -v n="$NAME" '$1 == n { print NR - 1 }' hiscore.tbl)
[ -n "$row" ] || fail "the name is not in hiscore.tbl: $(cat hiscore.tbl)"
got=$(awk -v n="$NAME" '$1 == n { print $2 }' hiscore.tbl)
[ "$got" -gt 0 ] || fail "the entered score is $got"
above "$(yellow menu_after $(row_area "$row"))" 0.03 || fail "the new row $row is not yellow"

# Escape on the menu opens the quit prompt over it; Y ends the program.
hold Escape
wait_shot quit_prompt 20 has_prompt
is_menu quit_prompt && fail "the menu still shows under the quit prompt"
quit_with_y
echo "play: ok (score $got)"
