#pragma once

#include <cstddef>
#include <cstdlib>

// An owned block of heap memory. The program avoids the C++ library's
// containers (they bring the exception runtime into the executable), so
// buffers whose size is only known at run time live in one of these.
class HeapBuffer {
public:
    HeapBuffer() = default;
    ~HeapBuffer() { std::free(m_data); }
    HeapBuffer(const HeapBuffer&) = delete;
    HeapBuffer& operator=(const HeapBuffer&) = delete;

    // Replaces the contents by a block of `size` bytes, not initialised.
    // Returns false (leaving the buffer empty) when memory is short.
    bool Allocate(size_t size)
    {
        std::free(m_data);
        m_data = static_cast<char*>(std::malloc(size ? size : 1));
        m_size = m_data ? size : 0;
        return m_data != nullptr;
    }

    char* Data() { return m_data; }
    const char* Data() const { return m_data; }
    size_t Size() const { return m_size; }

private:
    char* m_data = nullptr;
    size_t m_size = 0;
};
