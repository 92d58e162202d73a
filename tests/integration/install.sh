# `cmake --install` into a scratch prefix; the launcher creates the per-user directory with the
# default settings and links to the assets, then runs the game there.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
skx_setup "$1" "$2"
build=$(dirname "$(dirname "$PROGRAM")")
cmake --install "$build" --prefix "$WORK/prefix" >install.txt 2>&1 || fail "cmake --install failed"
for f in bin/skarnex3d libexec/skarnex3d/skarnex3d share/applications/skarnex3d.desktop \
    share/icons/hicolor/scalable/apps/skarnex3d.svg; do
    [ -e "$WORK/prefix/$f" ] || fail "$f not installed"
done
for d in texture model sound; do
    if [ -d "$RUNDIR/$d" ]; then
        [ -d "$WORK/prefix/share/skarnex3d/$d" ] || fail "assets $d not installed"
    fi
done

start_xvfb
export XDG_DATA_HOME="$WORK/xdg"
user="$XDG_DATA_HOME/skarnex3d"
PROGRAM="$WORK/prefix/bin/skarnex3d"
start_game 60
wait_for "$user/boot.log" "Server initialization complete" 40
kill -TERM "$SKX_PID"
wait_game
[ "$STATUS" -eq 0 ] || fail "installed game exited with $STATUS"
[ -f "$user/vantor.ini" ] || fail "no default vantor.ini in the user directory"
cmp -s "$user/vantor.ini" "$SKX_SOURCE_DIR/data/vantor.ini" || fail "vantor.ini is not the default"
grep -q 'LogUnInit: Releasing critical section' "$user/boot.log" || fail "no orderly shutdown"
# A second start keeps the player's own settings.
echo "fps = 1" >> "$user/vantor.ini"
rm -f "$user/boot.log"
start_game 60
wait_for "$user/boot.log" "Server initialization complete" 40
kill -TERM "$SKX_PID"
wait_game
[ "$STATUS" -eq 0 ] || fail "second start exited with $STATUS"
grep -q '^fps = 1$' "$user/vantor.ini" || fail "launcher overwrote the player's settings"
echo "install: ok"
