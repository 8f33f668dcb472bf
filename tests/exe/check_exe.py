#!/usr/bin/python3
"""Checks the built tolvexan.exe (check_exe.py EXE) or the release archive made of it (check_exe.py EXE ZIP).
Prints one line per broken expectation, with what was expected and what was found; exits 1 if there is any.
"""
import os, struct, sys, zipfile
import pefile  # Debian's python3-pefile

WS_POPUP, WS_CHILD, WS_VISIBLE, WS_CAPTION, WS_BORDER = 0x80000000, 0x40000000, 0x10000000, 0xC00000, 0x800000
WS_VSCROLL, WS_SYSMENU, WS_GROUP, WS_MINIMIZEBOX, WS_TABSTOP = 0x200000, 0x80000, 0x20000, 0x20000, 0x10000
WS_EX_APPWINDOW, DS_MODALFRAME, DS_SETFONT, BS_DEFPUSHBUTTON, SS_ICON, SS_NOPREFIX = 0x40000, 0x80, 0x40, 1, 3, 0x80
LISTBOX = WS_BORDER | WS_VSCROLL | 0x1 | 0x2 | 0x100 | 0x1000  # LBS_NOTIFY, _SORT, _NOINTEGRALHEIGHT, _DISABLENOSCROLL
CHILD = WS_CHILD | WS_VISIBLE  # BS_PUSHBUTTON and SS_LEFT are 0

# What the program must hold: headers that Windows 2000 loads, and res/tolvexan.rc as windres stores it.
MAX_SIZE, MAX_SUBSYSTEM_VERSION = 65536, (5, 0)
SYSTEM_DLLS = 'kernel32.dll user32.dll gdi32.dll shell32.dll msvcrt.dll'
ALLOW_LIST = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'win2000-imports.txt')
RT = {3: 'RT_ICON', 5: 'RT_DIALOG', 6: 'RT_STRING', 14: 'RT_GROUP_ICON', 16: 'RT_VERSION', 24: 'RT_MANIFEST'}
RESOURCES = {(5, 100), (5, 102), (6, 7), (14, 128), (3, 1), (3, 2), (16, 1)}  # each once, in 0x0411
CLASSES = {0x80: 'button', 0x81: 'edit', 0x82: 'static', 0x83: 'listbox', 0x85: 'combobox'}
DIALOG_FIELDS = ('template', 'style', 'exstyle', 'rect', 'menu', 'class', 'caption', 'font')
CONTROL_FIELDS = ('class', 'id', 'text', 'style', 'exstyle', 'rect')
COPYRIGHT = 'Copyright (C) 2026 tolvexan developers'
DIALOGS = {
    102: (('DIALOGEX', WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_SETFONT,
           WS_EX_APPWINDOW, (0, 0, 191, 197), None, None, 'ZentuPrinter Voskari for Win2k/XP',
           (10, 'ＭＳ ゴシック', 0, 0, 1)),  # size, face, weight, italic, charset
          [('listbox', 1000, None, CHILD | WS_TABSTOP | LISTBOX, 0, (0, 0, 190, 180)),
           # Not the default button: Enter ends the dialog instead of starting an installation.
           ('button', 1001, 'プリンタドライバのインストール実行', CHILD | WS_TABSTOP, 0, (0, 180, 190, 15))]),
    100: (('DIALOG', WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0, (0, 0, 235, 55),
           None, None, 'tolvexanのﾊﾞｰｼﾞｮﾝ情報', (9, 'ＭＳ Ｐゴシック')),
          [('static', -1, 128, CHILD | SS_ICON, 0, (11, 17, 20, 20)),  # icon 128, 20x20 rather than 0x0
           ('static', -1, 'tolvexan Version 1.0', CHILD | WS_GROUP | SS_NOPREFIX, 0, (40, 10, 119, 8)),
           ('static', -1, COPYRIGHT, CHILD | WS_GROUP, 0, (40, 25, 119, 8)),
           ('button', 1, 'OK', CHILD | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, (178, 7, 50, 14))]),
}
STRINGS = {101: 'tolvexan のﾊﾞｰｼﾞｮﾝ情報(&A)...'}  # string block 7 holds 96 to 111
ICONS = [(32, 32, 16, 1, 4), (16, 16, 16, 1, 4)]  # width, height, colours, planes, bits per pixel
VERSION_FIXED = dict(FileVersionMS=0x10000, FileVersionLS=1, ProductVersionMS=0x10000, ProductVersionLS=1,
                     FileFlagsMask=0x3F, FileFlags=0, FileOS=4, FileType=1, FileSubtype=0)
