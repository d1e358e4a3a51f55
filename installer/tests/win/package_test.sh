#!/usr/bin/env bash
# The package test: a fresh Wine prefix of its own (so nothing installed by other tests is found), the release zip
# unzipped into a fresh folder under the user's Downloads, then the Windows test program run against that folder.
# usage: package_test.sh ZIP TEST_PROGRAM [gtest arguments]
set -u
zip=$1
program=$2
shift 2
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
work=$(dirname "$program")/package-test
export VELMORA_WINEPREFIX=$work/prefix
source "$root/cmake/wine-env.sh"
rm -rf "$work"
mkdir -p "$work"
prepare_prefix || exit 1

# The unpacked folder is named after the zip, as Explorer's "Extract all" names it.
name=$(basename "$zip" .zip)
downloads=$(winepath -u 'C:\users\Public\Downloads')
folder=$downloads/$name
mkdir -p "$folder"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$folder" ||
    exit 1

own_display=0
if [ -z "${DISPLAY:-}" ]; then
    start_xvfb
    own_display=1
fi
VELMORA_PACKAGE_FOLDER=$(winepath -w "$folder") VELMORA_PACKAGE_ZIP=$(winepath -w "$zip") wine "$program" "$@"
rc=$?
# Ends whatever the test left running in this prefix only (a popup, the script host).
wineserver -k 2>/dev/null
[ "$own_display" = 1 ] && stop_xvfb
[ $rc = 0 ] && rm -rf "$work"
exit $rc
