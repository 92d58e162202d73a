# The window, the GL driver and the display decision of the real program under Xvfb: a windowed
# run with its boot-log story, a driver that cannot be loaded, and full screen at the X screen's
# own size and at a size the screen lacks.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
skx_setup "$1" "$2"
start_xvfb

# Windowed 640 x 480: quits by itself, every start-up and shutdown line in order.
printf 'fscreen = 0\nwidth = 640\nheight = 480\nftest = 1\ntimeout = 2\n' > vantor.ini
start_game 90
wait_game
[ "$STATUS" -eq 0 ] || fail "windowed run exited with $STATUS"
in_order boot.log "Using opengl driver: libGL.so.1" "Current screen info: 1024x768x24-bit color" \
    "Creating a normal 640x480 window" "Loading Client" "Vendor: " "Renderer: " "Version: " \
    "Extension: GL_" "Timing info:" "ms Color Buffer Clear" "ms Z Buffer Clear" \
    "ms Gouraud Fill Test" "ms Z-Buffered Fill Test" "ms Alpha Blending Fill Test" \
    "ms Linear Texture Fill Test" "ms Nearest Texture Fill Test" "Client is copacetic" \
    "Server initialization complete" "Average Frames per Second" \
    "WM_DESTROY: Releasing window context" "LogUnInit: Releasing critical section"
grep -q 'Running on Linux [0-9]*\.[0-9]*\.[0-9]*$' boot.log || fail "no OS version line"
grep -q 'Going fullscreen' boot.log && fail "a windowed run tried a display mode"
grep -q 'Restoring desktop resolution' boot.log && fail "a windowed run restored the desktop"
n=$(grep -c 'ms .* Test$\|ms .* Clear$' boot.log)
[ "$n" -eq 7 ] || fail "expected 7 timing lines, got $n"

# A driver that cannot be loaded: exit status 1 and the five lines, nothing after start-up.
rm -f boot.log error.log
printf 'opengl = nosuch.so\nfscreen = 0\nftest = 1\ntimeout = 2\n' > vantor.ini
start_game 60
wait_game
[ "$STATUS" -eq 1 ] || fail "missing driver exited with $STATUS, expected 1"
in_order boot.log "Using opengl driver: nosuch.so" "OpenGLInit returned -666" \
    "Failed to load the opengl dll, check the opengl setting in vantor.ini" \
    "The likeliest problem is that you have an out of date OpenGL driver" \
    "ie Pre-Version 1.1, SK3D requires OpenGL v1.1 or newer" \
    "Please ensure you are using the newest drivers for your card" \
    "LogUnInit: Releasing critical section"
grep -q 'Creating a' boot.log && fail "a window was created without a driver"

# The same failure with the real message box: it waits for an answer, which Return gives. Where
# SDL cannot show a box at all (no dialog helper on this X server) the run must still end.
rm -f boot.log error.log
SKX_NO_MESSAGEBOX= timeout -s KILL 60 "$PROGRAM" >stdout.txt 2>stderr.txt &
SKX_PID=$!
i=0
while [ $i -lt 300 ] && kill -0 "$SKX_PID" 2>/dev/null; do
    box=$(xdotool search --name '^Error$' 2>/dev/null | head -n 1)
    if [ -n "$box" ]; then
        xdotool windowfocus --sync "$box" key Return
        break
    fi
    sleep 0.1
    i=$((i + 1))
done
wait_game
[ "$STATUS" -eq 1 ] || fail "with the message box the run exited with $STATUS, expected 1"

# Full screen at the X screen's own size: no switch and nothing to restore.
rm -f boot.log error.log
printf 'fscreen = 1\nwidth = 1024\nheight = 768\nftest = 1\ntimeout = 2\n' > vantor.ini
start_game 90
wait_game
[ "$STATUS" -eq 0 ] || fail "full-screen run exited with $STATUS"
grep -q 'Creating a fullscreen 1024x768 window' boot.log || fail "no full-screen window"
grep -q 'Going fullscreen' boot.log && fail "switched although the desktop has the size"
grep -q 'Restoring desktop resolution' boot.log && fail "restored a mode never switched"

# Full screen at a size the screen lacks: the fall-back lines, then a borderless window.
rm -f boot.log error.log
printf 'fscreen = 1\nwidth = 800\nheight = 600\nftest = 1\ntimeout = 2\n' > vantor.ini
start_game 90
wait_game
[ "$STATUS" -eq 0 ] || fail "fall-back run exited with $STATUS"
in_order boot.log "Going fullscreen" "Available screen modes for " "1024x768x24-bit color" \
    "No matching mode to 800x600x16-bit color available" "Nope, didnt work" \
    "The video mode 800x600x16-bit color is not supported" "Falling back to a windowed screen" \
    "Creating a fullscreen 800x600 window" "Client is copacetic"
grep -q 'Restoring desktop resolution' boot.log && fail "restored a mode never switched"
echo "window: ok"
