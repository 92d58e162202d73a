# Fatal exits keep their statuses while the mixer's timer thread runs (a log that cannot be opened:
# 2; an exhausted thing pool: 1), and a start from another directory finds the data beside the
# program or says where it looked.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
skx_setup "$1" "$2"
start_xvfb

settings 'fscreen = 0' 'ftest = 1' 'timeout = 60'
start_game 90
wait_for boot.log "Server initialization complete" 60
grep -q "WaveInit: Timer period" boot.log || fail "the mixer did not start"
rm boot.log && mkdir boot.log
kill -TERM "$SKX_PID" # the shutdown's first line goes to boot.log
wait_game 2
grep -q "terminate called" stderr.txt && fail "aborted instead of exiting"
rmdir boot.log

settings 'fscreen = 0' 'ftest = 1' 'timeout = 20' 'menurocks = 400'
run_game 90 1
grep -q "ThingCreate: Out of memory" error.log || fail "no ThingCreate line in error.log"

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
echo "exit_status: ok"
