#include "first_start_file.h"
#include "ini_file.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// What Save throws, or "" when it throws nothing.
std::string SaveFailure(const TIniFile& ini, const std::string& path) {
    try {
        ini.Save(path);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return std::string();
}

// The system's reason for a file in a folder that is not there: on Windows
// the system's message text (in its language; the C runtime's would be
// English on every Windows), elsewhere the C library's.
std::string MissingFolderReason() {
#ifdef _WIN32
    char text[256];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, ERROR_PATH_NOT_FOUND, 0, text, sizeof text, nullptr);
    while (length > 0 &&
           (static_cast<unsigned char>(text[length - 1]) <= 32 || text[length - 1] == '.'))
        --length;
    return std::string(text, length);
#else
    return std::strerror(ENOENT);
#endif
}

// The window's store on a first start, in its order of writing.
void WriteFirstStartValues(TIniFile& ini) {
    ini.WriteInteger("SETTINGS", "COM-Port", 5);
    ini.WriteInteger("SETTINGS", "Buffersize", 255);
    for (const char* key : {"Zeige_Zeit", "Zeige_bin", "Zeige_Schaltbefehle", "Nur_ON",
                            "Zeige_Lokbefehle_S", "Zeige_Lokbefehle_F", "Zeige_RailCom",
                            "Zeige_Idle", "Zeige_Sonstiges", "Zeige_CV", "Only_Once", "MM", "DCC"})
        ini.WriteInteger("SETTINGS", key, 0);
    ini.WriteInteger("FILTER", "FILTER", 0);
    ini.WriteInteger("FILTER", "Min", 0);
    ini.WriteInteger("FILTER", "Max", 9999);
    ini.WriteInteger("Window", "Width", 1000);
    ini.WriteInteger("Window", "Top", 10);
    ini.WriteInteger("Window", "Left", 10);
}

} // namespace

// ---- Reading ----

