# Today's displays on a 1920 x 1080 screen: desktop full screen at the screen's size without a mode
# search, the title menu centred and undistorted over a scene that spans the whole width, Alt+Enter
# out to the resizable window, a resize that redraws at the new size, and Alt+Enter in and out
# again with the resized window coming back. Set SKX_SHOT_DIR to keep the screenshots.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
. "$SKX_SOURCE_DIR/tests/integration/lib/screens.sh"
skx_setup "$1" "$2"
start_xvfb 1920x1080
SHOT_PREFIX=display_

# geometry_is WxH [SECONDS]: waits until the window has that size.
geometry_is() {
    i=0
    while [ $i -lt $((${2:-10} * 10)) ]; do
        g=$(xdotool getwindowgeometry "$WIN" 2>/dev/null | sed -n 's/.*Geometry: //p')
        [ "$g" = "$1" ] && return 0
        sleep 0.1
        i=$((i + 1))
    done
    fail "the window is '$g', expected $1"
}

# frame NAME X Y W H: the bounding box "WxH+X+Y" of the high-score frame's metal in the rectangle
# (stars and thin text are opened away).
frame() {
    convert "$1.png" -crop "${4}x${5}+${2}+${3}" +repage \
        -fx 'min(r, min(g, b)) > 0.2 && b >= r' -morphology Open Square:2 -format '%@' info:
}

# frame_is X Y W H WIDTH HEIGHT NAME: in screenshot NAME the frame measures WIDTH x HEIGHT
# within 4 %.
frame_is() {
    box=$(frame "$7" "$1" "$2" "$3" "$4")
    w=${box%%x*}
    h=${box#*x}
    h=${h%%+*}
    awk "BEGIN { exit !($w > $5 * 0.96 && $w < $5 * 1.04 && $h > $6 * 0.96 && $h < $6 * 1.04) }"
}

# keys_alt_enter: Alt+Enter held across frames.
alt_enter() {
    xdotool keydown alt keydown Return
    sleep 0.25
    xdotool keyup Return keyup alt
    sleep 0.15
}

printf 'fscreen = 2\nwidth = 800\nheight = 600\nwresize = 1\nvsync = 1\nmaxfps = 60\n' > vantor.ini
start_game 150
wait_for boot.log "Server initialization complete" 60
wait_window
geometry_is 1920x1080
grep -q 'Creating a desktop full screen 1920x1080 window' boot.log || fail "no desktop full screen"
grep -q 'Going fullscreen\|Available screen modes\|-bit color (\|Restoring desktop' boot.log \
    && fail "desktop full screen searched or switched a mode"

# The 640 x 480 layout scaled by 1080 / 480 = 2.25 into the centred 1440 x 1080 area: the frame
# (256 x 100) is 576 x 225 at (672, 652). A stretched picture would make it 768 wide.
wait_shot title 20 frame_is 640 620 640 300 576 225
# The scene spans the whole width: both strips beside the 4:3 area are drawn on.
for x in 0 1680; do
    n=$(convert title.png -crop "240x1080+$x+0" -format %k info:)
    [ "$n" -gt 50 ] || fail "the strip at x $x has only $n colours: no scene there"
done

# Out to the window at its configured size, then resized: the layout follows (scale 540 / 480).
alt_enter
wait_for boot.log "Switching to a normal 800x600 window" 10
geometry_is 800x600
xdotool windowsize "$WIN" 1280 540
geometry_is 1280x540
wait_shot resized 20 frame_is 440 280 400 200 288 112

# In to desktop full screen and out again: the resized window comes back.
alt_enter
wait_for boot.log "Switching to a desktop full screen 1920x1080 window" 10
geometry_is 1920x1080
wait_shot title2 20 frame_is 640 620 640 300 576 225
alt_enter
[ "$(grep -c 'Switching to a normal' boot.log)" -eq 2 ] || fail "no second switch to the window"
geometry_is 1280x540

hold Escape
quit_with_y
echo "display: ok"
