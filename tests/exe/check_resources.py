#!/usr/bin/python3
"""Gate on the resources that the built tolvexan.exe carries.

    /usr/bin/python3 tests/exe/check_resources.py path/to/tolvexan.exe

Reads the resource section with pefile and decodes the templates itself. It
looks at what a resource compiler or linker may change without anyone
noticing: the kind of each dialog template, the fonts, styles that the
compiler adds or drops (WS_GROUP, WS_TABSTOP, WS_BORDER, default buttons),
the size of the icon control, texts that a wrong source code page garbles,
the icon images, the version block, the language of every resource and
resources that nobody asked for (a manifest added by the linker, say).

Prints one line per check; exits 1 if any check fails, 2 on bad usage.
"""

import struct
import sys

from report import Report

try:
    import pefile
except ImportError:  # pragma: no cover - depends on the machine
    sys.exit('check_resources: pefile is missing; run with /usr/bin/python3 '
             '(Debian package python3-pefile)')

RT_ICON, RT_DIALOG, RT_STRING, RT_GROUP_ICON, RT_VERSION = 3, 5, 6, 14, 16
RT_NAMES = {1: 'RT_CURSOR', 2: 'RT_BITMAP', 3: 'RT_ICON', 4: 'RT_MENU',
            5: 'RT_DIALOG', 6: 'RT_STRING', 9: 'RT_ACCELERATOR',
            10: 'RT_RCDATA', 12: 'RT_GROUP_CURSOR', 14: 'RT_GROUP_ICON',
            16: 'RT_VERSION', 24: 'RT_MANIFEST'}
LANG_JA = 0x0411

EXPECTED_RESOURCES = {
    (RT_DIALOG, 100), (RT_DIALOG, 102), (RT_STRING, 7),
    (RT_GROUP_ICON, 128), (RT_ICON, 1), (RT_ICON, 2), (RT_VERSION, 1),
}

# Window and control style bits, for readable messages.
STYLE_BITS = [
    (0x80000000, 'WS_POPUP'), (0x40000000, 'WS_CHILD'), (0x20000000, 'WS_MINIMIZE'),
    (0x10000000, 'WS_VISIBLE'), (0x08000000, 'WS_DISABLED'),
    (0x04000000, 'WS_CLIPSIBLINGS'), (0x02000000, 'WS_CLIPCHILDREN'),
    (0x01000000, 'WS_MAXIMIZE'), (0x00800000, 'WS_BORDER'), (0x00400000, 'WS_DLGFRAME'),
    (0x00200000, 'WS_VSCROLL'), (0x00100000, 'WS_HSCROLL'), (0x00080000, 'WS_SYSMENU'),
    (0x00040000, 'WS_THICKFRAME'), (0x00020000, 'WS_GROUP/WS_MINIMIZEBOX'),
    (0x00010000, 'WS_TABSTOP/WS_MAXIMIZEBOX'),
]
WS_CHILD, WS_VISIBLE, WS_GROUP, WS_TABSTOP = 0x40000000, 0x10000000, 0x00020000, 0x00010000
WS_POPUP, WS_CAPTION, WS_SYSMENU, WS_MINIMIZEBOX = 0x80000000, 0x00C00000, 0x00080000, 0x00020000
WS_BORDER, WS_VSCROLL = 0x00800000, 0x00200000
DS_SETFONT, DS_MODALFRAME = 0x40, 0x80
WS_EX_APPWINDOW = 0x00040000
LBS_NOTIFY, LBS_SORT, LBS_NOINTEGRALHEIGHT, LBS_DISABLENOSCROLL = 0x1, 0x2, 0x100, 0x1000
BS_PUSHBUTTON, BS_DEFPUSHBUTTON = 0x0, 0x1
SS_LEFT, SS_ICON, SS_NOPREFIX = 0x0, 0x3, 0x80

# Predefined control classes: ordinal and name (a resource compiler may
# store either form; both are valid).
BUTTON, STATIC, LISTBOX = (0x80, 'button'), (0x82, 'static'), (0x83, 'listbox')

def describe_style(style):
    names = [n for bit, n in STYLE_BITS if style & bit]
    return '0x%08X (%s | low 0x%04X)' % (style, ' | '.join(names) or '-', style & 0xFFFF)


# ---------------------------------------------------------------- decoding

