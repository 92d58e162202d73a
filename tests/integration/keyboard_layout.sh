# A German keyboard under Xvfb (setxkbmap de): the quit prompt takes the key labelled Y, which sits
# where a US keyboard has Z; the key labelled Z (the US Y position) is no answer.
. "$SKX_SOURCE_DIR/tests/integration/lib/common.sh"
. "$SKX_SOURCE_DIR/tests/integration/lib/screens.sh"
skx_setup "$1" "$2"
start_xvfb
setxkbmap de || fail "setxkbmap de failed"

printf 'fscreen = 0\nwidth = 640\nheight = 480\nmaxfps = 60\n' > vantor.ini
start_game 90
wait_for boot.log "Server initialization complete" 60
wait_window

hold Escape
# xdotool types by symbol: z is the key in the US Y position on this layout.
hold z
hold z
alive "after the key labelled Z on the quit prompt"
quit_with_y
echo "keyboard_layout: ok"
