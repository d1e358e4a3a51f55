# Sourced by the Wine wrappers: one 64-bit prefix under build/, a Japanese locale (ANSI code page 932), quiet Wine.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${VELMORA_WINEPREFIX:-$root/build/wineprefix64}"
export WINEARCH=win64
# The 64-bit loader is called by its own path: Debian's `wine` wrapper takes the 32-bit loader whenever the
# wine32 package is installed, and on a kernel that runs no 32-bit program that loader cannot even start.
# VELMORA_WINE names another 64-bit loader (a Wine built by hand, say).
export WINELOADER="${VELMORA_WINE:-/usr/lib/wine/wine64}"
if [ -z "${WINESERVER:-}" ]; then
    for s in "$(dirname "$WINELOADER")/wineserver64" "$(dirname "$WINELOADER")/wineserver" /usr/lib/wine/wineserver64; do
        [ -x "$s" ] && { export WINESERVER=$s; break; }
    done
fi
wine() { "$WINELOADER" "$@"; }
wineserver() { "${WINESERVER:-/usr/lib/wine/wineserver64}" "$@"; }
winepath() { "$WINELOADER" winepath.exe "$@"; }
wineboot() { "$WINELOADER" wineboot.exe "$@"; }
export WINEDEBUG=-all
export LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# Xvfb on a display nobody uses; Xvfb picks it itself and tells us through -displayfd.
start_xvfb() {
    local out
    out=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$out" >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [ -s "$out" ] && break
        sleep 0.1
    done
    export DISPLAY=":$(tr -d '\n' <"$out")"
    rm -f "$out"
}

stop_xvfb() {
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=
}

# Creates the prefix once (under a lock, tests may start in parallel): the Japanese UI fonts mapped to IPA Gothic,
# and windows framed by Wine itself, since no window manager runs in Xvfb.
prepare_prefix() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    # The marker names the settings' checksum, so that a changed settings file reaches existing prefixes too.
    local ready
    ready="$WINEPREFIX/.velmora-ready-$(md5sum <"$root/cmake/wine-prefix.reg" | cut -c1-12)"
    (
        flock 9
        if [ ! -f "$ready" ]; then
            [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
            # regedit reads version-5 files as UTF-16, which keeps the Japanese font names intact.
            iconv -f UTF-8 -t UTF-16 "$root/cmake/wine-prefix.reg" >"$WINEPREFIX/prefix.reg"
            wine regedit /S "$(winepath -w "$WINEPREFIX/prefix.reg")" >/dev/null 2>&1
            wineserver -w
            rm -f "$WINEPREFIX"/.velmora-ready*
            touch "$ready"
        fi
    ) 9>"$WINEPREFIX.lock"
}
