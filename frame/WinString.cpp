#include "WinString.h"

#include <cstdlib>

CString::~CString() { std::free(m_text); }

BOOL CString::LoadString(UINT id)
{
    // LoadStringA does not report a cut: grow until the text leaves room to
    // spare. A string table entry holds at most 65535 UTF-16 units.
    for (int size = 256; size <= 4 * 65536; size *= 2) {
        char* text = static_cast<char*>(std::malloc(size));
        if (!text)
            return FALSE;
        const int length = ::LoadStringA(::GetModuleHandleA(nullptr), id, text, size);
        if (length < size - 1) {
            std::free(m_text);
            m_text = text;
            if (length <= 0)
                m_text[0] = '\0';
            return length > 0;
        }
        std::free(text);
    }
    return FALSE;
}
