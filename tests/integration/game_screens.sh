# The game as a player sees it: the attract scene behind the title menu, a level in play and a
# dark level, each captured from the real program under Xvfb, and the warp-in explosion at the
# start of a level. Each picture must show a lit, varied scene (not a blank or single-colour
# screen). Set SKX_SHOT_DIR to keep the pictures.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
skx_setup "$1" "$2"
start_xvfb

press() { xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"; }

# shot NAME: the screen as NAME.png; prints its mean brightness (0..1) and its colour count.
shot() {
    import -window root "$1.png" || fail "import failed for $1"
    [ -n "${SKX_SHOT_DIR:-}" ] && mkdir -p "$SKX_SHOT_DIR" && cp "$1.png" "$SKX_SHOT_DIR/"
    convert "$1.png" -crop 640x480+0+0 +repage "$1.crop.png"
    mean=$(convert "$1.crop.png" -colorspace Gray -format '%[fx:mean]' info:)
    colours=$(identify -format '%k' "$1.crop.png")
    echo "$1: mean $mean, $colours colours"
}

# run_level LEVEL NAME: a game started at LEVEL, flown and fired for a moment, then captured.
run_level() {
    rm -f boot.log
    printf 'fscreen = 0\nwidth = 640\nheight = 480\nlevel = %s\nmaxfps = 60\n' "$1" > vantor.ini
    start_game 90
    wait_for boot.log "Server initialization complete" 60
    win=$(xdotool search --sync --name Skarnex3D | head -n 1)
    [ -n "$win" ] || fail "no window"
    xdotool windowfocus "$win" 2>/dev/null
    sleep 1
    if [ "$1" = 1 ]; then
        shot attract
        attract_mean=$mean
        attract_colours=$colours
    fi
    press space 0.2
    # The banner shows for 1.5 s; the level opens with the warp-in explosion at the centre.
    sleep 1.6
    [ "$1" = 1 ] && shot warpin
    # Then thrust, turn and fire so that trails and lights show.
    sleep 0.4
    xdotool keydown Up
    press Left 0.3
    xdotool keydown space
    sleep 0.6
    shot "$2"
    xdotool keyup space keyup Up
    kill -0 "$SKX_PID" 2>/dev/null || fail "the program died during level $1"
    kill -TERM "$SKX_PID"
    wait_game
    [ "$STATUS" -eq 0 ] || fail "level $1 run exited with $STATUS"
    ! grep -q "Out of memory\|Out of lights" error.log 2>/dev/null || fail "a pool ran out"
}

run_level 1 normal
normal_mean=$mean
normal_colours=$colours
run_level 3 dark
dark_mean=$mean

awk "BEGIN { exit !($attract_mean > 0.03) }" || fail "attract scene is nearly black ($attract_mean)"
[ "$attract_colours" -gt 500 ] || fail "attract scene has only $attract_colours colours"
awk "BEGIN { exit !($normal_mean > 0.02) }" || fail "level scene is nearly black ($normal_mean)"
[ "$normal_colours" -gt 500 ] || fail "level scene has only $normal_colours colours"
awk "BEGIN { exit !($dark_mean > 0.01) }" || fail "dark level is black ($dark_mean)"
echo "game_screens: ok"