class Reader:
    """Little-endian reader over a resource's bytes."""

    def __init__(self, data):
        self.data, self.pos = data, 0

    def take(self, fmt):
        size = struct.calcsize(fmt)
        if self.pos + size > len(self.data):
            raise ValueError('data ends at byte %d, needed %d more'
                             % (len(self.data), self.pos + size - len(self.data)))
        values = struct.unpack_from('<' + fmt, self.data, self.pos)
        self.pos += size
        return values if len(values) > 1 else values[0]

    def align(self, n=4):
        self.pos = (self.pos + n - 1) // n * n

    def wstr(self):
        end = self.pos
        while True:
            if end + 2 > len(self.data):
                raise ValueError('unterminated UTF-16 string at byte %d' % self.pos)
            if self.data[end:end + 2] == b'\0\0':
                break
            end += 2
        text = self.data[self.pos:end].decode('utf-16-le')
        self.pos = end + 2
        return text

    def sz_or_ord(self):
        """A name-or-ordinal field: None, an int (ordinal) or a str."""
        first = self.take('H')
        if first == 0:
            return None
        if first == 0xFFFF:
            return self.take('H')
        self.pos -= 2
        return self.wstr()


def parse_dialog(data):
    """Decode a DLGTEMPLATE or DLGTEMPLATEEX into a dict."""
    r = Reader(data)
    d = {}
    ver, sig = struct.unpack_from('<HH', data, 0)
    d['extended'] = ver == 1 and sig == 0xFFFF
    if d['extended']:
        r.take('HH')
        d['help'], d['exstyle'], d['style'] = r.take('III')
    else:
        d['style'], d['exstyle'] = r.take('II')
    count = r.take('H')
    d['rect'] = r.take('hhhh')
    d['menu'], d['class'], d['caption'] = r.sz_or_ord(), r.sz_or_ord(), r.wstr()
    d['font'] = None
    if d['style'] & DS_SETFONT:
        if d['extended']:
            size, weight, italic, charset = r.take('HHBB')
            d['font'] = (size, r.wstr(), weight, italic, charset)
        else:
            size = r.take('H')
            d['font'] = (size, r.wstr())
    d['controls'] = []
    for _ in range(count):
        r.align()
        c = {}
        if d['extended']:
            c['help'], c['exstyle'], c['style'] = r.take('III')
            c['rect'] = r.take('hhhh')
            c['id'] = r.take('i')
        else:
            c['style'], c['exstyle'] = r.take('II')
            c['rect'] = r.take('hhhh')
            c['id'] = r.take('h')
        c['class'], c['text'] = r.sz_or_ord(), r.sz_or_ord()
        extra = r.take('H')
        r.pos += extra
        d['controls'].append(c)
    return d


def parse_version_node(data, pos=0):
    """One node of a VS_VERSIONINFO tree: (key, type, value bytes, children)."""
    length, value_len, vtype = struct.unpack_from('<HHH', data, pos)
    if length < 6 or pos + length > len(data):
        raise ValueError('version node at byte %d has bad length %d' % (pos, length))
    r = Reader(data[:pos + length])
    r.pos = pos + 6
    key = r.wstr()
    r.align()
    value_size = value_len * 2 if vtype == 1 else value_len
    value = data[r.pos:r.pos + value_size]
    r.pos += value_size
    children = []
    r.align()
    while r.pos < pos + length:
        child = parse_version_node(data, r.pos)
        children.append(child)
        r.pos += struct.unpack_from('<H', data, r.pos)[0]
        r.align()
    return key, vtype, value, children


def text_value(node):
    key, vtype, value, _ = node
    return value.decode('utf-16-le').rstrip('\0')


# ---------------------------------------------------------------- the checks

def load_resources(pe):
    """{(type, name): [(language, bytes), ...]}; names are ints or strs."""
    found = {}
    root = getattr(pe, 'DIRECTORY_ENTRY_RESOURCE', None)
    if root is None:
        return found
    for t in root.entries:
        tkey = t.id if t.name is None else str(t.name)
        for n in getattr(t, 'directory', None) and t.directory.entries or []:
            nkey = n.id if n.name is None else str(n.name)
            langs = []
            for l in n.directory.entries:
                s = l.data.struct
                langs.append((l.id, pe.get_data(s.OffsetToData, s.Size)))
            found[(tkey, nkey)] = langs
    return found


def res_label(key):
    t, n = key
    return '%s %s' % (RT_NAMES.get(t, 'type %r' % (t,)), n)