TEST(IniParse, NamesMatchWithoutRegardToCase) {
    const TIniFile ini = TIniFile::Parse("[Settings]\nZeige_Bin=1\n");
    const struct {
        const char* Section;
        const char* Key;
    } cases[] = {
        {"Settings", "Zeige_Bin"},
        {"SETTINGS", "Zeige_bin"},
        {"settings", "ZEIGE_BIN"},
        {"sEtTiNgS", "zeige_bin"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ini.ReadInteger(c.Section, c.Key, 7), 1) << c.Section << " / " << c.Key;
}

TEST(IniParse, BlanksAroundNamesKeysAndValuesAreIgnored) {
    const TIniFile ini = TIniFile::Parse("  [  Window \t]  \n"
                                         "  Width  =  1000  \n"
                                         "\tTop\t=\t10\t\n"
                                         "Name = two words \n");
    EXPECT_EQ(ini.ReadInteger("Window", "Width", 0), 1000);
    EXPECT_EQ(ini.ReadInteger("Window", "Top", 0), 10);
    EXPECT_EQ(ini.ReadString("Window", "Name", ""), "two words");
    EXPECT_EQ(ini.Text(), "[Window]\r\nWidth=1000\r\nTop=10\r\nName=two words\r\n\r\n");
}

TEST(IniParse, LineEndsLfAndCrLfAndNoneAtTheEnd) {
    const char* const texts[] = {
        "[A]\nx=1\ny=2\n",
        "[A]\r\nx=1\r\ny=2\r\n",
        "[A]\r\nx=1\ny=2",
        "[A]\nx=1\r\ny=2\r",
    };
    for (const char* text : texts) {
        const TIniFile ini = TIniFile::Parse(text);
        EXPECT_EQ(ini.ReadString("A", "x", "-"), "1") << text;
        EXPECT_EQ(ini.ReadString("A", "y", "-"), "2") << text;
        EXPECT_EQ(ini.Text(), "[A]\r\nx=1\r\ny=2\r\n\r\n") << text;
    }
}

TEST(IniParse, CommentsAndLinesBeforeTheFirstSectionAreDropped) {
    const TIniFile ini = TIniFile::Parse("Width=5\n"
                                         "; a comment\n"
                                         "[Window]\n"
                                         "; Width=7\n"
                                         "  ;Top=3\n"
                                         "Left=10\n");
    EXPECT_EQ(ini.ReadInteger("Window", "Width", -1), -1);
    EXPECT_EQ(ini.ReadInteger("Window", "Top", -1), -1);
    EXPECT_EQ(ini.ReadInteger("Window", "Left", -1), 10);
    EXPECT_EQ(ini.Text(), "[Window]\r\nLeft=10\r\n\r\n");
}

TEST(IniParse, LinesThatAreNoEntryAreDropped) {
    const TIniFile ini = TIniFile::Parse("[A]\n"
                                         "just words\n"
                                         "=5\n"
                                         "  = 6\n"
                                         "[unclosed\n"
                                         "\n"
                                         "x=1\n");
    EXPECT_EQ(ini.ReadString("A", "", "none"), "none");
    EXPECT_EQ(ini.Text(), "[A]\r\nx=1\r\n\r\n");
}

TEST(IniParse, ValueKeepsEverythingAfterTheFirstEquals) {
    const TIniFile ini = TIniFile::Parse("[A]\nx = a=b = c \ny=\n");
    EXPECT_EQ(ini.ReadString("A", "x", ""), "a=b = c");
    EXPECT_EQ(ini.ReadString("A", "y", "default"), "");
}

TEST(IniParse, FirstOfARepeatedKeyIsReadAndAllAreKept) {
    const TIniFile ini = TIniFile::Parse("[A]\nx=1\ny=2\nX=3\n");
    EXPECT_EQ(ini.ReadInteger("A", "x", 0), 1);
    EXPECT_EQ(ini.Text(), "[A]\r\nx=1\r\ny=2\r\nX=3\r\n\r\n");
}

TEST(IniParse, RepeatedSectionContinuesTheFirst) {
    TIniFile ini = TIniFile::Parse("[A]\nx=1\n[B]\nz=9\n[a]\ny=2\nx=5\n");
    EXPECT_EQ(ini.ReadInteger("A", "x", 0), 1);
    EXPECT_EQ(ini.ReadInteger("A", "y", 0), 2);
    EXPECT_EQ(ini.Text(), "[A]\r\nx=1\r\ny=2\r\nx=5\r\n\r\n[B]\r\nz=9\r\n\r\n");
}

TEST(IniParse, SectionLineWithTextAfterTheBracket) {
    // Users comment their sections; the name is what lies between the
    // brackets, and the entries under it belong to it.
    const TIniFile ini = TIniFile::Parse("[SETTINGS] ; main\n"
                                         "Zeige_Zeit=1\n"
                                         "Mine=7\n"
                                         "  [ FILTER ]x\n"
                                         "Max=77\n"
                                         "[no close\n"
                                         "Min=3\n");
    EXPECT_EQ(ini.ReadInteger("SETTINGS", "Zeige_Zeit", 0), 1);
    EXPECT_EQ(ini.ReadInteger("FILTER", "Max", 9999), 77);
    // "[no close" holds no "]": no section line, and no entry either.
    EXPECT_EQ(ini.ReadInteger("FILTER", "Min", 0), 3);
    TIniFile written = ini;
    written.WriteInteger("SETTINGS", "Zeige_Zeit", 0);
    EXPECT_EQ(written.Text(), "[SETTINGS]\r\nZeige_Zeit=0\r\nMine=7\r\n\r\n"
                              "[FILTER]\r\nMax=77\r\nMin=3\r\n\r\n");
}

TEST(IniParse, ByteOrderMarkIsIgnoredAndNotWritten) {
    const TIniFile ini = TIniFile::Parse("\xEF\xBB\xBF[SETTINGS]\r\nCOM-Port=3\r\n");
    EXPECT_EQ(ini.ReadInteger("SETTINGS", "COM-Port", 5), 3);
    EXPECT_EQ(ini.Text(), "[SETTINGS]\r\nCOM-Port=3\r\n\r\n");
    // Only at the very start is it a mark.
    const TIniFile later = TIniFile::Parse("[A]\r\n\xEF\xBB\xBFx=1\r\n");
    EXPECT_EQ(later.ReadInteger("A", "x", 0), 0);
}

TEST(IniParse, ManySectionsKeepTheirOrderAndAreFound) {
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "[S" + std::to_string(i) + "]\nk=" + std::to_string(i) + "\n";
    text += "[s7]\nlater=1\n"; // continues S7, whatever the case
    TIniFile ini = TIniFile::Parse(text);
    EXPECT_EQ(ini.ReadInteger("S19999", "k", -1), 19999);
    EXPECT_EQ(ini.ReadInteger("S7", "later", 0), 1);
    ini.WriteInteger("s12345", "k", 1);
    ini.WriteInteger("New", "n", 2);
    const std::string out = ini.Text();
    EXPECT_NE(out.find("[S12345]\r\nk=1\r\n"), std::string::npos);
    const std::string last = "[New]\r\nn=2\r\n\r\n";
    EXPECT_EQ(out.rfind(last), out.size() - last.size());
    EXPECT_LT(out.find("[S0]"), out.find("[S1]"));
}

TEST(IniParse, EmptyTextGivesAnEmptyDocument) {
    EXPECT_EQ(TIniFile::Parse("").Text(), "");
    EXPECT_EQ(TIniFile::Parse("\r\n; only a comment\r\nx=1\r\n").Text(), "");
}

TEST(IniReadInteger, ValueForms) {
    const struct {
        const char* Value;
        int32_t Expected;
    } cases[] = {
        {"2", 2},
        {"+2", 2},
        {"-12", -12},
        {"0x20", 32},
        {"0X20", 32},
        {"x20", 32},
        {"X20", 32},
        {"$1F", 31},
        {"$1f", 31},
        {"-$10", -16},
        {"007", 7},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        // Anything else gives the default.
        {"", -99},
        {"junk", -99},
        {"12x", -99},
        {"1 2", -99},
        {"1.5", -99},
        {"0x", -99},
        {"$", -99},
        {"-", -99},
        {"2147483648", -99},
        {"-2147483649", -99},
        {"$80000000", -99},
    };
    for (const auto& c : cases) {
        const TIniFile ini = TIniFile::Parse(std::string("[S]\nk=") + c.Value + "\n");
        EXPECT_EQ(ini.ReadInteger("S", "k", -99), c.Expected) << '"' << c.Value << '"';
    }
}

TEST(IniReadInteger, BlanksAroundTheValueDoNotMatter) {
    const TIniFile ini = TIniFile::Parse("[S]\nk=  0x20 \t\n");
    EXPECT_EQ(ini.ReadInteger("S", "k", 0), 32);
}

TEST(IniReadInteger, MissingSectionOrKeyGivesTheDefault) {
    const TIniFile ini = TIniFile::Parse("[SETTINGS]\nBuffersize=255\n");
    EXPECT_EQ(ini.ReadInteger("SETTINGS", "COM-Port", 5), 5);
    EXPECT_EQ(ini.ReadInteger("Window", "Width", 560), 560);
    EXPECT_EQ(TIniFile().ReadInteger("FILTER", "Max", 9999), 9999);
}

TEST(IniReadString, MissingGivesTheDefault) {
    const TIniFile ini = TIniFile::Parse("[Ports]\nCOM5=/dev/ttyUSB7\n");
    EXPECT_EQ(ini.ReadString("Ports", "COM5", ""), "/dev/ttyUSB7");
    EXPECT_EQ(ini.ReadString("ports", "com5", ""), "/dev/ttyUSB7");
    EXPECT_EQ(ini.ReadString("Ports", "COM6", "/dev/ttyUSB1"), "/dev/ttyUSB1");
    EXPECT_EQ(ini.ReadString("Other", "COM5", "x"), "x");
}

TEST(IniSectionEntries, InFileOrderEachKeyOnce) {
    const TIniFile ini = TIniFile::Parse("[SETTINGS]\nCOM-Port=3\n"
                                         "[Ports]\n"
                                         "COM9 = /dev/ttyACM1\n"
                                         "com2=/dev/ttyS7\n"
                                         "COM9=/dev/ignored\n"
                                         "; COM3=/dev/commented\n");
    const std::vector<TIniFile::TEntry> entries = ini.SectionEntries("PORTS");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].Key, "COM9");
    EXPECT_EQ(entries[0].Value, "/dev/ttyACM1");
    EXPECT_EQ(entries[1].Key, "com2");
    EXPECT_EQ(entries[1].Value, "/dev/ttyS7");
    EXPECT_TRUE(ini.SectionEntries("Missing").empty());
}

