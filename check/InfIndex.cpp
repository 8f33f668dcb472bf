#include "InfIndex.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

TextSpan SpanOf(const char* text) { return TextSpan{text, std::strlen(text)}; }

static bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

static unsigned char Folded(unsigned char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 32) : c;
}

int CompareNames(TextSpan a, TextSpan b)
{
    // Both names are equal up to i, so a trail byte stands at the same place in both.
    bool trail = false;
    for (size_t i = 0; i < a.length && i < b.length; ++i) {
        const auto x = static_cast<unsigned char>(a.data[i]);
        const auto y = static_cast<unsigned char>(b.data[i]);
        const int difference = trail ? x - y : Folded(x) - Folded(y);
        if (difference != 0)
            return difference;
        trail = !trail && IsLeadByte(x);
    }
    return a.length < b.length ? -1 : a.length > b.length ? 1 : 0;
}

static bool IsBlank(char c) { return c == ' ' || c == '\t'; }

static TextSpan Trimmed(TextSpan text)
{
    while (text.length > 0 && IsBlank(text.data[0]))
        ++text.data, --text.length;
    while (text.length > 0 && IsBlank(text.data[text.length - 1]))
        --text.length;
    return text;
}

TextSpan Unquoted(TextSpan text)
{
    text = Trimmed(text);
    if (text.length >= 2 && text.data[0] == '"' && text.data[text.length - 1] == '"')
        return TextSpan{text.data + 1, text.length - 2};
    return text;
}

TextSpan FirstField(TextSpan value)
{
    const void* comma = std::memchr(value.data, ',', value.length);
    if (comma != nullptr)
        value.length = static_cast<size_t>(static_cast<const char*>(comma) - value.data);
    return Unquoted(value);
}

bool HoldsStringKey(TextSpan name)
{
    for (size_t i = 0; i < name.length; ++i) {
        if (name.data[i] != '%')
            continue;
        const void* close = std::memchr(name.data + i + 1, '%', name.length - i - 1);
        if (close == nullptr)
            return false;
        const size_t end = static_cast<size_t>(static_cast<const char*>(close) - name.data);
        if (end > i + 1)
            return true;
        i = end;
    }
    return false;
}

// Reads the field of a decoration up to the next dot, moving `text` past the
// dot: a decimal or 0x-hexadecimal number into `number`, or nothing (false).
// A field of other characters makes `valid` false.
static bool ReadField(TextSpan& text, unsigned long& number, bool& valid)
{
    size_t length = 0;
    while (length < text.length && text.data[length] != '.')
        ++length;
    char field[16] = {};
    if (length >= sizeof field) {
        valid = false;
    } else if (length > 0) {
        std::memcpy(field, text.data, length);
        char* end = nullptr;
        number = std::strtoul(field, &end, 0);
        valid = valid && end == field + length;
    }
    const size_t skip = length < text.length ? length + 1 : length;
    text.data += skip;
    text.length -= skip;
    return length > 0;
}

int WindowsXPFit(TextSpan decoration)
{
    TextSpan text = Trimmed(decoration);
    if (text.length < 2 || Folded(text.data[0]) != 'N' || Folded(text.data[1]) != 'T')
        return -1;
    text.data += 2, text.length -= 2;
    size_t architecture = 0;
    while (architecture < text.length && text.data[architecture] != '.')
        ++architecture;
    if (architecture != 0 && CompareNames(TextSpan{text.data, architecture}, SpanOf("x86")) != 0)
        return -1;
    text.data += architecture, text.length -= architecture;
    if (text.length > 0)
        ++text.data, --text.length; // the dot
    unsigned long major = 0, minor = 0, productType = 0, suiteMask = 0;
    bool valid = true;
    const bool hasMajor = ReadField(text, major, valid);
    ReadField(text, minor, valid);
    const bool hasProductType = ReadField(text, productType, valid);
    ReadField(text, suiteMask, valid);
    // Windows XP is 5.1 of the workstation product type (1); its suite is
    // not known in advance, so only an empty mask surely fits.
    if (!valid || text.length > 0 || major > 5 || (major == 5 && minor > 1) ||
        (hasProductType && productType != 1) || suiteMask != 0)
        return -1;
    const int version = hasMajor ? static_cast<int>(major * 100 + minor) : 0;
    return version * 4 + (architecture != 0 ? 2 : 0) + (hasProductType ? 1 : 0);
}

