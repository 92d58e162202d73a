# Shared by the integration scripts: a scratch run directory beside the built assets, a bounded
# wait for log lines, and runs of the real program under Xvfb with Mesa's software renderer.
# Usage in a script: . "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"; skx_setup "$1" "$2"

set -u

fail() {
    echo "FAIL: $*" >&2
    for f in boot.log error.log; do
        [ -f "${WORK:-/nonexistent}/$f" ] && { echo "--- $f" >&2; tail -n 40 "$WORK/$f" >&2; }
    done
    exit 1
}

# skx_setup PROGRAM RUNDIR: makes $WORK with links to the assets and copies the program.
skx_setup() {
    PROGRAM=$1
    RUNDIR=$2
    WORK=$(mktemp -d /tmp/skx_it_XXXXXX)
    trap 'skx_cleanup' EXIT
    for d in texture model sound music; do
        [ -d "$RUNDIR/$d" ] && ln -s "$RUNDIR/$d" "$WORK/$d"
    done
    export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
    export LIBGL_ALWAYS_SOFTWARE=1
    export SKX_NO_MESSAGEBOX=1
    cd "$WORK" || fail "cannot enter $WORK"
}

skx_cleanup() {
    [ -n "${SKX_PID:-}" ] && kill -KILL "$SKX_PID" 2>/dev/null
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
    cd /
    [ -n "${KEEP_WORK:-}" ] || rm -rf "$WORK"
}

# wait_until SECONDS COMMAND...: runs COMMAND every 0.1 s until it succeeds; false after SECONDS.
wait_until() {
    until_end=$(($(date +%s) + $1))
    shift
    until "$@"; do
        [ "$(date +%s)" -lt "$until_end" ] || return 1
        sleep 0.1
    done
}

# wait_for FILE TEXT SECONDS: waits until FILE contains TEXT; fails after SECONDS.
wait_for() {
    wait_until "$3" grep -qF -- "$2" "$1" 2>/dev/null || fail "timed out waiting for '$2' in $1"
}

# start_xvfb [WxH] [ARG...]: a private X server (1024x768 unless given) on a free display, exported
# as DISPLAY, with any extra server arguments. The server picks the display itself (-displayfd), so
# scripts that ctest runs in parallel never share one. -noreset keeps what a script sets up (a
# keyboard layout) when its last client goes.
start_xvfb() {
    size=1024x768
    case "${1:-}" in [0-9]*x[0-9]*) size=$1; shift ;; esac
    Xvfb -displayfd 3 -noreset -screen 0 "${size}x24" -nolisten tcp "$@" 3>"$WORK/.display" >/dev/null 2>&1 &
    XVFB_PID=$!
    wait_until 20 xvfb_up || fail "Xvfb did not start"
    DISPLAY=":$(cat "$WORK/.display")" && export DISPLAY
}
xvfb_up() {
    kill -0 "$XVFB_PID" 2>/dev/null || fail "Xvfb did not start"
    n=$(cat "$WORK/.display" 2>/dev/null)
    [ -n "$n" ] && DISPLAY=":$n" xdpyinfo >/dev/null 2>&1
}

# settings LINE...: vantor.ini made of the given lines, and no logs of an earlier run (a wait
# must not find their lines). windowed LINE...: the same in a 640 x 480 window.
settings() {
    printf '%s\n' "$@" > vantor.ini
    rm -f boot.log error.log
}
windowed() {
    settings 'fscreen = 0' 'width = 640' 'height = 480' "$@"
}

# start_game [SECONDS]: runs the program in the background with a hard limit.
start_game() {
    limit=${1:-60}
    timeout -s KILL "$limit" "$PROGRAM" >stdout.txt 2>stderr.txt &
    SKX_PID=$!
}

# wait_game [EXPECTED]: waits for the background program; sets STATUS, and fails unless it is
# EXPECTED when given.
wait_game() {
    wait "$SKX_PID"
    STATUS=$?
    SKX_PID=
    [ -z "${1:-}" ] || [ "$STATUS" -eq "$1" ] || fail "the program exited with $STATUS, expected $1"
}

# run_game SECONDS EXPECTED: runs the program in the foreground (it quits by itself).
run_game() {
    start_game "$1"
    wait_game "$2"
}

# gone: true once the program has ended.
gone() {
    ! kill -0 "$SKX_PID" 2>/dev/null
}

# stop_game [BOOTLOG]: SIGTERM once start-up is complete; an orderly shutdown with status 0.
stop_game() {
    log=${1:-boot.log}
    wait_for "$log" "Server initialization complete" 60
    kill -TERM "$SKX_PID"
    wait_game 0
    tail -n 1 "$log" | grep -q "LogUnInit: Releasing critical section" || fail "incomplete shutdown"
}

# replay MODE NAME OUTCOME [LINE...]: demos/NAME.skd played back (MODE playdemo or timedemo) in a
# window, with any further settings, must end with status 0, the OUTCOME it logged when recorded
# and the line saying that it matches.
replay() {
    windowed "$1 = $2" "${4:-}"
    start_game 150
    wait_game 0
    got=$(sed -n "s/.*\(Demo $2: score .*\)/\1/p" boot.log)
    [ "$got" = "$3" ] || fail "$1 of $2 ended '$got', recorded as '$3': a game rule changed"
    grep -q "Demo $2: playback matches the recording" boot.log || fail "$1 $2: no match line"
}

# in_order FILE TEXT...: each TEXT occurs in FILE after the previous one.
in_order() {
    file=$1
    shift
    rest=$(cat "$file")
    for t in "$@"; do
        case $rest in
            *"$t"*) rest=${rest#*"$t"} ;;
            *) fail "'$t' missing or out of order in $file" ;;
        esac
    done
}
