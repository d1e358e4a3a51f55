#!/usr/bin/env bash
# Runs one Windows program under Wine the way every test expects: our prefix, code page 932, a display.
# CTest uses it as the cross-compiling emulator; scripts use it too.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
# Wine 8 trusts exactly the system's CA bundle (/etc/ssl/certs/ca-certificates.crt) and keeps no root store of the
# prefix's own. The stand-in's test CA is therefore added to a copy of the bundle that only this program and its
# children see, in a mount namespace of their own; the machine's trust is never changed.
bundle="$root/build/tls/bundle.crt"
if [ -f "$bundle" ] && [ -z "${VELMORA_TLS_NAMESPACE:-}" ] && unshare -m true 2>/dev/null; then
    exec env VELMORA_TLS_NAMESPACE=1 unshare -m bash -c \
        'mount --bind "$0" /etc/ssl/certs/ca-certificates.crt || true; exec bash "$@"' "$bundle" "$0" "$@"
fi
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
