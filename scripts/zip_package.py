#!/usr/bin/env python3
"""Writes the release zip reproducibly: entries in the order given, all stamped with one time, fixed attributes
(made on MS-DOS, the archive attribute only: what Windows' own zip folders write for a file), stored uncompressed:
deflated bytes would depend on the zlib that Python was built with (zlib and zlib-ng choose differently).

usage: zip_package.py OUTPUT.zip ENTRY...   where ENTRY is KIND:NAME=PATH and KIND is
  bin   the file as it is
  crlf  text with CR LF line ends (Notepad before Windows 10 shows LF files as one line)
  bom   the same, and a UTF-8 byte-order mark, so that every Notepad reads it as UTF-8 and not as Shift_JIS
The time is SOURCE_DATE_EPOCH (seconds since 1970, UTC) or else the time of the checkout's last commit.
"""
import os
import re
import subprocess
import sys
import time
import zipfile

# FILE_ATTRIBUTE_ARCHIVE. Not 0: zipfile turns an entry's zero attributes into the Unix mode 0600.
ARCHIVE_ATTRIBUTE = 0x20
# The last moment a zip's MS-DOS date can hold.
LAST_EPOCH = 4354819199  # 2107-12-31 23:59:59 UTC


def text_bytes(data: bytes, bom: bool) -> bytes:
    if data.startswith(b"\xef\xbb\xbf"):
        data = data[3:]
    data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
    return (b"\xef\xbb\xbf" if bom else b"") + data


def commit_time() -> str:
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    try:
        result = subprocess.run(["git", "-C", root, "log", "-1", "--format=%ct"], capture_output=True, text=True)
    except OSError:  # no git at all
        return ""
    return result.stdout.strip() if result.returncode == 0 else ""


def main() -> int:
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    epoch = os.environ.get("SOURCE_DATE_EPOCH") or None  # empty counts as unset, as in package.sh
    if epoch is not None:
        # A mistyped time must not quietly give a zip that differs from the release's.
        if not re.fullmatch(r"[0-9]+", epoch) or int(epoch) > LAST_EPOCH:
            print(f"zip_package.py: SOURCE_DATE_EPOCH={epoch!r} is not a number of seconds since 1970 "
                  "that a zip can hold", file=sys.stderr)
            return 2
    else:
        epoch = commit_time()
    if not epoch:
        # A build from sources without .git still gets a zip (for the tests); package.sh never comes here.
        print("zip_package.py: no SOURCE_DATE_EPOCH and no commit: entries dated 1980-01-01", file=sys.stderr)
        epoch = "0"
    # A zip stores local date and time without a zone, from 1980 on; UTC keeps it the same on every machine.
    stamp = max(time.gmtime(int(epoch))[:6], (1980, 1, 1, 0, 0, 0))
    output = sys.argv[1]
    partial = output + ".part"
    with zipfile.ZipFile(partial, "w") as archive:
        for entry in sys.argv[2:]:
            kind, _, rest = entry.partition(":")
            name, _, path = rest.partition("=")
            if kind not in ("bin", "crlf", "bom") or not name or not path:
                print(f"zip_package.py: bad entry {entry!r}", file=sys.stderr)
                return 2
            with open(path, "rb") as f:
                data = f.read()
            if kind != "bin":
                data = text_bytes(data, kind == "bom")
            info = zipfile.ZipInfo(name, date_time=stamp)
            # A few hundred KiB more to download buys the same bytes on every machine.
            info.compress_type = zipfile.ZIP_STORED
            info.create_system = 0  # MS-DOS: no Unix owner or mode bits from the build machine
            info.external_attr = ARCHIVE_ATTRIBUTE
            archive.writestr(info, data)
    os.replace(partial, output)
    return 0


if __name__ == "__main__":
    sys.exit(main())
