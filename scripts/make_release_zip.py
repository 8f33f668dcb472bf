"""Writes the release archive, the same bytes from every builder of one commit.

Usage: make_release_zip.py ARCHIVE SOURCE_DIR FILE:MODE...

The members are the files in the order given, under their own names, with
their Unix modes as given (octal), compressed by Debian's zlib, and dated with
the commit's time in UTC: SOURCE_DATE_EPOCH where it is set, else the time of
SOURCE_DIR's last commit. Nothing of the builder goes in: no owner, no time of
the build, no extra fields. Windows' zip folders and unzip read it.
"""
import os
import subprocess
import sys
import time
import zipfile


def commit_time(source):
    if os.environ.get("SOURCE_DATE_EPOCH"):
        return int(os.environ["SOURCE_DATE_EPOCH"])
    log = subprocess.run(["git", "-C", source, "log", "-1", "--format=%ct"], capture_output=True, text=True)
    if log.returncode != 0 or not log.stdout.strip():
        sys.exit("make_release_zip.py: neither SOURCE_DATE_EPOCH nor a commit gives the archive its date")
    return int(log.stdout)


archive, source, members = sys.argv[1], sys.argv[2], sys.argv[3:]
date = time.gmtime(commit_time(source))[:6]
with zipfile.ZipFile(archive + ".tmp", "w") as out:
    for member in members:
        path, mode = member.rsplit(":", 1)
        info = zipfile.ZipInfo(os.path.basename(path), date)
        info.create_system = 3  # Unix, so that the modes count
        info.external_attr = (0o100000 | int(mode, 8)) << 16  # a regular file
        info.compress_type = zipfile.ZIP_DEFLATED
        with open(path, "rb") as f:
            out.writestr(info, f.read())
os.replace(archive + ".tmp", archive)
