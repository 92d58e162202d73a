# The screens and a whole game with real input on a German keyboard: the title menu, a dark level's
# banner and HUD, the quit prompt opened by Escape and closed by N, a game played to its end with
# keys and the mouse, the name entry and the new high-score row, and on the quit prompt Z doing
# nothing and Y quitting in order (see docs/testing.md). Set SKX_SHOT_DIR to keep the screenshots.
# shellcheck disable=SC2086,SC2046 # the *_AREA values and row_area's output split into X Y W H
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
. "$SKX_SOURCE_DIR/tests/integration/lib/screens.sh"
skx_setup "$1" "$2"
start_xvfb
setxkbmap de || fail "setxkbmap de failed"
SHOT_PREFIX=play_
NAME=pilot42

# A crowded dark level at the highest difficulty: rocks and saucers that soon cost all five ships.
windowed 'maxfps = 60' 'level = 11' 'diff = 3'
printf '%-20s %d \n' alpha 5 bravo 4 charlie 3 delta 2 echo 1 > hiscore.tbl
cp hiscore.tbl old.tbl
start_window 170
wait_shot menu 20 is_menu
lit menu 0.03 500
for i in 0 1 2 3 4; do
    above "$(white menu $(row_area $i))" 0.012 || fail "row $i of the high-score list is empty"
done
# The attract scene moves behind the menu: the list stays (its text; the scene shows faintly
# through the panel), the scene changes.
moved() { above "$(changed menu "$1" 0 100 640 180)" 0.01; }
wait_shot menu2 20 moved
[ "$(text_changed menu menu2 $LIST_AREA)" = 0 ] || fail "the high-score list changed by itself"

hold space
wait_shot banner 20 is_banner
wait_shot hud 30 is_hud
lit hud 0.01 500
# The banner's text went and the score and lives appeared where the banner had nothing.
above "$(changed banner hud $BANNER_AREA)" 0.05 || fail "the level banner stayed on the HUD"
above "$(changed banner hud $SCORE_AREA)" 0.05 || fail "no score on the HUD"
above "$(changed banner hud $LIVES_AREA)" 0.05 || fail "no lives on the HUD"
# Escape in play runs its bound command, quit, which opens the prompt over the game.
hold Escape
wait_shot prompt 20 has_prompt
is_hud prompt || fail "the HUD went under the quit prompt"
hold n
wait_shot noprompt 20 no_prompt
is_hud noprompt || fail "no HUD after the quit prompt closed"

# The left mouse button fires while the ship turns, until the first points show; then thrust,
# the other turn and Space for a moment; then only thrust, into the rocks (more points could
# bring bonus ships), until the name entry opens.
xdotool mousemove --window "$WIN" 320 240
xdotool keydown Left mousedown 1
wait_shot mouse_fire 40 scored
xdotool mouseup 1 keyup Left
xdotool keydown Up keydown Right keydown space
sleep 1.5
xdotool keyup space keyup Right
alive "while flying"
wait_shot entry 120 is_name_entry
xdotool keyup Up
sleep 0.3
shot entry_empty
type_slowly "$NAME"
shot entry_typed
above "$(changed entry_empty entry_typed $EDIT_AREA)" 0.02 || fail "the typed name does not show"
hold Return
wait_shot menu_after 20 is_menu

got=$(awk -v n="$NAME" '$1 == n { print $2 }' hiscore.tbl)
[ "${got:-0}" -gt 0 ] || fail "the name is not in hiscore.tbl with points: $(cat hiscore.tbl)"
# A stable sort puts the new row below older equal scores.
want=$( (cat old.tbl; echo "$NAME $got") | sort -s -k2,2nr | head -n 5 | awk '{ print $1 }')
[ "$(awk '{ print $1 }' hiscore.tbl)" = "$want" ] || fail "rows out of place: $(cat hiscore.tbl)"
row=$(awk -v n="$NAME" '$1 == n { print NR - 1 }' hiscore.tbl)
for i in 0 1 2 3 4; do
    if [ "$i" -eq "$row" ]; then
        above "$(yellow menu_after $(row_area $i))" 0.03 || fail "the new row $i is not yellow"
    else
        above "$(yellow menu_after $(row_area $i))" 0.005 && fail "row $i is yellow too"
        above "$(white menu_after $(row_area $i))" 0.012 || fail "row $i is not shown"
    fi
done

# Escape on the menu opens the quit prompt over it; Y ends the program.
hold Escape
wait_shot quit_prompt 20 has_prompt
is_menu quit_prompt && fail "the menu still shows under the quit prompt"
# xdotool types by symbol: z is the key in the US Y position on this layout.
hold z
hold z
alive "after the key labelled Z on the quit prompt"
quit_with_y
echo "play: ok (score $got, row $row)"
