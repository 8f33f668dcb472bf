#include "PackageCheck.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "InfIndex.h"
#include "ModelCatalogue.h"

Report& Report::Start(Kind kind, const char* prefix, const char* name, size_t line)
{
    static const char* const kinds[] = {": note: ", ": warning: ", ": error: "};
    warnings += kind == Warning;
    errors += kind == Error;
    *this << prefix << name;
    if (line != 0)
        *this << ":" << line;
    return *this << kinds[kind];
}

Report& Report::operator<<(const char* text) { return Write(text, std::strlen(text)); }

Report& Report::operator<<(size_t number)
{
    char digits[24];
    char* first = digits + sizeof digits;
    do {
        *--first = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number != 0);
    return Write(first, static_cast<size_t>(digits + sizeof digits - first));
}

Report& Report::Write(const char* text, size_t length)
{
    m_sink.Write(text, length);
    return *this;
}

static Report& operator<<(Report& report, TextSpan text) { return report.Write(text.data, text.length); }

namespace {

const char* const SystemNames[] = {"Windows 2000", "Windows XP"};

// The tool's own reads, passed on to the system and recorded; a model
// section read again with the same buffer size (the listing with Shift held)
// is answered from the record, so the system reads each section once.
class ListingPlatform : public SetupPlatform {
public:
    struct SectionRead {
        size_t size = 0;
        size_t length = 0;
        HeapBuffer answer;
    };

    explicit ListingPlatform(SetupPlatform& system) : m_system(system) {}

    size_t GetWorkingDirectory(char* buffer, size_t size) override
    {
        return m_system.GetWorkingDirectory(buffer, size);
    }
    bool FindFirstMatch(const char* pattern, FileMatch& match) override
    {
        found = m_system.FindFirstMatch(pattern, match);
        if (found)
            this->match = match;
        return found;
    }
    size_t ReadSectionKeys(const char* section, const char* defaultText, char* buffer, size_t size,
                           const char* file) override
    {
        SectionRead& read = ReadOf(section);
        if (read.size == size && read.answer.Size() == read.length + 1) {
            std::memcpy(buffer, read.answer.Data(), read.length + 1);
            return read.length;
        }
        read.size = size;
        read.length = m_system.ReadSectionKeys(section, defaultText, buffer, size, file);
        // Kept with the NUL the reader puts after the answer, cut or not.
        if (read.answer.Allocate(read.length + 1))
            std::memcpy(read.answer.Data(), buffer, read.length + 1);
        return read.length;
    }
    bool IsShiftDown() override { return shiftHeld; }
    // The check only reads: nothing is ever installed.
    void StartInstaller(const char*) override {}

    SectionRead& ReadOf(const char* section)
    {
        return std::strcmp(section, Win2kSection) == 0 ? m_reads[0] : m_reads[1];
    }
    bool HasRead() const { return m_reads[0].size != 0; }

    bool shiftHeld = false;
    bool found = false;
    FileMatch match{};

private:
    SetupPlatform& m_system;
    SectionRead m_reads[2];
};

// What the package holds besides the tool's list: its section names as the
// INF reader sees them, and its keys at their lines for the report.
struct PackageFacts {
    HeapBuffer names;
    size_t namesLength = 0;
    KeyIndex sections;
    HeapBuffer text;
    size_t textLength = 0;
    KeyIndex lines;

