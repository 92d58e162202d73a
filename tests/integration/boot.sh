# The real program starts, runs its frame loop, quits by itself with ftest and tells the story of
# a windowed 640 x 480 run in order in boot.log (the banner first, the log's shutdown last);
# without vantor.ini every read falls back to its default and says so.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
skx_setup "$1" "$2"
start_xvfb

settings 'fscreen = 0' 'width = 640' 'height = 480' 'ftest = 1' 'timeout = 2'
run_game 90 0
head -n 1 boot.log | grep -q 'Starting Skarnex3D v1.13$' || fail "first line is not the banner"
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
[ "$(grep -c 'ms .* Test$\|ms .* Clear$' boot.log)" -eq 7 ] || fail "not 7 timing lines"

# No settings file: defaults everywhere (full screen at the desktop's size), one line per read.
rm -f vantor.ini boot.log error.log
start_game 60
stop_game
n=$(grep -c 'Unable to open INI file vantor.ini\.' error.log)
[ "$n" -ge 5 ] || fail "expected one 'Unable to open INI file' line per read, got $n"
echo "boot: ok"
