#!/usr/bin/env bash
# Runs every test: the portable code natively, the Windows programs under Wine in a virtual display.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source scripts/setup.sh
velmora_setup || exit 1

status=0
run() { echo "+ $*"; "$@" || status=1; }
mkdir -p build
: >build/test-counts.txt
# ctest's output also goes to a file, so that the closing line can add up both suites.
run_ctest() { echo "+ ctest $*"; ctest "$@" 2>&1 | tee -a build/test-counts.txt; [ "${PIPESTATUS[0]}" = 0 ] || status=1; }

run cmake --preset native >/dev/null
run cmake --build --preset native
run_ctest --preset native

run cmake --preset windows >/dev/null
run cmake --build --preset windows

source cmake/wine-env.sh
prepare_prefix
start_xvfb
trap stop_xvfb EXIT
# A Wine test program that fails is run once more, and fails the suite only if it fails again: now and then Wine
# fails to start a process or to show a first window under load (seen about once in five full runs, never when the
# program runs alone). Every attempt's output stays in the log.
run_ctest --preset windows --repeat until-pass:2
stop_xvfb

# A bounded fuzz run of the HTML parser (VELMORA_FUZZ_SECONDS, 30 by default); a crash fails the run.
fuzz_html() {
    local fuzzer=build/native/client/tests/fuzz/html_fuzzer
    [ -x "$fuzzer" ] || { echo "html_fuzzer was not built (clang++ with libFuzzer missing)"; return 1; }
    mkdir -p build/fuzz/corpus build/fuzz/artifacts
    "$fuzzer" -max_total_time="${VELMORA_FUZZ_SECONDS:-30}" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
        -dict=client/tests/fuzz/html.dict -artifact_prefix=build/fuzz/artifacts/ \
        build/fuzz/corpus client/tests/fuzz/corpus >build/fuzz/log.txt 2>&1 || { tail -40 build/fuzz/log.txt; return 1; }
    tail -1 build/fuzz/log.txt
}
run fuzz_html

# The release must be reproducible: scripts/package.sh run in two copies of the sources, in different folders, a
# moment apart, at opposite ends of the time zones, in different locales and with different umasks, gives the same
# programs, zip and SHA256SUMS; and the checksums check out. A malformed SOURCE_DATE_EPOCH is refused.
check_package() {
    local epoch copies=(build/repro/a/velmora build/repro/second-copy/src) c f i
    local zones=(Etc/GMT+12 Pacific/Kiritimati) locales=(C ja_JP.UTF-8) umasks=(022 077)
    epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
    rm -rf build/repro
    for i in 0 1; do
        c=${copies[$i]}
        mkdir -p "$c"
        git ls-files -z --cached --others --exclude-standard |
            tar -c --null --ignore-failed-read -T - 2>/dev/null | tar -x -C "$c"
        (cd "$c" && umask "${umasks[$i]}" && TZ=${zones[$i]} LC_ALL=${locales[$i]} SOURCE_DATE_EPOCH=$epoch \
            bash scripts/package.sh >"$root/$c.log" 2>&1) || { tail -20 "$c.log"; return 1; }
    done
    if SOURCE_DATE_EPOCH=${epoch}x python3 scripts/zip_package.py build/repro/bad.zip bin:x=LICENSE 2>/dev/null; then
        echo "zip_package.py accepted a malformed SOURCE_DATE_EPOCH"
        return 1
    fi
    for f in build/release/client/velmora.exe build/release/installer/Install.exe dist/SHA256SUMS \
        "dist/$(basename "${copies[0]}"/dist/velmora-*-win64.zip)"; do
        cmp "${copies[0]}/$f" "${copies[1]}/$f" || return 1
    done
    (cd "${copies[0]}/dist" && LC_ALL=C sha256sum -c SHA256SUMS)
}
run check_package

total=$(sed -n 's/.* tests failed out of \([0-9]*\).*/\1/p' build/test-counts.txt | awk '{s += $1} END {print s + 0}')
failed=$(sed -n 's/.*, \([0-9]*\) tests failed out of .*/\1/p' build/test-counts.txt | awk '{s += $1} END {print s + 0}')
total=${total:-0}
failed=${failed:-0}
[ "$total" -gt 0 ] || status=1
[ $status = 0 ] || [ "$failed" -gt 0 ] || failed=1  # a build or fuzz failure counts as one
echo "$((total - failed)) passed, $failed failed"
exit $status