def check_inventory(rep, res):
    extra = sorted((k for k in res if k not in EXPECTED_RESOURCES), key=str)
    missing = sorted((k for k in EXPECTED_RESOURCES if k not in res), key=str)
    rep.check('no resource besides the dialogs, strings, icon group, icons and version',
              not extra, 'unexpected: ' + ', '.join(res_label(k) for k in extra))
    rep.check('every expected resource is present', not missing,
              'missing: ' + ', '.join(res_label(k) for k in missing))
    wrong = ['%s in %s' % (res_label(k), ', '.join('0x%04X' % l for l, _ in v))
             for k, v in sorted(res.items(), key=str)
             if [l for l, _ in v] != [LANG_JA]]
    rep.check('every resource exists once, in language 0x0411 (Japanese)', not wrong,
              '; '.join(wrong))


def data_of(res, rtype, name):
    langs = res.get((rtype, name))
    return langs[0][1] if langs else None


def check_controls(rep, label, dlg, expected):
    controls = dlg['controls']
    if not rep.equal('%s: number of controls' % label, len(controls), len(expected)):
        return
    for i, (c, (what, cid, cls, style)) in enumerate(zip(controls, expected)):
        name = '%s control %d (%s)' % (label, i + 1, what)
        rep.equal(name + ': identifier', c['id'], cid)
        got_class = c['class'].lower() if isinstance(c['class'], str) else c['class']
        shown = 'ordinal 0x%02X' % c['class'] if isinstance(c['class'], int) else repr(c['class'])
        rep.check(name + ': class', got_class in cls,
                  'got %s, expected ordinal 0x%02X or "%s"' % (shown, cls[0], cls[1]))
        rep.check(name + ': styles', c['style'] == style,
                  'got %s, expected %s' % (describe_style(c['style']), describe_style(style)))
        rep.check(name + ': no extended style', c['exstyle'] == 0,
                  'got 0x%08X' % c['exstyle'])


def check_setup_dialog(rep, data):
    label = 'dialog 102'
    d = parse_dialog(data)
    if not rep.check(label + ': extended template (DLGTEMPLATEEX)', d['extended']):
        return
    rep.check(label + ': window styles',
              d['style'] == WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU |
              WS_MINIMIZEBOX | DS_MODALFRAME | DS_SETFONT,
              'got ' + describe_style(d['style']))
    rep.equal(label + ': extended style WS_EX_APPWINDOW', d['exstyle'], WS_EX_APPWINDOW)
    rep.equal(label + ': position and size', d['rect'], (0, 0, 191, 197))
    rep.check(label + ': no menu, no own window class',
              d['menu'] is None and d['class'] is None,
              'menu %r, class %r' % (d['menu'], d['class']))
    rep.equal(label + ': caption', d['caption'], 'ZentuPrinter Voskari for Win2k/XP')
    rep.equal(label + ': font (size, face, weight, italic, charset)', d['font'],
              (10, 'ＭＳ ゴシック', 0, 0, 1))
    check_controls(rep, label, d, [
        ('model list', 1000, LISTBOX,
         WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_VSCROLL |
         LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT | LBS_DISABLENOSCROLL),
        ('install button, not the default', 1001, BUTTON,
         WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON),
    ])
    if len(d['controls']) == 2:
        rep.equal(label + ': install button text', d['controls'][1]['text'],
                  'プリンタドライバのインストール実行')


def check_version_dialog(rep, data, notice):
    label = 'dialog 100'
    d = parse_dialog(data)
    if not rep.check(label + ': classic template (DLGTEMPLATE, not extended)',
                     not d['extended']):
        return
    rep.check(label + ': window styles',
              d['style'] == WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
              'got ' + describe_style(d['style']))
    rep.equal(label + ': no extended style', d['exstyle'], 0)
    rep.equal(label + ': position and size', d['rect'], (0, 0, 235, 55))
    rep.check(label + ': no menu, no own window class',
              d['menu'] is None and d['class'] is None,
              'menu %r, class %r' % (d['menu'], d['class']))
    rep.equal(label + ': caption', d['caption'], 'tolvexanのﾊﾞｰｼﾞｮﾝ情報')
    rep.equal(label + ': font (size, face)', d['font'], (9, 'ＭＳ Ｐゴシック'))
    check_controls(rep, label, d, [
        ('icon', -1, STATIC, WS_CHILD | WS_VISIBLE | SS_ICON),
        ('name', -1, STATIC, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT | SS_NOPREFIX),
        ('notice', -1, STATIC, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT),
        ('OK', 1, BUTTON, WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON),
    ])
    c = d['controls']
    if len(c) == 4:
        rep.equal(label + ': icon control at 11,17, 20x20', c[0]['rect'], (11, 17, 20, 20))
        rep.equal(label + ': icon control shows icon 128', c[0]['text'], 128)
        rep.equal(label + ': name text', c[1]['text'], 'tolvexan Version 1.0')
        rep.check(label + ': notice line is set and matches LegalCopyright',
                  isinstance(c[2]['text'], str) and c[2]['text'] != '' and
                  c[2]['text'] == notice,
                  'notice %r, LegalCopyright %r' % (c[2]['text'], notice))
        rep.equal(label + ': OK button text', c[3]['text'], 'OK')


