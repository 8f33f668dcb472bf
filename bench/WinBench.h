#pragma once

// What the Windows bench programs share: the clock, medians, and the
// driver-package folders they run in.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchPackage.h"

namespace bench {

inline int64_t Ticks()
{
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

inline double Milliseconds(int64_t ticks)
{
    static const double perMs = [] {
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    return static_cast<double>(ticks) / perMs;
}

inline double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

// The folder of the package with `models` models (half in each section)
// under `root`.
inline std::string PackageFolder(const std::string& root, size_t models)
{
    return root + "\\models-" + std::to_string(models);
}

// Writes the package's INF (ZENTU.INF, its only file) into its folder, made
// anew each time; returns the INF's size in bytes, or 0 when it could not
// be written.
inline size_t WritePackage(const std::string& root, size_t models)
{
    const std::string folder = PackageFolder(root, models);
    ::CreateDirectoryA(root.c_str(), nullptr);
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const std::string text = InfText(ModelKeys(models / 2));
    HANDLE file = ::CreateFileA((folder + "\\ZENTU.INF").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == text.size() ? text.size() : 0;
}

// A count of runs from the command line; 0 when it is not a count of 1 or more.
inline int ParseRuns(const char* text)
{
    char* end = nullptr;
    const long runs = std::strtol(text, &end, 10);
    return *end == '\0' && runs >= 1 && runs <= 1000 ? static_cast<int>(runs) : 0;
}

// The sizes given on the command line from `first` on; false (with a
// message) when one is not an even count of models of at least 2.
inline bool ParseSizes(int argc, char** argv, int first, std::vector<size_t>& sizes)
{
    for (int i = first; i < argc; ++i) {
        char* end = nullptr;
        const unsigned long models = std::strtoul(argv[i], &end, 10);
        if (*end != '\0' || models < 2 || models % 2 != 0) {
            std::fprintf(stderr, "not an even count of models: %s\n", argv[i]);
            return false;
        }
        sizes.push_back(models);
    }
    return !sizes.empty();
}

} // namespace bench
