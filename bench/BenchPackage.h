#pragma once

// The driver packages that the start-up measurements run on, made the same
// way by every bench program so that the tool, the baseline and the
// breakdown all see the same models: an INF whose two model sections list
// the same models (as a driver that supports both Windows versions does),
// with quoted names as driver makers write them, Japanese ones included.

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

namespace bench {

// The key names of one model section, in the INF's order (grouped as a
// maker lists them, not in the list's sort order), in code page 932 and
// with their quotes, as the INF reader returns them.
inline std::vector<std::string> ModelKeys(size_t perSection)
{
    static const char* const series[] = {"KTL-", "KTL-C", "Voskari LP-", "Voskari PX-"};
    static const char* const kinds[] = {
        "",
        " PS",
        " PCL6",
        " \x83\x4a\x83\x89\x81\x5b", // "カラー"
        " \x95\xa1\x8d\x87\x8b\x40", // "複合機"
    };
    std::vector<std::string> keys;
    keys.reserve(perSection);
    for (size_t i = 0; i < perSection; ++i) {
        char key[64];
        std::snprintf(key, sizeof key, "\"Zentu %s%zu%s\"", series[i % 4], 1000 + 10 * (i / 20),
                      kinds[(i / 4) % 5]);
        keys.push_back(key);
    }
    return keys;
}

// The list entries that the tool makes of these keys, in the order it adds
// them: every model as a Windows 2000 entry, then every one as an XP entry.
inline std::vector<std::string> ListEntries(const std::vector<std::string>& keys)
{
    std::vector<std::string> entries;
    entries.reserve(2 * keys.size());
    for (const char* tag : {"Win2k:", "WinXP:"})
        std::transform(keys.begin(), keys.end(), std::back_inserter(entries),
                       [tag](const std::string& key) { return tag + key; });
    return entries;
}

// A whole driver INF for these models, code page 932 with CRLF line ends:
// version block, both model sections, an install section per model and
// the file lists, as a real printer INF has them.
inline std::string InfText(const std::vector<std::string>& keys)
{
    char line[160];
    std::string text = "; Zentu KTL printer drivers, generated for the start-up measurements\r\n"
                       "\r\n[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\n"
                       "ClassGuid={4D36E979-E325-11CE-BFC1-08002BE10318}\r\nProvider=%ZENTU%\r\n"
                       "DriverVer=04/01/2026,1.0.0.1\r\nCatalogFile=ZNTKTL.CAT\r\n"
                       "\r\n[Manufacturer]\r\n\"Zentu\"=Zentu,NTx86.5.1\r\n";
    for (const char* section : {"Zentu", "Zentu.NTx86.5.1"}) {
        text += "\r\n[";
        text += section;
        text += "]\r\n";
        for (size_t i = 0; i < keys.size(); ++i) {
            std::snprintf(line, sizeof line, " = ZK%05zu,ZentuKTL-%05zu\r\n", i, i);
            text += keys[i] + line;
        }
    }
    for (size_t i = 0; i < keys.size(); ++i) {
        std::snprintf(line, sizeof line,
                      "\r\n[ZK%05zu]\r\nCopyFiles=@ZK%05zu.ZPD,ZENTU_COMMON\r\nDataSection=ZENTU_DATA\r\n"
                      "DataFile=ZK%05zu.ZPD\r\n",
                      i, i, i);
        text += line;
    }
    text += "\r\n[ZENTU_DATA]\r\nDriverFile=ZNTKTLD.DLL\r\nConfigFile=ZNTKTLUI.DLL\r\nHelpFile=ZNTKTL.HLP\r\n"
            "\r\n[ZENTU_COMMON]\r\nZNTKTLD.DLL\r\nZNTKTLUI.DLL\r\nZNTKTL.HLP\r\n"
            "\r\n[DestinationDirs]\r\nDefaultDestDir=66000\r\n"
            "\r\n[SourceDisksNames.x86]\r\n1=%DISK1%,,,\r\n"
            "\r\n[SourceDisksFiles]\r\n";
    for (size_t i = 0; i < keys.size(); ++i) {
        std::snprintf(line, sizeof line, "ZK%05zu.ZPD=1\r\n", i);
        text += line;
    }
    text += "\r\n[Strings]\r\nZENTU=\"Zentu\"\r\nDISK1=\"Zentu KTL Driver Disk\"\r\n";
    return text;
}

} // namespace bench
