// The model list from real INF files: the real file search, the real profile
// reader and a real sorted list box.
#include <gtest/gtest.h>

#include "ModelCatalogue.h"
#include "ModelListBox.h"
#include "TestSupport.h"
#include "Win32Platform.h"

namespace {

using Entries = std::vector<std::string>;

// Fills a hidden sorted list box in `folder` as the setup dialog does.
Entries ListIn(const std::string& folder, bool expectedResult)
{
    CListBox list;
    list.m_hWnd = CreateWindowExA(0, "LISTBOX", "", LBS_SORT, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    CurrentDirectory inFolder(folder);
    ModelListBox models(list);
    Win32SetupPlatform platform(nullptr);
    EXPECT_EQ(BuildModelList(models, platform), expectedResult);
    EXPECT_EQ(SendMessageW(list.m_hWnd, LB_GETCURSEL, 0, 0), expectedResult ? 0 : LB_ERR);
    const Entries entries = ListEntries(list.m_hWnd);
    DestroyWindow(list.m_hWnd);
    return entries;
}

std::string Inf(const Entries& win2k, const Entries& winXP)
{
    std::string text = "; Zentu KTL\n[Version]\nSignature=\"$Windows NT$\"\n";
    for (const auto& [name, keys] : {std::make_pair("Zentu", &win2k), std::make_pair("Zentu.NTx86.5.1", &winXP)}) {
        text += std::string("[") + name + "]\n";
        for (const auto& key : *keys)
            text += key + " = KTL.PPD, ZENTU\n";
    }
    return text + "[Strings]\nZentu=\"Zentu\"\n";
}

TEST(CatalogueTest, ListsWhatTheProfileReaderReturns)
{
    Entries many; // far more than 4096 bytes of key names
    for (int i = 100; i < 400; ++i)
        many.push_back("Zentu KTL-" + std::to_string(i) + " Colour Laser Printer with Duplex Unit");
    Entries manyEntries;
    for (const char* tag : {"Win2k:", "WinXP:"})
        for (const auto& key : many)
            manyEntries.push_back(tag + key);
    struct Case {
        const char* name;
        std::string folder, file, text;
        bool utf16, result;
        Entries entries;
    } const cases[] = {
        {"keys as written, comments and blanks dropped", "", "ktl.inf",
         "[Zentu]\nZentu KTL-3 = A\n\"Zentu KTL-1\" = B\n;Zentu KTL-9 = C\n   Zentu KTL-2\t = D\n"
         "[Other]\nX=Y\n[Zentu.NTx86.5.1]\n\"Zentu KTL-2 PS\"=E\n",
         false, true,
         {"Win2k:\"Zentu KTL-1\"", "Win2k:Zentu KTL-2", "Win2k:Zentu KTL-3", "WinXP:\"Zentu KTL-2 PS\""}},
        // 能, 表 and ソ end in the byte 0x5C.
        {"code page 932 keys in a folder ending in 0x5C", "機能表", "ドライバ.INF",
         Inf({"KTL-2 ソフト", "\"KTL-3 高機能\""}, {"KTL-4 カラー"}), false, true,
         {Cp932("Win2k:\"KTL-3 高機能\""), Cp932("Win2k:KTL-2 ソフト"), Cp932("WinXP:KTL-4 カラー")}},
        {"UTF-16 file with many keys", "", "KTL.INF", Inf(many, many), true, true, manyEntries},
        {"WinXP section missing", "", "KTL.INF", "[Zentu]\nZentu KTL-3=A\n", false, false, {"Win2k:Zentu KTL-3"}},
        {"empty Win2k section", "", "KTL.INF", Inf({}, {"Zentu KTL-3"}), false, false, {}},
        {"only a folder named like an INF", "", "x.INF\\KTL.INF", Inf({"A"}, {"B"}), false, false, {}},
        {"no INF", "", "KTL.INI", Inf({"A"}, {"B"}), false, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        const std::string folder = c.folder.empty() ? temp.Path() : temp.PathOf(Cp932(c.folder));
        CreateDirectoryA(folder.c_str(), nullptr);
        const std::string file = folder + "\\" + Cp932(c.file);
        CreateDirectoryA(file.substr(0, file.rfind('\\')).c_str(), nullptr);
        temp.WriteText(file.substr(temp.Path().size() + 1), c.text, c.utf16);
        const Entries entries = ListIn(folder, c.result);
        EXPECT_EQ(entries.size(), c.entries.size());
        EXPECT_TRUE(entries == c.entries) << "first entry: " << (entries.empty() ? "(none)" : entries[0]);
        EXPECT_EQ(std::string(DriverFolder), folder + "\\");
    }
}

TEST(CatalogueTest, InfPathOf259CharactersWorksAnd260Fails)
{
    TempFolder temp;
    const std::string folder = temp.PathOf(std::string(259 - temp.Path().size() - 7, 'd'));
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder.size();
    for (const std::string name : {"m.INF", "mm.INF"}) {
        const std::string path = folder + "\\" + name;
        SCOPED_TRACE(path.size());
        temp.WriteText(path.substr(temp.Path().size() + 1), Inf({"A"}, {"B"}));
        const bool fits = path.size() <= 259;
        EXPECT_EQ(ListIn(folder, fits).size(), fits ? 2u : 0u);
        EXPECT_EQ(std::string(InfPath), fits ? path : "");
        DeleteFileA(path.c_str());
        InfPath[0] = '\0';
    }
}

} // namespace
