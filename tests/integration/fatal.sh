# A fatal signal sent to the running program is named in error.log and ends it by that signal.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
skx_setup "$1" "$2"
start_xvfb

settings 'fscreen = 0' 'ftest = 1' 'timeout = 60'
start_game 90
wait_for boot.log "Server initialization complete" 60
game=$(pgrep -P "$SKX_PID" | head -n 1)
[ -n "$game" ] || fail "cannot find the program's process"
kill -SEGV "$game"
wait_game $((128 + 11)) # death by SIGSEGV
grep -q 'Fatal Exception: Access Violation$' error.log || fail "no Access Violation in error.log"
grep -q 'Fatal Exception' boot.log && fail "an error after start-up was copied to boot.log"
grep -q 'LogUnInit' boot.log && fail "the fatal path ran the orderly shutdown"
echo "fatal: ok"
