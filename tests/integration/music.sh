# The music path end to end: with the sound effects off the music has SDL's disk driver to itself;
# the generator's test track 2 (peak 0.5) plays, and when it ends the device is reopened (the disk
# driver starts its file afresh) for track 3, whose peak is 0.25.
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

settings 'fscreen = 0' 'sfx = 0' 'playcd = 1' 'random = 0' 'cdvolume = 65535'
start_game 60
wait_for boot.log "CDAudioInit: asynchronous track changes enabled" 40
# 44100 stereo float frames are 352800 bytes a second. Take a second of the first track, see the
# file start again, take half a second of the next.
size() { stat -c %s out.raw 2>/dev/null || echo 0; }
holds() { [ "$(size)" -ge "$1" ] && cp out.raw "$2"; }
restarted() { now=$(size); [ "$now" -lt "$last" ] || { last=$now; false; }; }
wait_until 20 holds 352800 first.raw || fail "not a second of music in out.raw"
last=$(size)
wait_until 20 restarted || fail "out.raw did not start afresh for the next track"
wait_until 20 holds 176400 next.raw || fail "not half a second of the next track in out.raw"
kill -TERM "$SKX_PID"
wait_game 0
grep -q 'WaveInit: sfx setting is 0, sound effects off' boot.log || fail "sound effects not off"
a=$(peak first.raw)
b=$(peak next.raw)
[ "$a" -ge 400 ] && [ "$a" -le 600 ] || fail "first track peaks at $a/1000, expected track 2 (500)"
[ "$b" -ge 150 ] && [ "$b" -le 350 ] || fail "next track peaks at $b/1000, expected track 3 (250)"
echo "music: ok (peaks $a and $b thousandths)"
