# The real program's life around play, run after run under a white-rooted Xvfb: the boot story,
# the window's frame, joysticks, keys and clicks, exit statuses 2 and 1 with the mixer running,
# the defaults, the fatal-signal guard, a start from elsewhere (see docs/testing.md).
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
. "$SKX_SOURCE_DIR/tests/integration/lib/screens.sh"
skx_setup "$1" "$2"
start_xvfb -wr # a white root, so that a black window proves the frame was cleared and shown

# Standard output into a pipe already closed (`skarnex3d | true`): the echo is lost, nothing else.
# The writer waits until a write of its own fails, then starts the program with SIGPIPE's default.
windowed 'ftest = 1' 'timeout = 2'
{
    trap '' PIPE
    n=0
    while printf x 2>/dev/null && [ $n -lt 100 ]; do n=$((n + 1)) && sleep 0.05; done
    trap - PIPE
    timeout -s KILL 90 "$PROGRAM" 2>stderr.txt
    echo $? >status.txt
} | true
[ "$(cat status.txt)" = 0 ] || fail "standard output into a closed pipe: status $(cat status.txt)"
[ "$(head -n 1 boot.log | sed 's/^[^)]*) //')" = "Starting $SKX_BANNER" ] || fail "first line is not the banner"
tail -n 1 boot.log | grep -q 'LogUnInit: Releasing critical section$' || fail "LogUnInit is not last"
in_order boot.log "Using opengl driver: libGL.so.1" "Current screen info: 1024x768x24-bit color" \
    "Creating a normal 640x480 window" "Loading Client" "Vendor: " "Renderer: " "Version: " \
    "Extension: GL_" "Timing info:" "ms Color Buffer Clear" "ms Z Buffer Clear" \
    "ms Gouraud Fill Test" "ms Z-Buffered Fill Test" "ms Alpha Blending Fill Test" \
    "ms Linear Texture Fill Test" "ms Nearest Texture Fill Test" "Client is copacetic" \
    "Server initialization complete" "Average Frames per Second " \
    "WM_DESTROY: Releasing window context" "LogUnInit: Releasing critical section"
grep -q 'Running on Linux [0-9]*\.[0-9]*\.[0-9]*$' boot.log || fail "no OS version line"
grep -q 'Average Frames per Second [0-9]' boot.log || fail "no average frame rate"
grep -q 'Going fullscreen\|Restoring desktop resolution' boot.log && fail "a windowed run switched"
grep -q 'Window-system calls' boot.log && fail "the default window-system order was logged"
[ "$(grep -c 'ms .* Test$\|ms .* Clear$' boot.log)" -eq 7 ] || fail "not 7 timing lines"

windowed 'ftest = 1' 'timeout = 60'
start_window 90
# Xvfb has no joystick: both are reported and disabled, in order, during client start-up.
in_order boot.log "Loading Client" "Joystick1 - Unplugged" "Joystick1 Support Disabled" \
    "Joystick2 - Unplugged" "Joystick2 Support Disabled" "Client is copacetic"
grep -q "WaveInit: Timer period" boot.log || fail "the mixer did not start"
geometry 640x480 || fail "the window is not 640x480"
# Space is dark, but the sky, rocks and title are drawn over the clear colour.
drawn() { [ "$(convert "$1.png" -format %k info:)" -gt 50 ]; }
wait_shot window 20 drawn
[ "$(identify -format '%wx%h' window.png)" = "640x480" ] || fail "the window's picture is not 640x480"
mean=$(convert window.png -colorspace Gray -format '%[fx:int(255*mean)]' info:)
[ "$mean" -lt 100 ] || fail "the frame is too bright for space (mean $mean)"
# On the root the window is where it should be and the area beside it is the server's backdrop.
import -window root root.png || fail "import of the root window failed"
inside=$(convert root.png -format '%[fx:int(255*p{320,240}.intensity)]' info:)
[ "$inside" -lt 200 ] || fail "the window's centre on the root is white: the window is not shown"
[ "$(convert root.png -format '%[hex:p{900,700}]' info:)" = "FFFFFF" ] || fail "the root is not white"
# Bound keys, Escape (its quit action does nothing before the UI installs one) and the buttons.
for key in minus minus equal space w Left Alt_L KP_Add Escape Shift_L; do
    hold "$key" 0.1
done
xdotool mousemove --window "$WIN" 320 240 click 1 click 3 click 2
alive "after the key presses and clicks"
# A log that cannot be opened (the shutdown's first line goes to boot.log): 2, not an abort.
rm boot.log && mkdir boot.log
kill -TERM "$SKX_PID"
wait_game 2
grep -q "terminate called" stderr.txt && fail "aborted instead of exiting"
rmdir boot.log
grep -q "Joystick read error" error.log 2>/dev/null && fail "a missing joystick was polled"

windowed 'ftest = 1' 'timeout = 20' 'menurocks = 400'
run_game 90 1
grep -q "ThingCreate: Out of memory" error.log || fail "no ThingCreate line in error.log"

# No settings file: defaults everywhere (full screen at the desktop's size), one error line per
# read. Then SIGSEGV: named in error.log, the program ends by it without the orderly shutdown.
rm -f vantor.ini boot.log error.log
start_game 90
wait_for boot.log "Server initialization complete" 60
n=$(grep -c 'Unable to open INI file vantor.ini\.' error.log)
[ "$n" -ge 5 ] || fail "expected one 'Unable to open INI file' line per read, got $n"
kill -SEGV "$(pgrep -P "$SKX_PID" | head -n 1)"
wait_game $((128 + 11)) # death by SIGSEGV
grep -q 'Fatal Exception' boot.log && fail "an error after start-up was copied to boot.log"
grep -q 'LogUnInit' boot.log && fail "the fatal path ran the orderly shutdown"
grep -q 'Fatal Exception: Access Violation$' error.log || fail "no Access Violation in error.log"

# Started from an empty directory: the program's own directory has the data, or nothing has.
mkdir game bare elsewhere
cp "$PROGRAM" game/ && cp "$PROGRAM" bare/
ln -s "$RUNDIR/texture" game/texture && ln -s "$RUNDIR/model" game/model
ln -s "$RUNDIR/sound" game/sound
printf 'fscreen = 0\nftest = 1\ntimeout = 1\n' > game/vantor.ini
(cd elsewhere && timeout -s KILL 60 ../game/skarnex3d >/dev/null 2>&1) ||
    fail "the run from elsewhere failed"
grep -q "running from $WORK/game/" game/boot.log || fail "no base-path line in game/boot.log"
(cd elsewhere && timeout -s KILL 30 ../bare/skarnex3d >../bare.txt 2>&1)
[ $? -eq 1 ] || fail "no data anywhere: expected status 1"
[ "$(grep -c 'found neither in' elsewhere/error.log)" -eq 1 ] || fail "no single error line"
grep -q "Unable to open INI" elsewhere/error.log && fail "settings were read without data"
echo "boot: ok"
