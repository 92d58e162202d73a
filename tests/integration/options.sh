# The options with real key presses: O on the title opens them, fire's first key goes from Space to
# F, the effects volume two steps down, Escape leaves and saves, the quit prompt ends the run. In
# the next run the volume holds, the title names F, F fires and Space does not, the game menu's
# Quit to the desktop ends it, and vantor.ini differs from the file before in exactly those lines
# and the window's place. Set SKX_SHOT_DIR to keep the screenshots.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
. "$SKX_SOURCE_DIR/tests/integration/lib/screens.sh"
skx_setup "$1" "$2"
start_xvfb
SHOT_PREFIX=options_
not_menu() { ! is_menu "$1"; }

# The shipped file in a 640 x 480 window, at level 2 (rocks to hit), without music (the dummy audio
# driver opens one device) and without title demos (a slow run must not see one start).
sed -e 's/^fscreen = .*/fscreen = 0/' -e 's/^playcd = .*/playcd = 0/' \
    -e 's/^level = .*/level = 2/' -e 's/^maxfps = .*/maxfps = 60/' -e 's/^attract = .*/attract = 0/' \
    "$SKX_SOURCE_DIR/data/vantor.ini" > vantor.ini
cp vantor.ini before.ini
rm -f boot.log error.log

start_window 120
wait_shot menu 20 is_menu
hold o
wait_for boot.log "Options: open" 20
wait_shot controls 20 not_menu
# Fire is the fifth row; Enter takes the next key for its first place.
for key in Down Down Down Down Return f; do
    hold "$key"
done
shot fire_on_f
hold Tab
hold Left
hold Left
shot sound
hold Tab
shot display
hold Tab
shot game
hold Escape
wait_for boot.log "Options: saved volume, bind_fire, wx, wy in vantor.ini" 20
wait_shot menu_again 20 is_menu
hold Escape
wait_shot quit_prompt 20 has_prompt
quit_with_y

# Exactly these changes: the window's place (wremember) and the volume's line in place, fire's
# line added at the end.
diff before.ini vantor.ini | grep '^[<>]' > changes.txt
cat > expected.txt <<'EOF'
< wx = centre
< wy = centre
> wx = 1
> wy = 1
< volume = 65535
> volume = 58982
> # keys for Fire (Space, A, Left, F1, Keypad 8, Mouse1, Pad A, Pad Start ...; None for none)
> bind_fire = F, Mouse1, Pad A
EOF
cmp -s changes.txt expected.txt || fail "vantor.ini changed otherwise: $(cat changes.txt)"

rm -f boot.log error.log
start_window 120
wait_for boot.log "WaveOutInit: Volume is 90%" 5
wait_shot menu2 20 is_menu
[ "$(text_changed menu menu2 0 17 640 12)" -gt 20 ] || fail "the title still names Space for fire"
hold space
wait_shot hud 30 is_hud
# Space, held while the ship turns, fires no more: the score stays.
xdotool keydown Left keydown space
sleep 4
xdotool keyup space keyup Left
shot space_held
scored space_held && fail "Space still fires"
# F does: points come.
xdotool keydown Left keydown f
wait_shot f_held 40 scored
xdotool keyup f keyup Left
# The shipped file's game menu: Escape holds the game, Up from Resume is Quit to the desktop.
hold Escape
wait_for boot.log "Game menu opened" 20
hold Up
hold Return
clean_exit "Quit to the desktop on the game menu"
echo "options: ok"
