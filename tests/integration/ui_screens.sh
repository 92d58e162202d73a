# The screens of the real program under Xvfb, driven by real key presses: the title menu with the
# high-score list over the attract scene, Space starting a game (level banner, then the HUD),
# Escape opening the quit prompt over the game through its binding and the quit command, N
# closing it, and Escape then Y ending the program in order with exit status 0. Set SKX_SHOT_DIR
# to keep the screenshots.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
. "$SKX_SOURCE_DIR/tests/integration/lib/screens.sh"
skx_setup "$1" "$2"
start_xvfb
SHOT_PREFIX=ui_

# No hiscore.tbl: the menu shows the default table, and no file appears until a name is entered.
settings 'fscreen = 0' 'width = 640' 'height = 480' 'maxfps = 60'
start_game 120
wait_for boot.log "Server initialization complete" 60
wait_window

wait_shot menu 20 is_menu
# The default table: five rows, each with a name and a score.
for i in 0 1 2 3 4; do
    above "$(white menu $(row_area $i))" 0.03 || fail "row $i of the high-score list is empty"
done
# The attract scene moves behind the menu: the list stays (its text; the scene shows faintly
# through the panel), the scene changes.
sleep 0.5
shot menu2
above "$(changed menu menu2 0 100 640 180)" 0.01 || fail "the attract scene does not move"
[ "$(text_changed menu menu2 $LIST_AREA)" = 0 ] || fail "the high-score list changed by itself"

hold space
wait_shot banner 20 is_banner
wait_shot hud 20 is_hud
# The banner's text went and the score and lives appeared where the banner had nothing.
above "$(changed banner hud $BANNER_AREA)" 0.05 || fail "the level banner stayed on the HUD"
above "$(changed banner hud $SCORE_AREA)" 0.05 || fail "no score on the HUD"
above "$(changed banner hud $LIVES_AREA)" 0.05 || fail "no lives on the HUD"
alive "after the start of a game"

# Escape in play runs its bound command, quit, which opens the prompt over the game.
hold Escape
wait_shot prompt 20 has_prompt
is_hud prompt || fail "the HUD went under the quit prompt"
hold n
wait_shot noprompt 20 no_prompt
is_hud noprompt || fail "no HUD after the quit prompt closed"
alive "after N on the quit prompt"

hold Escape
wait_shot prompt2 20 has_prompt
quit_with_y
[ -e hiscore.tbl ] && fail "hiscore.tbl was written although no name was entered"
echo "ui_screens: ok"
