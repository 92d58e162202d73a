# `cmake --install` and the launcher's per-user directory; then the Debian package as a player
# gets it, from cpack to purge. That part changes the system, so it needs root and a machine
# without another copy of the game; elsewhere it is skipped.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
skx_setup "$1" "$2"
build=$(dirname "$(dirname "$PROGRAM")")
cmake --install "$build" --prefix "$WORK/prefix" >install.txt 2>&1 || fail "cmake --install failed"
for f in games/skarnex3d libexec/skarnex3d/skarnex3d share/applications/skarnex3d.desktop \
    share/icons/hicolor/scalable/apps/skarnex3d.svg share/doc/skarnex3d/copyright \
    share/doc/skarnex3d/changelog.gz; do
    [ -e "$WORK/prefix/$f" ] || fail "$f not installed"
done
for d in texture model sound; do
    if [ -d "$RUNDIR/$d" ]; then
        [ -d "$WORK/prefix/share/games/skarnex3d/$d" ] || fail "assets $d not installed"
    fi
done
# The desktop entry starts the launcher of this prefix.
grep -qx "Exec=$WORK/prefix/games/skarnex3d" "$WORK/prefix/share/applications/skarnex3d.desktop" ||
    fail "the desktop entry does not name $WORK/prefix/games/skarnex3d"

start_xvfb
export XDG_DATA_HOME="$WORK/xdg"
user="$XDG_DATA_HOME/skarnex3d"
PROGRAM="$WORK/prefix/games/skarnex3d"
start_game 60
stop_game "$user/boot.log"
[ -f "$user/vantor.ini" ] || fail "no default vantor.ini in the user directory"
cmp -s "$user/vantor.ini" "$SKX_SOURCE_DIR/data/vantor.ini" || fail "vantor.ini is not the default"
# A second start keeps the player's own settings.
echo "fps = 1" >> "$user/vantor.ini"
rm -f "$user/boot.log"
start_game 60
stop_game "$user/boot.log"
grep -q '^fps = 1$' "$user/vantor.ini" || fail "launcher overwrote the player's settings"
if [ "$(id -u)" -ne 0 ] || dpkg -s skarnex3d >/dev/null 2>&1; then
    echo "install: ok; package: SKIPPED (it needs root and no installed skarnex3d)"
    exit 0
fi

(cd "$build" && cpack -G DEB -B "$WORK/pkg") >cpack.txt 2>&1 || { cat cpack.txt; fail "cpack failed"; }
deb=$(ls "$WORK"/pkg/skarnex3d_*.deb)
apt_get() { DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=120 -y -q "$@"; }
apt_get install "$deb" >apt.txt 2>&1 || { cat apt.txt; fail "apt-get install failed"; }
# From here on the package comes off again, whatever happens.
trap 'apt_get purge skarnex3d >/dev/null 2>&1; skx_cleanup' EXIT
dpkg -L skarnex3d | sort >files.txt
share=/usr/share/games/skarnex3d
for f in /usr/games/skarnex3d /usr/libexec/skarnex3d/skarnex3d $share/vantor.ini \
    $share/texture/ship.bmp $share/sound/explode.wav $share/music/track02.ogg \
    $share/music/track06.ogg /usr/share/applications/skarnex3d.desktop \
    /usr/share/icons/hicolor/scalable/apps/skarnex3d.svg /usr/share/man/man6/skarnex3d.6.gz \
    /usr/share/metainfo/org.example.skarnex3d.metainfo.xml /usr/share/doc/skarnex3d/copyright \
    /usr/share/doc/skarnex3d/changelog.gz /usr/share/lintian/overrides/skarnex3d; do
    grep -qx "$f" files.txt && [ -f "$f" ] || fail "$f is not installed by the package"
done

export HOME="$WORK/home"
unset XDG_DATA_HOME
mkdir -p "$HOME"
PROGRAM=$(sed -n 's/^Exec=//p' /usr/share/applications/skarnex3d.desktop | sed 's/ *%[fFuU]//g')
user="$HOME/.local/share/skarnex3d"
start_game 60
stop_game "$user/boot.log"
grep -q 'CDAudioInit: starting cdaudio' "$user/boot.log" || fail "the shipped settings leave the music off"
cmp -s "$user/music/track02.ogg" $share/music/track02.ogg || fail "no soundtrack in $user/music"

apt_get purge skarnex3d >apt.txt 2>&1 || { cat apt.txt; fail "apt-get purge failed"; }
trap 'skx_cleanup' EXIT
! dpkg -s skarnex3d >/dev/null 2>&1 || fail "skarnex3d is still registered with dpkg"
while read -r f; do
    case $f in /. | /usr | /usr/games | /usr/libexec | /usr/share | /usr/share/applications | \
        /usr/share/icons* | /usr/share/man | /usr/share/man/man6 | /usr/share/metainfo | \
        /usr/share/doc | /usr/share/games | /usr/share/lintian | /usr/share/lintian/overrides) continue ;;
    esac
    [ ! -e "$f" ] || fail "$f is left after removal"
done <files.txt
echo "install: ok; package: ok"
