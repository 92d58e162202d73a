# What a player sees: a 640 x 480 window filled with the clear colour, on a white X root.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
skx_setup "$1" "$2"

# A white root (-wr), so that a black window proves the frame was cleared and shown.
for n in $(seq 141 190); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
        Xvfb ":$n" -screen 0 1024x768x24 -wr -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        export DISPLAY=":$n"
        break
    fi
done
[ -n "${XVFB_PID:-}" ] || fail "no free X display"
i=0
until xdpyinfo >/dev/null 2>&1; do
    i=$((i + 1))
    [ $i -lt 100 ] || fail "Xvfb did not start"
    sleep 0.1
done

printf 'fscreen = 0\nwidth = 640\nheight = 480\nftest = 1\ntimeout = 60\n' > vantor.ini
start_game 90
wait_for boot.log "Server initialization complete" 60
win=$(timeout 30 xdotool search --sync --name '^Skarnex3D$' | head -n 1)
[ -n "$win" ] || fail "no window named Skarnex3D"
geometry=$(xdotool getwindowgeometry "$win" | sed -n 's/.*Geometry: //p')
[ "$geometry" = "640x480" ] || fail "window geometry is '$geometry', expected 640x480"
sleep 0.5 # a few frames after the first; the window is polled above, not waited for blindly
import -window "$win" window.png || fail "import of the window failed"
import -window root root.png || fail "import of the root window failed"
size=$(identify -format '%wx%h' window.png)
[ "$size" = "640x480" ] || fail "window screenshot is $size"
# The clear colour (black) is what most of the frame shows.
top=$(convert window.png -format %c histogram:info:- | sort -rn | head -n 1)
case $top in
    *"#000000"*) ;;
    *) fail "the window is mostly not the clear colour: $top" ;;
esac
# On the root the window's inside is black and the area beside it is the server's backdrop.
inside=$(convert root.png -format '%[hex:p{320,240}]' info:)
outside=$(convert root.png -format '%[hex:p{900,700}]' info:)
[ "$inside" = "000000" ] || fail "the window's centre on the root is $inside"
[ "$outside" = "FFFFFF" ] || fail "the root beside the window is $outside, not white"
[ -n "${SKX_SHOT_DIR:-}" ] && cp window.png root.png "$SKX_SHOT_DIR"/
kill -TERM "$SKX_PID"
wait_game
[ "$STATUS" -eq 0 ] || fail "run exited with $STATUS after SIGTERM"
echo "screenshot: ok"
