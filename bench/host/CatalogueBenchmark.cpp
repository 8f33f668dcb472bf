// The catalogue's own cost per key, with a platform and a list that do as
// little as they can: the reader copies a ready answer, the list only
// counts. What is left is the catalogue's walk, its entry formatting and
// its buffers. Built in the host tree when Google Benchmark is installed;
// bench/run.sh runs it.

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "../BenchPackage.h"
#include "ModelCatalogue.h"

namespace {

// Both sections answer the same ready key list; the file size bounds it.
class ReadyPlatform : public SetupPlatform {
public:
    explicit ReadyPlatform(const std::vector<std::string>& keys)
    {
        for (const std::string& key : keys)
            m_answer.append(key).push_back('\0');
        m_fileSize = bench::InfText(keys).size();
    }

    size_t GetWorkingDirectory(char* buffer, size_t) override
    {
        std::memcpy(buffer, "C:\\drv", 7);
        return 6;
    }
    bool FindFirstMatch(const char*, FileMatch& match) override
    {
        std::memcpy(match.name, "ZENTU.INF", 10);
        match.size = m_fileSize;
        return true;
    }
    size_t ReadSectionKeys(const char*, const char*, char* buffer, size_t size, const char*) override
    {
        size_t length = m_answer.size();
        if (length + 2 > size)
            length = size - 2;
        std::memcpy(buffer, m_answer.data(), length);
        buffer[length] = '\0';
        return length;
    }
    bool IsShiftDown() override { return false; }
    void StartInstaller(const char*) override {}

    const std::string& Answer() const { return m_answer; }

private:
    std::string m_answer;
    uint64_t m_fileSize = 0;
};

class CountingList : public ModelList {
public:
    size_t added = 0;
    void AddEntry(const char* text) override
    {
        benchmark::DoNotOptimize(text[0]);
        ++added;
    }
    void Select(int) override {}
    int SelectedIndex() override { return -1; }
    int EntryLength(int) override { return -1; }
    int ReadEntry(int, char*) override { return -1; }
};

void SetPerKey(benchmark::State& state, size_t keys)
{
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * keys));
    // Seconds per key; shown in the unit of the time columns' counterpart.
    state.counters["per_key"] =
        benchmark::Counter(static_cast<double>(keys),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The whole of BuildModelList: `range(0)` models, half in each section.
void BM_BuildModelList(benchmark::State& state)
{
    const size_t models = static_cast<size_t>(state.range(0));
    ReadyPlatform platform(bench::ModelKeys(models / 2));
    CountingList list;
    for ([[maybe_unused]] auto _ : state) {
        list.added = 0;
        const bool built = BuildModelList(list, platform);
        benchmark::DoNotOptimize(built);
        if (!built || list.added != models)
            state.SkipWithError("the list was not filled");
    }
    SetPerKey(state, models);
}
BENCHMARK(BM_BuildModelList)->Arg(10)->Arg(1000)->Arg(10000)->Arg(100000);

// The walk and the entry formatting alone, over a key list in memory.
void BM_AddModelEntries(benchmark::State& state)
{
    const size_t keys = static_cast<size_t>(state.range(0));
    ReadyPlatform platform(bench::ModelKeys(keys));
    const std::string& answer = platform.Answer();
    CountingList list;
    for ([[maybe_unused]] auto _ : state) {
        list.added = 0;
        const bool added = AddModelEntries(list, platform, Win2kTag, answer.c_str(), answer.size());
        benchmark::DoNotOptimize(added);
        if (!added || list.added != keys)
            state.SkipWithError("not every key was added");
    }
    SetPerKey(state, keys);
}
BENCHMARK(BM_AddModelEntries)->Arg(5)->Arg(500)->Arg(5000)->Arg(50000);

} // namespace

BENCHMARK_MAIN();
