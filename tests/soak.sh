# Soak: the title screen and then a game with random held keys for SOAK_SECONDS (default 20;
# `make soak` runs minutes under ASan and UBSan). Checks: no sanitizer report, no pool exhaustion
# in error.log, no growth of the process's memory between the first quarter and the end, and an
# orderly shutdown.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
skx_setup "$1" "$2"
seconds=${SOAK_SECONDS:-20}
start_xvfb
printf 'fscreen = 0\nwidth = 640\nheight = 480\nlevel = 6\nmaxfps = 60\n' > vantor.ini
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}:log_path=$WORK/asan"
export UBSAN_OPTIONS="print_stacktrace=1:log_path=$WORK/ubsan"
export LSAN_OPTIONS="suppressions=$SKX_SOURCE_DIR/tests/lsan.supp:print_suppressions=0"
start_game $((seconds + 120))
wait_for boot.log "Server initialization complete" 60
win=$(xdotool search --sync --name Skarnex3D | head -n 1)
[ -n "$win" ] || fail "no window"
xdotool windowfocus "$win" 2>/dev/null

game=$(pgrep -P "$SKX_PID" | head -n 1)
[ -n "$game" ] || fail "cannot find the program's process"
rss() { awk '/^VmRSS/ {print $2}' "/proc/$game/status" 2>/dev/null || echo 0; }
press() { xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"; }

press space 0.2
end=$(( $(date +%s) + seconds ))
quarter=$(( $(date +%s) + seconds / 4 ))
early=0
keys="Up Left Right Down space a d w s Alt_L equal minus"
while [ "$(date +%s)" -lt "$end" ]; do
    kill -0 "$SKX_PID" 2>/dev/null || fail "the program died during the soak"
    set -- $keys
    shift $(( $(od -An -N1 -tu1 /dev/urandom) % 12 ))
    press "$1" "0.$(( $(od -An -N1 -tu1 /dev/urandom) % 5 + 1 ))"
    # Back to the game whenever it went to the title or the name entry.
    press space 0.05
    press Return 0.05
    if [ "$early" -eq 0 ] && [ "$(date +%s)" -ge "$quarter" ]; then
        early=$(rss)
    fi
done
late=$(rss)
kill -TERM "$SKX_PID"
wait_game
[ "$STATUS" -eq 0 ] || fail "soak run exited with $STATUS"
ls "$WORK"/asan* "$WORK"/ubsan* >/dev/null 2>&1 && { cat "$WORK"/asan* "$WORK"/ubsan* >&2; fail "sanitizer report"; }
[ -f error.log ] && grep -Ei 'out of|overflow' error.log && fail "pool exhaustion reported"
grep -q 'LogUnInit: Releasing critical section' boot.log || fail "no orderly shutdown"
echo "soak: ${seconds}s, RSS ${early} kB after a quarter, ${late} kB at the end"
# Allow 16 MB for the system libraries' own caches (Mesa's shader cache, X11 buffers).
[ "$late" -le $((early + 16384)) ] || fail "memory grew from ${early} kB to ${late} kB"
echo "soak: ok"
