// Times start-up to a filled, visible dialog: the tool against the baseline
// program, each started in a generated driver-package folder.
//
//   bench_startup TOOL.exe BASELINE.exe WORK-FOLDER RUNS MODELS...
//
// For each count of models it writes a package under WORK-FOLDER, then
// starts each program RUNS times (after one start of each that is not
// counted), alternating which goes first. A start is timed from just before
// CreateProcess until the program has a visible dialog whose model list
// holds every entry (LB_GETCOUNT); the dialog is then closed and the program
// waited for. Prints every time, the medians, and what the tool adds.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "WinBench.h"

namespace {

const int kModelListId = 1000;
const DWORD kStartTimeoutMs = 120000;

struct Search {
    DWORD processId = 0;
    LRESULT expected = 0;
    HWND filled = nullptr;
    bool otherDialog = false; // a visible dialog without the model list
    LRESULT count = -1;
};

BOOL CALLBACK CheckWindow(HWND window, LPARAM lParam)
{
    auto& search = *reinterpret_cast<Search*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId || !::IsWindowVisible(window))
        return TRUE;
    wchar_t className[16] = L"";
    ::GetClassNameW(window, className, 16);
    if (std::wstring(className) != L"#32770")
        return TRUE;
    HWND list = ::GetDlgItem(window, kModelListId);
    if (list == nullptr) {
        search.otherDialog = true;
        return TRUE;
    }
    DWORD_PTR count = 0;
    if (::SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count)) {
        search.count = static_cast<LRESULT>(count);
        if (search.count == search.expected) {
            search.filled = window;
            return FALSE;
        }
    }
    return TRUE;
}

// Milliseconds from start to the filled dialog, or a negative value when
// the program failed (the reason is printed).
double TimeStart(const std::string& exe, const std::string& arguments, const std::string& folder,
                 size_t expected)
{
    std::string commandLine = "\"" + exe + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};

    const int64_t start = bench::Ticks();
    if (!::CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                          &startup, &process)) {
        std::fprintf(stderr, "cannot start %s (error %lu)\n", exe.c_str(), ::GetLastError());
        return -1.0;
    }
    Search search{process.dwProcessId, static_cast<LRESULT>(expected)};
    double elapsed = -1.0;
    for (;;) {
        search.filled = nullptr;
        search.otherDialog = false;
        ::EnumWindows(CheckWindow, reinterpret_cast<LPARAM>(&search));
        const int64_t now = bench::Ticks();
        if (search.filled != nullptr) {
            elapsed = bench::Milliseconds(now - start);
            break;
        }
        if (search.otherDialog) {
            std::fprintf(stderr, "%s showed another dialog (a message?) in %s\n", exe.c_str(),
                         folder.c_str());
            break;
        }
        if (::WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
            std::fprintf(stderr, "%s ended without its dialog in %s\n", exe.c_str(), folder.c_str());
            break;
        }
        if (bench::Milliseconds(now - start) > kStartTimeoutMs) {
            std::fprintf(stderr, "%s: no filled dialog after %lu ms (list count %ld of %zu)\n", exe.c_str(),
                         kStartTimeoutMs, static_cast<long>(search.count), expected);
            break;
        }
        ::Sleep(1);
    }

    // Closed as a user would (the close box), then waited for.
    if (search.filled != nullptr)
        ::PostMessageW(search.filled, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "%s did not end; stopped\n", exe.c_str());
        ::TerminateProcess(process.hProcess, 99);
        ::WaitForSingleObject(process.hProcess, 10000);
        elapsed = -1.0;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    // Let the system settle from the ended process before the next start.
    ::Sleep(200);
    return elapsed;
}

double Minimum(std::vector<double> values) { return *std::min_element(values.begin(), values.end()); }

struct Statistic {
    const char* name;
    double (*of)(std::vector<double>);
};

struct Program {
    const char* name;
    std::string exe;
    bool countArgument; // the baseline is told the count of models per section
};

} // namespace

int main(int argc, char** argv)
{
    std::vector<size_t> sizes;
    const int runs = argc > 4 ? bench::ParseRuns(argv[4]) : 0;
    if (argc < 6 || runs < 1 || !bench::ParseSizes(argc, argv, 5, sizes)) {
        std::fprintf(stderr, "usage: bench_startup TOOL.exe BASELINE.exe WORK-FOLDER RUNS MODELS...\n");
        return 2;
    }
    const std::string root = argv[3];
    const Program programs[] = {{"baseline", argv[2], true}, {"tool", argv[1], false}};

    for (size_t models : sizes) {
        const size_t bytes = bench::WritePackage(root, models);
        if (bytes == 0) {
            std::fprintf(stderr, "cannot write the package for %zu models under %s\n", models, root.c_str());
            return 1;
        }
        std::printf("package: %zu models (%zu per section), INF of %zu bytes\n", models, models / 2, bytes);
    }

    // times[size][program]
    std::vector<std::vector<std::vector<double>>> times(sizes.size(), std::vector<std::vector<double>>(2));
    for (int run = -1; run < runs; ++run) {
        for (size_t s = 0; s < sizes.size(); ++s) {
            const std::string folder = bench::PackageFolder(root, sizes[s]);
            for (int i = 0; i < 2; ++i) {
                const int p = (run & 1) ? 1 - i : i; // alternate which program goes first
                const Program& program = programs[p];
                const std::string arguments = program.countArgument ? std::to_string(sizes[s] / 2) : "";
                const double ms = TimeStart(program.exe, arguments, folder, sizes[s]);
                if (ms < 0)
                    return 1;
                if (run >= 0) // the first start of each is not counted
                    times[s][p].push_back(ms);
            }
        }
    }

    std::printf("\nstart-up to a filled, visible dialog, ms (each start)\n");
    for (size_t s = 0; s < sizes.size(); ++s)
        for (int p = 0; p < 2; ++p) {
            std::printf("%6zu models  %-8s", sizes[s], programs[p].name);
            for (double ms : times[s][p])
                std::printf(" %8.1f", ms);
            std::printf("\n");
        }

    // The medians, and the minimums: on a machine that is not idle the
    // fastest start is the one least disturbed by other work.
    const Statistic statistics[] = {{"medians", &bench::Median}, {"minimums", &Minimum}};
    for (const Statistic& statistic : statistics) {
        std::printf("\n%s of %d starts\n", statistic.name, runs);
        std::printf("%6s  %11s  %8s  %8s  %16s  %6s\n", "models", "baseline ms", "tool ms", "added ms",
                    "added ms / 1000", "ratio");
        for (size_t s = 0; s < sizes.size(); ++s) {
            const double baseline = statistic.of(times[s][0]);
            const double tool = statistic.of(times[s][1]);
            std::printf("%6zu  %11.1f  %8.1f  %8.1f  %16.2f  %6.3f\n", sizes[s], baseline, tool,
                        tool - baseline, (tool - baseline) * 1000.0 / static_cast<double>(sizes[s]),
                        tool / baseline);
        }
        if (sizes.size() >= 2) {
            // The slope: what each further 1000 models add, without the
            // fixed part that the smallest package shows.
            const size_t a = 0;
            const size_t b = sizes.size() - 1;
            const double addedA = statistic.of(times[a][1]) - statistic.of(times[a][0]);
            const double addedB = statistic.of(times[b][1]) - statistic.of(times[b][0]);
            std::printf("added per further 1000 models, %zu to %zu: %.2f ms\n", sizes[a], sizes[b],
                        (addedB - addedA) * 1000.0 / static_cast<double>(sizes[b] - sizes[a]));
        }
    }
    return 0;
}
