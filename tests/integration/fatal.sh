# A fatal signal sent to the running program is named in error.log and ends it by that signal.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
skx_setup "$1" "$2"
start_xvfb

printf 'fscreen = 0\nftest = 1\ntimeout = 60\n' > vantor.ini
start_game 90
wait_for boot.log "Server initialization complete" 60
game=$(pgrep -P "$SKX_PID" | head -n 1)
[ -n "$game" ] || fail "cannot find the program's process"
kill -SEGV "$game"
wait_game
[ "$STATUS" -eq $((128 + 11)) ] || fail "expected death by SIGSEGV (139), got $STATUS"
grep -q 'Fatal Exception: Access Violation$' error.log || fail "no Access Violation in error.log"
grep -q 'Fatal Exception' boot.log && fail "an error after start-up was copied to boot.log"
grep -q 'LogUnInit' boot.log && fail "the fatal path ran the orderly shutdown"
echo "fatal: ok"