    bool Load(PackagePlatform& platform, uint64_t fileSize)
    {
        if (!ReadWholeAnswer(fileSize, names, namesLength, [&](char* buffer, size_t size) {
                return platform.ReadSectionNames(buffer, size, InfPath);
            }))
            return false;
        // Without the text, findings go without line numbers.
        if (platform.ReadText(InfPath, text, textLength) && !lines.AddText(text.Data(), textLength))
            return false;
        return sections.AddSectionNames(names.Data(), namesLength);
    }
    bool HasSection(TextSpan name) const { return sections.Find(name, TextSpan{}) != nullptr; }
    size_t LineOf(TextSpan section, TextSpan key) const
    {
        const KeyIndex::Key* found = lines.Find(section, key);
        return found ? found->line : 0;
    }
};

// Why the printer set-up of one Windows version cannot install a model.
struct Verdict {
    enum Reason : unsigned char {
        Installs,
        StringKey,
        NoModelsSection,
        ModelsSectionMissing,
        NotListed,
        NoInstallSection,
        InstallSectionMissing
    };
    Reason reason;
    TextSpan section; // the models section, or the install section that is missing
};

Report& operator<<(Report& report, const Verdict& verdict)
{
    switch (verdict.reason) {
    case Verdict::Installs:
        return report << "installs it";
    case Verdict::StringKey:
        return report << "cannot: a %strkey% key is passed unexpanded and matches no model";
    case Verdict::NoModelsSection:
        return report << "cannot: [Manufacturer] names no models section";
    case Verdict::ModelsSectionMissing:
        return report << "cannot: it installs from [" << verdict.section << "], which is missing";
    case Verdict::NotListed:
        return report << "cannot: it installs from [" << verdict.section << "], which has no such model";
    case Verdict::NoInstallSection:
        return report << "cannot: the model names no install section";
    case Verdict::InstallSectionMissing:
        return report << "cannot: its install section [" << verdict.section << "] is missing";
    }
    return report;
}

// The models sections that [Manufacturer] names, as each Windows version
// picks them: Windows 2000 the undecorated one, Windows XP the one of the
// decoration closest to it, else the undecorated one. Each read once.
class InstallSources {
public:
    InstallSources(PackagePlatform& platform, const PackageFacts& facts, uint64_t fileSize)
        : m_platform(platform), m_facts(facts), m_fileSize(fileSize)
    {
    }
    ~InstallSources()
    {
        while (m_first != nullptr) {
            Source* next = m_first->next;
            Free(m_first);
            m_first = next;
        }
    }
    InstallSources(const InstallSources&) = delete;
    InstallSources& operator=(const InstallSources&) = delete;

    bool Load()
    {
        size_t length = 0;
        if (!ReadWholeAnswer(m_fileSize, m_manufacturers, length, [&](char* buffer, size_t size) {
                return m_platform.ReadSectionLines("Manufacturer", buffer, size, InfPath);
            }))
            return false;
        bool loaded = true;
        ForEachString(m_manufacturers.Data(), length, [&](TextSpan line) {
            const char* equals = static_cast<const char*>(std::memchr(line.data, '=', line.length));
            loaded = loaded && (equals == nullptr || AddManufacturer(SpanOf(equals + 1)));
        });
        return loaded;
    }

    // The first models section that Windows `system` installs from, or null.
    const char* SectionOf(int system, const char* wanted) const
    {
        const char* first = nullptr;
        for (const Source* source = m_first; source != nullptr; source = source->next) {
            if ((source->systems & (1u << system)) == 0)
                continue;
            if (CompareNames(source->Name(), SpanOf(wanted)) == 0)
                return wanted;
            first = first ? first : source->name.Data();
        }
        return first;
    }

    Verdict Judge(int system, TextSpan model) const
    {
        if (HoldsStringKey(model))
            return Verdict{Verdict::StringKey, {}};
        const Source* unlisted = nullptr;
        for (const Source* source = m_first; source != nullptr; source = source->next) {
            if ((source->systems & (1u << system)) == 0)
                continue;
            const KeyIndex::Key* key = source->keys.Find(source->Name(), model);
            if (key == nullptr) {
                unlisted = unlisted ? unlisted : source;
                continue;
            }
            const TextSpan install = FirstField(key->value);
            if (install.length == 0)
                return Verdict{Verdict::NoInstallSection, {}};
            if (!m_facts.HasSection(install))
                return Verdict{Verdict::InstallSectionMissing, install};
            return Verdict{Verdict::Installs, {}};
        }
        if (unlisted == nullptr)
            return Verdict{Verdict::NoModelsSection, {}};
        if (!m_facts.HasSection(unlisted->Name()))
            return Verdict{Verdict::ModelsSectionMissing, unlisted->Name()};
        return Verdict{Verdict::NotListed, unlisted->Name()};
    }

private:
    struct Source {
        HeapBuffer name;
        HeapBuffer lines;
        KeyIndex keys;
        unsigned systems = 0; // bit 0: Windows 2000, bit 1: Windows XP
        Source* next = nullptr;
        TextSpan Name() const { return SpanOf(name.Data()); }
    };

