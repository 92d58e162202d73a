# The Debian package as a player gets it: built with cpack, installed with apt, started from its
# desktop entry's Exec line with the shipped settings (music on), then removed without a trace.
# It changes the system, so it needs root and a machine without another copy of the game.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
skx_setup "$1" "$2"
if [ "$(id -u)" -ne 0 ]; then
    echo "package: SKIPPED, installing a package needs root"
    exit 77
fi
if dpkg -s skarnex3d >/dev/null 2>&1; then
    echo "package: SKIPPED, skarnex3d is already installed on this machine"
    exit 77
fi
build=$(dirname "$(dirname "$PROGRAM")")
(cd "$build" && cpack -G DEB -B "$WORK/pkg") >cpack.txt 2>&1 || { cat cpack.txt; fail "cpack failed"; }
deb=$(ls "$WORK"/pkg/skarnex3d_*.deb)
apt_get() { DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=120 -y -q "$@"; }
apt_get install "$deb" >apt.txt 2>&1 || { cat apt.txt; fail "apt-get install failed"; }
# From here on the package comes off again, whatever happens.
trap 'apt_get purge skarnex3d >/dev/null 2>&1; skx_cleanup' EXIT
dpkg -L skarnex3d | sort >files.txt
for f in /usr/bin/skarnex3d /usr/libexec/skarnex3d/skarnex3d /usr/share/skarnex3d/vantor.ini \
    /usr/share/skarnex3d/texture/ship.bmp /usr/share/skarnex3d/sound/explode.wav \
    /usr/share/skarnex3d/music/track02.ogg /usr/share/skarnex3d/music/track06.ogg \
    /usr/share/applications/skarnex3d.desktop /usr/share/icons/hicolor/scalable/apps/skarnex3d.svg \
    /usr/share/man/man6/skarnex3d.6.gz /usr/share/metainfo/org.example.skarnex3d.metainfo.xml; do
    grep -qx "$f" files.txt && [ -f "$f" ] || fail "$f is not installed by the package"
done

start_xvfb
export HOME="$WORK/home"
unset XDG_DATA_HOME
mkdir -p "$HOME"
PROGRAM=$(sed -n 's/^Exec=//p' /usr/share/applications/skarnex3d.desktop | sed 's/ *%[fFuU]//g')
user="$HOME/.local/share/skarnex3d"
start_game 60
wait_for "$user/boot.log" "Server initialization complete" 40
kill -TERM "$SKX_PID"
wait_game
[ "$STATUS" -eq 0 ] || fail "the installed game exited with $STATUS"
grep -q 'CDAudioInit: starting cdaudio' "$user/boot.log" || fail "the shipped settings leave the music off"
cmp -s "$user/music/track02.ogg" /usr/share/skarnex3d/music/track02.ogg || fail "no soundtrack in $user/music"

apt_get purge skarnex3d >apt.txt 2>&1 || { cat apt.txt; fail "apt-get purge failed"; }
trap 'skx_cleanup' EXIT
! dpkg -s skarnex3d >/dev/null 2>&1 || fail "skarnex3d is still registered with dpkg"
while read -r f; do
    case $f in /. | /usr | /usr/bin | /usr/libexec | /usr/share | /usr/share/applications | \
        /usr/share/icons* | /usr/share/man | /usr/share/man/man6 | /usr/share/metainfo | \
        /usr/share/doc) continue ;;
    esac
    [ ! -e "$f" ] || fail "$f is left after removal"
done <files.txt
echo "package: ok"
