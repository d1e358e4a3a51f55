#!/usr/bin/env bash
# The main job, end to end: build both programs, start the stand-in translation service on 127.0.0.1, and run
# the client under Wine as the browser menu would, with a selected English phrase. With $DISPLAY set the popup
# appears there (close it with "Close"); otherwise it runs in a virtual display and a screenshot is saved under
# build/demo/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source scripts/setup.sh
velmora_setup

cmake --preset windows >/dev/null
cmake --build --preset windows >/dev/null
source cmake/wine-env.sh
prepare_prefix
mkdir -p build/demo

headless=0
if [ -z "${DISPLAY:-}" ]; then
    headless=1
    start_xvfb
fi

pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    [ "$headless" = 1 ] && stop_xvfb
    return 0
}
trap cleanup EXIT

wine build/windows/tests/support/standin.exe --seconds 600 >build/demo/standin.log 2>&1 &
pids+=($!)
for _ in $(seq 100); do grep -q listening build/demo/standin.log 2>/dev/null && break; sleep 0.1; done
host=$(sed -n 's/^listening on //p' build/demo/standin.log | tr -d '\r')
echo "stand-in service on $host"

# The menu script starts the client with the code followed directly by the selection.
phrase=${VELMORA_DEMO_TEXT:-Hello world}
export VELMORA_EXCITE_HOST=$host VELMORA_INFOSEEK_HOST=$host
# Wine quotes an argument that holds a blank, so the phrase goes as separate words; Wine joins them with blanks.
first=${phrase%% *}
rest=${phrase#"$first"}
# shellcheck disable=SC2086
wine build/windows/client/velmora.exe "EJhnA$first" $rest &
client=$!
pids+=($client)

if [ "$headless" = 0 ]; then
    echo "the popup is on $DISPLAY; click \"Close\" on it to end the demo"
    wait "$client" || true
    exit 0
fi

for _ in $(seq 100); do
    [ -n "$(xwininfo -root -tree 2>/dev/null | grep '"Form2"')" ] && break
    sleep 0.1
done
sleep 1
import -window root build/demo/screen.png
# The popup sits around the pointer, which starts in the middle of the screen.
convert build/demo/screen.png -crop 360x170+580+395 +repage build/demo/popup.png
echo "screenshot: build/demo/popup.png (whole screen: build/demo/screen.png)"
