# Display modes: a GL driver that cannot be loaded, full screen at a size the X screen lacks, and
# desktop full screen on a 1920 x 1080 screen with the menu's proportions measured, a resized
# window and Alt+Enter in and out; then under a window manager the focus going elsewhere, the
# automatic window size, round trips that keep the place, and the place kept across runs. Set
# SKX_SHOT_DIR to keep the screenshots.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
. "$SKX_SOURCE_DIR/tests/integration/lib/screens.sh"
skx_setup "$1" "$2"
start_xvfb 1920x1080
SHOT_PREFIX=display_

# A driver that cannot be loaded: exit status 1 and the five lines, nothing after start-up.
settings 'opengl = nosuch.so' 'fscreen = 0' 'ftest = 1' 'timeout = 2'
run_game 60 1
in_order boot.log "Using opengl driver: nosuch.so" "OpenGLInit returned -666" \
    "Failed to load the opengl dll, check the opengl setting in vantor.ini" \
    "The likeliest problem is that you have an out of date OpenGL driver" \
    "ie Pre-Version 1.1, SK3D requires OpenGL v1.1 or newer" \
    "Please ensure you are using the newest drivers for your card" \
    "LogUnInit: Releasing critical section"
grep -q 'Creating a' boot.log && fail "a window was created without a driver"
# The same failure with the real message box. Where SDL can show one (it needs fonts on the X
# server) it waits for an answer: Return gives one, and SIGTERM meanwhile ends the run with the
# same status. Where it cannot, the run ends by itself. xdotool cannot match the box's UTF-8 title,
# so xwininfo finds it.
export SKX_NO_MESSAGEBOX=
box() {
    w=$(xwininfo -root -tree | sed -n 's/^ *\(0x[0-9a-f]*\) "Error": .*/\1/p' | head -n 1)
    [ -n "$w" ] && xwininfo -id "$w" | grep -q IsViewable && echo "$w"
}
box_or_end() { gone || [ -n "$(box)" ]; }
for answer in Return TERM; do
    start_game 90 # the program gives up an unanswered box after 60 s
    wait_until 30 box_or_end || fail "neither a message box nor the end of the run"
    if ! gone; then
        if [ $answer = Return ]; then
            timeout 10 xdotool windowfocus --sync "$(box)" key Return
        else
            kill -TERM "$SKX_PID"
        fi
    fi
    wait_game 1
done
export SKX_NO_MESSAGEBOX=1

# Full screen at a size the screen lacks: the fall-back lines, then a borderless window.
settings 'fscreen = 1' 'width = 800' 'height = 600' 'ftest = 1' 'timeout = 2'
run_game 90 0
in_order boot.log "Going fullscreen" "Available screen modes for " "1920x1080x24-bit color" \
    "No matching mode to 800x600x16-bit color available" "Nope, didnt work" \
    "The video mode 800x600x16-bit color is not supported" "Falling back to a windowed screen" \
    "Creating a fullscreen 800x600 window" "Client is copacetic"
grep -q 'Restoring desktop resolution' boot.log && fail "restored a mode never switched"

# geometry_is WxH: waits until the window has that size.
geometry_is() {
    wait_until 10 geometry "$1" || fail "the window is not $1"
}

# frame_is X Y W H WIDTH HEIGHT NAME: in screenshot NAME the bounding box of the high-score
# frame's metal in the rectangle (stars and thin text opened away) is WIDTH x HEIGHT within 4 %.
frame_is() {
    box=$(convert "$7.png" -crop "${3}x${4}+${1}+${2}" +repage \
        -fx 'min(r, min(g, b)) > 0.2 && b >= r' -morphology Open Square:2 -format '%@' info:)
    w=${box%%x*}
    h=${box#*x}
    h=${h%%+*}
    awk "BEGIN { exit !($w > $5 * 0.96 && $w < $5 * 1.04 && $h > $6 * 0.96 && $h < $6 * 1.04) }"
}

# alt_enter: Alt+Enter held across frames.
alt_enter() {
    xdotool keydown alt keydown Return
    sleep 0.25
    xdotool keyup Return keyup alt
    sleep 0.15
}

settings 'fscreen = 2' 'width = 800' 'height = 600' 'wresize = 1' 'vsync = 1' 'maxfps = 60'
start_window 150
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

# Under a window manager (frames around windows, focus that moves), with the shipped window
# settings: another window taking the focus leaves desktop full screen in place and drawing;
# Alt+Enter gives a window of two thirds of the desktop; round trips leave it where it was; the
# options' save keeps its place and size for the next run.
openbox --sm-disable >/dev/null 2>&1 &
OPENBOX_PID=$!
wm_up() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
wait_until 20 wm_up || fail "openbox did not start"
# place: the client area's place and size, WxH+X+Y (the frame not counted).
place() {
    xwininfo -id "$WIN" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /Width:/ { w = $NF } /Height:/ { h = $NF } END { print w "x" h "+" x "+" y }'
}
place_is() { [ "$(place)" = "$1" ]; }
not() { ! "$@"; }
iconic() { xprop -id "$WIN" WM_STATE | grep -q 'Iconic'; }
focus_elsewhere() { [ "$(xdotool getactivewindow 2>/dev/null)" != "$WIN" ]; }
drawing() { [ "$(changed away away_before 700 300 600 600 | cut -c1-4 | tr -d .)" -gt 10 ]; }
settings 'fscreen = 2' 'width = 640' 'height = 480' 'wresize = 1' 'maxfps = 60' 'wauto = 1' \
    'minimize = 0' 'wremember = 1' 'wx = centre' 'wy = centre'
start_window 150
geometry_is 1920x1080
xmessage -geometry +40+40 'another window' &
XMESSAGE_PID=$!
wait_until 10 focus_elsewhere || fail "xmessage did not take the focus"
shot away_before
wait_shot away 10 drawing
iconic && fail "desktop full screen minimised itself when another window took the focus"
kill "$XMESSAGE_PID"
xdotool windowactivate --sync "$WIN"
alt_enter
wait_for boot.log "Switching to a normal 1280x720 window" 10
# Centred by its client area.
wait_until 10 place_is 1280x720+320+180 || fail "the window is at $(place), not centred 1280x720"
shot windowed
game_window=$WIN
WIN=root
shot windowed_desktop
WIN=$game_window
for trip in 1 2; do
    alt_enter
    alt_enter
    [ "$(grep -c 'Switching to a normal' boot.log)" -eq $((trip + 1)) ] || fail "trip $trip"
    wait_until 10 place_is 1280x720+320+180 || fail "after round trip $trip the window is at $(place)"
done
# Moved by the player, saved by the options, back there in the next run.
xdotool windowmove "$WIN" 200 150
wait_until 10 not place_is 1280x720+320+180 || fail "the window did not move"
moved=$(place)
hold o
wait_for boot.log "Options: open" 20
hold Escape
wait_for boot.log "Options: saved fscreen, width, height, wx, wy in vantor.ini" 20
grep -qx 'fscreen = 0' vantor.ini && grep -qx 'width = 1280' vantor.ini \
    && grep -qx 'height = 720' vantor.ini || fail "the window's mode and size were not saved"
hold Escape
quit_with_y
rm -f boot.log error.log
start_window 150
grep -q 'Creating a normal 1280x720 window' boot.log || fail "the saved size was not used"
wait_until 10 place_is "$moved" || fail "the window is at $(place), saved at $moved"
iconic && fail "minimised"
hold Escape
quit_with_y
kill "$OPENBOX_PID"
echo "display: ok"
