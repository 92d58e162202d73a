# The game menu, the camera key and the crosshair with real key presses: C turns the nose camera
# into the cockpit's, which shows the crosshair; Escape in play opens the menu and holds the game;
# Down, Down, Enter (Quit to the title) ends the game at the title with its rocks; Escape there is
# still the quit prompt, and Y ends the program in order. Set SKX_SHOT_DIR to keep the screenshots.
# shellcheck disable=SC2086 # the *_AREA values split into X Y W H
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
. "$SKX_SOURCE_DIR/tests/integration/lib/screens.sh"
skx_setup "$1" "$2"
start_xvfb
SHOT_PREFIX=gamemenu_

windowed 'maxfps = 60' 'gamemenu = 1' 'crosshair = 1' 'notes = 1' 'camera = 2'
start_window 120
wait_shot menu 20 is_menu
hold space
wait_shot hud 30 is_hud
has_crosshair hud && fail "a crosshair behind the ship"
hold c
wait_shot cockpit 20 has_crosshair

hold Escape
wait_for boot.log "Game menu opened" 20
wait_shot game_menu 20 is_hud
above "$(white game_menu $GAME_MENU_AREA)" 0.02 || fail "no menu items over the game"
# Held: two screenshots in a row show the same world (the rocks would have moved).
shot held
[ "$(changed game_menu held 0 370 640 110)" = 0.0000 ] || fail "the world moves under the menu"
hold Down
hold Down
hold Return
wait_for boot.log "Game menu: back to the title" 20
wait_shot title 20 is_menu
moved() { above "$(changed title "$1" 0 100 640 180)" 0.01; }
wait_shot title2 20 moved

hold Escape
wait_shot quit_prompt 20 has_prompt
quit_with_y
echo "gamemenu: ok"
