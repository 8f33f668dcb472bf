"""Checks the release archive: check_package.py ZIP PROGRAM

The archive must hold exactly the program that was built and the text for
driver-package vendors, which Notepad on a Japanese Windows 2000 must read:
UTF-16LE with a byte-order mark, CRLF line ends, only characters that code
page 932 has, in Japanese and English, naming the two INF sections.
"""
import sys
import zipfile

archive_path, program_path = sys.argv[1:3]
failures = []


def check(ok, what):
    print(("ok    " if ok else "FAIL  ") + what)
    if not ok:
        failures.append(what)


with zipfile.ZipFile(archive_path) as archive:
    names = sorted(archive.namelist())
    check(names == ["TOLVEXAN.TXT", "tolvexan.exe"], f"the archive holds tolvexan.exe and TOLVEXAN.TXT: {names}")
    with open(program_path, "rb") as f:
        check("tolvexan.exe" in names and archive.read("tolvexan.exe") == f.read(),
              "tolvexan.exe is the program that was built")
    raw = archive.read("TOLVEXAN.TXT") if "TOLVEXAN.TXT" in names else b""

check(raw.startswith(b"\xff\xfe"), "the text starts with the UTF-16LE byte-order mark")
try:
    text = raw[2:].decode("utf-16-le")
except UnicodeDecodeError as error:
    text = ""
    check(False, f"the text is UTF-16LE: {error}")
without_crlf = text.replace("\r\n", "")
check(text.count("\r\n") > 10 and "\n" not in without_crlf and "\r" not in without_crlf,
      "every line ends with CRLF")
try:
    text.encode("cp932")
    check(True, "every character exists in code page 932")
except UnicodeEncodeError as error:
    check(False, f"every character exists in code page 932: {error}")
for needed in ("[日本語]", "[English]", "[Zentu]", "[Zentu.NTx86.5.1]", "tolvexan.exe", "lpt1:"):
    check(needed in text, f"the text mentions {needed}")

if failures:
    print(f"{len(failures)} check(s) failed for {archive_path}")
sys.exit(1 if failures else 0)
