# The game as a player sees it: the attract scene behind the title menu, a level in play and a
# dark level, each captured from the real program under Xvfb, and the warp-in explosion at the
# start of a level. Each picture must show a lit, varied scene (not a blank or single-colour
# screen). Set SKX_SHOT_DIR to keep the pictures.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
. "$SKX_SOURCE_DIR/tests/integration/lib/screens.sh"
skx_setup "$1" "$2"
start_xvfb

# measure NAME: the window as NAME.png; its mean brightness (0..1) and its colour count.
measure() {
    shot "$1"
    mean=$(convert "$1.png" -colorspace Gray -format '%[fx:mean]' info:)
    colours=$(identify -format '%k' "$1.png")
    echo "$1: mean $mean, $colours colours"
}

# run_level LEVEL NAME: a game started at LEVEL, flown and fired for a moment, then captured.
run_level() {
    rm -f boot.log
    settings 'fscreen = 0' 'width = 640' 'height = 480' "level = $1" 'maxfps = 60'
    start_game 90
    wait_for boot.log "Server initialization complete" 60
    wait_window
    sleep 1
    if [ "$1" = 1 ]; then
        measure attract
        attract_mean=$mean
        attract_colours=$colours
    fi
    hold space 0.2
    # The banner shows for 1.5 s; the level opens with the warp-in explosion at the centre.
    sleep 1.6
    [ "$1" = 1 ] && measure warpin
    # Then thrust, turn and fire so that trails and lights show.
    sleep 0.4
    xdotool keydown Up
    hold Left 0.3
    xdotool keydown space
    sleep 0.6
    measure "$2"
    xdotool keyup space keyup Up
    alive "during level $1"
    stop_game
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
