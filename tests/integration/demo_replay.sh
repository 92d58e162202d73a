# The shipped demos (data/demos/NAME.skd) replay exactly: each timedemo ends with the outcome
# logged when it was recorded (NAME.outcome). A failure means a game rule or a random draw changed:
# if that was the intent, record them again with scripts/record-demos. And frame 180 of "early" may
# differ from tests/demo_frame.png in at most 0.5 % of its pixels; after a change meant to alter
# the picture, or a new recording of early, replace the reference with the new screenshot
# (build/demo_frame.png), looked at first.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
skx_setup "$1" "$2"
start_xvfb
mkdir demos
count=0
for demo in "$SKX_SOURCE_DIR"/data/demos/*.skd; do
    [ -f "$demo" ] || continue
    name=$(basename "$demo" .skd)
    cp "$demo" demos/
    expected=$(cat "${demo%.skd}.outcome") || fail "no ${demo%.skd}.outcome beside $demo"
    rm -rf screenshots
    replay timedemo "$name" "$expected" 'demoshot = 180'
    if [ "$name" = early ]; then
        grep -q "DemoPlay: screenshot of frame 180" boot.log || fail "no screenshot line in boot.log"
        cp screenshots/*.png frame.png || fail "not one screenshot of the demo"
        [ -n "${SKX_SHOT_DIR:-}" ] && cp frame.png "$SKX_SHOT_DIR/demo_frame.png"
        differ=$(compare -metric AE frame.png "$SKX_SOURCE_DIR/tests/demo_frame.png" null: 2>&1)
        [ "$differ" -le 1536 ] 2>/dev/null ||
            fail "frame 180 of early differs from tests/demo_frame.png in $differ of 307200 pixels"
    fi
    echo "$expected"
    count=$((count + 1))
done
[ "$count" -ge 2 ] || fail "only $count shipped demos in data/demos"
[ -f frame.png ] || fail "no demo named early in data/demos"
echo "demo_replay: ok ($count demos)"