    // `value`: the models section's name, then its decorations, by commas.
    bool AddManufacturer(TextSpan value)
    {
        const TextSpan base = FirstField(value);
        TextSpan best{};
        int bestFit = -1;
        for (const char* field = static_cast<const char*>(std::memchr(value.data, ',', value.length));
             field != nullptr;) {
            const char* start = field + 1;
            const size_t rest = value.length - static_cast<size_t>(start - value.data);
            field = static_cast<const char*>(std::memchr(start, ',', rest));
            const TextSpan decoration =
                Unquoted(TextSpan{start, field ? static_cast<size_t>(field - start) : rest});
            const int fit = WindowsXPFit(decoration);
            if (fit > bestFit)
                best = decoration, bestFit = fit;
        }
        return AddSource(base, TextSpan{}, 1u) && AddSource(base, best, 2u);
    }

    bool AddSource(TextSpan base, TextSpan decoration, unsigned system)
    {
        // From the heap by hand: the C++ library's operator new would bring its exception runtime along.
        void* memory = std::malloc(sizeof(Source));
        Source* source = memory ? new (memory) Source : nullptr;
        if (source == nullptr || !source->name.Allocate(base.length + 1 + decoration.length + 1)) {
            Free(source);
            return false;
        }
        char* name = source->name.Data();
        std::memcpy(name, base.data, base.length);
        size_t length = base.length;
        if (decoration.length > 0) {
            name[length++] = '.';
            std::memcpy(name + length, decoration.data, decoration.length);
            length += decoration.length;
        }
        name[length] = '\0';
        for (Source* known = m_first; known != nullptr; known = known->next) {
            if (CompareNames(known->Name(), source->Name()) == 0) {
                known->systems |= system;
                Free(source);
                return true;
            }
        }
        source->systems = system;
        source->next = m_first;
        m_first = source;
        return ReadWholeAnswer(m_fileSize, source->lines, length,
                               [&](char* buffer, size_t size) {
                                   return m_platform.ReadSectionLines(name, buffer, size, InfPath);
                               }) &&
               source->keys.AddSectionLines(name, source->lines.Data(), length);
    }

    static void Free(Source* source)
    {
        if (source != nullptr)
            source->~Source();
        std::free(source);
    }

    PackagePlatform& m_platform;
    const PackageFacts& m_facts;
    uint64_t m_fileSize;
    HeapBuffer m_manufacturers;
    Source* m_first = nullptr;
};

// Each name that matches "*.INF": the first is the INF the tool takes, any
// other one the tool takes instead where the folder lists it first.
class MatchReporter : public PackagePlatform::MatchVisitor {
public:
    MatchReporter(Report& report, const char* prefix, const char* taken)
        : m_report(report), m_prefix(prefix), m_taken(taken)
    {
    }