VERSION_STRINGS = {'CompanyName': '', 'FileDescription': 'tolvexan MFC ｱﾌﾟﾘｹｰｼｮﾝ', 'FileVersion': '1, 0, 0, 1',
                   'InternalName': 'tolvexan', 'LegalCopyright': COPYRIGHT, 'LegalTrademarks': '',
                   'OriginalFilename': 'tolvexan.EXE', 'ProductName': 'tolvexan ｱﾌﾟﾘｹｰｼｮﾝ',
                   'ProductVersion': '1, 0, 0, 1'}
failures, met = [], []

def expect(what, found, expected, show=repr, ok=None):
    if (found == expected) if ok is None else ok:
        met.append(what)
    else:
        failures.append(f'{what}: expected {show(expected)}, found {show(found)}')

def parse_dialog(data):
    """(header as in DIALOG_FIELDS, [controls as in CONTROL_FIELDS]) of a DLGTEMPLATE or DLGTEMPLATEEX."""
    extended = data[:4] == b'\1\0\xff\xff'  # version 1, signature 0xFFFF
    pos = 4 if extended else 0
    def take(fmt):
        nonlocal pos
        values, pos = struct.unpack_from('<' + fmt, data, pos), pos + struct.calcsize('<' + fmt)
        return values if len(values) > 1 else values[0]
    def text(first=None):  # NUL-terminated UTF-16
        chars = [first] if first else []
        while (char := take('H')) != 0:
            chars.append(char)
        return struct.pack(f'<{len(chars)}H', *chars).decode('utf-16-le')
    def name_or_ordinal():
        first = take('H')
        return take('H') if first == 0xFFFF else text(first) if first else None
    def styles():  # the extended forms lead with a help id and put the extended style first
        return take('4xII')[::-1] if extended else take('II')
    style, exstyle = styles()
    count, rect, menu, window_class, caption = take('H'), take('4h'), name_or_ordinal(), name_or_ordinal(), text()
    size, *font_attributes = take('HHBB') if extended else (take('H'),)
    header = ('DIALOGEX' if extended else 'DIALOG', style, exstyle, rect, menu, window_class, caption,
              (size, text(), *font_attributes))
    controls = []
    for _ in range(count):
        pos = (pos + 3) & ~3
        style, exstyle = styles()
        rect, number, kind, title = take('4h'), take('i' if extended else 'h'), name_or_ordinal(), name_or_ordinal()
        creation_data = take('H')
        pos += creation_data
        kind = CLASSES.get(kind, kind) if isinstance(kind, int) else kind.lower()
        controls.append((kind, number, title, style, exstyle, rect))
    return header, controls

def check_dialog(number, data):
    (header, controls), (want_header, want_controls) = parse_dialog(data), DIALOGS[number]
    expect(f'dialog {number} number of controls', len(controls), len(want_controls))
    rows = [('', DIALOG_FIELDS, header, want_header)] + [
        (f' control {i}', CONTROL_FIELDS, *pair) for i, pair in enumerate(zip(controls, want_controls), 1)]
    for where, fields, found, wanted in rows:
        for field, got, want in zip(fields, found, wanted):
            expect(f'dialog {number}{where} {field}', got, want, hex if 'style' in field else repr)

def check_strings(block, data):
    pos = 0
    for number in range(block * 16 - 16, block * 16):
        length = 2 * struct.unpack_from('<H', data, pos)[0]
        raw, pos = data[pos + 2:pos + 2 + length], pos + 2 + length
        expect(f'string {number}', raw, STRINGS.get(number, '').encode('utf-16-le'),
               lambda b: f'{b.decode("utf-16-le", "replace")!r} ({len(b)} bytes)')
    expect(f'string block {block} length', len(data), pos)

def check_icons(_, group):
    entries = [struct.unpack_from('<4B2HIH', group, 6 + 14 * i) for i in range(struct.unpack_from('<H', group, 4)[0])]
    expect('icon images (width, height, colours, planes, bits)', [e[:3] + e[4:6] for e in entries], ICONS)

