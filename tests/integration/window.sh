# The GL driver and the display decision of the real program under Xvfb: a driver that cannot be
# loaded (with and without the message box), and full screen at the X screen's own size and at a
# size the screen lacks.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
skx_setup "$1" "$2"
start_xvfb

# A driver that cannot be loaded: exit status 1 and the five lines, nothing after start-up.
settings 'opengl = nosuch.so' 'fscreen = 0' 'ftest = 1' 'timeout = 2'
run_game 60 1
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
wait_game 1

# Full screen at the X screen's own size: no switch and nothing to restore.
rm -f boot.log error.log
settings 'fscreen = 1' 'width = 1024' 'height = 768' 'ftest = 1' 'timeout = 2'
run_game 90 0
grep -q 'Creating a fullscreen 1024x768 window' boot.log || fail "no full-screen window"
grep -q 'Going fullscreen\|Restoring desktop resolution' boot.log && fail "switched at the size"

# Full screen at a size the screen lacks: the fall-back lines, then a borderless window.
rm -f boot.log error.log
settings 'fscreen = 1' 'width = 800' 'height = 600' 'ftest = 1' 'timeout = 2'
run_game 90 0
in_order boot.log "Going fullscreen" "Available screen modes for " "1024x768x24-bit color" \
    "No matching mode to 800x600x16-bit color available" "Nope, didnt work" \
    "The video mode 800x600x16-bit color is not supported" "Falling back to a windowed screen" \
    "Creating a fullscreen 800x600 window" "Client is copacetic"
grep -q 'Restoring desktop resolution' boot.log && fail "restored a mode never switched"
echo "window: ok"
