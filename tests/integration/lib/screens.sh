# Shared by the scripts that drive the game's screens with real input: the game window, keys
# held across frames, screenshots of the window and checks on regions of them (window pixels,
# origin top-left). Needs common.sh first and a running program (start_game).
# shellcheck disable=SC2086 # the *_AREA values are split into X Y W H on purpose

# geometry WxH: the window has that size.
geometry() {
    [ "$(xdotool getwindowgeometry "$WIN" 2>/dev/null | sed -n 's/.*Geometry: //p')" = "$1" ]
}

# wait_window: the game window's id in WIN, focused so that key events reach it.
wait_window() {
    WIN=$(timeout 60 xdotool search --sync --name '^Skarnex3D$' 2>/dev/null | head -n 1)
    [ -n "$WIN" ] || fail "no window named Skarnex3D"
    xdotool windowfocus --sync "$WIN" 2>/dev/null || xdotool windowfocus "$WIN" 2>/dev/null
}

# start_window [SECONDS]: start_game, then the end of start-up and the window (wait_window).
start_window() {
    start_game "${1:-120}"
    wait_for boot.log "Server initialization complete" 60
    wait_window
}

# hold KEY [SECONDS]: the key down across several frames (the keyboard is polled once a frame),
# then up, then a short pause so that the release is polled before the next key.
hold() {
    xdotool keydown "$1"
    sleep "${2:-0.25}"
    xdotool keyup "$1"
    sleep 0.15
}

# type_slowly TEXT: each character of TEXT (letters and digits) held across a frame.
type_slowly() {
    for c in $(echo "$1" | sed 's/./& /g'); do
        hold "$c"
    done
}

# alive: fails unless the program still runs.
alive() {
    kill -0 "$SKX_PID" 2>/dev/null || fail "the program ended unexpectedly ($1)"
}

# shot NAME: the window as NAME.png (copied to $SKX_SHOT_DIR when set).
shot() {
    import -window "$WIN" "$1.png" 2>/dev/null || fail "screenshot $1 failed"
    if [ -n "${SKX_SHOT_DIR:-}" ]; then
        mkdir -p "$SKX_SHOT_DIR" && cp "$1.png" "$SKX_SHOT_DIR/${SHOT_PREFIX:-}$1.png"
    fi
}

# share FX NAME X Y W H: the share (0..1) of the pixels in the rectangle for which FX holds.
# white: near-white (text); yellow: red and green high, blue low; grey: plain grey of medium or
# high brightness (the metal of the quit prompt's button).
share() {
    convert "$2.png" -crop "${5}x${6}+${3}+${4}" +repage -fx "$1" -format '%[fx:mean]' info:
}
white() { share 'r > 0.8 && g > 0.8 && b > 0.8' "$@"; }
yellow() { share 'r > 0.7 && g > 0.7 && b < 0.35' "$@"; }
grey() { share 'min(r, min(g, b)) > 0.22 && max(r, max(g, b)) - min(r, min(g, b)) < 0.1' "$@"; }

# changed A B X Y W H: the share of pixels that differ clearly between two screenshots.
changed() {
    n=$(compare -metric AE -fuzz 15% -extract "${5}x${6}+${3}+${4}" "$1.png" "$2.png" null: 2>&1)
    n=${n%% *}
    awk "BEGIN { printf \"%.4f\", ${n%.*} / ($5 * $6) }"
}

# text_changed A B X Y W H: how many pixels in the rectangle are white text in one screenshot and
# not in the other (moving scenery behind the text does not count).
text_changed() {
    convert "$1.png" "$2.png" -crop "${5}x${6}+${3}+${4}" +repage \
        -fx '(u.r > 0.9 && u.g > 0.9 && u.b > 0.9) != (v.r > 0.9 && v.g > 0.9 && v.b > 0.9)' \
        -format '%[fx:round(mean * w * h)]' info:
}

# lit NAME MEAN COLOURS: screenshot NAME shows a lit, varied scene: a mean brightness (0..1) above
# MEAN and more than COLOURS colours (not a blank or single-colour screen).
lit() {
    m=$(convert "$1.png" -colorspace Gray -format '%[fx:mean]' info:)
    k=$(identify -format '%k' "$1.png")
    echo "$1: mean $m, $k colours"
    above "$m" "$2" && [ "$k" -gt "$3" ] || fail "$1 is not a lit scene: mean $m, $k colours"
}

