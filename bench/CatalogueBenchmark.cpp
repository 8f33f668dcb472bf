// The catalogue's own work per key, natively: BuildModelList with an INF
// reader that copies a ready answer and a list that only counts, so that what
// is timed is the walk, the entry formatting and the buffers.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "ModelCatalogue.h"

namespace {

class ReadyPlatform : public SetupPlatform {
public:
    explicit ReadyPlatform(size_t keys)
    {
        char key[64];
        for (size_t i = 0; i < keys; ++i) {
            std::snprintf(key, sizeof key, "\"Zentu Voskari LP-%zu PCL6\"", 1000 + i);
            m_answer.append(key).push_back('\0');
        }
    }
    size_t GetWorkingDirectory(char* buffer, size_t) override
    {
        std::memcpy(buffer, "C:\\drv", 7);
        return 6;
    }
    bool FindFirstMatch(const char*, FileMatch& match) override
    {
        std::memcpy(match.name, "ZENTU.INF", 10);
        match.size = 2 * m_answer.size(); // both sections' keys
        return true;
    }
    size_t ReadSectionKeys(const char*, const char*, char* buffer, size_t size, const char*) override
    {
        const size_t length = std::min(m_answer.size(), size - 2);
        std::memcpy(buffer, m_answer.data(), length);
        buffer[length] = '\0';
        return length;
    }
    bool IsShiftDown() override { return false; }
    void StartInstaller(const char*) override {}

private:
    std::string m_answer;
};

class CountingList : public ModelList {
public:
    size_t added = 0;
    void AddEntry(const char* text) override
    {
        benchmark::DoNotOptimize(text);
        ++added;
    }
    void Select(int) override {}
    int SelectedIndex() override { return -1; }
    int EntryLength(int) override { return -1; }
    int ReadEntry(int, char*) override { return -1; }
};

// range(0) models, half in each section.
void BM_BuildModelList(benchmark::State& state)
{
    const size_t models = static_cast<size_t>(state.range(0));
    ReadyPlatform platform(models / 2);
    CountingList list;
    for ([[maybe_unused]] auto _ : state) {
        list.added = 0;
        if (!BuildModelList(list, platform) || list.added != models)
            state.SkipWithError("the list was not filled");
    }
    state.counters["per_key"] =
        benchmark::Counter(static_cast<double>(models),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_BuildModelList)->Arg(10)->Arg(1000)->Arg(10000);

} // namespace

BENCHMARK_MAIN();