    void Visit(const PackagePlatform::FolderEntry& entry) override
    {
        const bool taken = !m_seenTaken && std::strcmp(entry.name, m_taken) == 0;
        m_seenTaken = m_seenTaken || taken;
        m_report.Start(taken ? Report::Note : Report::Error, m_prefix, entry.name)
            << (entry.isFolder ? "this folder" : "this file");
        const TextSpan name = SpanOf(entry.name);
        if (name.length < 4 || CompareNames(TextSpan{name.data + name.length - 4, 4}, SpanOf(".INF")) != 0)
            m_report << ", by its short name " << entry.shortName << ",";
        if (taken)
            m_report << " is the first name in the folder that matches *.INF: the tool reads it as its INF";
        else
            m_report
                << " matches *.INF as well: where the folder lists it first (FAT, some CDs), the tool reads"
                << " it instead of " << m_taken;
        m_report.End();
    }

private:
    Report& m_report;
    const char* m_prefix;
    const char* m_taken;
    bool m_seenTaken = false;
};

// Why the tool shows its error message for the model section `index`
// (0: Windows 2000, 1: Windows XP), if it does.
void ReportSectionFault(ListingPlatform& listing, const PackageFacts& facts, int index, const char* prefix,
                        Report& report)
{
    const char* const section = index == 0 ? Win2kSection : WinXPSection;
    HeapBuffer keys;
    size_t length = 0;
    if (ReadModelSection(listing, section, listing.match.size, keys, length))
        return;
    const ListingPlatform::SectionRead& read = listing.ReadOf(section);
    report.Start(Report::Error, prefix, listing.match.name, facts.LineOf(SpanOf(section), TextSpan{}));
    if (read.size == KeyListMaximumSize && read.length >= read.size - 2)
        report << "the keys of [" << section << "] take more than the " << KeyListMaximumSize
               << " bytes the tool reads";
    else if (!facts.HasSection(SpanOf(section)))
        report << "there is no section [" << section << "] of the models for " << SystemNames[index];
    else if (keys.Data() != nullptr)
        report << "[" << section << "], the models for " << SystemNames[index] << ", lists no model";
    else
        report << "memory ran short reading [" << section << "]";
    report << ": the tool shows its error message instead of the list";
    report.End();
}

// Where [Manufacturer] leads each Windows version, when that is not the
// section the tool lists for it.
void ReportManufacturer(const PackageFacts& facts, const InstallSources& sources, const char* prefix,
                        const char* inf, Report& report)
{
    for (int system = 0; system < 2; ++system) {
        const char* const listed = system == 0 ? Win2kSection : WinXPSection;
        const char* const taken = sources.SectionOf(system, listed);
        if (taken == listed)
            continue;
        report.Start(Report::Warning, prefix, inf, facts.LineOf(SpanOf("Manufacturer"), TextSpan{}))
            << "[Manufacturer] leads " << SystemNames[system] << " to " << (taken ? "[" : "no models section")
            << (taken ? taken : "") << (taken ? "]" : "") << ", not to [" << listed
            << "], whose models the tool lists for it";
        report.End();
    }
}

size_t CountEntries(ModelList& list)
{
    size_t count = 0;
    while (list.EntryLength(static_cast<int>(count)) >= 0)
        ++count;
    return count;
}

// The entry's text; false when it cannot be read.
bool ReadListEntry(ModelList& list, size_t index, HeapBuffer& entry)
{
    const int length = list.EntryLength(static_cast<int>(index));
    return length >= 0 && entry.Allocate(static_cast<size_t>(length) + 1) &&
           list.ReadEntry(static_cast<int>(index), entry.Data()) >= 0;
}

struct EntrySource {
    int system = 0; // 0: Windows 2000, 1: Windows XP
    const char* section = nullptr;
    TextSpan model;
};

EntrySource SourceOf(const char* entry)
{
    const bool win2k = std::strncmp(entry, Win2kTag, ModelTagLength) == 0;
    return EntrySource{win2k ? 0 : 1, win2k ? Win2kSection : WinXPSection,
                       Unquoted(SpanOf(entry + ModelTagLength))};
}

void ReportEntries(ModelList& list, const PackageFacts& facts, const InstallSources& sources,
                   const char* prefix, const char* inf, Report& report)
{
    const size_t count = CountEntries(list);
    HeapBuffer entry, previous;
    for (size_t i = 0; i < count; ++i) {
        if (!ReadListEntry(list, i, entry) || ModelOfEntry(entry.Data()) == nullptr)
            continue;
        const EntrySource source = SourceOf(entry.Data());
        const Verdict verdicts[] = {sources.Judge(0, source.model), sources.Judge(1, source.model)};
        const bool fails = verdicts[source.system].reason != Verdict::Installs;
        const size_t line = facts.LineOf(SpanOf(source.section), source.model);
        report.Start(fails ? Report::Error : Report::Note, prefix, inf, line)
            << "entry " << i + 1 << " of " << count << ", " << entry.Data() << ": " << SystemNames[0] << " "
            << verdicts[0] << "; " << SystemNames[1] << " " << verdicts[1];
        if (fails)
            report << "; the entry is marked for " << SystemNames[source.system];
        report.End();
        // The control keeps equal entries side by side.
        if (previous.Size() != 0 && std::strcmp(previous.Data(), entry.Data()) == 0) {
            report.Start(Report::Warning, prefix, inf, line)
                << "entry " << i + 1 << " repeats entry " << i << ": the model stands on several lines of ["
                << source.section << "]";
            report.End();
        }
        const char* const parts[] = {entry.Data()};
        JoinTexts(previous, parts, 1);
    }
}

void ReportShiftList(ModelList& list, const PackageFacts& facts, const char* prefix, const char* inf,
                     Report& report)
{
    const size_t count = CountEntries(list);
    HeapBuffer entry;
    for (size_t i = 0; i < count; ++i) {
        if (!ReadListEntry(list, i, entry) || ModelOfEntry(entry.Data()) == nullptr)
            continue;
        const EntrySource source = SourceOf(entry.Data());
        report.Start(Report::Note, prefix, inf, facts.LineOf(SpanOf(source.section), source.model))
            << "with Shift held, entry " << i + 1 << " of " << count << ", " << entry.Data();
        report.End();
    }
}

} // namespace

