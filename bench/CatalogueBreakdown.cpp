// Where the tool's time goes while it fills the model list: BuildModelList
// on the real Windows platform (Win32SetupPlatform and the setup dialog's
// own sorted list box), with the clock read around every call it makes into
// the platform and the list.
//
//   bench_breakdown WORK-FOLDER RUNS MODELS...
//
// For each count of models it writes the same package as bench_startup,
// makes it the current folder and fills the list RUNS times (after one
// uncounted run), each time in a new setup dialog while it initialises and
// is not yet shown, as the tool does. Before each run the system's cached
// copy of the INF is dropped, so that the first section read loads the file
// as it does in a tool that has just started.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ModelCatalogue.h"
#include "ModelListBox.h"
#include "Win32Platform.h"
#include "WinBench.h"
#include "resource.h"

namespace {

// Calls of one kind and the ticks spent in them.
struct Tally {
    size_t calls = 0;
    int64_t ticks = 0;
};

class Stopwatch {
public:
    explicit Stopwatch(Tally& tally) : m_tally(tally), m_start(bench::Ticks()) {}
    ~Stopwatch()
    {
        m_tally.ticks += bench::Ticks() - m_start;
        ++m_tally.calls;
    }

private:
    Tally& m_tally;
    int64_t m_start;
};

class TimedPlatform : public SetupPlatform {
public:
    explicit TimedPlatform(SetupPlatform& inner) : m_inner(inner) {}

    Tally directory, search, firstRead, laterReads, shift, install;

    size_t GetWorkingDirectory(char* buffer, size_t size) override
    {
        Stopwatch watch(directory);
        return m_inner.GetWorkingDirectory(buffer, size);
    }
    bool FindFirstMatch(const char* pattern, FileMatch& match) override
    {
        Stopwatch watch(search);
        return m_inner.FindFirstMatch(pattern, match);
    }
    size_t ReadSectionKeys(const char* section, const char* defaultText, char* buffer, size_t size,
                           const char* file) override
    {
        // The first read loads the file; the system answers later ones from
        // its copy.
        Stopwatch watch(firstRead.calls == 0 ? firstRead : laterReads);
        return m_inner.ReadSectionKeys(section, defaultText, buffer, size, file);
    }
    bool IsShiftDown() override
    {
        Stopwatch watch(shift);
        return m_inner.IsShiftDown();
    }
    void StartInstaller(const char* parameters) override
    {
        Stopwatch watch(install);
        m_inner.StartInstaller(parameters);
    }

private:
    SetupPlatform& m_inner;
};

class TimedList : public ModelList {
public:
    explicit TimedList(ModelList& inner) : m_inner(inner) {}

    Tally add, select, read;

    void AddEntry(const char* text) override
    {
        Stopwatch watch(add);
        m_inner.AddEntry(text);
    }
    void Select(int index) override
    {
        Stopwatch watch(select);
        m_inner.Select(index);
    }
    int SelectedIndex() override
    {
        Stopwatch watch(read);
        return m_inner.SelectedIndex();
    }
    int EntryLength(int index) override
    {
        Stopwatch watch(read);
        return m_inner.EntryLength(index);
    }
    int ReadEntry(int index, char* buffer) override
    {
        Stopwatch watch(read);
        return m_inner.ReadEntry(index, buffer);
    }

private:
    ModelList& m_inner;
};

// One filling of the list, in ms per kind of work.
struct Sample {
    bool built = false;
    int listCount = 0;
    double directory = 0, search = 0, firstRead = 0, laterReads = 0, insertion = 0, shift = 0, select = 0,
           own = 0, total = 0;
    size_t timedCalls = 0, insertions = 0, polls = 0, reads = 0, others = 0;
};

// What reading the clock around a call adds: inside the tally, and outside
// it (in what is left to the catalogue's own work).
struct TimerCost {
    double insideMs = 0;
    double outsideMs = 0;
};

TimerCost MeasureTimerCost()
{
    const size_t n = 200000;
    Tally tally;
    const int64_t start = bench::Ticks();
    for (size_t i = 0; i < n; ++i)
        Stopwatch watch(tally);
    const int64_t all = bench::Ticks() - start;
    return {bench::Milliseconds(tally.ticks) / n, bench::Milliseconds(all - tally.ticks) / n};
}

TimerCost g_timer;

double NetMs(const Tally& tally)
{
    return bench::Milliseconds(tally.ticks) - static_cast<double>(tally.calls) * g_timer.insideMs;
}

INT_PTR CALLBACK MeasureProc(HWND dialog, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_INITDIALOG)
        return FALSE;
    Sample& sample = *reinterpret_cast<Sample*>(lParam);

    CListBox control;
    control.m_hWnd = ::GetDlgItem(dialog, IDC_MODEL_LIST);
    ModelListBox models(control);
    Win32SetupPlatform windows(dialog);
    TimedList list(models);
    TimedPlatform platform(windows);

    const int64_t start = bench::Ticks();
    sample.built = BuildModelList(list, platform);
    const double total = bench::Milliseconds(bench::Ticks() - start);

