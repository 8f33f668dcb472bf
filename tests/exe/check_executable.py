#!/usr/bin/python3
"""Gate on the built tolvexan.exe: will it load and run on Windows 2000?

    /usr/bin/python3 tests/exe/check_executable.py path/to/tolvexan.exe [allow-list]

The allow-list defaults to win2000-imports.txt beside this script. Checks:
a 32-bit PE for i386, the GUI subsystem, a subsystem version that Windows
2000 accepts (5.0 at most), imports only from the system DLLs the tool may
use, only functions of the reviewed allow-list, none by ordinal, and a file
of at most 64 KB. Prints one line per check; exits 1 if any check fails,
2 on bad usage or an unreadable allow-list.
"""

import os
import sys

from report import Report

try:
    import pefile
except ImportError:  # pragma: no cover - depends on the machine
    sys.exit('check_executable: pefile is missing; run with /usr/bin/python3 '
             '(Debian package python3-pefile)')

ALLOWED_DLLS = ('kernel32.dll', 'user32.dll', 'gdi32.dll', 'shell32.dll', 'msvcrt.dll')
MAX_SIZE = 65536
MAX_SUBSYSTEM_VERSION = (5, 0)     # Windows 2000
IMAGE_FILE_MACHINE_I386 = 0x14C
PE32_MAGIC = 0x10B
IMAGE_SUBSYSTEM_WINDOWS_GUI = 2


def read_allow_list(path):
    """{(dll in lower case, function)}; raises ValueError on a malformed line."""
    allowed = set()
    with open(path, encoding='utf-8') as f:
        for number, line in enumerate(f, 1):
            entry = line.split('#', 1)[0].strip()
            if not entry:
                continue
            dll, sep, func = entry.partition('!')
            if not sep or not dll or not func or ' ' in entry or '!' in func:
                raise ValueError('%s:%d: expected DLL!Function, got %r' % (path, number, entry))
            if dll.lower() not in ALLOWED_DLLS:
                raise ValueError('%s:%d: %s is not one of the DLLs the tool may import'
                                 % (path, number, dll))
            allowed.add((dll.lower(), func))
    return allowed


def imports_of(pe):
    """[(kind, dll, function name or None, ordinal)] of normal and delay imports."""
    found = []
    for kind, attr in (('import', 'DIRECTORY_ENTRY_IMPORT'),
                       ('delay import', 'DIRECTORY_ENTRY_DELAY_IMPORT')):
        for entry in getattr(pe, attr, []):
            dll = entry.dll.decode('ascii', 'replace')
            for imp in entry.imports:
                name = imp.name.decode('ascii', 'replace') if imp.name else None
                found.append((kind, dll, name, imp.ordinal))
    return found


def main(argv):
    if len(argv) not in (2, 3):
        print('usage: check_executable.py path/to/tolvexan.exe [allow-list]', file=sys.stderr)
        return 2
    exe = argv[1]
    list_path = argv[2] if len(argv) == 3 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), 'win2000-imports.txt')
    try:
        allowed = read_allow_list(list_path)
    except (OSError, ValueError) as e:
        print('error: allow-list: %s' % e, file=sys.stderr)
        return 2

    try:
        size = os.path.getsize(exe)
        pe = pefile.PE(exe)
    except (OSError, pefile.PEFormatError) as e:
        print('FAIL  %s is not a readable PE file: %s' % (exe, e))
        return 1

    rep = Report()
    fh, oh = pe.FILE_HEADER, pe.OPTIONAL_HEADER
    rep.check('machine is i386 (0x14C)', fh.Machine == IMAGE_FILE_MACHINE_I386,
              'machine 0x%X' % fh.Machine)
    rep.check('PE32 optional header (magic 0x10B)', oh.Magic == PE32_MAGIC,
              'magic 0x%X%s' % (oh.Magic, ' (PE32+, 64-bit)' if oh.Magic == 0x20B else ''))
    rep.check('GUI subsystem (2)', oh.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_GUI,
              'subsystem %d%s' % (oh.Subsystem, ' (console)' if oh.Subsystem == 3 else ''))
    version = (oh.MajorSubsystemVersion, oh.MinorSubsystemVersion)
    rep.check('subsystem version %d.%d at most %d.%d (Windows 2000 loads it)'
              % (version + MAX_SUBSYSTEM_VERSION), version <= MAX_SUBSYSTEM_VERSION,
              'Windows 2000 refuses to load an image that asks for %d.%d' % version)
    rep.check('file size %d bytes, at most %d' % (size, MAX_SIZE), size <= MAX_SIZE,
              '%d bytes too many' % (size - MAX_SIZE))

    imports = imports_of(pe)
    rep.check('the executable imports functions', bool(imports),
              'no import table found; the gate cannot judge the imports')
    delayed = sorted({dll for kind, dll, _, _ in imports if kind == 'delay import'})
    rep.check('no delay-loaded DLL', not delayed, ', '.join(delayed))
    dlls = sorted({dll for _, dll, _, _ in imports}, key=str.lower)
    print('      imported DLLs: %s' % ', '.join(dlls))
    bad_dlls = [d for d in dlls if d.lower() not in ALLOWED_DLLS]
    rep.check('DLLs only from KERNEL32, USER32, GDI32, SHELL32, msvcrt', not bad_dlls,
              'also imports %s' % ', '.join(bad_dlls))
    by_ordinal = ['%s!#%d' % (dll, ordinal) for _, dll, name, ordinal in imports if name is None]
    rep.check('no import by ordinal', not by_ordinal, ', '.join(by_ordinal))
    unlisted = sorted('%s!%s' % (dll, name) for _, dll, name, _ in imports
                      if name is not None and (dll.lower(), name) not in allowed)
    rep.check('%d imported functions, all in %s'
              % (len(imports), os.path.basename(list_path)), not unlisted,
              'not reviewed for Windows 2000: %s (check that Windows 2000 SP4 exports '
              'each one before adding it to the list)' % ', '.join(unlisted))

    if rep.failures:
        print('%d check(s) failed for %s' % (rep.failures, exe))
        return 1
    print('all executable checks passed')
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