int CheckPackage(PackagePlatform& platform, ModelList& list, ModelList& shiftList, const char* folder,
                 const char* prefix, Report& report)
{
    ListingPlatform listing(platform);
    const bool listed = BuildModelList(list, listing);
    if (DriverFolder[0] == '\0') {
        report.Start(Report::Error, "", folder)
            << "the tool cannot take the path of this folder: it takes at most " << PathBufferSize - 2
            << " characters";
        report.End();
        return 1;
    }
    if (!listing.found) {
        // The tool searches DriverFolder + "*.INF", which the file functions take up to their limit only.
        const size_t search = std::strlen(DriverFolder) + 5;
        report.Start(Report::Error, "", folder);
        if (search > PathBufferSize - 1)
            report << "the tool's search for *.INF here has " << search << " characters, more than the "
                   << PathBufferSize - 1 << " that Windows' file functions take, so it finds no INF";
        else
            report << "no name in this folder matches *.INF";
        report << ": the tool shows its error message instead of the list";
        report.End();
        return 1;
    }
    const char* const parts[] = {DriverFolder, "*.INF"};
    HeapBuffer search;
    if (!JoinTexts(search, parts, 2))
        return 1;
    MatchReporter matches(report, prefix, listing.match.name);
    platform.ListMatches(search.Data(), matches);
    if (!listing.HasRead()) {
        report.Start(Report::Error, prefix, listing.match.name)
            << "its path has " << std::strlen(DriverFolder) + std::strlen(listing.match.name)
            << " characters: the tool takes at most " << PathBufferSize - 1;
        report.End();
        return 1;
    }

    PackageFacts facts;
    InstallSources sources(platform, facts, listing.match.size);
    if (!facts.Load(platform, listing.match.size) || (listed && !sources.Load())) {
        report.Start(Report::Error, prefix, listing.match.name) << "its sections could not be read whole";
        report.End();
        return 1;
    }
    if (!listed) {
        ReportSectionFault(listing, facts, 0, prefix, report);
        ReportSectionFault(listing, facts, 1, prefix, report);
        return 1;
    }
    ReportManufacturer(facts, sources, prefix, listing.match.name, report);
    listing.shiftHeld = true;
    BuildModelList(shiftList, listing);
    ReportEntries(list, facts, sources, prefix, listing.match.name, report);
    ReportShiftList(shiftList, facts, prefix, listing.match.name, report);
    return report.errors != 0 ? 1 : 0;
}
