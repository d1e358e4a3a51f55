#!/usr/bin/env bash
# Builds the release and writes dist/velmora-<version>-win64.zip and dist/SHA256SUMS. The same commit gives the
# same bytes wherever and whenever it is built: the zip's entries carry the commit's time.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source scripts/setup.sh
velmora_setup

# A copy without .git (test.sh's reproducibility check) passes the time itself.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git log -1 --format=%ct) || { echo "no commit: set SOURCE_DATE_EPOCH" >&2; exit 1; }
fi
[[ $SOURCE_DATE_EPOCH =~ ^[0-9]+$ ]] || { echo "SOURCE_DATE_EPOCH is not seconds since 1970: $SOURCE_DATE_EPOCH" >&2; exit 1; }
export SOURCE_DATE_EPOCH

# Only the two programs and the zip are built, from scratch, so that nothing of an earlier build gets in.
rm -rf build/release dist
cmake --preset release >/dev/null
cmake --build --preset release -j2
zips=(build/release/package/velmora-*-win64.zip)
[ ${#zips[@]} = 1 ] && [ -f "${zips[0]}" ] || { echo "expected one zip in build/release/package" >&2; exit 1; }

mkdir -p dist
cp "${zips[0]}" dist/
(cd dist && sha256sum -- *.zip >SHA256SUMS)
ls -l dist
cat dist/SHA256SUMS
