"""Writes a text file for Notepad on a Japanese Windows 2000: UTF-16LE with a
byte-order mark and CRLF line ends, from a UTF-8 source.

Usage: make_package_text.py SOURCE TARGET
"""
import sys

source, target = sys.argv[1:3]
with open(source, encoding="utf-8") as f:
    text = f.read().replace("\r\n", "\n").replace("\n", "\r\n")
with open(target, "wb") as f:
    f.write(b"\xff\xfe" + text.encode("utf-16-le"))