def check_version(pe, _):  # pefile decodes the version block
    for field, value in VERSION_FIXED.items():
        expect(f'version {field}', getattr(pe.VS_FIXEDFILEINFO[0], field), value, hex)
    tables = {t.LangID.decode(): t.entries for info in pe.FileInfo[0] for t in getattr(info, 'StringTable', [])}
    expect('version string tables', list(tables), ['041104B0'])
    strings = {k.decode(): v.decode() for k, v in tables.get('041104B0', {}).items()}
    expect('version string names', list(strings), list(VERSION_STRINGS))
    for name, value in VERSION_STRINGS.items():
        expect(f'version string {name}', strings.get(name), value)
    expect('version translation', [v.entry for info in pe.FileInfo[0] for v in getattr(info, 'Var', [])],
           [{b'Translation': '0x0411 0x04b0'}])

def check_program(path):
    pe, size = pefile.PE(path), os.path.getsize(path)
    header = pe.OPTIONAL_HEADER  # with the Windows-specific fields
    version = (header.MajorSubsystemVersion, header.MinorSubsystemVersion)
    expect('machine', pe.FILE_HEADER.Machine, 0x14C, hex)
    expect('optional header magic (0x10B: PE32)', header.Magic, 0x10B, hex)
    expect('subsystem (2: GUI)', header.Subsystem, 2)
    expect('subsystem version', version, f'at most {MAX_SUBSYSTEM_VERSION}', str, ok=version <= MAX_SUBSYSTEM_VERSION)
    expect('file size', size, f'at most {MAX_SIZE}', str, ok=size <= MAX_SIZE)
    with open(ALLOW_LIST, encoding='utf-8') as f:
        allowed = {(dll.lower(), function) for dll, _, function in
                   (line.split('#')[0].strip().partition('!') for line in f)}
    imports = [(e.dll.decode().lower(), i.name.decode() if i.name else f'#{i.ordinal} (by ordinal)')
               for kind in ('DIRECTORY_ENTRY_IMPORT', 'DIRECTORY_ENTRY_DELAY_IMPORT')
               for e in getattr(pe, kind, []) for i in e.imports]
    for dll, function in imports:
        expect('import', f'{dll}!{function}', f'a function of win2000-imports.txt, by name, from {SYSTEM_DLLS}',
               str, ok=dll in SYSTEM_DLLS.split() and (dll, function) in allowed)
    root = getattr(pe, 'DIRECTORY_ENTRY_RESOURCE', None)
    languages = {(t.id, n.id): {lang.id: pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size)
                                for lang in n.directory.entries}
                 for t in (root.entries if root else []) for n in t.directory.entries}
    label = lambda key: f'{RT.get(key[0], key[0])} {key[1]}'
    expect('resources beyond the expected ones', [label(k) for k in sorted(set(languages) - RESOURCES, key=str)], [])
    expect('missing resources', [label(k) for k in sorted(RESOURCES - set(languages))], [])
    for key, data in sorted(languages.items(), key=str):
        expect(f'languages of {label(key)}', list(data), [0x0411], lambda v: list(map(hex, v)))
    resources = {key: next(iter(data.values()), b'') for key, data in languages.items()}  # in whatever language
    for key, check, arg in [((5, 100), check_dialog, 100), ((5, 102), check_dialog, 102), ((6, 7), check_strings, 7),
                            ((14, 128), check_icons, resources), ((16, 1), check_version, pe)]:
        if key in resources:
            check(arg, resources[key])

def check_archive(zip_path, exe_path):
    with zipfile.ZipFile(zip_path) as archive, open(exe_path, 'rb') as exe:
        members, program = {name: archive.read(name) for name in archive.namelist()}, exe.read()
    expect('archive members', sorted(members), ['TOLVEXAN.TXT', 'tolvexan.exe'])
    expect('archived tolvexan.exe', 'other bytes', 'the built program, byte for byte', str,
           ok=members.get('tolvexan.exe') == program)
    raw = members.get('TOLVEXAN.TXT', b'')
    expect('TOLVEXAN.TXT byte-order mark', raw[:2], b'\xff\xfe')
    text = raw[2:].decode('utf-16-le')
    crlf, bare = text.count('\r\n'), sum(text.replace('\r\n', '').count(end) for end in '\r\n')
    expect('TOLVEXAN.TXT line ends', f'{crlf} CRLF, {bare} bare CR or LF', 'CRLF only', str, ok=crlf and not bare)

if __name__ == '__main__':
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    if len(sys.argv) == 3:
        check_archive(sys.argv[2], sys.argv[1])
    else:
        check_program(sys.argv[1])
    print(''.join(f'FAIL  {failure}\n' for failure in failures) + f'{len(met)} expectations met, '
          f'{len(failures)} broken: {sys.argv[-1]}')
    sys.exit(1 if failures else 0)
