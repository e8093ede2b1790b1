#!/usr/bin/env bash
# Runs one test program on an 8-bit (256-colour, PseudoColor) X server of its
# own, with a Wine prefix of its own (a Wine session belongs to one display),
# and dumps the X server's screen with xwd whenever the program asks for it.
#   run_screen8.sh <test program> [arguments]
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
program=$1; shift
source "$root/scripts/wine-env"
export WINEPREFIX="$BUILD_DIR/wineprefix-screen8"
exchange=$(mktemp -d "$BUILD_DIR/screen8.XXXXXX")
windows=${exchange//\//\\}
export XWD_DIR="Z:$windows"
export WINEPATH_EXCHANGE="$exchange" ROOT="$root"

xvfb-run -a -s "-screen 0 1024x768x8" bash -c '
    exchange=$WINEPATH_EXCHANGE
    # Made on this display: Wine keeps the screen mode it first saw.
    "$ROOT/scripts/wine-prefix" || exit 1
    wineserver -p </dev/null >/dev/null 2>&1
    wine cmd /c exit </dev/null >/dev/null 2>&1
    # The dump the test program asks for by creating "request".
    ( while :; do
        if [ -f "$exchange/request" ] && [ ! -f "$exchange/done" ]; then
            xwd -root -silent -out "$exchange/screen.xwd" && touch "$exchange/done"
        fi
        sleep 0.1
      done ) &
    dumper=$!
    timeout 200 wine "$@"
    status=$?
    kill $dumper
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    exit $status
' screen8 "$program" "$@"
status=$?
rm -rf "$exchange"
exit $status
