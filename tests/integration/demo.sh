# Demos and screenshots: F12 on the title against an outside screenshot; a game recorded with held
# keys and a pause plays back (also when the window loses the focus under autopause) and timedemos
# to the outcome it logged; a broken demo's timedemo fails cleanly.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
. "$SKX_SOURCE_DIR/tests/integration/lib/screens.sh"
skx_setup "$1" "$2"
start_xvfb

windowed 'maxfps = 60' 'record = itest'
start_window 150
wait_for boot.log "DemoRecord: the next game goes to demos/itest.skd" 10

# F12 on the title screen, then the same window from outside.
hold F12
wait_for boot.log "Screenshot screenshots/skarnex3d-" 20
import -window "$WIN" outside.png || fail "import of the window failed"
cp screenshots/skarnex3d-*.png f12.png || fail "not one screenshot in screenshots/"
[ "$(identify -format '%m %wx%h' f12.png)" = "PNG 640x480" ] || fail "F12 wrote no 640x480 PNG"
# shellcheck disable=SC2086 # X Y W H
above "$(white f12 $PRESS_AREA)" 0.03 || fail "the title's text is not where it belongs in F12's"
# The rocks and the banner move between the two shots; the lower part (the high-score list, the
# title's text, the far sky) holds still: there the shots must agree within a per cent of pixels.
differ=$(compare -metric AE -fuzz 5% -extract 640x190+0+290 f12.png outside.png null: 2>&1)
[ "${differ%%.*}" -lt 1216 ] || fail "$differ of 121600 pixels differ from the outside screenshot"

# A short game with held keys: thrust, turn both ways and fire, then quit through the prompt.
hold space
wait_for boot.log "DemoRecord: recording demos/itest.skd" 10
wait_shot level 20 is_hud
lit level 0.02 500
xdotool keydown Up keydown Left keydown space
sleep 2
xdotool keyup Left keydown Right
sleep 1
hold p 0.2 # a pause in the middle of the game, held for a second: the playback holds it too
sleep 1
hold p 0.2
sleep 1
xdotool keyup Up keyup Right keyup space
hold Escape
hold y
wait_game 0
recorded=$(sed -n "s/.*\(Demo itest: score .*\)/\1/p" boot.log)
[ -n "$recorded" ] || fail "the recording logged no outcome"
grep -q "DemoRecord: wrote demos/itest.skd" boot.log || fail "the recording was not written"

replay playdemo itest "$recorded"
# The window losing the focus under autopause does not hold a playback: it ends as recorded.
windowed 'playdemo = itest' 'autopause = 1'
start_game 150
wait_for boot.log "DemoPlay: playing demos/itest.skd" 30
wait_window
xmessage -geometry +700+0 elsewhere &
MESSAGE_PID=$!
away=$(timeout 10 xdotool search --sync --name '^xmessage$' | head -n 1)
xdotool windowfocus --sync "$away" 2>/dev/null || xdotool windowfocus "$away"
wait_for boot.log "Demo itest: score" 120
wait_game 0
kill "$MESSAGE_PID" 2>/dev/null
grep -q "Demo itest: playback matches the recording" boot.log ||
    fail "a playback that lost the focus went out of step"
replay timedemo itest "$recorded"
grep -q "timedemo itest: [0-9]* frames in [0-9.]* seconds, [0-9.]* fps" boot.log ||
    fail "no timedemo figures"
grep -q "timedemo itest: frame time median [0-9.]* ms, 99th percentile" boot.log ||
    fail "no timedemo percentiles"

head -c 2000 /dev/urandom > demos/broken.skd
windowed 'timedemo = broken'
run_game 60 1
[ "$(grep -c "DemoPlay: demos/broken.skd: not a demo file" error.log)" -eq 1 ] ||
    fail "no single error line for the broken demo"
echo "demo: ok ($recorded)"
