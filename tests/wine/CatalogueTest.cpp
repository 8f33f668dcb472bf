// The model catalogue on the real system: INF files written to disk, found by
// the real file search, read by the real profile reader, listed in a real
// sorted list box.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ModelCatalogue.h"
#include "ModelListBox.h"
#include "TestSupport.h"
#include "Win32Platform.h"

namespace {

// How an INF file is stored on disk.
enum class Encoding { Cp932, Utf16WithBom };

// One file to write. `text` is UTF-8 with "\n" line ends; it is written with
// CRLF line ends in the given encoding. The name is UTF-8 too and may contain
// a folder ("sub\\x.INF").
struct InfFile {
    std::string name;
    std::string text;
    Encoding encoding = Encoding::Cp932;
};

std::string WithCrlf(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

std::string FileBytes(const InfFile& file)
{
    const std::string text = WithCrlf(file.text);
    if (file.encoding == Encoding::Cp932)
        return Cp932(text);
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : wide) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}

std::vector<std::string> Cp932All(const std::vector<std::string>& utf8)
{
    std::vector<std::string> out;
    out.reserve(utf8.size());
    for (const auto& text : utf8)
        out.push_back(Cp932(text));
    return out;
}

// The list as readable lines, for failure messages.
std::string Readable(const std::vector<std::string>& cp932)
{
    std::string out;
    for (const auto& text : cp932)
        out += "\n    [" + Utf8FromCp932(text) + "]";
    return out.empty() ? " (empty)" : out;
}

// What one BuildModelList call left behind.
struct Outcome {
    bool result;
    std::vector<std::string> entries; // code page 932, in the control's order
    int selection;
    std::string driverFolder;
    std::string infPath;
};

// Runs the catalogue in `folder` against a fresh hidden sorted list box, as
// the setup dialog does when it opens.
Outcome RunCatalogue(const std::string& folder)
{
    // Both buffers are process-wide: clear what an earlier case left.
    std::memset(DriverFolder, 0, sizeof DriverFolder);
    std::memset(InfPath, 0, sizeof InfPath);

    CListBox list;
    list.m_hWnd = CreateWindowExA(0, "LISTBOX", "", LBS_SORT | LBS_NOTIFY | WS_VSCROLL, 0, 0, 300, 200,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(list.m_hWnd, nullptr) << "no list box: error " << GetLastError();

    Outcome outcome{};
    {
        CurrentDirectory inFolder(folder);
        char current[MAX_PATH] = "";
        GetCurrentDirectoryA(MAX_PATH, current);
        EXPECT_EQ(Utf8FromCp932(current), Utf8FromCp932(folder)) << "could not enter the folder";

        ModelListBox models(list);
        Win32SetupPlatform platform(nullptr);
        outcome.result = BuildModelList(models, platform);
    }
    outcome.entries = ListEntries(list.m_hWnd);
    outcome.selection = ListSelection(list.m_hWnd);
    outcome.driverFolder.assign(DriverFolder, strnlen(DriverFolder, sizeof DriverFolder));
    outcome.infPath.assign(InfPath, strnlen(InfPath, sizeof InfPath));
    DestroyWindow(list.m_hWnd);
    return outcome;
}

// Checks the list after a call: its entries exactly, and the first one
// selected on success and nothing selected on failure.
void ExpectList(const Outcome& outcome, bool expectedResult, const std::vector<std::string>& expectedUtf8)
{
    const std::vector<std::string> expected = Cp932All(expectedUtf8);
    const std::vector<std::string>& actual = outcome.entries;
    EXPECT_EQ(outcome.result, expectedResult) << "BuildModelList returned " << outcome.result;
    if (actual != expected) {
        size_t i = 0;
        while (i < actual.size() && i < expected.size() && actual[i] == expected[i])
            ++i;
        const auto at = [i](const std::vector<std::string>& list) {
            return i < list.size() ? "[" + Utf8FromCp932(list[i]) + "]" : std::string("(none)");
        };
        // Whole lists only while they are short enough to read.
        ADD_FAILURE() << "the list box holds " << actual.size() << " entries, expected " << expected.size()
                      << "; first difference at index " << i << ": " << at(actual) << ", expected "
                      << at(expected)
                      << (actual.size() + expected.size() <= 40
                              ? "\n  entries (in the list box's order):" + Readable(actual) +
                                    "\n  expected:" + Readable(expected)
                              : std::string());
    }
    EXPECT_EQ(outcome.selection, expectedResult ? 0 : -1)
        << (expectedResult ? "the first entry should be selected" : "a failed catalogue selects nothing");
}

std::vector<std::string> Tagged(const char* tag, const std::vector<std::string>& keys)
{
    std::vector<std::string> entries;
    entries.reserve(keys.size());
    for (const auto& key : keys)
        entries.push_back(tag + key);
    return entries;
}

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// An INF that declares `win2k` and `winxp` models (a null list leaves the
// section out), with the usual sections around them.
std::string PackageInf(const std::vector<std::string>* win2k, const std::vector<std::string>* winxp)
{
    std::string text = "; Zentu KTL printer driver\n"
                       "[Version]\nSignature=\"$Windows NT$\"\nClass=Printer\n\n"
                       "[Manufacturer]\n\"Zentu\"=Zentu,NTx86.5.1\n\n";
    if (win2k) {
        text += "[Zentu]\n";
        for (const auto& key : *win2k)
            text += key + " = KTL.PPD\n";
        text += "\n";
    }
    if (winxp) {
        text += "[Zentu.NTx86.5.1]\n";
        for (const auto& key : *winxp)
            text += key + " = KTL.PPD\n";
        text += "\n";
    }
    return text + "[Strings]\nZentu=\"Zentu\"\n";
}

// ---------------------------------------------------------------------------
// One folder per case.

struct CatalogueCase {
    const char* name;
    std::string folder;                   // UTF-8, under the temporary folder; "" for itself
    std::vector<std::string> directories; // UTF-8, created before the files
    std::vector<InfFile> files;
    bool expectedResult;
    std::vector<std::string> expectedEntries; // UTF-8, in the list box's order
    std::string expectedInfName;              // "" when no INF is found
};

void PrintTo(const CatalogueCase& c, std::ostream* os) { *os << c.name; }

const char kMixedKeys[] = "; Zentu KTL printer driver\n"
                          "[Version]\n"
                          "Signature=\"$Windows NT$\"\n"
                          "Class=Printer\n"
                          "\n"
                          "[Manufacturer]\n"
                          "\"Zentu\"=Zentu,NTx86.5.1\n"
                          "\n"
                          "; Windows 2000, written out of order\n"
                          "[Zentu]\n"
                          "Zentu KTL-300 = KTL300.PPD, ZENTUKTL-300\n"
                          "\"Zentu KTL-1000\" = KTL1000.PPD, ZENTUKTL-1000\n"
                          ";Zentu KTL-900 = withdrawn\n"
                          "   Zentu KTL-200\t = KTL200.PPD\n"
                          "\n"
                          "[KTL300.PPD]\n"
                          "CopyFiles=@KTL300.PPD\n"
                          "\n"
                          "; Windows XP\n"
                          "[Zentu.NTx86.5.1]\n"
                          "\"Zentu KTL-2000 PS\" = KTL2000.PPD\n"
                          "Zentu KTL-300 = KTL300.PPD\n"
                          "\"Zentu KTL-1000\" = KTL1000.PPD\n"
                          "\n"
                          "[Strings]\n"
                          "Zentu=\"Zentu\"\n";

const char kJapaneseKeys[] = "[Zentu]\n"
                             "KTL-2 ソフトウェア版 = KTL2.PPD\n" // ソ is 0x83 0x5C
                             "KTL-1 表示パネル付き = KTL1.PPD\n" // 表 is 0x95 0x5C
                             "\"KTL-3 高機能\" = KTL3.PPD\n"     // ends in 能, 0x94 0x5C
                             "[Zentu.NTx86.5.1]\n"
                             "KTL-4 カラー複合機 = KTL4.PPD\n"; // ー is 0x81 0x5B

const std::vector<std::string> kJapaneseEntries = {
    "Win2k:\"KTL-3 高機能\"",
    "Win2k:KTL-1 表示パネル付き",
    "Win2k:KTL-2 ソフトウェア版",
    "WinXP:KTL-4 カラー複合機",
};

std::vector<std::string> LongModelNames(const char* series, int count)
{
    std::vector<std::string> names;
    for (int i = 1; i <= count; ++i) {
        char name[128];
        std::snprintf(name, sizeof name, "Zentu KTL-%s%03d Colour Laser Printer with Duplex Unit", series, i);
        names.push_back(name);
    }
    return names;
}

std::vector<CatalogueCase> CatalogueCases()
{
    std::vector<CatalogueCase> cases;

    cases.push_back({"QuotedUnquotedAndUnorderedKeysAmongOtherSections",
                     "",
                     {},
                     {{"KTL.INF", kMixedKeys}},
                     true,
                     {"Win2k:\"Zentu KTL-1000\"", "Win2k:Zentu KTL-200", "Win2k:Zentu KTL-300",
                      "WinXP:\"Zentu KTL-1000\"", "WinXP:\"Zentu KTL-2000 PS\"", "WinXP:Zentu KTL-300"},
                     "KTL.INF"});

    cases.push_back({"LowerCaseExtensionIsFoundUnderItsOwnName",
                     "",
                     {},
                     {{"ktl.inf", kMixedKeys}},
                     true,
                     {"Win2k:\"Zentu KTL-1000\"", "Win2k:Zentu KTL-200", "Win2k:Zentu KTL-300",
                      "WinXP:\"Zentu KTL-1000\"", "WinXP:\"Zentu KTL-2000 PS\"", "WinXP:Zentu KTL-300"},
                     "ktl.inf"});

    cases.push_back({"JapaneseKeysInCodePage932",
                     "",
                     {},
                     {{"KTL.INF", kJapaneseKeys}},
                     true,
                     kJapaneseEntries,
                     "KTL.INF"});

    // 能 and 表 end in 0x5C: a folder path that ends in a byte that looks
    // like a backslash.
    cases.push_back({"FolderNameWithBackslashTrailBytes",
                     "機能表",
                     {"機能表"},
                     {{"機能表\\ドライバ.INF", kJapaneseKeys}},
                     true,
                     kJapaneseEntries,
                     "ドライバ.INF"});

    cases.push_back({"Utf16FileWithByteOrderMark",
                     "",
                     {},
                     {{"KTL.INF", kJapaneseKeys, Encoding::Utf16WithBom}},
                     true,
                     kJapaneseEntries,
                     "KTL.INF"});

    {
        // 300 names of 53 bytes: about 16 KB of key names in each section.
        const auto win2k = LongModelNames("A", 300);
        const auto winxp = LongModelNames("B", 300);
        cases.push_back({"SectionsFarLongerThan4096Bytes",
                         "",
                         {},
                         {{"KTL.INF", PackageInf(&win2k, &winxp)}},
                         true,
                         Concat(Tagged("Win2k:", win2k), Tagged("WinXP:", winxp)),
                         "KTL.INF"});
    }
    {
        std::string longKey = "Zentu KTL-9000";
        while (longKey.size() < 600)
            longKey += " Wide Format";
        const std::vector<std::string> win2k = {longKey};
        const std::vector<std::string> winxp = {"Zentu KTL-1"};
        cases.push_back({"KeyLongerThanAnEntryReadBack",
                         "",
                         {},
                         {{"KTL.INF", PackageInf(&win2k, &winxp)}},
                         true,
                         {"Win2k:" + longKey, "WinXP:Zentu KTL-1"},
                         "KTL.INF"});
    }

    // The search takes a folder as well as a file; the reader gets nothing
    // from it.
    cases.push_back({"OnlyADirectoryNamedLikeAnInf",
                     "",
                     {"x.INF"},
                     {{"x.INF\\KTL.INF", kMixedKeys}},
                     false,
                     {},
                     "x.INF"});

    {
        const std::vector<std::string> win2k = {"Zentu KTL-300", "Zentu KTL-200"};
        const std::vector<std::string> winxp = {"Zentu KTL-300"};
        cases.push_back({"WindowsXpSectionMissingKeepsTheWin2kEntries",
                         "",
                         {},
                         {{"KTL.INF", PackageInf(&win2k, nullptr)}},
                         false,
                         {"Win2k:Zentu KTL-200", "Win2k:Zentu KTL-300"},
                         "KTL.INF"});
        cases.push_back({"Windows2000SectionMissingAddsNothing",
                         "",
                         {},
                         {{"KTL.INF", PackageInf(nullptr, &winxp)}},
                         false,
                         {},
                         "KTL.INF"});
    }
    {
        // The profile reader answers an empty section with the default text.
        const std::vector<std::string> none;
        const std::vector<std::string> winxp = {"Zentu KTL-300"};
        cases.push_back({"EmptyWindows2000SectionCountsAsMissing",
                         "",
                         {},
                         {{"KTL.INF", PackageInf(&none, &winxp)}},
                         false,
                         {},
                         "KTL.INF"});
    }
    {
        const std::vector<std::string> win2k = {"エラー発生", "Zentu KTL-300"};
        const std::vector<std::string> winxp = {"Zentu KTL-300"};
        cases.push_back({"FirstKeyEqualToTheDefaultTextCountsAsMissing",
                         "",
                         {},
                         {{"KTL.INF", PackageInf(&win2k, &winxp)}},
                         false,
                         {},
                         "KTL.INF"});
    }

    cases.push_back({"NoInfAmongOtherFiles",
                     "",
                     {"INF", "drivers"},
                     {{"KTL.INI", kMixedKeys}, {"INF.TXT", kMixedKeys}, {"drivers\\KTL.INF", kMixedKeys}},
                     false,
                     {},
                     ""});
    return cases;
}

class CatalogueTest : public testing::TestWithParam<CatalogueCase> {};

TEST_P(CatalogueTest, ListsTheModelsOfTheFolder)
{
    const CatalogueCase& c = GetParam();
    ASSERT_EQ(GetACP(), 932u) << "the Japanese cases need the ANSI code page 932 (LANG=ja_JP.UTF-8 for Wine)";
    TempFolder temp;
    for (const auto& directory : c.directories)
        ASSERT_TRUE(CreateDirectoryA(temp.PathOf(Cp932(directory)).c_str(), nullptr))
            << "could not create " << directory;
    for (const auto& file : c.files)
        temp.WriteFile(Cp932(file.name), FileBytes(file));
    const std::string folder = c.folder.empty() ? temp.Path() : temp.PathOf(Cp932(c.folder));

    const Outcome outcome = RunCatalogue(folder);

    ExpectList(outcome, c.expectedResult, c.expectedEntries);
    EXPECT_EQ(outcome.driverFolder, folder + "\\") << "DriverFolder: " << Utf8FromCp932(outcome.driverFolder);
    const std::string expectedInfPath =
        c.expectedInfName.empty() ? "" : folder + "\\" + Cp932(c.expectedInfName);
    EXPECT_EQ(outcome.infPath, expectedInfPath)
        << "InfPath: " << Utf8FromCp932(outcome.infPath) << "\n expected: " << Utf8FromCp932(expectedInfPath);
}

std::string CaseName(const testing::TestParamInfo<CatalogueCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Folders, CatalogueTest, testing::ValuesIn(CatalogueCases()), CaseName);

// ---------------------------------------------------------------------------

// Several INF files: exactly one of them is read, the one that the file
// search reports first, and InfPath names it.
TEST(CatalogueSeveralInfTest, ReadsOnlyTheFirstFileTheSearchReports)
{
    struct Package {
        const char* name;
        std::vector<std::string> win2k, winxp;
    };
    const Package packages[] = {
        {"KTL-A.INF", {"Zentu KTL-A1", "Zentu KTL-A2"}, {"Zentu KTL-A3"}},
        {"KTL-B.INF", {"Zentu KTL-B1"}, {"Zentu KTL-B2", "Zentu KTL-B3"}},
        {"KTL-C.INF", {"Zentu KTL-C1"}, {"Zentu KTL-C2"}},
    };
    TempFolder temp;
    for (const auto& package : packages)
        temp.WriteFile(package.name, Cp932(WithCrlf(PackageInf(&package.win2k, &package.winxp))));

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((temp.Path() + "\\*.INF").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    FindClose(search);
    const std::string first = found.cFileName;

    const Outcome outcome = RunCatalogue(temp.Path());

    EXPECT_EQ(outcome.infPath, temp.PathOf(first)) << "InfPath should name the first match, " << first;
    const Package* read = nullptr;
    for (const auto& package : packages)
        if (first == package.name)
            read = &package;
    ASSERT_NE(read, nullptr) << "the search reported " << first << ", which the test did not write";
    ExpectList(outcome, true, Concat(Tagged("Win2k:", read->win2k), Tagged("WinXP:", read->winxp)));
}

// ---------------------------------------------------------------------------

// InfPath holds 259 characters: the folder, the backslash and the name must
// fit, and a path one character longer is refused rather than cut.
TEST(CataloguePathLengthTest, InfPathOf259CharactersWorksAnd260Fails)
{
    TempFolder temp;
    const std::string shortName = "m.INF";
    const size_t fixedLength = temp.Path().size() + 1 + 1 + shortName.size(); // two backslashes
    ASSERT_LT(fixedLength + 1, 259u) << "the temporary folder's path is too long for this test";
    const std::string deepFolder = temp.PathOf(std::string(259 - fixedLength, 'd'));
    ASSERT_TRUE(CreateDirectoryA(deepFolder.c_str(), nullptr))
        << "could not create a folder of " << deepFolder.size() << " characters: error " << GetLastError();

    const std::vector<std::string> win2k = {"Zentu KTL-300"};
    const std::vector<std::string> winxp = {"Zentu KTL-400"};
    const std::string inf = Cp932(WithCrlf(PackageInf(&win2k, &winxp)));

    struct {
        std::string name;
        size_t infPathLength;
        bool expected;
    } const cases[] = {
        {shortName, 259, true},
        {"m" + shortName, 260, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("InfPath of " + std::to_string(c.infPathLength) + " characters");
        const std::string path = deepFolder + "\\" + c.name;
        ASSERT_EQ(path.size(), c.infPathLength) << "the test built the wrong path length";
        temp.WriteFile(deepFolder.substr(temp.Path().size() + 1) + "\\" + c.name, inf);
        ASSERT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << "the INF was not written";

        const Outcome outcome = RunCatalogue(deepFolder);

        EXPECT_EQ(outcome.driverFolder, deepFolder + "\\");
        if (c.expected) {
            ExpectList(outcome, true, {"Win2k:Zentu KTL-300", "WinXP:Zentu KTL-400"});
            EXPECT_EQ(outcome.infPath, path);
        } else {
            ExpectList(outcome, false, {});
            EXPECT_EQ(outcome.infPath, "")
                << "an InfPath that does not fit must not be written, cut or whole";
        }
        DeleteFileA(path.c_str());
    }
}

// ---------------------------------------------------------------------------

// A drive letter mapped to a folder for the length of a test. DefineDosDevice
// is tried first; Wine 8 records that mapping but its file functions do not
// follow it, so then the letter is made the way Wine keeps drives: a link in
// the prefix's "dosdevices" folder.
class MappedDrive {
public:
    explicit MappedDrive(const std::string& folder)
    {
        const DWORD used = GetLogicalDrives();
        for (char letter = 'M'; letter <= 'Y'; ++letter) {
            const std::string root = std::string(1, letter) + ":\\";
            if (!(used & (1u << (letter - 'A'))) &&
                GetFileAttributesA(root.c_str()) == INVALID_FILE_ATTRIBUTES) {
                m_drive = root.substr(0, 2);
                break;
            }
        }
        if (m_drive.empty())
            return;
        const std::string probe = m_drive + "\\" + Probe;
        if (DefineDosDeviceA(0, m_drive.c_str(), folder.c_str())) {
            if (GetFileAttributesA(probe.c_str()) != INVALID_FILE_ATTRIBUTES) {
                m_defined = folder;
                return;
            }
            DefineDosDeviceA(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, m_drive.c_str(),
                             folder.c_str());
        }
        const std::string prefix = TestSetting("WINEPREFIX");
        const std::string target = UnixPathOf(folder);
        if (prefix.empty() || target.empty())
            return;
        std::string link = prefix + "/dosdevices/" + static_cast<char>(m_drive[0] - 'A' + 'a') + ":";
        if (RunUnix("/bin/ln -sfn \"" + target + "\" \"" + link + "\"") &&
            WaitFor([&] { return GetFileAttributesA(probe.c_str()) != INVALID_FILE_ATTRIBUTES; }, 5000))
            m_link = link;
        else
            RunUnix("/bin/rm -f \"" + link + "\"");
    }
    ~MappedDrive()
    {
        if (!m_defined.empty())
            DefineDosDeviceA(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, m_drive.c_str(),
                             m_defined.c_str());
        if (!m_link.empty())
            RunUnix("/bin/rm -f \"" + m_link + "\"");
    }
    MappedDrive(const MappedDrive&) = delete;
    MappedDrive& operator=(const MappedDrive&) = delete;

    // "M:", or "" when no letter could be mapped.
    std::string Drive() const { return (m_defined.empty() && m_link.empty()) ? "" : m_drive; }

    // A file that the folder must hold before it is mapped, to see that the
    // mapping reaches it.
    static constexpr const char* Probe = "probe.txt";

private:
    static std::string UnixPathOf(const std::string& windowsPath)
    {
        // cppcheck-suppress cstyleCast ; a function pointer type, not a cast
        using UnixName = char*(CDECL*)(LPCWSTR);
        const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
        if (unixName == nullptr)
            return "";
        const int length = MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, nullptr, 0);
        std::wstring wide(length, L'\0');
        MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, &wide[0], length);
        char* name = unixName(wide.c_str());
        if (name == nullptr)
            return "";
        std::string path = name;
        HeapFree(GetProcessHeap(), 0, name);
        return path;
    }

    // Wine starts a Unix program given by its Unix path (as Z:\...).
    static bool RunUnix(const std::string& commandLine)
    {
        const std::string program = WindowsPathOf(commandLine.substr(0, commandLine.find(' ')));
        std::string line = commandLine;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process))
            return false;
        WaitForSingleObject(process.hProcess, 5000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return true;
    }

    std::string m_drive;
    std::string m_defined;
    std::string m_link;
};

// At a drive root the working directory already ends in a backslash; the one
// appended after it gives "M:\\KTL.INF", which the system accepts.
TEST(CatalogueDriveRootTest, ReadsTheInfAtTheRootOfADrive)
{
    TempFolder temp("tolvexan-drive");
    const std::vector<std::string> win2k = {"Zentu KTL-300"};
    const std::vector<std::string> winxp = {"Zentu KTL-400", "\"Zentu KTL-1000\""};
    temp.WriteFile("KTL.INF", Cp932(WithCrlf(PackageInf(&win2k, &winxp))));
    temp.WriteFile(MappedDrive::Probe, "probe");

    MappedDrive drive(temp.Path());
    const std::string root = drive.Drive() + "\\";
    ASSERT_NE(root, "\\") << "could not map a free drive letter to " << temp.Path();

    const Outcome outcome = RunCatalogue(root);

    ExpectList(outcome, true, {"Win2k:Zentu KTL-300", "WinXP:\"Zentu KTL-1000\"", "WinXP:Zentu KTL-400"});
    EXPECT_EQ(outcome.driverFolder, root + "\\");
    EXPECT_EQ(outcome.infPath, root + "\\KTL.INF");
}

} // namespace
