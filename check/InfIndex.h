#pragma once

#include <cstddef>

// A piece of a longer text, not NUL-terminated.
struct TextSpan {
    const char* data = nullptr;
    size_t length = 0;
};

TextSpan SpanOf(const char* text);

// Calls `visit` with each string of a profile answer: NUL-terminated, up to
// the first empty one or `length`.
template <class Visit> void ForEachString(const char* strings, size_t length, Visit visit)
{
    for (size_t offset = 0; offset < length && strings[offset] != '\0';) {
        const TextSpan string = SpanOf(strings + offset);
        offset += string.length + 1;
        visit(string);
    }
}

// Compares names as the INF reader does: ASCII letters in any case are the
// same, and the second byte of a double-byte (code page 932) character is
// never folded. Negative, zero or positive, as strcmp.
int CompareNames(TextSpan a, TextSpan b);

// `text` without surrounding blanks, and without the quotation marks that
// enclose it whole.
TextSpan Unquoted(TextSpan text);

// The first field of an INF value: the text before its first comma, unquoted.
TextSpan FirstField(TextSpan value);

// Whether `name` holds a %strkey% token, which Windows' INF reader replaces
// from [Strings]; "%%" is a plain percent sign.
bool HoldsStringKey(TextSpan name);

// How closely a [Manufacturer] decoration ("NTx86.5.1", "NT", ...) fits
// Windows XP on x86: -1 when it is not for that system, else larger for a
// closer fit: the later Windows version first, then a named architecture,
// then a named product type.
int WindowsXPFit(TextSpan decoration);

// Keys of INF sections, found by section and key, names compared as the INF
// reader compares them and keys unquoted.
class KeyIndex {
public:
    KeyIndex() = default;
    ~KeyIndex();
    KeyIndex(const KeyIndex&) = delete;
    KeyIndex& operator=(const KeyIndex&) = delete;

    struct Key {
        TextSpan section;
        TextSpan key; // empty for a section's own header
        TextSpan value;
        size_t line = 0; // in the file, from 1; or the order of reading
    };

    // Each returns false when memory is short. The texts taken must outlive
    // the index.
    //
    // Takes the key lines of one section as the profile reader answers them
    // ("key=value", each closed by a NUL, up to `length`).
    bool AddSectionLines(const char* section, const char* lines, size_t length);
    // Takes section names as the profile reader answers them.
    bool AddSectionNames(const char* names, size_t length);
    // Takes a whole INF text, with section headers and keys at their lines.
    bool AddText(const char* text, size_t length);

    // The first key `key` of `section` in the order taken; an empty key
    // finds the section itself. Null when there is none.
    const Key* Find(TextSpan section, TextSpan key) const;

private:
    bool Reserve(size_t more);
    void Add(TextSpan section, TextSpan key, TextSpan value, size_t line);
    void Sort();

    Key* m_keys = nullptr;
    size_t m_count = 0;
    size_t m_capacity = 0;
};
