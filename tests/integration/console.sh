# The input layer in the real program: joystick detection at start-up, real key presses and mouse
# clicks through the event pump and the per-frame poll (bound keys and Escape, whose quit action
# does nothing until the UI installs one), and the input shutdown in its place.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
. "$SKX_SOURCE_DIR/tests/integration/lib/screens.sh"
skx_setup "$1" "$2"
start_xvfb

settings 'fscreen = 0' 'width = 640' 'height = 480' 'ftest = 1' 'timeout = 60'
start_game 90
wait_for boot.log "Server initialization complete" 60
# Xvfb has no joystick: both are reported and disabled, in order, during client start-up.
in_order boot.log "Loading Client" "Joystick1 - Unplugged" "Joystick1 Support Disabled" \
    "Joystick2 - Unplugged" "Joystick2 Support Disabled" "Client is copacetic"

wait_window
for key in minus minus equal space w Left Alt_L KP_Add Escape Shift_L; do
    hold "$key" 0.1
done
xdotool mousemove --window "$WIN" 320 240 click 1 click 3 click 2
sleep 0.2
alive "during the key presses"
stop_game
in_order boot.log "Average Frames per Second" "InputUnInit: Freeing input index storage" \
    "LogUnInit: Releasing critical section"
if [ -s error.log ]; then
    grep -q "Joystick read error" error.log && fail "a missing joystick was polled"
fi
echo "console: ok"