# above VALUE LIMIT: true when VALUE > LIMIT (decimal fractions).
above() {
    awk "BEGIN { exit !($1 > $2) }"
}

# Screen areas of the menu and the overlays in a 640 x 480 window.
LIST_AREA="215 308 230 66"     # the five rows of the high-score list
PRESS_AREA="170 428 300 24"    # "Press Spacebar to Play!"
BANNER_AREA="250 225 140 30"   # "Level NN"
LIVES_AREA="0 0 120 24"        # "Lives: N"
SCORE_AREA="470 0 170 24"      # "Score: NNNNNN"
SCORE_DIGITS_AREA="555 0 85 24" # the digits of the score
PROMPT_AREA="225 355 190 40"   # inside the quit prompt's button
NAME_LABEL_AREA="150 270 340 50" # "Please Enter your Name"
# shellcheck disable=SC2034 # for play.sh
EDIT_AREA="225 345 190 40"     # the name-entry text field
CROSS_AREA="308 121 24 24"     # around the cockpit crosshair (at 320, 133)
# shellcheck disable=SC2034 # for gamemenu.sh
GAME_MENU_AREA="204 238 232 104" # the game menu's four items

# Which screen a screenshot NAME shows, judged by its text.
is_menu() {
    above "$(white "$1" $LIST_AREA)" 0.01 && above "$(white "$1" $PRESS_AREA)" 0.03
}
is_banner() {
    above "$(white "$1" $BANNER_AREA)" 0.02 && ! above "$(white "$1" $LIST_AREA)" 0.005 \
        && ! above "$(white "$1" $PRESS_AREA)" 0.005
}
is_hud() {
    above "$(white "$1" $LIVES_AREA)" 0.03 && above "$(white "$1" $SCORE_AREA)" 0.03 \
        && ! above "$(white "$1" $BANNER_AREA)" 0.01
}
is_name_entry() {
    above "$(white "$1" $NAME_LABEL_AREA)" 0.02 && ! above "$(white "$1" $SCORE_AREA)" 0.01
}
# has_crosshair NAME: the cockpit's green cross at the aim point, above the middle of a 640 x 480
# window.
has_crosshair() {
    above "$(share 'g > 0.9 && r > 0.45 && r < 0.8 && b > 0.45 && b < 0.8' "$1" $CROSS_AREA)" 0.03
}
has_prompt() {
    above "$(grey "$1" $PROMPT_AREA)" 0.8
}
no_prompt() {
    ! above "$(grey "$1" $PROMPT_AREA)" 0.3
}
# scored NAME: the score's digits differ from those of the screenshot "hud".
scored() {
    [ "$(text_changed hud "$1" $SCORE_DIGITS_AREA)" -gt 12 ]
}

# row_area I: the rectangle of row I of the high-score list.
row_area() {
    echo "215 $((308 + 13 * $1)) 230 13"
}

# wait_shot NAME SECONDS TEST...: takes screenshots NAME until the command TEST NAME holds;
# fails after SECONDS.
wait_shot() {
    shot_name=$1
    shot_limit=$2
    shift 2
    wait_until "$shot_limit" shot_is "$shot_name" "$@" || fail "timed out waiting for $shot_name ($*)"
}
shot_is() {
    alive "waiting for $1"
    shot "$1"
    shot_test=$1
    shift
    "$@" "$shot_test"
}

# quit_with_y: Y on the open quit prompt ends the program (clean_exit).
quit_with_y() {
    hold y
    clean_exit "Y on the quit prompt"
}

# clean_exit WHAT: after WHAT the program ends: exit status 0, the shutdown lines in order with the
# log's own last, and nothing in error.log.
clean_exit() {
    wait_until 30 gone || fail "$1 did not end the program"
    wait_game 0
    in_order boot.log "Server initialization complete" "Average Frames per Second" \
        "WM_DESTROY: Releasing window context" "WaveUnInit: Restoring original volume settings" \
        "InputUnInit: Freeing input index storage" "LogUnInit: Releasing critical section"
    tail -n 1 boot.log | grep -q "LogUnInit: Releasing critical section" \
        || fail "the boot log does not end with the log's shutdown"
    [ -s error.log ] && fail "unexpected error log: $(cat error.log)"
    return 0
}