// ---- Writing ----

TEST(IniWrite, FirstStartFileFromScratch) {
    TIniFile ini;
    WriteFirstStartValues(ini);
    EXPECT_EQ(ini.Text(), FirstStartFile);
}

TEST(IniWrite, StoringOverTheFirstStartFileChangesNothing) {
    TIniFile ini = TIniFile::Parse(FirstStartFile);
    WriteFirstStartValues(ini);
    EXPECT_EQ(ini.Text(), FirstStartFile);
}

TEST(IniWrite, ExistingKeyTakesTheWrittenSpellingOnItsLine) {
    TIniFile ini = TIniFile::Parse("[SETTINGS]\r\n"
                                   "Zeige_Zeit=0\r\n"
                                   "Zeige_Bin=1\r\n"
                                   "Nur_ON=0\r\n");
    EXPECT_EQ(ini.ReadInteger("SETTINGS", "Zeige_Bin", 0), 1);
    ini.WriteInteger("SETTINGS", "Zeige_bin", ini.ReadInteger("SETTINGS", "Zeige_Bin", 0));
    EXPECT_EQ(ini.Text(), "[SETTINGS]\r\n"
                          "Zeige_Zeit=0\r\n"
                          "Zeige_bin=1\r\n"
                          "Nur_ON=0\r\n"
                          "\r\n");
}

