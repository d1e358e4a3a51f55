#!/usr/bin/env bash
# Runs one Windows program under Wine the way every test expects: our prefix, code page 932, a display.
# CTest uses it as the cross-compiling emulator; scripts use it too.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
prepare_prefix
own_display=0
if [ -z "${DISPLAY:-}" ]; then
    start_xvfb
    own_display=1
fi
wine "$@"
rc=$?
[ "$own_display" = 1 ] && stop_xvfb
exit $rc
