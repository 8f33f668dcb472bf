// The package check on the fake platform: what no run under Wine can see (its
// reads, the key lists over the tool's cap) and the decorations' order.
#include "FakePlatform.h"
#include "InfIndex.h"
#include "PackageCheck.h"

namespace {

// The fake's sections as the INF reader answers their lines ("key=INSTALL")
// and names; the tool's own reads go to the fake, which records them.
class FakePackage : public PackagePlatform {
public:
    explicit FakePackage(FakePlatform& tool) : PackagePlatform(tool), tool(tool) {}

    FakePlatform& tool;
    std::map<std::string, std::string> lines; // beyond the fake's model sections: "key=value\0..."

    void ListMatches(const char*, MatchVisitor& visitor) override
    {
        FolderEntry entry{};
        std::strcpy(entry.name, tool.matchName.c_str());
        visitor.Visit(entry);
    }
    size_t ReadSectionLines(const char* section, char* buffer, size_t size, const char*) override
    {
        std::string answer = lines.count(section) ? lines[section] : "";
        for (const std::string& key : tool.sections.count(section) ? tool.sections[section] : Texts{})
            answer += key + "=INSTALL" + '\0';
        return Answer(answer, buffer, size);
    }
    size_t ReadSectionNames(char* buffer, size_t size, const char*) override
    {
        std::string answer = "INSTALL";
        answer += '\0';
        for (const auto& section : tool.sections)
            answer += section.first + '\0';
        for (const auto& section : lines)
            answer += section.first + '\0';
        return Answer(answer, buffer, size);
    }
    bool ReadText(const char*, HeapBuffer&, size_t&) override { return false; }

private:
    static size_t Answer(const std::string& answer, char* buffer, size_t size)
    {
        const size_t length = std::min(answer.size(), size - 2);
        std::memcpy(buffer, answer.data(), length);
        buffer[length] = '\0';
        return length;
    }
};

class StringSink : public ReportSink {
public:
    void Write(const char* text, size_t length) override { report.append(text, length); }
    std::string report;
};

int Check(FakePackage& package, std::string& report, Texts& shiftList)
{
    DriverFolder[0] = InfPath[0] = '\0';
    FakeModelList list, shifted;
    StringSink sink;
    Report findings(sink);
    const int status = CheckPackage(package, list, shifted, "C:\\drv", "", findings);
    report = sink.report;
    shiftList = shifted.entries;
    return status;
}

TEST(PackageCheckTest, ReadsEachModelSectionOnceAndListsShiftHeldFromWhatItRead)
{
    FakePlatform tool;
    FakePackage package(tool);
    package.lines["Manufacturer"] = std::string("\"Zentu\"=Zentu,NTx86.5.1") + '\0';
    std::string report;
    Texts shiftList;
    EXPECT_EQ(Check(package, report, shiftList), 0) << report;
    EXPECT_EQ(tool.reads, (Texts{"Zentu:4096", "Zentu.NTx86.5.1:4096"}))
        << "each model section read once, the listing with Shift held included";
    EXPECT_EQ(shiftList, (Texts{"Win2k:K1", "WinXP:X1"}));
}

TEST(PackageCheckTest, AKeyListOverTheToolsCapIsAnErrorWithTheCap)
{
    FakePlatform tool;
    FakePackage package(tool);
    tool.matchSize = KeyListMaximumSize; // read at the cap at once
    tool.sections["Zentu"] = {std::string(KeyListMaximumSize / 2, 'a'),
                              std::string(KeyListMaximumSize / 2, 'b')};
    std::string report;
    Texts shiftList;
    EXPECT_EQ(Check(package, report, shiftList), 1);
    EXPECT_NE(
        report.find("ZENTU.INF: error: the keys of [Zentu] take more than the 33554432 bytes the tool reads: "
                    "the tool shows its error message instead of the list\r\n"),
        std::string::npos)
        << report;
}

// Windows XP takes the decoration closest to it: the later version first, then a named architecture, then a
// named product type; one for another system or a later Windows never.
TEST(PackageCheckTest, DecorationsFitWindowsXPInTheirOrder)
{
    const Texts closerFirst = {"NTx86.5.1.1", "ntX86.5.1", "NT.5.1", "NTx86.5", "NTx86.4.0", "NTx86", "NT"};
    for (size_t i = 0; i + 1 < closerFirst.size(); ++i)
        EXPECT_GT(WindowsXPFit(SpanOf(closerFirst[i].c_str())),
                  WindowsXPFit(SpanOf(closerFirst[i + 1].c_str())))
            << closerFirst[i] << " before " << closerFirst[i + 1];
    EXPECT_EQ(WindowsXPFit(SpanOf("NT")), 0);
    for (const char* other : {"NTamd64", "NTia64.5.1", "NTx86.6.0", "NT.5.2", "NTx86.5.1.3",
                              "NTx86.5.1.1.0x200", "NTx86.5.x", "Win2k", "N", ""})
        EXPECT_EQ(WindowsXPFit(SpanOf(other)), -1) << other;
}

TEST(PackageCheckTest, NamesCompareAsTheInfReaderComparesThem)
{
    EXPECT_EQ(CompareNames(SpanOf("zentu.ntX86.5.1"), SpanOf("Zentu.NTx86.5.1")), 0);
    // "ア" (0x83 0x41) and "ヂ" (0x83 0x61): a trail byte is no letter.
    EXPECT_NE(CompareNames(SpanOf("\x83\x41"), SpanOf("\x83\x61")), 0);
    EXPECT_LT(CompareNames(SpanOf("Zentu"), SpanOf("Zentu.NTx86")), 0);
    for (const auto& [name, token] : {std::pair<const char*, bool>{"%KTL1%", true},
                                      {"Zentu %MODEL% Pro", true},
                                      {"50%% off", false},
                                      {"100%", false},
                                      {"Zentu KTL-1000", false}})
        EXPECT_EQ(HoldsStringKey(SpanOf(name)), token) << name;
}

} // namespace
