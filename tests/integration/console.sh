# The input layer in the real program: joystick detection at start-up, real key presses and mouse
# clicks through the event pump and the per-frame poll (bound keys and Escape, whose quit action
# does nothing until the UI installs one), and the input shutdown in its place.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
skx_setup "$1" "$2"
start_xvfb

printf 'fscreen = 0\nwidth = 640\nheight = 480\nftest = 1\ntimeout = 60\n' > vantor.ini
start_game 90
wait_for boot.log "Server initialization complete" 60
# Xvfb has no joystick: both are reported and disabled, in order, during client start-up.
in_order boot.log "Loading Client" "Joystick1 - Unplugged" "Joystick1 Support Disabled" \
    "Joystick2 - Unplugged" "Joystick2 Support Disabled" "Client is copacetic"

win=$(timeout 30 xdotool search --sync --name '^Skarnex3D$' | head -n 1)
[ -n "$win" ] || fail "no window named Skarnex3D"
xdotool windowfocus --sync "$win" 2>/dev/null || xdotool windowfocus "$win"
# Each key is held across several frames, since the keyboard is polled once a frame.
for key in minus minus equal space w Left Alt_L KP_Add Escape Shift_L; do
    xdotool keydown "$key"
    sleep 0.1
    xdotool keyup "$key"
    sleep 0.05
done
xdotool mousemove --window "$win" 320 240 click 1 click 3 click 2
sleep 0.2
kill -0 "$SKX_PID" 2>/dev/null || fail "the program ended during the key presses"

kill -TERM "$SKX_PID"
wait_game
[ "$STATUS" -eq 0 ] || fail "run exited with $STATUS after the key presses"
in_order boot.log "Average Frames per Second" "InputUnInit: Freeing input index storage" \
    "LogUnInit: Releasing critical section"
if [ -s error.log ]; then
    grep -q "Joystick read error" error.log && fail "a missing joystick was polled"
fi
echo "console: ok"
