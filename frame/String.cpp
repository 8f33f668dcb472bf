#include "String.h"

BOOL CString::LoadString(UINT id)
{
    // A string table entry holds at most 65535 UTF-16 units; grow until the
    // text fits with room to spare, since LoadStringA does not report a cut.
    for (int size = 256; size <= 4 * 65536; size *= 2) {
        char* text = new char[size];
        int length = ::LoadStringA(::GetModuleHandleA(nullptr), id, text, size);
        if (length < size - 1) {
            delete[] m_text;
            m_text = text;
            if (length <= 0)
                m_text[0] = '\0';
            return length > 0;
        }
        delete[] text;
    }
    return FALSE;
}
