#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Reads a fuzzer input from the front. Past its end every read gives zeros,
// so that any input, however short, decodes to something.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }

    uint16_t U16()
    {
        const uint16_t low = Byte();
        return static_cast<uint16_t>(low | (Byte() << 8));
    }

    uint32_t U32()
    {
        const uint32_t low = U16();
        return low | (static_cast<uint32_t>(U16()) << 16);
    }

    uint64_t U64()
    {
        const uint64_t low = U32();
        return low | (static_cast<uint64_t>(U32()) << 32);
    }

    // Up to `count` bytes, fewer when the input runs out.
    const uint8_t* Bytes(size_t count, size_t& got)
    {
        got = count < m_size - m_at ? count : m_size - m_at;
        const uint8_t* bytes = m_data + m_at;
        m_at += got;
        return bytes;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

// A broken property: says which one and aborts, so that libFuzzer keeps the
// input as a crash.
#define FUZZ_REQUIRE(condition, what)                                                                        \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: property broken: %s\n  (%s)\n", __FILE__, __LINE__, what,           \
                         #condition);                                                                        \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)