def check_strings(rep, data):
    r = Reader(data)
    texts = []
    try:
        for _ in range(16):
            n = r.take('H')
            raw = data[r.pos:r.pos + 2 * n]
            r.pos += 2 * n
            texts.append(raw)
    except ValueError as e:
        rep.check('string block 7: 16 entries', False, str(e))
        return
    rep.equal('string block 7: nothing after the 16 entries', len(data) - r.pos, 0)
    want = 'tolvexan のﾊﾞｰｼﾞｮﾝ情報(&A)...'.encode('utf-16-le')
    rep.check('string 101, byte for byte in UTF-16 (no NUL stored)', texts[5] == want,
              'got %r (%s), expected %r' % (texts[5].decode('utf-16-le', 'replace'),
                                            texts[5].hex(' ', 2), want.decode('utf-16-le')))
    others = [96 + i for i, t in enumerate(texts) if i != 5 and t]
    rep.check('string block 7: no string but 101', not others,
              'strings present: %s' % others)


def check_icons(rep, res):
    group = data_of(res, RT_GROUP_ICON, 128)
    if not rep.check('icon group 128 present', group is not None):
        return
    try:
        reserved, kind, count = struct.unpack_from('<HHH', group, 0)
        entries = [struct.unpack_from('<BBBBHHIH', group, 6 + 14 * i) for i in range(count)]
    except struct.error as e:
        rep.check('icon group 128 readable', False, str(e))
        return
    rep.equal('icon group 128: header (reserved, type icon)', (reserved, kind), (0, 1))
    rep.equal('icon group 128: size of the group data', len(group), 6 + 14 * count)
    got = [(w, h, colours, planes, bits, nid) for w, h, colours, _, planes, bits, _, nid in entries]
    rep.equal('icon group 128: images (width, height, colours, planes, bpp, id)', got,
              [(32, 32, 16, 1, 4, 1), (16, 16, 16, 1, 4, 2)])
    for w, h, colours, _, planes, bits, size, nid in entries:
        image = data_of(res, RT_ICON, nid)
        label = 'icon image %d' % nid
        if not rep.check(label + ' present', image is not None):
            continue
        rep.equal(label + ': size recorded in the group', size, len(image))
        check_icon_image(rep, label, image, w)


