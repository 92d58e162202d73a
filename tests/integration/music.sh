# The music path end to end: with the sound effects off the music has SDL's disk driver to itself;
# the generator's test track 2 (peak 0.5) plays, and when it ends the device is reopened (the disk
# driver starts its file afresh) for track 3, whose peak is 0.25. Then the music follows the game:
# the title piece on the title, and when Space starts a game on a dark level it fades out and the
# dark piece follows.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
. "$SKX_SOURCE_DIR/tests/integration/lib/screens.sh"
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

# Pieces of known levels: 2 the title piece (0.5), 3 a play track, 4 the dark piece (0.1).
rm -rf music out.raw
mkdir music
for t in 2:0.5 3:0.25 4:0.1; do
    sox -n -r 44100 -c 2 -b 16 "music/track0${t%:*}.wav" synth 30 sine 330 vol "${t#*:}" ||
        fail "sox could not make the tracks"
done
settings 'fscreen = 0' 'width = 640' 'height = 480' 'sfx = 0' 'playcd = 1' 'cdvolume = 65535' \
    'musicfollow = 1' 'titletrack = 2' 'darktrack = 4' 'level = 3'
start_window 60
wait_until 20 holds 176400 title.raw || fail "not half a second of the title piece in out.raw"
last=$(size)
hold space
# The last copy before the file starts afresh ends with the title piece's fade.
fading() { restarted || { cp out.raw before.raw; false; }; }
wait_until 20 fading || fail "out.raw did not start afresh for the dark piece"
wait_until 20 holds 176400 dark.raw || fail "not half a second of the dark piece in out.raw"
kill -TERM "$SKX_PID"
wait_game 0
t=$(peak title.raw)
d=$(peak dark.raw)
# Its last half second in 50 ms windows: a fade leaves windows between full level and silence.
f=$(tail -c 176400 before.raw | od -An -v -tf4 -w4 |
    awk '{ v = $1 < 0 ? -$1 : $1; if (v > m) m = v }
         ++n == 4410 { if (m > 0.1 && m < 0.4) k++; m = n = 0 } END { print k + 0 }')
[ "$t" -ge 400 ] && [ "$t" -le 600 ] || fail "the title plays a piece peaking at $t/1000, not 500"
[ "$d" -ge 50 ] && [ "$d" -le 150 ] || fail "the dark level plays a piece peaking at $d/1000, not 100"
[ "$f" -ge 2 ] || fail "the title piece did not fade out: $f windows between full and silent"
echo "music: ok (peaks $a and $b thousandths; title $t, dark $d; $f windows of the fade)"