TEST(IniWrite, SectionKeepsItsSpellingWhenWrittenInAnother) {
    TIniFile ini = TIniFile::Parse("[window]\nWidth=560\n");
    ini.WriteInteger("Window", "Width", 1000);
    EXPECT_EQ(ini.Text(), "[window]\r\nWidth=1000\r\n\r\n");
}

TEST(IniWrite, NewKeyGoesToTheEndOfItsSectionNewSectionToTheEnd) {
    TIniFile ini = TIniFile::Parse("[SETTINGS]\n"
                                   "COM-Port=3\n"
                                   "[FILTER]\n"
                                   "Min=4\n");
    ini.WriteInteger("SETTINGS", "Buffersize", 255);
    ini.WriteInteger("Window", "Top", 10);
    ini.WriteInteger("FILTER", "Max", 200);
    EXPECT_EQ(ini.Text(), "[SETTINGS]\r\n"
                          "COM-Port=3\r\n"
                          "Buffersize=255\r\n"
                          "\r\n"
                          "[FILTER]\r\n"
                          "Min=4\r\n"
                          "Max=200\r\n"
                          "\r\n"
                          "[Window]\r\n"
                          "Top=10\r\n"
                          "\r\n");
}

TEST(IniWrite, ValuesInDecimal) {
    TIniFile ini;
    const int32_t values[] = {0, 1, -1, 32, 9999, INT32_MAX, INT32_MIN};
    const char* const texts[] = {"0", "1", "-1", "32", "9999", "2147483647", "-2147483648"};
    for (std::size_t i = 0; i < sizeof values / sizeof values[0]; ++i) {
        ini.WriteInteger("S", "k", values[i]);
        EXPECT_EQ(ini.ReadString("S", "k", ""), texts[i]);
        EXPECT_EQ(ini.ReadInteger("S", "k", 12345), values[i]);
    }
}

TEST(IniWrite, HexValueIsWrittenBackInDecimal) {
    TIniFile ini = TIniFile::Parse("[SETTINGS]\nBuffersize=0x20\n");
    ini.WriteInteger("SETTINGS", "Buffersize", ini.ReadInteger("SETTINGS", "Buffersize", 255));
    EXPECT_EQ(ini.Text(), "[SETTINGS]\r\nBuffersize=32\r\n\r\n");
}

