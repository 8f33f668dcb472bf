#pragma once

#include <cstddef>
#include <cstdint>

#include "HeapBuffer.h"
#include "ModelEntry.h"
#include "SetupPlatform.h"

// "エラー発生" (an error occurred) in code page 932: what the INF reader
// answers for an absent section, and the caption of the error message.
inline constexpr char ProfileDefault[] = "\x83\x47\x83\x89\x81\x5b\x94\xad\x90\xb6";

// "Zentu KTLドライバが展開されたフォルダで実行してください。" in code page
// 932: shown when the folder holds no usable driver package.
inline constexpr char CatalogueErrorText[] =
    "Zentu KTL"
    "\x83\x68\x83\x89\x83\x43\x83\x6f\x82\xaa\x93\x57\x8a\x4a\x82\xb3\x82\xea"
    "\x82\xbd\x83\x74\x83\x48\x83\x8b\x83\x5f\x82\xc5\x8e\xc0\x8d\x73\x82\xb5"
    "\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2\x81\x42";

// The two INF sections with the models for each Windows version.
inline constexpr char Win2kSection[] = "Zentu";
inline constexpr char WinXPSection[] = "Zentu.NTx86.5.1";

// Key lists are read in buffers of at least this size and never larger than
// the cap; a section that does not fit the cap is refused.
constexpr size_t KeyListMinimumSize = 4096;
constexpr size_t KeyListMaximumSize = size_t{32} * 1024 * 1024;

// Fills DriverFolder with the working directory and a backslash and, when
// the folder holds a "*.INF" match and both paths fit, InfPath; `infSize`
// receives the match's size. False when there is no match or a path does
// not fit.
bool LocateDriverInf(SetupPlatform& platform, uint64_t& infSize);

// Reads an answer of the INF reader whole into `buffer`, NUL-terminated, with
// `length` its count of bytes: `read(buffer, size)` answers as the reader
// does, cut to size - 2 when it does not fit. The first size is one that the
// file's text cannot outgrow; a cut answer, or one that just fits, is read
// again at twice the size, up to KeyListMaximumSize. False when it does not
// fit that either, or when memory is short.
template <class Reader>
bool ReadWholeAnswer(uint64_t fileSize, HeapBuffer& buffer, size_t& length, Reader read)
{
    // Each key in the file is followed by at least one character ('=' or a
    // line end), except perhaps the last one, so the keys and their NULs take
    // at most fileSize + 1 bytes; with the closing NUL and one byte to spare,
    // the answer stays below size - 2, where it cannot be mistaken for a cut
    // one. A UTF-16 file is never shorter than the code-page text read from it.
    size_t size = fileSize >= KeyListMaximumSize - 4 ? KeyListMaximumSize : static_cast<size_t>(fileSize) + 4;
    size = size < KeyListMinimumSize ? KeyListMinimumSize : size;
    for (;;) {
        if (!buffer.Allocate(size))
            return false;
        length = read(buffer.Data(), size);
        if (length < size - 2)
            break;
        if (size == KeyListMaximumSize)
            return false;
        size = size > KeyListMaximumSize / 2 ? KeyListMaximumSize : size * 2;
    }
    buffer.Data()[length] = '\0';
    return true;
}

// Reads the key names of `section` in InfPath into `keys`; `length` receives
// the count of bytes in the list without its closing NUL. False when the
// section is absent (the answer is ProfileDefault), when the list is larger
// than KeyListMaximumSize or when memory is short.
bool ReadModelSection(SetupPlatform& platform, const char* section, uint64_t infSize, HeapBuffer& keys,
                      size_t& length);

// Adds `tag` + key to `list` for each key of the list, in order, up to the
// first empty key or `length`; stops after the first key added while Shift
// is held. False when memory is short.
bool AddModelEntries(ModelList& list, SetupPlatform& platform, const char* tag, const char* keys,
                     size_t length);

// Fills `list` from the INF in the working directory and selects its first
// entry. False, leaving what was added, when the folder holds no usable INF:
// the caller then shows CatalogueErrorText with the caption ProfileDefault.
bool BuildModelList(ModelList& list, SetupPlatform& platform);
