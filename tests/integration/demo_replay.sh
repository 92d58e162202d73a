# The shipped demos (data/demos/NAME.skd) replay exactly: the timedemo of each ends with the
# outcome logged when it was recorded (NAME.outcome beside it). A failure means a game rule or a
# random draw changed: if that was the intent, record the demos again with scripts/record-demos
# and commit them with the change.
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
    replay timedemo "$name" "$expected"
    echo "$expected"
    count=$((count + 1))
done
[ "$count" -ge 2 ] || fail "only $count shipped demos in data/demos"
echo "demo_replay: ok ($count demos)"
