#!/usr/bin/python3
"""Checks the built programs and the release archive made of them against what they must hold:
check_exe.py FILE..., each a program (tolvexan.exe, tolvexan-check.exe) or the archive (.zip), whose members are
compared with the files beside it. Prints each difference, expected and found; exits 1 if there is any."""
import difflib, os, re, struct, subprocess, sys, time, zipfile
import capstone, pefile  # Debian's python3-capstone and python3-pefile

ALLOW_LIST = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'win2000-imports.txt')
# The resources as windres reads them back out of the file, without the icons' pixels and after "#": all
# in Japanese, and nothing else (no file date in the version block either).
RESOURCES = '''
LANGUAGE 17, 1
1 3  # the icon images
BEGIN
END
2 3
BEGIN
END
100 DIALOG 0, 0, 235, 55
STYLE 0x80c800c0  # WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT
CAPTION L"tolvexanのﾊﾞｰｼﾞｮﾝ情報"
FONT 9, L"ＭＳ Ｐゴシック"
BEGIN
  CONTROL 128, 65535, "STATIC", 0x50000003, 11, 17, 20, 20  # SS_ICON, 20 x 20 rather than 0 x 0
  CONTROL "tolvexan Version 1.0", 65535, 130, 0x50020080, 40, 10, 119, 8  # WS_GROUP | SS_NOPREFIX
  LTEXT "(C) 2026 tolvexan developers", 65535, 40, 25, 119, 8, 0x50020000  # WS_GROUP
  DEFPUSHBUTTON "OK", 1, 178, 7, 50, 14, 0x50030001
END
102 DIALOGEX 0, 0, 191, 197
STYLE 0x90ca00c0  # WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_SETFONT
EXSTYLE 0x40000  # WS_EX_APPWINDOW
CAPTION "ZentuPrinter Voskari for Win2k/XP"
FONT 10, L"ＭＳ ゴシック"
BEGIN
  LISTBOX 1000, 0, 0, 190, 180, 0x50a11103  # WS_BORDER | WS_VSCROLL | WS_TABSTOP, sorted, notifying
  PUSHBUTTON L"プリンタドライバのインストール実行", 1001, 0, 180, 190, 15, 0x50010000  # not the default button
END
STRINGTABLE
BEGIN
  101, L"tolvexan のﾊﾞｰｼﾞｮﾝ情報(&A)..."
END
128 14  # the icon group: 32 x 32 and 16 x 16, 16 colours
BEGIN
   0, 1, 2,
    "\\040\\040\\020\\000", 1, 4, 0x2e8L, 1,
    "\\020\\020\\020\\000", 1, 4, 0x128L, 2
END
1 VERSIONINFO
 FILEVERSION 1, 0, 0, 1
 PRODUCTVERSION 1, 0, 0, 1
 FILEFLAGSMASK 0x3f
 FILEOS 0x4
 FILETYPE 0x1
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "041104B0"
    BEGIN
      VALUE "CompanyName", ""
      VALUE "FileDescription", L"tolvexan MFC ｱﾌﾟﾘｹｰｼｮﾝ"
      VALUE "FileVersion", "1, 0, 0, 1"
      VALUE "InternalName", "tolvexan"
      VALUE "LegalCopyright", "(C) 2026 tolvexan developers"
      VALUE "LegalTrademarks", ""
      VALUE "OriginalFilename", "tolvexan.EXE"
      VALUE "ProductName", L"tolvexan ｱﾌﾟﾘｹｰｼｮﾝ"
      VALUE "ProductVersion", "1, 0, 0, 1"
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x411, 1200
  END
END
'''
# The Pentium's (i586) instructions as capstone names them, from a file of each assembled by gas: Windows 2000
# and XP run on processors that have no more (the Pentium MMX, the K6, the Vortex86: no CMOV, no long NOP).
CONDITIONS = 'a ae b be e g ge l le ne no np ns o p s'.split()
PENTIUM = set('''aaa aad aam aas adc add and arpl bound bsf bsr bswap bt btc btr bts call cbw cdq clc cld cli clts cmc
  cmp cmpsb cmpsd cmpsw cmpxchg cmpxchg8b cpuid cwd cwde daa das dec div enter hlt idiv imul in inc insb insd insw int
  int3 into invd invlpg iretd jmp lahf lar lcall lds lea leave les lfs lgdt lgs lidt ljmp lldt lmsw lodsb lodsd lodsw
  loop loope loopne lsl lss ltr mov movsb movsd movsw movsx movzx mul neg nop not or out outsb outsd outsw pop popal
  popfd push pushal pushfd rcl rcr rdmsr rdtsc ret retf rol ror rsm sahf sar sbb scasb scasd scasw sgdt shl shld shr
  shrd sidt sldt smsw stc std sti stosb stosd stosw str sub test verr verw wait wbinvd wrmsr xadd xchg xlatb xor
  f2xm1 fabs fadd faddp fbld fbstp fchs fcom fcomp fcompp fcos fdecstp fdiv fdivp fdivr fdivrp ffree fiadd ficom
  ficomp fidiv fidivr fild fimul fincstp fist fistp fisub fisubr fld fld1 fldcw fldenv fldl2e fldl2t fldlg2 fldln2
  fldpi fldz fmul fmulp fnclex fninit fnop fnsave fnstcw fnstenv fnstsw fpatan fprem fprem1 fptan frndint frstor
  fscale fsin fsincos fsqrt fst fstp fsub fsubp fsubr fsubrp ftst fucom fucomp fucompp fxam fxch fxtract fyl2x
  fyl2xp1'''.split()) | {'j' + c for c in CONDITIONS + ['cxz', 'ecxz']} | {'set' + c for c in CONDITIONS}
