#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz harnesses into tests/fuzz/corpus/.

The seeds are small hand-picked cases in the input layouts described at the
top of FuzzModelList.cpp and FuzzInstallCommand.cpp: the ordinary case and
the edges the rules care about (cut and exactly fitting answers, Shift,
absent sections, paths at their limits, models with blanks and quotes).
libFuzzer starts from them. Run it again after changing a layout; the files
it writes are committed.
"""
import pathlib
import struct

HERE = pathlib.Path(__file__).resolve().parent

# "エラー発生" in code page 932: the reader's answer for an absent section.
DEFAULT = "エラー発生".encode("cp932")


def text_fill(text: bytes) -> bytes:
    """A repeated text of 1-8 bytes for the directory or the file name."""
    assert 1 <= len(text) <= 8
    return bytes([len(text) - 1]) + text


def literal(data: bytes) -> list:
    """Literal bytes, in chunks of at most 127."""
    return [bytes([len(data[at:at + 127])]) + data[at:at + 127] for at in range(0, len(data), 127)]


def run(length: int, fill: bytes) -> list:
    """length copies of one byte (length * 1024 in the large class)."""
    return [bytes([0x80]) + struct.pack("<H", length) + fill]


def section(*chunk_lists: list) -> bytes:
    chunks = [chunk for chunk_list in chunk_lists for chunk in chunk_list]
    assert len(chunks) < 256
    return bytes([len(chunks)]) + b"".join(chunks)


def keys(*names: bytes) -> list:
    return literal(b"".join(name + b"\0" for name in names))


LARGE = 0x4C47  # the size class of large files and long lists


def model_list(flags=0, size_class=0, directory=(6, b"C:\\drv"), name=(5, b"Z.INF"),
               size=(0, 2000), shift=0, first=b"\0", second=b"\0") -> bytes:
    out = bytes([flags]) + struct.pack("<H", size_class)
    out += struct.pack("<H", directory[0]) + text_fill(directory[1])
    out += struct.pack("<H", name[0]) + text_fill(name[1])
    out += bytes([size[0]]) + struct.pack("<I", size[1])
    out += struct.pack("<Q", shift)
    return out + first + second


def install_command(entries, selection, inf: bytes, read_fails=False) -> bytes:
    flags = len(entries) | (4 if read_fails else 0)
    return bytes([flags, selection + 1]) + b"\0".join(list(entries) + [inf])


MODEL_LIST = {
    "both-sections": model_list(
        first=section(keys(b"KTL-100", b'"Zentu KTL 2"', b"Zentu  KTL 3")),
        second=section(keys(b"KTL-100", b"X 1"))),
    "shift-held": model_list(
        flags=32, shift=(1 << 64) - 1,
        first=section(keys(b"K1", b"K2")),
        second=section(keys(b"X1", b"X2"))),
    "shift-after-first-key": model_list(
        shift=0b10,
        first=section(keys(b"K1", b"K2", b"K3")),
        second=section(keys(b"X1", b"X2", b"X3"))),
    # The file looks tiny, so the first answer comes back cut. The second
    # list is 4095 bytes: with its closing NUL it exactly fills a 4096-byte
    # buffer, which this reader answers as cut.
    "cut-and-exact-fit": model_list(
        flags=16, size=(0, 10),
        first=section(run(5000, b"a"), literal(b"\0b\0")),
        second=section(run(2047, b"x"), literal(b"\0"), run(2046, b"y"), literal(b"\0"))),
    # 4094 bytes: complete, but its count is size - 2, as a cut one's.
    "count-of-size-minus-2": model_list(
        first=section(run(2046, b"x"), literal(b"\0"), run(2046, b"y"), literal(b"\0")),
        second=section(keys(b"X"))),
    "second-section-absent": model_list(
        flags=8, first=section(keys(b"K1", b"K2"))),
    "first-key-is-default": model_list(
        first=section(keys(DEFAULT, b"K")), second=section(keys(b"X"))),
    "empty-key-ends-list": model_list(
        first=section(keys(b"K1", b"", b"K2")), second=section(keys(b"X1"))),
    "empty-lists": model_list(first=section(), second=section()),
    # 258 characters and the backslash: 259, with an empty file name.
    "folder-258": model_list(directory=(258, b"d"), name=(0, b"x"),
                             first=section(keys(b"K")), second=section(keys(b"X"))),
    "folder-259": model_list(directory=(259, b"d"), first=section(keys(b"K"))),
    "name-without-nul": model_list(name=(260, b"n"), first=section(keys(b"K"))),
}

# Large files and long lists: tens or hundreds of milliseconds each under
# ASan. Run once on every fuzzing run, but not mutated, so that they do not
# eat the fuzzing time.
MODEL_LIST_LARGE = {
    # A file of 2^63 bytes and more: the first read is at the cap.
    "huge-file": model_list(size_class=LARGE, size=(32, 0x80000001),
                            first=section(keys(b"K")), second=section(keys(b"X"))),
    # A file just below the cap, and a list of two keys that is 2 bytes
    # shorter than the cap: read at the cap its count is still size - 2,
    # as a cut one's, so it is refused.
    "list-at-the-cap": model_list(size_class=LARGE, size=(0, (32 << 20) - 5),
                                  first=section(keys(b"K")),
                                  second=section(run(16383, b"x"), literal(b"x" * 1022 + b"\0"),
                                                 run(16383, b"y"), literal(b"y" * 1022 + b"\0"))),
}

INF = b"C:\\drv\\ZENTU.INF"
INSTALL_COMMAND = {
    "two-tags-one-key": install_command([b"Win2k:Zentu KTL-5", b"WinXP:Zentu KTL-5"], 1, INF),
    "quoted-model": install_command([b'WinXP:"Zentu KTL 100"'], 0, b"C:\\My Drivers\\z.inf"),
    "tab-and-code-page-932-path": install_command(
        [b"Win2k:Zentu\tKTL"], 0, "C:\\ドライバ 表\\z.inf".encode("cp932")),
    "shorter-than-tag": install_command([b"Win2k:A", b"Win2k"], 1, INF),
    "no-selection": install_command([b"Win2k:KTL-1"], -1, INF),
    "read-fails": install_command([b"Win2k:KTL-1"], 0, INF, read_fails=True),
}


def write(directory: str, seeds: dict) -> None:
    target = HERE / "corpus" / directory
    target.mkdir(parents=True, exist_ok=True)
    for old in target.iterdir():
        old.unlink()
    for name, data in seeds.items():
        (target / name).write_bytes(data)


if __name__ == "__main__":
    write("model_list", MODEL_LIST)
    write("model_list_large", MODEL_LIST_LARGE)
    write("install_command", INSTALL_COMMAND)