TEST(IniWrite, UnknownEntriesSectionsAndPortsStayInPlace) {
    TIniFile ini = TIniFile::Parse("; written by hand\n"
                                   "[SETTINGS]\n"
                                   "COM-Port=7\n"
                                   "Mine = keep me \n"
                                   "Buffersize=100\n"
                                   "\n"
                                   "[Ports]\n"
                                   "COM5 = /dev/serial/by-id/usb-Fennox\n"
                                   "COM1=/dev/ttyAMA0\n"
                                   "[Notes]\n"
                                   "a=b\n");
    WriteFirstStartValues(ini);
    EXPECT_EQ(ini.Text(), "[SETTINGS]\r\n"
                          "COM-Port=5\r\n"
                          "Mine=keep me\r\n"
                          "Buffersize=255\r\n"
                          "Zeige_Zeit=0\r\n"
                          "Zeige_bin=0\r\n"
                          "Zeige_Schaltbefehle=0\r\n"
                          "Nur_ON=0\r\n"
                          "Zeige_Lokbefehle_S=0\r\n"
                          "Zeige_Lokbefehle_F=0\r\n"
                          "Zeige_RailCom=0\r\n"
                          "Zeige_Idle=0\r\n"
                          "Zeige_Sonstiges=0\r\n"
                          "Zeige_CV=0\r\n"
                          "Only_Once=0\r\n"
                          "MM=0\r\n"
                          "DCC=0\r\n"
                          "\r\n"
                          "[Ports]\r\n"
                          "COM5=/dev/serial/by-id/usb-Fennox\r\n"
                          "COM1=/dev/ttyAMA0\r\n"
                          "\r\n"
                          "[Notes]\r\n"
                          "a=b\r\n"
                          "\r\n"
                          "[FILTER]\r\n"
                          "FILTER=0\r\n"
                          "Min=0\r\n"
                          "Max=9999\r\n"
                          "\r\n"
                          "[Window]\r\n"
                          "Width=1000\r\n"
                          "Top=10\r\n"
                          "Left=10\r\n"
                          "\r\n");
}

TEST(IniWrite, RepeatedKeyOnlyTheFirstLineChanges) {
    TIniFile ini = TIniFile::Parse("[A]\nx=1\nX=3\n");
    ini.WriteInteger("A", "X", 8);
    EXPECT_EQ(ini.Text(), "[A]\r\nX=8\r\nX=3\r\n\r\n");
}

// ---- Files ----

TEST(IniFileLoad, MissingFileGivesAnEmptyDocument) {
    TempFolder folder;
    const TIniFile ini = TIniFile::Load(folder.File("fennox.ini"));
    EXPECT_EQ(ini.Text(), "");
    EXPECT_EQ(ini.ReadInteger("SETTINGS", "COM-Port", 5), 5);
}

TEST(IniFileLoad, ReadsTheFile) {
    TempFolder folder;
    WriteFile(folder.File("fennox.ini"), "; c\r\n[SETTINGS]\r\nBuffersize=0x20\r\n");
    const TIniFile ini = TIniFile::Load(folder.File("fennox.ini"));
    EXPECT_EQ(ini.ReadInteger("SETTINGS", "Buffersize", 255), 32);
}

TEST(IniFileLoad, UnreadablePathThrowsNamingTheFileAndTheReason) {
    TempFolder folder;
    const std::string path = folder.File("fennox.ini");
    ASSERT_EQ(MakeFolder(path), 0);
    try {
        TIniFile::Load(path);
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find(path), std::string::npos) << message;
        EXPECT_NE(message.find(std::strerror(OpenFolderError)), std::string::npos) << message;
    }
}

// A path through a file names no file, on both systems: it reads as an
// empty document, as a missing file does (a user's configuration folder
// blocked by a file must not stop the start).
TEST(IniFileLoad, PathThroughAFileIsAMissingFile) {
    TempFolder folder;
    WriteFile(folder.File("plain"), "x");
    const TIniFile ini = TIniFile::Load(folder.File("plain/fennox.ini"));
    EXPECT_EQ(ini.Text(), "");
}

TEST(IniFileSave, WritesTheTextAndLeavesNoTemporaryFile) {
    TempFolder folder;
    const std::string path = folder.File("fennox.ini");
    TIniFile ini;
    WriteFirstStartValues(ini);
    ini.Save(path);
    EXPECT_EQ(ReadFile(path), FirstStartFile);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"fennox.ini"});
}

TEST(IniFileSave, RoundTripDropsCommentsAndKeepsTheRest) {
    TempFolder folder;
    const std::string path = folder.File("fennox.ini");
    WriteFile(path, "; comment\n[SETTINGS]\nZeige_Bin=1\nMine=2\n;another\n[Ports]\nCOM3=/dev/x\n");
    TIniFile ini = TIniFile::Load(path);
    ini.WriteInteger("SETTINGS", "Zeige_bin", ini.ReadInteger("SETTINGS", "Zeige_Bin", 0));
    ini.Save(path);
    EXPECT_EQ(ReadFile(path), "[SETTINGS]\r\nZeige_bin=1\r\nMine=2\r\n\r\n"
                              "[Ports]\r\nCOM3=/dev/x\r\n\r\n");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"fennox.ini"});
}