# Prefixed forms that processors before them run as the Pentium's: GCC counts trailing zeros with rep bsf, which
# capstone names TZCNT (BMI), run as BSF; rep nop, PAUSE (SSE2), runs as NOP.
PENTIUM |= {'tzcnt', 'pause'}
failures = []


def expect(what, found, expected, ok=None):
    if not ((found == expected) if ok is None else ok):
        failures.append(f'{what}: expected {expected}, found {found}')


def resources(path):
    """The resource script that windres makes of the file, in the form of RESOURCES."""
    read = subprocess.run(['i686-w64-mingw32-windres', '-i', path, '-O', 'rc'], capture_output=True, text=True,
                          errors='replace')
    if 'no resource section' in read.stderr:
        return []
    text = read.stdout if read.returncode == 0 else 'windres cannot read the file: ' + read.stderr
    # windres comments its output; only the version block's file date, which must not be there, is kept.
    text = re.sub(r'/\*(?! Date:).*?\*/', '', text, flags=re.S)
    text = re.sub(r'\\x([0-9a-f]{4})', lambda m: chr(int(m[1], 16)), text)
    return [line.rstrip() for line in text.splitlines() if line.strip() and not line.strip().startswith('0x')]


# Each program's subsystem (GUI, console) and resources; the package check has none.
PROGRAMS = {'tolvexan.exe': (2, RESOURCES), 'tolvexan-check.exe': (3, '')}


def check_program(path):
    pe, size = pefile.PE(path), os.path.getsize(path)
    subsystem, resources_wanted = PROGRAMS[os.path.basename(path)]
    version = (pe.OPTIONAL_HEADER.MajorSubsystemVersion, pe.OPTIONAL_HEADER.MinorSubsystemVersion)
    expect('machine (i386)', hex(pe.FILE_HEADER.Machine), '0x14c')
    expect('optional header magic (PE32)', hex(pe.OPTIONAL_HEADER.Magic), '0x10b')
    expect('subsystem', pe.OPTIONAL_HEADER.Subsystem, subsystem)
    expect('subsystem version', version, 'at most (5, 0), which Windows 2000 loads', ok=version <= (5, 0))
    expect('file size', size, 'at most 65536 bytes', ok=size <= 65536)
    with open(ALLOW_LIST, encoding='utf-8') as f:
        allowed = {(dll.lower(), name) for dll, _, name in (line.split('#')[0].strip().partition('!') for line in f)}
    for kind in ('DIRECTORY_ENTRY_IMPORT', 'DIRECTORY_ENTRY_DELAY_IMPORT'):
        for dll in getattr(pe, kind, []):
            for function in dll.imports:
                name = (dll.dll.decode().lower(), (function.name or b'#%d' % function.ordinal).decode())
                expect('import', '!'.join(name), 'a function of win2000-imports.txt, by name', ok=name in allowed)
    wanted = [re.sub(r'\s+#.*', '', line) for line in resources_wanted.strip().splitlines()]
    for line in difflib.unified_diff(wanted, resources(path), 'expected', 'found', lineterm='', n=1):
        failures.append(f'resources: {line}')
    check_instructions(pe)


