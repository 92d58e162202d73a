# What a player sees: a 640 x 480 window showing the dark attract scene, on a white X root.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
. "$SKX_SOURCE_DIR/tests/integration/lib/screens.sh"
skx_setup "$1" "$2"
start_xvfb -wr # a white root, so that a black window proves the frame was cleared and shown

settings 'fscreen = 0' 'width = 640' 'height = 480' 'ftest = 1' 'timeout = 60'
start_game 90
wait_for boot.log "Server initialization complete" 60
wait_window
geometry=$(xdotool getwindowgeometry "$WIN" | sed -n 's/.*Geometry: //p')
[ "$geometry" = "640x480" ] || fail "window geometry is '$geometry', expected 640x480"
sleep 0.5 # a few frames after the first; the window is polled above, not waited for blindly
import -window "$WIN" window.png || fail "import of the window failed"
import -window root root.png || fail "import of the root window failed"
size=$(identify -format '%wx%h' window.png)
[ "$size" = "640x480" ] || fail "window screenshot is $size"
# Space is dark: the frame's mean brightness is low, but it is not one flat colour (the sky,
# rocks and title are drawn over the clear colour).
mean=$(convert window.png -colorspace Gray -format '%[fx:int(255*mean)]' info:)
[ "$mean" -lt 100 ] || fail "the frame is too bright for space (mean $mean)"
colours=$(convert window.png -format %k info:)
[ "$colours" -gt 50 ] || fail "the frame has only $colours colours: nothing drawn over the clear colour"
# On the root the window is where it should be and the area beside it is the server's backdrop.
inside=$(convert root.png -format '%[fx:int(255*p{320,240}.intensity)]' info:)
outside=$(convert root.png -format '%[hex:p{900,700}]' info:)
[ "$inside" -lt 200 ] || fail "the window's centre on the root is white: the window is not shown"
[ "$outside" = "FFFFFF" ] || fail "the root beside the window is $outside, not white"
[ -n "${SKX_SHOT_DIR:-}" ] && cp window.png root.png "$SKX_SHOT_DIR"/
stop_game
echo "screenshot: ok"