#ifndef _WIN32
TEST(IniFileSave, ReplacedFileKeepsItsPermissions) {
    TempFolder folder;
    const std::string path = folder.File("fennox.ini");
    WriteFile(path, "[A]\nx=1\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    TIniFile ini = TIniFile::Load(path);
    ini.WriteInteger("A", "x", 2);
    ini.Save(path);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(ReadFile(path), "[A]\r\nx=2\r\n\r\n");
}
#endif

TEST(IniFileSave, MissingFolderThrowsNamingTheFile) {
    TempFolder folder;
    const std::string path = folder.File("gone/fennox.ini");
    TIniFile ini;
    ini.WriteInteger("A", "x", 1);
    try {
        ini.Save(path);
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find(path), std::string::npos) << message;
        const std::string reason = MissingFolderReason();
        ASSERT_FALSE(reason.empty());
        EXPECT_NE(message.find(reason), std::string::npos) << message;
    }
    EXPECT_TRUE(folder.Names().empty());
}

TEST(IniFileSave, FolderThatIsAFileThrowsAndLeavesItUnchanged) {
    TempFolder folder;
    WriteFile(folder.File("plain"), "old");
    const std::string path = folder.File("plain/fennox.ini");
    TIniFile ini;
    ini.WriteInteger("A", "x", 1);
    EXPECT_THROW(ini.Save(path), std::runtime_error);
    EXPECT_EQ(ReadFile(folder.File("plain")), "old");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"plain"});
}

// The rename is the last step; when it fails the temporary file written
// before it must go and whatever sits at the path must stay.
TEST(IniFileSave, FailedRenameRemovesTheTemporaryFile) {
    TempFolder folder;
    const std::string path = folder.File("fennox.ini");
    ASSERT_EQ(MakeFolder(path), 0);
    WriteFile(path + "/inside", "kept");
    TIniFile ini;
    ini.WriteInteger("A", "x", 1);
    try {
        ini.Save(path);
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"fennox.ini"});
    EXPECT_EQ(ReadFile(path + "/inside"), "kept");
}

TEST(IniFileSave, ReadOnlyFileIsLeftUntouched) {
    TempFolder folder;
    const std::string path = folder.File("fennox.ini");
    WriteFile(path, "[A]\nx=1\n");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    TIniFile ini = TIniFile::Load(path);
    ini.WriteInteger("A", "x", 2);
    const std::string message = SaveFailure(ini, path);
    EXPECT_NE(message.find(path), std::string::npos) << message;
    EXPECT_NE(message.find("kann nicht geschrieben werden"), std::string::npos) << message;
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
#ifndef _WIN32 // Windows has no inode numbers
    EXPECT_EQ(after.st_ino, before.st_ino) << "not replaced by another file";
#endif
    EXPECT_EQ(ReadFile(path), "[A]\nx=1\n");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"fennox.ini"});
}

#ifdef _WIN32
// The attribute Explorer's "Read-only" box sets: the file stays as it is, and
// the error names it and gives the system's reason.
TEST(IniFileSave, ReadOnlyAttributeLeavesTheFileUntouched) {
    TempFolder folder;
    const std::string path = folder.File("fennox.ini");
    WriteFile(path, "[A]\r\nx=1\r\n");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    TIniFile ini = TIniFile::Load(path);
    ini.WriteInteger("A", "x", 2);
    const std::string message = SaveFailure(ini, path);
    const std::string prefix = "Die Datei \"" + path + "\" kann nicht geschrieben werden: ";
    EXPECT_EQ(message.substr(0, prefix.size()), prefix) << message;
    ASSERT_GT(message.size(), prefix.size()) << "a reason follows";
    EXPECT_NE(message.back(), '.') << message;
    EXPECT_NE(message.back(), '\n') << message;
    EXPECT_NE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(ReadFile(path), "[A]\r\nx=1\r\n");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"fennox.ini"});
}