def constructor_lists(code, base):
    """Where the constructor and destructor lists that MinGW's linker puts at the end of .text start (each -1,
    pointers into .text, 0): data, not instructions. The end of `code` where they are not there."""
    word = lambda at: struct.unpack_from('<I', code, at)[0] if at >= 0 else None
    at = len(code)
    for _ in ('destructors', 'constructors'):
        at -= 4
        if word(at) != 0:
            return len(code)
        while (word(at - 4) or 0) in range(base, base + len(code)):
            at -= 4
        at -= 4
        if word(at) != 0xFFFFFFFF:
            return len(code)
    return at


def check_instructions(pe):
    """Every byte of the executable sections is an instruction of the Pentium's, but for the constructor lists and
    the zeros of the file's alignment."""
    decoder = capstone.Cs(capstone.CS_ARCH_X86, capstone.CS_MODE_32)
    decoder.detail = True
    for section in (s for s in pe.sections if s.Characteristics & 0x20000000):  # IMAGE_SCN_MEM_EXECUTE
        name, raw, size = section.Name.rstrip(b'\0').decode(), section.get_data(), section.Misc_VirtualSize
        base = pe.OPTIONAL_HEADER.ImageBase + section.VirtualAddress
        code_end = constructor_lists(raw[:size], base)
        decoded = count = 0
        for insn in decoder.disasm(raw[:code_end], base):  # it stops at the first byte that is no instruction
            decoded, count, mnemonic = decoded + insn.size, count + 1, insn.mnemonic.split()[-1]  # after rep, lock
            # MMX and SSE registers: SSE2's movsd has the name of a string instruction. NOP 0F: the P6's long NOP.
            if mnemonic not in PENTIUM or 'mm' in insn.op_str or (mnemonic == 'nop' and insn.opcode[0] == 0x0F):
                failures.append(f'{name} at {insn.address:#x}: {insn.mnemonic} {insn.op_str}: beyond the Pentium')
        expect(f'{name} at {base + decoded:#x}', raw[decoded:decoded + 8].hex(' '), 'an instruction',
               ok=decoded == code_end)
        expect(f'{name} after the constructor lists', 'other bytes', 'zeros', ok=not raw[size:].strip(b'\0'))
        print(f'{name}: decoded {decoded} of {len(raw)} bytes, {count} instructions; passed over {size - code_end} '
              f'bytes of constructor and destructor lists and {len(raw) - size} of zeros that align the file')


def check_archive(zip_path):
    with zipfile.ZipFile(zip_path) as archive, open(zip_path, 'rb') as raw:
        infos, data = archive.infolist(), raw.read()
        members = {info.filename: archive.read(info) for info in infos}
    expect('archive members', list(members), list(PROGRAMS) + ['TOLVEXAN.TXT'])
    for name in PROGRAMS:
        with open(os.path.join(os.path.dirname(zip_path), name), 'rb') as built:
            expect(f'archived {name}', 'other bytes', 'the built program', ok=members.get(name) == built.read())
    # What Windows XP's zip folders read, and nothing of the builder: the commit's time in UTC, fixed modes.
    epoch = int(os.environ.get('SOURCE_DATE_EPOCH') or subprocess.run(
        ['git', '-C', os.path.dirname(ALLOW_LIST), 'log', '-1', '--format=%ct'], capture_output=True).stdout)
    date = time.gmtime(epoch & ~1)[:6]  # zip times go in steps of two seconds
    for info, mode in zip(infos, ('0o100755', '0o100755', '0o100644')):
        local_extra = struct.unpack_from('<H', data, info.header_offset + 28)[0]  # in the member's own header
        expect(f'{info.filename}: stored or deflate, version needed, extra fields, date, system, mode',
               (info.compress_type in (0, 8), info.extract_version, info.extra, local_extra, info.date_time,
                info.create_system, oct(info.external_attr >> 16)), (True, 20, b'', 0, date, 3, mode))
    text = members.get('TOLVEXAN.TXT', b'')
    expect('TOLVEXAN.TXT byte-order mark', text[:2], b'\xff\xfe')  # UTF-16LE, for Notepad
    lines = text[2:].decode('utf-16-le').split('\r\n')
    expect('TOLVEXAN.TXT line ends', 'bare CR or LF', 'CRLF only',
           ok=len(lines) > 1 and not re.search('[\r\n]', ''.join(lines)))


if __name__ == '__main__':
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    for path in sys.argv[1:]:
        check_archive(path) if path.endswith('.zip') else check_program(path)
    print(''.join(f'FAIL  {failure}\n' for failure in failures) + f'{len(failures)} differences: {" ".join(sys.argv[1:])}')
    sys.exit(1 if failures else 0)
