// Times start-up to a filled, visible model list, the tool against the
// baseline, and the package check's run, all started here in turn:
//
//   bench_startup TOOL.exe BASELINE.exe CHECK.exe PACKAGES RUNS MODELS...
//
// PACKAGES\models-N holds a driver package of N models (N/2 per section).
// Each round starts, for every size, the tool, the baseline and the check in
// that folder; the first round is not counted. A start is timed from just
// before CreateProcess until the program has a visible window whose model
// list holds all N entries, which is then closed as a user would close it;
// the check's, until it has exited with 0, its report written to NUL.

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const int kModelListId = 1000; // IDC_MODEL_LIST
const DWORD kTimeoutMs = 60000;

double NowMs()
{
    LARGE_INTEGER frequency;
    LARGE_INTEGER now;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Search {
    DWORD processId;
    DWORD_PTR expected;
    HWND filled;
};

BOOL CALLBACK FindFilledList(HWND window, LPARAM lParam)
{
    auto& search = *reinterpret_cast<Search*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId || !::IsWindowVisible(window))
        return TRUE;
    HWND list = ::GetDlgItem(window, kModelListId);
    DWORD_PTR count = 0;
    if (list != nullptr && ::SendMessageTimeoutA(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count) &&
        count == search.expected) {
        search.filled = window;
        return FALSE;
    }
    return TRUE;
}

// Milliseconds to the filled list, or for a console program writing to
// `output` to its exit with 0; negative when there was none.
double TimeStart(const std::string& exe, const std::string& folder, size_t models, HANDLE output = nullptr)
{
    std::string commandLine = "\"" + exe + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (output != nullptr) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = output;
    }
    PROCESS_INFORMATION process{};
    const double start = NowMs();
    if (!::CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, output != nullptr, 0, nullptr,
                          folder.c_str(), &startup, &process)) {
        std::fprintf(stderr, "cannot start %s (error %lu)\n", exe.c_str(), ::GetLastError());
        return -1;
    }
    Search search{process.dwProcessId, models, nullptr};
    double elapsed = -1;
    DWORD status = 1;
    if (output != nullptr && ::WaitForSingleObject(process.hProcess, kTimeoutMs) == WAIT_OBJECT_0 &&
        ::GetExitCodeProcess(process.hProcess, &status) && status == 0)
        elapsed = NowMs() - start;
    while (output == nullptr && NowMs() - start < kTimeoutMs &&
           ::WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        ::EnumWindows(FindFilledList, reinterpret_cast<LPARAM>(&search));
        if (search.filled != nullptr) {
            elapsed = NowMs() - start;
            ::PostMessageA(search.filled, WM_CLOSE, 0, 0);
            break;
        }
        ::Sleep(1);
    }
    if (elapsed < 0)
        std::fprintf(stderr, "%s: no list of %zu models, or exit %lu\n", exe.c_str(), models, status);
    if (::WaitForSingleObject(process.hProcess, elapsed < 0 ? 0 : 30000) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.hProcess, 1);
        ::WaitForSingleObject(process.hProcess, 10000);
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    ::Sleep(200); // lets the system settle from the ended process
    return elapsed;
}

// The q-quantile, interpolated between the two nearest values.
double Quantile(std::vector<double> values, double q)
{
    std::sort(values.begin(), values.end());
    const double at = q * static_cast<double>(values.size() - 1);
    const size_t below = static_cast<size_t>(at);
    const size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (at - static_cast<double>(below)) * (values[above] - values[below]);
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 6 ? static_cast<int>(std::strtol(argv[5], nullptr, 10)) : 0;
    if (runs < 1) {
        std::fprintf(stderr, "usage: bench_startup TOOL BASELINE CHECK PACKAGES RUNS MODELS...\n");
        return 2;
    }
    const char* const names[] = {"tool", "baseline", "check"};
    const std::string programs[] = {argv[1], argv[2], argv[3]};
    std::vector<size_t> sizes;
    for (int i = 6; i < argc; ++i)
        sizes.push_back(std::strtoul(argv[i], nullptr, 10));
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE nul = ::CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0, nullptr);

    std::vector<std::array<std::vector<double>, 3>> times(sizes.size());
    for (int round = 0; round <= runs; ++round)
        for (size_t s = 0; s < sizes.size(); ++s)
            for (int p = 0; p < 3; ++p) {
                const std::string folder = std::string(argv[4]) + "\\models-" + std::to_string(sizes[s]);
                const double ms = TimeStart(programs[p], folder, sizes[s], p == 2 ? nul : nullptr);
                if (ms < 0)
                    return 1;
                if (round > 0)
                    times[s][p].push_back(ms);
            }

    std::printf("start-up to the filled list (check: to its exit), ms, in the order of the starts\n");
    for (size_t s = 0; s < sizes.size(); ++s)
        for (int p = 0; p < 3; ++p) {
            std::printf("%6zu %-8s", sizes[s], names[p]);
            for (double ms : times[s][p])
                std::printf(" %.1f", ms);
            std::printf("\n");
        }
    // The difference is taken per round, tool minus the baseline started
    // right after it, so that a slow spell of the machine falls on both.
    std::printf("\nmedians of %d starts, ms\n%6s %8s %8s %9s %17s %6s %8s %10s\n", runs, "models", "tool",
                "baseline", "tool-base", "(quartiles)", "ratio", "check", "check/tool");
    for (size_t s = 0; s < sizes.size(); ++s) {
        std::vector<double> added(runs);
        for (int r = 0; r < runs; ++r)
            added[r] = times[s][0][r] - times[s][1][r];
        const double tool = Quantile(times[s][0], 0.5);
        const double baseline = Quantile(times[s][1], 0.5);
        const double check = Quantile(times[s][2], 0.5);
        std::printf("%6zu %8.1f %8.1f %9.1f %8.1f..%7.1f %6.2f %8.1f %10.2f\n", sizes[s], tool, baseline,
                    Quantile(added, 0.5), Quantile(added, 0.25), Quantile(added, 0.75), tool / baseline,
                    check, check / tool);
    }
    return 0;
}
