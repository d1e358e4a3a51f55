#!/usr/bin/env bash
# Runs every test: the portable code natively, the Windows programs under Wine in a virtual display.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source scripts/setup.sh
velmora_setup || exit 1

status=0
run() { echo "+ $*"; "$@" || status=1; }

run cmake --preset native >/dev/null
run cmake --build --preset native
run ctest --preset native

run cmake --preset windows >/dev/null
run cmake --build --preset windows

source cmake/wine-env.sh
prepare_prefix
start_xvfb
trap stop_xvfb EXIT
run ctest --preset windows
stop_xvfb

if [ $status = 0 ]; then echo "all tests passed"; else echo "SOME TESTS FAILED"; fi
exit $status