KeyIndex::~KeyIndex() { std::free(m_keys); }

bool KeyIndex::Reserve(size_t more)
{
    if (m_count + more <= m_capacity)
        return true;
    void* keys = std::realloc(m_keys, (m_count + more) * sizeof(Key));
    if (keys == nullptr)
        return false;
    m_keys = static_cast<Key*>(keys);
    m_capacity = m_count + more;
    return true;
}

void KeyIndex::Add(TextSpan section, TextSpan key, TextSpan value, size_t line)
{
    m_keys[m_count++] = Key{section, key, value, line};
}

static bool KeyBefore(const KeyIndex::Key& a, const KeyIndex::Key& b)
{
    int order = CompareNames(a.section, b.section);
    if (order == 0)
        order = CompareNames(a.key, b.key);
    return order < 0 || (order == 0 && a.line < b.line);
}

void KeyIndex::Sort() { std::sort(m_keys, m_keys + m_count, KeyBefore); }

static size_t CountStrings(const char* strings, size_t length)
{
    size_t count = 0;
    ForEachString(strings, length, [&](TextSpan) { ++count; });
    return count;
}

// The key of a line, unquoted, and in `value` the text after its first
// "=", if any, without surrounding blanks.
static TextSpan SplitKeyLine(TextSpan line, TextSpan& value)
{
    const void* equals = std::memchr(line.data, '=', line.length);
    if (equals == nullptr) {
        value = TextSpan{};
        return Unquoted(line);
    }
    const size_t keyLength = static_cast<size_t>(static_cast<const char*>(equals) - line.data);
    value = Trimmed(TextSpan{line.data + keyLength + 1, line.length - keyLength - 1});
    return Unquoted(TextSpan{line.data, keyLength});
}

bool KeyIndex::AddSectionLines(const char* section, const char* lines, size_t length)
{
    if (!Reserve(CountStrings(lines, length)))
        return false;
    size_t order = 0;
    ForEachString(lines, length, [&](TextSpan line) {
        TextSpan value;
        const TextSpan key = SplitKeyLine(line, value);
        Add(SpanOf(section), key, value, ++order);
    });
    Sort();
    return true;
}

bool KeyIndex::AddSectionNames(const char* names, size_t length)
{
    if (!Reserve(CountStrings(names, length)))
        return false;
    size_t order = 0;
    ForEachString(names, length, [&](TextSpan name) { Add(name, TextSpan{}, TextSpan{}, ++order); });
    Sort();
    return true;
}

bool KeyIndex::AddText(const char* text, size_t length)
{
    if (!Reserve(static_cast<size_t>(std::count(text, text + length, '\n')) + 1))
        return false;
    TextSpan section;
    size_t number = 0;
    for (size_t offset = 0; offset < length;) {
        const char* end = static_cast<const char*>(std::memchr(text + offset, '\n', length - offset));
        const size_t lineLength = end ? static_cast<size_t>(end - text) - offset : length - offset;
        TextSpan line = Trimmed(TextSpan{text + offset, lineLength});
        offset += lineLength + 1;
        ++number;
        if (line.length > 0 && line.data[line.length - 1] == '\r')
            line = Trimmed(TextSpan{line.data, line.length - 1});
        if (line.length == 0 || line.data[0] == ';') {
            continue;
        } else if (line.data[0] == '[') {
            const void* close = std::memchr(line.data, ']', line.length);
            const size_t nameEnd =
                close ? static_cast<size_t>(static_cast<const char*>(close) - line.data) : line.length;
            section = Trimmed(TextSpan{line.data + 1, nameEnd - 1});
            Add(section, TextSpan{}, TextSpan{}, number);
        } else if (section.data != nullptr) {
            TextSpan value;
            const TextSpan key = SplitKeyLine(line, value);
            Add(section, key, value, number);
        }
    }
    Sort();
    return true;
}

const KeyIndex::Key* KeyIndex::Find(TextSpan section, TextSpan key) const
{
    const Key wanted{section, key, TextSpan{}, 0};
    const Key* found = std::lower_bound(m_keys, m_keys + m_count, wanted, KeyBefore);
    if (found == m_keys + m_count || CompareNames(found->section, section) != 0 ||
        CompareNames(found->key, key) != 0)
        return nullptr;
    return found;
}