def check_icon_image(rep, label, image, size):
    try:
        (hsize, width, height, planes, bits, compression,
         _, _, _, used, _) = struct.unpack_from('<IiiHHIIiiII', image, 0)
    except struct.error:
        rep.check(label + ': BITMAPINFOHEADER', False, 'only %d bytes' % len(image))
        return
    rep.equal(label + ': header (size, width, 2x height, planes, bpp, uncompressed)',
              (hsize, width, height, planes, bits, compression),
              (40, size, 2 * size, 1, 4, 0))
    if (hsize, width, height, bits) != (40, size, 2 * size, 4):
        return
    colours = used or 16
    xor_stride = (4 * size + 31) // 32 * 4
    and_stride = (size + 31) // 32 * 4
    xor_at = 40 + 4 * colours
    and_at = xor_at + xor_stride * size
    rep.equal(label + ': length (header, palette, colour bitmap, mask)',
              len(image), and_at + and_stride * size)
    if len(image) < and_at + and_stride * size:
        return
    opaque = set()
    for y in range(size):
        for x in range(size):
            if not image[and_at + y * and_stride + x // 8] & (0x80 >> (x % 8)):
                byte = image[xor_at + y * xor_stride + x // 2]
                opaque.add(byte >> 4 if x % 2 == 0 else byte & 15)
    rep.check(label + ': draws something (opaque pixels in several colours)',
              len(opaque) >= 3, 'opaque pixel colours: %s' % sorted(opaque))


VERSION_STRINGS = [
    ('CompanyName', ''),
    ('FileDescription', 'tolvexan MFC ｱﾌﾟﾘｹｰｼｮﾝ'),
    ('FileVersion', '1, 0, 0, 1'),
    ('InternalName', 'tolvexan'),
    ('LegalCopyright', None),        # the notice; compared with the version box
    ('LegalTrademarks', ''),
    ('OriginalFilename', 'tolvexan.EXE'),
    ('ProductName', 'tolvexan ｱﾌﾟﾘｹｰｼｮﾝ'),
    ('ProductVersion', '1, 0, 0, 1'),
]


def check_version(rep, data):
    """Checks the version block; returns the LegalCopyright text (or None)."""
    try:
        key, _, fixed, children = parse_version_node(data)
    except (ValueError, struct.error, UnicodeDecodeError) as e:
        rep.check('version block readable', False, str(e))
        return None
    rep.equal('version block: root key', key, 'VS_VERSION_INFO')
    if rep.equal('version block: fixed part is 52 bytes', len(fixed), 52):
        f = struct.unpack('<13I', fixed)
        rep.equal('version block: signature and structure version',
                  (hex(f[0]), hex(f[1])), ('0xfeef04bd', '0x10000'))
        rep.equal('version block: file version 1.0.0.1, product version 1.0.0.1',
                  f[2:6], (0x00010000, 0x00000001, 0x00010000, 0x00000001))
        rep.equal('version block: flags mask 0x3F, flags 0', f[6:8], (0x3F, 0))
        rep.equal('version block: VOS__WINDOWS32, VFT_APP, subtype 0', f[8:11], (4, 1, 0))
        rep.equal('version block: no file date', f[11:13], (0, 0))
    rep.equal('version block: StringFileInfo then VarFileInfo',
              [c[0] for c in children], ['StringFileInfo', 'VarFileInfo'])
    notice = None
    sfi = [c for c in children if c[0] == 'StringFileInfo']
    if sfi:
        tables = sfi[0][3]
        rep.equal('version block: one string table, "041104B0"',
                  [t[0] for t in tables], ['041104B0'])
        if tables:
            strings = tables[0][3]
            rep.equal('version block: the nine keys, in order',
                      [s[0] for s in strings], [k for k, _ in VERSION_STRINGS])
            text_nodes = [s[0] for s in strings if s[1] != 1]
            rep.check('version block: every value is marked as text (type 1)',
                      not text_nodes, 'binary type on: %s' % text_nodes)
            values = dict((s[0], text_value(s)) for s in strings)
            for k, want in VERSION_STRINGS:
                if want is not None:
                    rep.equal('version block: %s' % k, values.get(k), want)
            notice = values.get('LegalCopyright')
            rep.check('version block: LegalCopyright is a copyright line',
                      bool(notice) and notice.startswith('Copyright'), repr(notice))
    vfi = [c for c in children if c[0] == 'VarFileInfo']
    if vfi:
        var = vfi[0][3]
        rep.equal('version block: VarFileInfo holds only Translation',
                  [v[0] for v in var], ['Translation'])
        if var:
            raw = var[0][2]
            pairs = [struct.unpack_from('<HH', raw, i) for i in range(0, len(raw) - 3, 4)]
            rep.equal('version block: Translation 0x0411, 1200', pairs, [(0x0411, 1200)])
    return notice


def main(argv):
    if len(argv) != 2:
        print('usage: check_resources.py path/to/tolvexan.exe', file=sys.stderr)
        return 2
    try:
        pe = pefile.PE(argv[1], fast_load=True)
        pe.parse_data_directories(
            directories=[pefile.DIRECTORY_ENTRY['IMAGE_DIRECTORY_ENTRY_RESOURCE']])
    except (OSError, pefile.PEFormatError) as e:
        print('FAIL  %s is not a readable PE file: %s' % (argv[1], e))
        return 1
    rep = Report()
    res = load_resources(pe)
    if not rep.check('the executable has resources', bool(res)):
        return 1
    check_inventory(rep, res)

    def guarded(name, func, *args):
        try:
            return func(*args)
        except (ValueError, struct.error, UnicodeDecodeError) as e:
            rep.check(name + ' readable', False, str(e))
            return None

    version = data_of(res, RT_VERSION, 1)
    notice = guarded('version block', check_version, rep, version) if version else None
    for name, func, args in (('dialog 102', check_setup_dialog, ()),
                             ('dialog 100', check_version_dialog, (notice,))):
        data = data_of(res, RT_DIALOG, int(name.split()[1]))
        if data is not None:
            guarded(name, func, rep, data, *args)
    strings = data_of(res, RT_STRING, 7)
    if strings is not None:
        guarded('string block 7', check_strings, rep, strings)
    guarded('icon group 128', check_icons, rep, res)

    if rep.failures:
        print('%d check(s) failed in the resources of %s' % (rep.failures, argv[1]))
        return 1
    print('all resource checks passed')
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
