# The drawing of a game in play stays the same: frame 180 of the shipped demo "early" (the ship,
# the pick-ups and the HUD over the sky, which in this frame comes from its copy: the camera has
# held still since frame 148) against tests/demo_frame.png, taken with the draw code before the
# frame-rate work. A faster draw path may move at most 0.5 % of the pixels; after a change meant
# to alter the picture, replace the reference with the new screenshot.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
skx_setup "$1" "$2"
start_xvfb
mkdir demos
cp "$SKX_SOURCE_DIR/data/demos/early.skd" demos/
settings 'fscreen = 0' 'width = 640' 'height = 480' 'timedemo = early' 'demoshot = 180'
run_game 150 0
grep -q "DemoPlay: screenshot of frame 180" boot.log || fail "no screenshot line in boot.log"
shot=$(ls screenshots/*.png 2>/dev/null | head -n 1)
[ -n "$shot" ] || fail "no screenshot was written"
differ=$(compare -metric AE "$shot" "$SKX_SOURCE_DIR/tests/demo_frame.png" null: 2>&1)
[ -n "${SKX_SHOT_DIR:-}" ] && cp "$shot" "$SKX_SHOT_DIR/demo_frame.png"
[ "$differ" -le 1536 ] 2>/dev/null ||
    fail "frame 180 of the demo differs from tests/demo_frame.png in $differ of 307200 pixels"
echo "demo_frame: ok ($differ pixels differ)"