    sample.listCount = static_cast<int>(control.GetCount());
    sample.directory = NetMs(platform.directory);
    sample.search = NetMs(platform.search);
    sample.firstRead = NetMs(platform.firstRead);
    sample.laterReads = NetMs(platform.laterReads);
    sample.insertion = NetMs(list.add);
    sample.shift = NetMs(platform.shift);
    sample.select = NetMs(list.select);
    sample.insertions = list.add.calls;
    sample.polls = platform.shift.calls;
    sample.reads = platform.firstRead.calls + platform.laterReads.calls;
    sample.others = platform.install.calls + list.read.calls;
    sample.timedCalls = platform.directory.calls + platform.search.calls + sample.reads + list.add.calls +
                        platform.shift.calls + list.select.calls + sample.others;
    const double timed = sample.directory + sample.search + sample.firstRead + sample.laterReads +
                         sample.insertion + sample.shift + sample.select;
    sample.own =
        total - timed - static_cast<double>(sample.timedCalls) * (g_timer.insideMs + g_timer.outsideMs);
    sample.total = total;
    return TRUE;
}

// Formatting every entry alone, outside the dialog: the catalogue's
// BuildModelEntry over the same keys, in ms.
double FormattingAloneMs(size_t models)
{
    const std::vector<std::string> keys = bench::ModelKeys(models / 2);
    HeapBuffer entry;
    size_t made = 0;
    const int64_t start = bench::Ticks();
    for (const char* tag : {Win2kTag, WinXPTag})
        for (const std::string& key : keys)
            if (BuildModelEntry(tag, key.c_str(), entry))
                made += entry.Data()[0] != '\0';
    const double ms = bench::Milliseconds(bench::Ticks() - start);
    return made == models ? ms : -1.0;
}

void PumpMessages()
{
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<size_t> sizes;
    const int runs = argc > 2 ? bench::ParseRuns(argv[2]) : 0;
    if (argc < 4 || runs < 1 || !bench::ParseSizes(argc, argv, 3, sizes)) {
        std::fprintf(stderr, "usage: bench_breakdown WORK-FOLDER RUNS MODELS...\n");
        return 2;
    }
    const std::string root = argv[1];
    g_timer = MeasureTimerCost();
    std::printf("clock read around each call: %.0f ns inside the call's time, %.0f ns outside (subtracted)\n",
                g_timer.insideMs * 1e6, g_timer.outsideMs * 1e6);

    for (size_t models : sizes) {
        const size_t bytes = bench::WritePackage(root, models);
        const std::string folder = bench::PackageFolder(root, models);
        if (bytes == 0 || !::SetCurrentDirectoryA(folder.c_str())) {
            std::fprintf(stderr, "cannot write or enter %s\n", folder.c_str());
            return 1;
        }
        const std::string inf = folder + "\\ZENTU.INF";

        std::vector<Sample> samples;
        std::vector<double> formatting;
        for (int run = -1; run < runs; ++run) {
            // Drop the system's cached copy of the INF.
            ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, inf.c_str());
            Sample sample;
            HWND dialog = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETUP),
                                               nullptr, MeasureProc, reinterpret_cast<LPARAM>(&sample));
            if (dialog == nullptr) {
                std::fprintf(stderr, "cannot create the setup dialog (error %lu)\n", ::GetLastError());
                return 1;
            }
            ::DestroyWindow(dialog);
            PumpMessages();
            if (!sample.built || sample.listCount != static_cast<int>(models) ||
                sample.insertions != models || sample.reads != 2 || sample.others != 0) {
                std::fprintf(stderr, "%zu models: built %d, %d in the list, %zu insertions, %zu reads\n",
                             models, sample.built, sample.listCount, sample.insertions, sample.reads);
                return 1;
            }
            const double format = FormattingAloneMs(models);
            if (run >= 0) {
                samples.push_back(sample);
                formatting.push_back(format);
            }
        }

        // The parts of one run, the one whose whole is the median, so that
        // they add up to it.
        std::vector<Sample> byTotal = samples;
        std::sort(byTotal.begin(), byTotal.end(),
                  [](const Sample& a, const Sample& b) { return a.total < b.total; });
        const Sample& median = byTotal[byTotal.size() / 2];
        const double perThousand = 1000.0 / static_cast<double>(models);
        std::printf("\n%zu models (%zu per section), INF of %zu bytes; the run with the median time of %d "
                    "(all runs %.1f to %.1f ms)\n",
                    models, models / 2, bytes, runs, byTotal.front().total, byTotal.back().total);
        std::printf("  %-46s %6s %9s %12s %9s %6s\n", "", "calls", "ms", "us per call", "ms/1000", "share");
        struct Row {
            const char* name;
            size_t calls;
            double ms;
        };
        const Row rows[] = {
            {"working directory", 1, median.directory},
            {"file search", 1, median.search},
            {"section read \"Zentu\" (loads the INF)", 1, median.firstRead},
            {"section read \"Zentu.NTx86.5.1\"", 1, median.laterReads},
            {"list insertion (LB_ADDSTRING, sorted)", median.insertions, median.insertion},
            {"Shift poll (GetAsyncKeyState)", median.polls, median.shift},
            {"selection", 1, median.select},
            {"catalogue's own work (walk, entry formatting)", 0, median.own},
        };
        for (const Row& row : rows)
            std::printf("  %-46s %6zu %9.3f %12.3f %9.3f %5.1f%%\n", row.name, row.calls, row.ms,
                        row.calls ? row.ms * 1000.0 / static_cast<double>(row.calls) : 0.0,
                        row.ms * perThousand, 100.0 * row.ms / median.total);
        std::printf("  %-46s %6s %9.3f %12s %9.3f\n", "BuildModelList in all", "", median.total, "",
                    median.total * perThousand);
        std::printf("  %-46s %6zu %9.3f %12.3f %9.3f\n", "entry formatting alone (BuildModelEntry)", models,
                    bench::Median(formatting),
                    bench::Median(formatting) * 1000.0 / static_cast<double>(models),
                    bench::Median(formatting) * perThousand);
    }
    return 0;
}