// Another program holds the file open without letting others delete or
// replace it: the replacement fails, and neither the file nor a temporary
// file is left changed or behind.
TEST(IniFileSave, FileHeldOpenByAnotherProgramIsLeftUntouched) {
    TempFolder folder;
    const std::string path = folder.File("fennox.ini");
    WriteFile(path, "[A]\r\nx=1\r\n");
    const HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    TIniFile ini = TIniFile::Load(path);
    ini.WriteInteger("A", "x", 2);
    EXPECT_THROW(ini.Save(path), std::runtime_error);
    CloseHandle(held);
    EXPECT_EQ(ReadFile(path), "[A]\r\nx=1\r\n");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"fennox.ini"});
}

// A longer old file leaves nothing of itself behind the new text.
TEST(IniFileSave, ExistingFileIsReplacedWhole) {
    TempFolder folder;
    const std::string path = folder.File("fennox.ini");
    WriteFile(path, std::string(10000, 'x'));
    TIniFile ini;
    ini.WriteInteger("A", "x", 2);
    ini.Save(path);
    EXPECT_EQ(ReadFile(path), "[A]\r\nx=2\r\n\r\n");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"fennox.ini"});
}
#else
TEST(IniFileSave, SymbolicLinkIsWrittenThroughAndStaysALink) {
    TempFolder folder;
    ASSERT_EQ(::mkdir(folder.File("real").c_str(), 0755), 0);
    WriteFile(folder.File("real/elsewhere.ini"), "[A]\nx=1\n");
    const std::string link = folder.File("fennox.ini");
    ASSERT_EQ(::symlink("real/elsewhere.ini", link.c_str()), 0);
    TIniFile ini = TIniFile::Load(link);
    ini.WriteInteger("A", "x", 2);
    ini.Save(link);
    struct stat info {};
    ASSERT_EQ(::lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(ReadFile(folder.File("real/elsewhere.ini")), "[A]\r\nx=2\r\n\r\n");
    EXPECT_EQ(folder.Names().size(), 2u) << "no temporary file left beside the link";

    // A link to a file not there yet creates that file.
    const std::string dangling = folder.File("new.ini");
    ASSERT_EQ(::symlink(folder.File("real/created.ini").c_str(), dangling.c_str()), 0);
    ini.Save(dangling);
    EXPECT_EQ(ReadFile(folder.File("real/created.ini")), "[A]\r\nx=2\r\n\r\n");
    ASSERT_EQ(::lstat(dangling.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
}

// As a user who may not create files in the folder but may write the file.
// Root may create files anywhere, so a root test run drops to "nobody" in a
// child process for this.
TEST(IniFileSave, WritableFileInAFolderThatTakesNoNewFileIsWrittenInPlace) {
    TempFolder folder;
    const std::string path = folder.File("fennox.ini");
    WriteFile(path, "[A]\nx=1\n");
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(folder.Path.c_str(), 0555), 0);
    const int status = RunAsOrdinaryUser([&] {
        TIniFile ini = TIniFile::Load(path);
        ini.WriteInteger("A", "x", 2);
        ini.Save(path);
        return 0;
    });
    ::chmod(folder.Path.c_str(), 0755);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadFile(path), "[A]\r\nx=2\r\n\r\n");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"fennox.ini"});
}
#endif

// ---- File name ----

TEST(SettingsFileName, FromTheProgramPath) {
    const struct {
        const char* Program;
        const char* Settings;
    } cases[] = {
        {"/opt/x/Fennox.exe", "/opt/x/Fennox.ini"},
        {"/opt/x/FENNOX.EXE", "/opt/x/FENNOX.ini"},
        {"/usr/bin/fennox", "/usr/bin/fennox.ini"},
        {"/a.b/fennox", "/a.b/fennox.ini"},
        {"/home/me/.local/bin/fennox", "/home/me/.local/bin/fennox.ini"},
        {"fennox", "fennox.ini"},
        // By position, whatever the last three characters are.
        {"/x/prog.ab", "/x/progini"},
        {"/x/prog.a", "/x/proini"},
        {"/x/fennox.1.18", "/x/fennox.1ini"},
        {"/x/prog.", "/x/prini"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SettingsFileName(c.Program), c.Settings) << c.Program;
}
