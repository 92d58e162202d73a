# A whole game in the real program under Xvfb, played with real input: Space on the title menu,
# the left mouse button and held keys (Up, Left, Right, Space) until the last ship is lost; the
# name entry over the menu, a name typed key by key and Enter; hiscore.tbl then holds the name in
# its place (the old rows moved down, the lowest dropped) and the menu shows that row in yellow;
# Escape then Y on the quit prompt ends the program in order. Set SKX_SHOT_DIR to keep the
# screenshots.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
. "$SKX_SOURCE_DIR/tests/integration/lib/screens.sh"
skx_setup "$1" "$2"
start_xvfb
SHOT_PREFIX=play_
NAME=pilot42

# A crowded level at the highest difficulty: rocks and saucers that soon cost all five ships.
settings 'fscreen = 0' 'width = 640' 'height = 480' 'maxfps = 60' 'level = 12' 'diff = 3'
printf '%-20s %d \n' alpha 5 bravo 4 charlie 3 delta 2 echo 1 > hiscore.tbl
cp hiscore.tbl old.tbl
start_game 170
wait_for boot.log "Server initialization complete" 60
wait_window
wait_shot menu 20 is_menu
hold space
wait_shot hud 30 is_hud

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
quit_with_y
echo "play: ok (score $got, row $row)"
