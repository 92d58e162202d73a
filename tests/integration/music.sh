# The music path end to end: the real program, with the sound effects off so the music has SDL's
# disk driver to itself, plays the generator's two short test tracks. Sound comes out of track 2
# (peak 0.5), and when it ends the device is reopened for track 3 (the disk driver starts its file
# afresh), whose peak is 0.25.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
export SDL_AUDIODRIVER=disk
skx_setup "$1" "$2"
build=$(dirname "$(dirname "$PROGRAM")")
rm -f music
"$build/tools/skx_musicgen" --test . >musicgen.txt || fail "skx_musicgen --test failed"
export SDL_DISKAUDIOFILE="$WORK/out.raw"
start_xvfb

# peak FILE: the largest magnitude of the float samples in FILE, in thousandths.
peak() {
    od -An -v -tf4 -w4 "$1" | awk '{ v = $1 < 0 ? -$1 : $1; if (v > m) m = v }
                                    END { printf "%d\n", m * 1000 }'
}

printf 'fscreen = 0\nsfx = 0\nplaycd = 1\nrandom = 0\ncdvolume = 65535\n' > vantor.ini
start_game 60
wait_for boot.log "CDAudioInit: asynchronous track changes enabled" 40
# 44100 stereo float frames are 352800 bytes a second. Take a second of the first track, see the
# file start again, take half a second of the next.
phase=first
size=0
i=0
while [ $i -lt 400 ] && [ $phase != done ]; do
    now=$(stat -c %s out.raw 2>/dev/null || echo 0)
    case $phase in
        first) [ "$now" -ge 352800 ] && cp out.raw first.raw && phase=wait ;;
        wait) [ "$now" -lt "$size" ] && phase=next ;;
        next) [ "$now" -ge 176400 ] && cp out.raw next.raw && phase=done ;;
    esac
    size=$now
    sleep 0.05
    i=$((i + 1))
done
kill -TERM "$SKX_PID"
wait_game
[ "$phase" = done ] || fail "music output stopped in phase '$phase' (file size $size)"
[ "$STATUS" -eq 0 ] || fail "run exited with $STATUS"
grep -q 'WaveInit: sfx setting is 0, sound effects off' boot.log || fail "sound effects not off"
a=$(peak first.raw)
b=$(peak next.raw)
[ "$a" -ge 400 ] && [ "$a" -le 600 ] || fail "first track peaks at $a/1000, expected track 2 (500)"
[ "$b" -ge 150 ] && [ "$b" -le 350 ] || fail "next track peaks at $b/1000, expected track 3 (250)"
echo "music: ok (peaks $a and $b thousandths)"
