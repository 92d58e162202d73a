# The real program starts, runs its frame loop, quits by itself with ftest and shuts down in order;
# without vantor.ini every read falls back to its default and says so.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
skx_setup "$1" "$2"
start_xvfb

printf 'fscreen = 0\nftest = 1\ntimeout = 2\n' > vantor.ini
start_game 60
wait_game
[ "$STATUS" -eq 0 ] || fail "ftest run exited with $STATUS"
head -n 1 boot.log | grep -q 'Starting Skarnex3D v1.13$' || fail "first line is not the banner"
grep -q 'Average Frames per Second [0-9]' boot.log || fail "no average frame rate"
tail -n 1 boot.log | grep -q 'LogUnInit: Releasing critical section$' || fail "LogUnInit is not last"
in_order boot.log "Starting Skarnex3D" "Client is copacetic" "Server initialization complete" \
    "Average Frames per Second" "LogUnInit: Releasing critical section"

# No settings file: defaults everywhere (full screen at the desktop's size), one line per read.
rm -f vantor.ini boot.log error.log
start_game 60
wait_for boot.log "Server initialization complete" 30
kill -TERM "$SKX_PID"
wait_game
[ "$STATUS" -eq 0 ] || fail "run without vantor.ini exited with $STATUS after SIGTERM"
n=$(grep -c 'Unable to open INI file vantor.ini\.' error.log)
[ "$n" -ge 5 ] || fail "expected one 'Unable to open INI file' line per read, got $n"
grep -q 'LogUnInit: Releasing critical section' boot.log || fail "no orderly shutdown after SIGTERM"
echo "boot: ok"
