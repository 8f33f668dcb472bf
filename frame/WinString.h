#pragma once

#include "Wnd.h"

// A text loaded from the executable's string table, in the system code page.
// Held in malloc'd memory: operator new would bring the C++ exception runtime
// into the executable.
class CString {
public:
    CString() = default;
    ~CString();
    CString(const CString&) = delete;
    CString& operator=(const CString&) = delete;

    // Loads string `id`; a missing string leaves the text empty.
    BOOL LoadString(UINT id);

    bool IsEmpty() const { return m_text == nullptr || m_text[0] == '\0'; }
    const char* GetString() const { return m_text ? m_text : ""; }

private:
    char* m_text = nullptr;
};
