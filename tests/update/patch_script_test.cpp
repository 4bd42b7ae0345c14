// The patch-script interpreter against a host that records what it is asked
// to do: one table of {script -> result, side effects, error text}, and the
// lexer, variables, numbers and file-name rule on their own.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "update/patch_script.h"

namespace {

constexpr uint32_t kService = 441397;
constexpr uint32_t kComponent = 10000;

// What the fake host answers; the default is that everything works.
enum HostFault : unsigned {
  kNoFault = 0,
  kDownloadFails = 1u << 0,
  kCallStartFails = 1u << 1,
  kCallWaitFails = 1u << 2,
  kExecFails = 1u << 3,
  kVersionRefused = 1u << 4,
};

// Records every request as one line of text, in order.
class CRecordingHost : public CScriptHost {
 public:
  std::string downloadFolder = "C:\\DL\\";
  std::string tempFolder = "C:\\Temp\\";
  std::string gameFolder = "C:\\Game\\";
  unsigned faults = kNoFault;
  std::vector<std::string> log;

  std::string GetDownloadFolder() override { return downloadFolder; }
  std::string GetTempFolder() override { return tempFolder; }
  std::string GetGameFolder() override { return gameFolder; }

  int DownloadFile(const char* url, const char* target, uint32_t size, uint32_t crc) override {
    char numbers[40];
    std::snprintf(numbers, sizeof numbers, " %u %08X", static_cast<unsigned>(size), static_cast<unsigned>(crc));
    log.push_back(std::string("GET ") + url + " -> " + target + numbers);
    return (faults & kDownloadFails) ? 0 : 1;
  }
  ScriptCallResult RunProgramAndWait(const char* path, const char* folder) override {
    log.push_back(std::string("CALL ") + path + " [" + folder + "]");
    if (faults & kCallStartFails) return ScriptCallResult::kStartFailed;
    if (faults & kCallWaitFails) return ScriptCallResult::kWaitFailed;
    return ScriptCallResult::kEnded;
  }
  int StartProgram(const char* path, const char* folder) override {
    log.push_back(std::string("EXEC ") + path + " [" + folder + "]");
    return (faults & kExecFails) ? 0 : 1;
  }
  int SetLatestVersion(uint32_t service, uint32_t component, uint32_t version) override {
    return Version("LATEST", service, component, version);
  }
  int SetNextVersion(uint32_t service, uint32_t component, uint32_t version) override {
    return Version("NEXT", service, component, version);
  }
  void ShowMessage(uint32_t id) override {
    if (id == kScriptMsgStartFailed)
      log.push_back("MSG fault");
    else if (id == kScriptMsgWaitFailed)
      log.push_back("MSG aborted");
    else
      log.push_back("MSG " + std::to_string(id));
  }

 private:
  int Version(const char* what, uint32_t service, uint32_t component, uint32_t version) {
    log.push_back(std::string(what) + " " + std::to_string(service) + " " + std::to_string(component) + " " +
                  std::to_string(version));
    return (faults & kVersionRefused) ? 0 : 1;
  }
};

using Log = std::vector<std::string>;

struct ScriptCase {
  const char* name;
  const char* script;
  unsigned faults;
  int result;
  Log log;
  const char* error;  // the failure text; "" for a run that did not fail
};

std::ostream& operator<<(std::ostream& os, const ScriptCase& c) { return os << c.name; }

const ScriptCase kScriptCases[] = {
    // Empty texts and lines.
    {"Empty", "", kNoFault, 0, {}, ""},
    {"EmptyLinesOnly", "\n\n  \t\n", kNoFault, 0, {}, ""},
    {"BlanksOnly", "   ", kNoFault, 0, {}, ""},

    // Keywords: exact, case-sensitive, quoted or not.
    {"PatchLineIsSkipped", "PATCH a b \"c d\"\nCALL setup.exe\n", kNoFault, 0, {"CALL C:\\DL\\setup.exe [C:\\DL]"}, ""},
    {"UnknownWordStopsTheScript", "FOO bar\nCALL setup.exe\n", kNoFault, -1, {}, "line 1: unknown command near 'FOO'"},
    {"LowerCaseKeyword", "call setup.exe", kNoFault, -1, {}, "line 1: unknown command near 'call'"},
    {"QuotedKeyword", "\"CALL\" setup.exe", kNoFault, 0, {"CALL C:\\DL\\setup.exe [C:\\DL]"}, ""},
    {"QuotedEmptyWordIsNoCommand",
     "\n\nPATCH\nLATESTVER 1\n\"\"\nLATESTVER 2",
     kNoFault,
     -1,
     {"LATEST 441397 10000 1"},
     "line 5: unknown command near ''"},
    {"TabSeparates", "CALL\tsetup.exe", kNoFault, 0, {"CALL C:\\DL\\setup.exe [C:\\DL]"}, ""},
    {"LineFeedClosesAQuote",
     "CALL \"abc\ndef\"",
     kNoFault,
     -1,
     {"CALL C:\\DL\\abc [C:\\DL]"},
     "line 2: unknown command near 'def\"'"},

    // Carriage returns are ordinary characters.
    {"KeywordFollowedByCarriageReturn",
     "PATCH\r\nLATESTVER 1\r\n",
     kNoFault,
     -1,
     {},
     "line 1: unknown command near 'PATCH\\r'"},
    {"CrlfScriptWithNumbersLast",
     "LATESTVER 1002000\r\nNEXTVER 1001000\r\nHTTPGET /patch.example/1001000/data.pak 1024 "
     "1a2B3c4D\r\n",
     kNoFault,
     0,
     {"LATEST 441397 10000 1002000", "NEXT 441397 10000 1001000",
      "GET http://patch.example/1001000/data.pak -> C:\\DL\\data.pak 1024 1A2B3C4D"},
     ""},
    {"CrlfCallNameEndsInCarriageReturn",
     "CALL setup.exe\r\nLATESTVER 1\r\n",
     kNoFault,
     -1,
     {"MSG fault"},
     "line 1: CALL: not a file name in the download folder near 'setup.exe\\r'"},
    {"CrlfCallWithBlankBeforeCarriageReturn",
     "CALL setup.exe \r\nLATESTVER 1 \r\n",
     kNoFault,
     0,
     {"CALL C:\\DL\\setup.exe [C:\\DL]", "LATEST 441397 10000 1"},
     ""},

    // HTTPGET.
    {"HttpGet",
     "HTTPGET /h.example/dir/file.bin 123456 9abcDEF0",
     kNoFault,
     0,
     {"GET http://h.example/dir/file.bin -> C:\\DL\\file.bin 123456 9ABCDEF0"},
     ""},
    {"HttpGetWithoutCrc",
     "HTTPGET /h.example/a.bin 10\nLATESTVER 1",
     kNoFault,
     -1,
     {},
     "line 1: HTTPGET: missing argument near <end of line>"},
    {"HttpGetWithoutCrcAtEndOfText",
     "HTTPGET /h.example/a.bin 10  ",
     kNoFault,
     -1,
     {},
     "line 1: HTTPGET: missing argument near <end of text>"},
    {"HttpGetWithoutSize",
     "HTTPGET /h.example/a.bin\nLATESTVER 1",
     kNoFault,
     -1,
     {},
     "line 1: HTTPGET: missing argument near <end of line>"},
    {"HttpGetAlone", "HTTPGET\nLATESTVER 1", kNoFault, -1, {}, "line 1: HTTPGET: missing argument near <end of line>"},
    {"HttpGetNumbersStopAtOtherCharacters",
     "HTTPGET /h/a.bin 12abc 0x1F",
     kNoFault,
     0,
     {"GET http://h/a.bin -> C:\\DL\\a.bin 12 00000000"},
     ""},
    {"HttpGetNumbersWrap",
     "HTTPGET /h/a.bin 4294967297 FFFFFFFFF",
     kNoFault,
     0,
     {"GET http://h/a.bin -> C:\\DL\\a.bin 1 FFFFFFFF"},
     ""},
    {"HttpGetSurplusIgnored",
     "HTTPGET /h/a.bin 1 2 more words\nLATESTVER 3",
     kNoFault,
     0,
     {"GET http://h/a.bin -> C:\\DL\\a.bin 1 00000002", "LATEST 441397 10000 3"},
     ""},
    {"HttpGetQuotedWithBlanks",
     "HTTPGET \"/h.example/my dir/my file.bin\" 5 1",
     kNoFault,
     0,
     {"GET http://h.example/my dir/my file.bin -> C:\\DL\\my file.bin 5 00000001"},
     ""},
    {"HttpGetAddressNotExpanded",
     "HTTPGET /h/$tmp 5 1",
     kNoFault,
     0,
     {"GET http://h/$tmp -> C:\\DL\\$tmp 5 00000001"},
     ""},
    {"HttpGetDotsInsideName",
     "HTTPGET /h/a..b.bin 1 2",
     kNoFault,
     0,
     {"GET http://h/a..b.bin -> C:\\DL\\a..b.bin 1 00000002"},
     ""},
    {"HttpGetDownloadFails",
     "HTTPGET /h/a.bin 1 2\nLATESTVER 3",
     kDownloadFails,
     -1,
     {"GET http://h/a.bin -> C:\\DL\\a.bin 1 00000002"},
     "line 1: HTTPGET: download failed near 'http://h/a.bin'"},
    {"HttpGetEmptyName",
     "LATESTVER 1\nHTTPGET /h/ 1 2",
     kNoFault,
     -1,
     {"LATEST 441397 10000 1"},
     "line 2: HTTPGET: not a file name in the download folder near ''"},
    {"HttpGetBackslashesInName",
     "HTTPGET /h/a\\..\\..\\evil.exe 1 2",
     kNoFault,
     -1,
     {},
     "line 1: HTTPGET: not a file name in the download folder near 'a\\..\\..\\evil.exe'"},
    {"HttpGetDotDot",
     "HTTPGET /h/.. 1 2",
     kNoFault,
     -1,
     {},
     "line 1: HTTPGET: not a file name in the download folder near '..'"},
    {"HttpGetDriveInName",
     "HTTPGET /h/C:evil.exe 1 2",
     kNoFault,
     -1,
     {},
     "line 1: HTTPGET: not a file name in the download folder near 'C:evil.exe'"},
    {"HttpGetStreamName",
     "HTTPGET /h/a.bin:x 1 2",
     kNoFault,
     -1,
     {},
     "line 1: HTTPGET: not a file name in the download folder near 'a.bin:x'"},
    {"HttpGetQueryInName",
     "HTTPGET /h/get?f=a.bin 1 2",
     kNoFault,
     -1,
     {},
     "line 1: HTTPGET: not a file name in the download folder near 'get?f=a.bin'"},
    {"HttpGetDeviceName",
     "HTTPGET /h/nul.bin 0 0",
     kNoFault,
     -1,
     {},
     "line 1: HTTPGET: not a file name in the download folder near 'nul.bin'"},

    // CALL.
    {"CallQuotedNameWithBlanks", "CALL \"my setup.exe\"", kNoFault, 0, {"CALL C:\\DL\\my setup.exe [C:\\DL]"}, ""},
    {"CallSurplusIgnored",
     "CALL a.exe b c\nLATESTVER 1",
     kNoFault,
     0,
     {"CALL C:\\DL\\a.exe [C:\\DL]", "LATEST 441397 10000 1"},
     ""},
    {"CallTwoPrograms",
     "CALL a.exe\nCALL b.exe\n",
     kNoFault,
     0,
     {"CALL C:\\DL\\a.exe [C:\\DL]", "CALL C:\\DL\\b.exe [C:\\DL]"},
     ""},
    {"CallDotsInsideName", "CALL a..b.exe", kNoFault, 0, {"CALL C:\\DL\\a..b.exe [C:\\DL]"}, ""},
    {"CallWithoutName", "CALL\nLATESTVER 1", kNoFault, -1, {}, "line 1: CALL: missing argument near <end of line>"},
    {"CallParentFolder",
     "CALL ..\\evil.exe",
     kNoFault,
     -1,
     {"MSG fault"},
     "line 1: CALL: not a file name in the download folder near '..\\evil.exe'"},
    {"CallSubfolder",
     "CALL sub\\setup.exe\nLATESTVER 1",
     kNoFault,
     -1,
     {"MSG fault"},
     "line 1: CALL: not a file name in the download folder near 'sub\\setup.exe'"},
    {"CallForwardSlash",
     "CALL sub/setup.exe",
     kNoFault,
     -1,
     {"MSG fault"},
     "line 1: CALL: not a file name in the download folder near 'sub/setup.exe'"},
    {"CallAbsolutePath",
     "CALL C:\\Windows\\evil.exe",
     kNoFault,
     -1,
     {"MSG fault"},
     "line 1: CALL: not a file name in the download folder near 'C:\\Windows\\evil.exe'"},
    {"CallDriveRelative",
     "CALL D:evil.exe",
     kNoFault,
     -1,
     {"MSG fault"},
     "line 1: CALL: not a file name in the download folder near 'D:evil.exe'"},
    {"CallExpandedFolder",
     "CALL $tmp\\setup.exe",
     kNoFault,
     -1,
     {"MSG fault"},
     "line 1: CALL: not a file name in the download folder near 'C:\\DL\\setup.exe'"},
    {"CallQuotedEmptyName",
     "CALL \"\"",
     kNoFault,
     -1,
     {"MSG fault"},
     "line 1: CALL: not a file name in the download folder near ''"},
    {"CallDotsAndBlanksOnly",
     "CALL \". .\"",
     kNoFault,
     -1,
     {"MSG fault"},
     "line 1: CALL: not a file name in the download folder near '. .'"},
    {"CallTabInName",
     "CALL \"a\tb.exe\"",
     kNoFault,
     -1,
     {"MSG fault"},
     "line 1: CALL: not a file name in the download folder near 'a\\tb.exe'"},
    {"CallStartFails",
     "CALL setup.exe\nLATESTVER 1",
     kCallStartFails,
     -1,
     {"CALL C:\\DL\\setup.exe [C:\\DL]", "MSG fault"},
     "line 1: CALL: the program did not start near 'setup.exe'"},
    {"CallWaitFails",
     "CALL setup.exe\nLATESTVER 1",
     kCallWaitFails,
     -1,
     {"CALL C:\\DL\\setup.exe [C:\\DL]", "MSG aborted"},
     "line 1: CALL: waiting for the program failed near 'setup.exe'"},

    // EXEC.
    {"ExecEndsTheScript", "EXEC new.exe\nCALL other.exe", kNoFault, 2, {"EXEC C:\\DL\\new.exe [C:\\DL]"}, ""},
    {"ExecQuotedNameWithBlanks",
     "EXEC \"new launcher.exe\" x",
     kNoFault,
     2,
     {"EXEC C:\\DL\\new launcher.exe [C:\\DL]"},
     ""},
    {"ExecFails",
     "EXEC new.exe",
     kExecFails,
     -1,
     {"EXEC C:\\DL\\new.exe [C:\\DL]"},
     "line 1: EXEC: the program did not start near 'new.exe'"},
    {"ExecParentFolder",
     "EXEC ..\\new.exe",
     kNoFault,
     -1,
     {},
     "line 1: EXEC: not a file name in the download folder near '..\\new.exe'"},
    {"ExecWithoutName", "EXEC", kNoFault, -1, {}, "line 1: EXEC: missing argument near <end of text>"},

    // LATESTVER, NEXTVER and the empty statements.
    {"Versions",
     "LATESTVER 1002000\nNEXTVER 1001000 extra\n",
     kNoFault,
     0,
     {"LATEST 441397 10000 1002000", "NEXT 441397 10000 1001000"},
     ""},
    {"VersionlessLinesDoNothing",
     "VERSION\nLATESTVER\nNEXTVER  \nLATESTVER 1002000",
     kNoFault,
     0,
     {"LATEST 441397 10000 1002000"},
     ""},
    {"VersionRefused",
     "LATESTVER 5\nNEXTVER 4",
     kVersionRefused,
     -1,
     {"LATEST 441397 10000 5"},
     "line 1: LATESTVER: version not accepted near '5'"},
    {"NextVersionRefused",
     "NEXTVER 4",
     kVersionRefused,
     -1,
     {"NEXT 441397 10000 4"},
     "line 1: NEXTVER: version not accepted near '4'"},
    {"QuotedEmptyVersionIsPresent", "LATESTVER \"\"", kNoFault, 0, {"LATEST 441397 10000 0"}, ""},
    {"VersionTakesNoHexPrefix", "NEXTVER 0x10", kNoFault, 0, {"NEXT 441397 10000 0"}, ""},

    // The keywords that read their arguments and fail, with no effect.
    {"VersionWithNumber",
     "VERSION 1001000\nLATESTVER 5",
     kNoFault,
     -1,
     {},
     "line 1: command not supported near 'VERSION'"},
    {"DskFree", "DSKFREE 100\nLATESTVER 5", kNoFault, -1, {}, "line 1: command not supported near 'DSKFREE'"},
    {"DskFreeWithoutNumber",
     "DSKFREE\nLATESTVER 5",
     kNoFault,
     -1,
     {},
     "line 1: DSKFREE: missing argument near <end of line>"},
    {"Merge", "MERGE $tmp\\a $app\\b c\nLATESTVER 5", kNoFault, -1, {}, "line 1: command not supported near 'MERGE'"},
    {"MergeWithoutPath", "MERGE\nLATESTVER 5", kNoFault, -1, {}, "line 1: MERGE: missing argument near <end of line>"},
    {"Decompress",
     "DECOMPRESS $tmp\\a.zip\nLATESTVER 5",
     kNoFault,
     -1,
     {},
     "line 1: command not supported near 'DECOMPRESS'"},
    {"DecompressToFolder",
     "DECOMPRESS $tmp\\a.zip $app\nLATESTVER 5",
     kNoFault,
     -1,
     {},
     "line 1: command not supported near 'DECOMPRESS'"},
    {"DecompressWithoutPath",
     "DECOMPRESS \nLATESTVER 5",
     kNoFault,
     -1,
     {},
     "line 1: DECOMPRESS: missing argument near <end of line>"},
    {"Remove", "REMOVE $app\\old.dat\nLATESTVER 5", kNoFault, -1, {}, "line 1: command not supported near 'REMOVE'"},
    {"RemoveWithoutPath",
     "REMOVE\nLATESTVER 5",
     kNoFault,
     -1,
     {},
     "line 1: REMOVE: missing argument near <end of line>"},
    {"MkDir", "MKDIR $app\\new\nLATESTVER 5", kNoFault, -1, {}, "line 1: command not supported near 'MKDIR'"},
    {"RmDir", "RMDIR $app\\old\nLATESTVER 5", kNoFault, -1, {}, "line 1: command not supported near 'RMDIR'"},
    {"Encode", "ENCODE a b\nLATESTVER 5", kNoFault, -1, {}, "line 1: command not supported near 'ENCODE'"},
    {"EncodeWithOnePath",
     "ENCODE a\nLATESTVER 5",
     kNoFault,
     -1,
     {},
     "line 1: ENCODE: missing argument near <end of line>"},
    {"RegEdit",
     "REGEDIT HKCU\\Software\\Halvane name dword:1\nLATESTVER 5",
     kNoFault,
     -1,
     {},
     "line 1: command not supported near 'REGEDIT'"},
    {"RegEditLongRootAndText",
     "REGEDIT HKEY_LOCAL_MACHINE\\Software name \"a text\"",
     kNoFault,
     -1,
     {},
     "line 1: command not supported near 'REGEDIT'"},
    {"RegEditUnknownRoot",
     "REGEDIT HKXX\\Software name 1\nLATESTVER 5",
     kNoFault,
     -1,
     {},
     "line 1: REGEDIT: unknown registry root near 'HKXX\\Software'"},
    {"RegEditWithoutValue",
     "REGEDIT HKU\\x name\nLATESTVER 5",
     kNoFault,
     -1,
     {},
     "line 1: REGEDIT: missing argument near <end of line>"},
    {"ConfEdit",
     "CONFEDIT $app\\a.ini name binary:01,02\nLATESTVER 5",
     kNoFault,
     -1,
     {},
     "line 1: command not supported near 'CONFEDIT'"},
    {"ConfEditWithoutValue",
     "CONFEDIT $app\\a.ini name\nLATESTVER 5",
     kNoFault,
     -1,
     {},
     "line 1: CONFEDIT: missing argument near <end of line>"},
};

class ScriptTable : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(ScriptTable, ResultEffectsAndErrorText) {
  const ScriptCase& c = GetParam();
  CRecordingHost host;
  host.faults = c.faults;
  std::string error = "untouched";
  EXPECT_EQ(c.result, RunScript(c.script, kService, kComponent, host, &error));
  EXPECT_EQ(c.log, host.log);
  EXPECT_EQ(std::string(c.error), error);
}

INSTANTIATE_TEST_SUITE_P(PatchScript, ScriptTable, ::testing::ValuesIn(kScriptCases),
                         [](const ::testing::TestParamInfo<ScriptCase>& info) { return std::string(info.param.name); });

// Programs named with every character that cannot be part of a bare name are
// refused without a start; one table row per character would be a copy.
TEST(PatchScript, RefusesEveryForbiddenCharacterInProgramNames) {
  std::string forbidden = "\\/:<>\"|?*\x7F";
  for (int c = 1; c < 0x20; ++c) forbidden += static_cast<char>(c);
  for (char c : forbidden) {
    if (c == '\n' || c == '\t') continue;  // these end the token; the tab case is quoted in the table
    SCOPED_TRACE(static_cast<int>(c));
    for (const char* command : {"CALL", "EXEC"}) {
      const std::string script = std::string(command) + " a" + c + "b.exe\nLATESTVER 1";
      CRecordingHost host;
      EXPECT_EQ(-1, RunScript(script.c_str(), kService, kComponent, host));
      const Log expected = std::string(command) == "CALL" ? Log{"MSG fault"} : Log{};
      EXPECT_EQ(expected, host.log) << command;
    }
  }
}

// Where the programs and files go for each shape of the folders the host
// gives.
TEST(PatchScript, DownloadFolderShapes) {
  struct Row {
    const char* download;
    const char* temp;
    const char* script;
    int result;
    Log log;
  } rows[] = {
      {"C:\\DL", "", "CALL x.exe", 0, {"CALL C:\\DL\\x.exe [C:\\DL]"}},
      {"", "C:\\Temp\\", "CALL x.exe", 0, {"CALL C:\\Temp\\x.exe [C:\\Temp]"}},
      {"", "C:\\Temp\\", "HTTPGET /h/a.bin 1 2", 0, {"GET http://h/a.bin -> C:\\Temp\\a.bin 1 00000002"}},
      // A drive's root keeps its backslash as the working folder.
      {"D:\\", "", "CALL x.exe", 0, {"CALL D:\\x.exe [D:\\]"}},
      {"D:\\", "", "EXEC x.exe", 2, {"EXEC D:\\x.exe [D:\\]"}},
      {"D:\\", "", "HTTPGET /h/a.bin 1 2", 0, {"GET http://h/a.bin -> D:\\a.bin 1 00000002"}},
      // Only one trailing backslash is removed.
      {"C:\\DL\\\\", "", "CALL x.exe", 0, {"CALL C:\\DL\\x.exe [C:\\DL\\]"}},
      {"C:\\DL\\\\", "", "HTTPGET /h/a.bin 1 2", 0, {"GET http://h/a.bin -> C:\\DL\\\\a.bin 1 00000002"}},
      // With no folder at all nothing is fetched or started.
      {"", "", "CALL x.exe", -1, {"MSG fault"}},
      {"", "", "EXEC x.exe", -1, {}},
      {"", "", "HTTPGET /h/a.bin 1 2", -1, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.download) + " | " + row.temp + " | " + row.script);
    CRecordingHost host;
    host.downloadFolder = row.download;
    host.tempFolder = row.temp;
    EXPECT_EQ(row.result, RunScript(row.script, kService, kComponent, host));
    EXPECT_EQ(row.log, host.log);
  }
}

TEST(PatchScript, NoDownloadFolderIsTold) {
  CRecordingHost host;
  host.downloadFolder = host.tempFolder = "";
  std::string error;
  EXPECT_EQ(-1, RunScript("CALL x.exe", kService, kComponent, host, &error));
  EXPECT_EQ("line 1: CALL: no download folder near 'x.exe'", error);
}

TEST(PatchScript, NullTextIsDone) {
  CRecordingHost host;
  EXPECT_EQ(0, RunScript(nullptr, kService, kComponent, host));
  EXPECT_TRUE(host.log.empty());
}

TEST(PatchScript, AFailedLineReadsNoFurther) {
  CRecordingHost host;
  CPatchScript script(host);
  EXPECT_EQ(-1, script.RunScript("FOO x\nCALL a.exe\n", kService, kComponent));
  EXPECT_EQ(6u, script.GetPosition());  // just after the first line feed
}

TEST(PatchScript, ObjectRunsTheNextScriptAfresh) {
  CRecordingHost host;
  CPatchScript script(host);
  EXPECT_EQ(-1, script.RunScript("FOO", kService, kComponent));
  EXPECT_FALSE(script.GetLastError().empty());
  host.downloadFolder = "E:\\New\\";
  EXPECT_EQ(0, script.RunScript("\nLATESTVER 7\nCALL x.exe", 1, 2));
  EXPECT_EQ("", script.GetLastError());
  EXPECT_EQ((Log{"LATEST 1 2 7", "CALL E:\\New\\x.exe [E:\\New]"}), host.log);
}

// A word over 1,023 characters is two tokens: the name keeps 1,023 and the
// rest is a surplus argument.
TEST(PatchScript, LongWordIsSplit) {
  CRecordingHost host;
  const std::string name(kScriptTokenMax + 5, 'a');
  const std::string script = "CALL " + name + "\nLATESTVER 9";
  EXPECT_EQ(0, RunScript(script.c_str(), kService, kComponent, host));
  ASSERT_EQ(2u, host.log.size());
  EXPECT_EQ("CALL C:\\DL\\" + name.substr(0, kScriptTokenMax) + " [C:\\DL]", host.log[0]);
  EXPECT_EQ("LATEST 441397 10000 9", host.log[1]);
}

TEST(PatchScript, LongTokensAreCutInErrorTexts) {
  CRecordingHost host;
  std::string error;
  const std::string word(100, 'W');
  EXPECT_EQ(-1, RunScript(word.c_str(), kService, kComponent, host, &error));
  EXPECT_EQ("line 1: unknown command near '" + std::string(60, 'W') + "...'", error);
}

// ---------------------------------------------------------------------------
// The lexer

std::string Tokens(const char* text) {
  CRecordingHost host;
  CPatchScript script(host);
  script.BeginText(text);
  std::string out;
  for (int guard = 0; guard < 100; ++guard) {
    const int kind = script.ScriptNextToken();
    switch (kind) {
      case kScriptTokenEnd:
        return out + "END";
      case kScriptTokenEndOfLine:
        out += "EOL ";
        break;
      case kScriptTokenWord:
        out += std::string("W[") + script.GetToken() + "] ";
        break;
      case kScriptTokenString:
        out += std::string("S[") + script.GetToken() + "] ";
        break;
      default:
        return out + "BAD";
    }
  }
  return out + "LOOP";
}

TEST(ScriptLexer, Tokens) {
  const struct {
    const char* text;
    const char* tokens;
  } rows[] = {
      {"", "END"},
      {"   \t ", "END"},
      {"a b\n", "W[a] W[b] EOL END"},
      {"  a\t\tb  \n\n", "W[a] W[b] EOL EOL END"},
      {"x\r\n", "W[x\r] EOL END"},
      {"\r", "W[\r] END"},
      {"\"a b\" c", "S[a b] W[c] END"},
      {"\"\"", "S[] END"},
      {"\"\" \"\"\n", "S[] S[] EOL END"},
      {"a\"b\"", "W[a\"b\"] END"},
      {"\"a\"b", "S[a] W[b] END"},
      {"\"abc", "S[abc] END"},
      {"\"a\nb", "S[a] EOL W[b] END"},
      {"\"\nb", "EOL W[b] END"},
      {"\"  \t \"", "S[  \t ] END"},
      {"a\tb\n \"c\" d", "W[a] W[b] EOL S[c] W[d] END"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(row.tokens, Tokens(row.text));
  }
}

TEST(ScriptLexer, TokensHoldAtMost1023Characters) {
  const std::string exact(kScriptTokenMax, 'x');
  EXPECT_EQ("W[" + exact + "] END", Tokens(exact.c_str()));
  EXPECT_EQ("W[" + exact + "] W[yz] END", Tokens((exact + "yz").c_str()));
  // A quoted string is cut the same way; its rest is read as words.
  const std::string quoted = "\"" + exact + "tail end\"";
  EXPECT_EQ("S[" + exact + "] W[tail] W[end\"] END", Tokens(quoted.c_str()));
}

TEST(ScriptLexer, SkipLineStopsAfterTheLineFeed) {
  CRecordingHost host;
  CPatchScript script(host);
  script.BeginText("a \"b\nc\" d\ne");
  script.ScriptSkipLine();
  EXPECT_EQ(5u, script.GetPosition());
  script.ScriptSkipLine();
  EXPECT_EQ(10u, script.GetPosition());
  script.ScriptSkipLine();
  EXPECT_EQ(11u, script.GetPosition());
}

// ---------------------------------------------------------------------------
// Variables, numbers and names

TEST(ScriptExpandVars, ReplacesOnlyWholeNames) {
  CRecordingHost host;
  CPatchScript script(host);
  script.BeginText("", "C:\\DL", "C:\\Game");
  const struct {
    const char* text;
    const char* expanded;
  } rows[] = {
      {"$tmp", "C:\\DL"},
      {"$tmp\\setup.exe", "C:\\DL\\setup.exe"},
      {"$app\\quorl.bin", "C:\\Game\\quorl.bin"},
      {"$app.exe", "C:\\Game.exe"},
      {"x$tmp-$app", "xC:\\DL-C:\\Game"},
      {"$tmpdir", "$tmpdir"},
      {"$tmp_1", "$tmp_1"},
      {"$tmp1", "$tmp1"},
      {"$TMP", "$TMP"},
      {"$tm", "$tm"},
      {"$", "$"},
      {"$$tmp", "$C:\\DL"},
      {"$other", "$other"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(row.expanded, script.ScriptExpandVars(row.text));
  }
}

TEST(ScriptExpandVars, ResultIsCutAt1023Characters) {
  CRecordingHost host;
  CPatchScript script(host);
  const std::string folder(300, 'f');
  script.BeginText("", folder, "");
  const std::string expanded = script.ScriptExpandVars("$tmp$tmp$tmp$tmp");
  EXPECT_EQ(std::string(kScriptTokenMax, 'f'), expanded);
}

TEST(ScriptNumbers, DecimalAndHex) {
  const struct {
    const char* text;
    uint32_t decimal;
    uint32_t hex;
  } rows[] = {
      {"", 0, 0},
      {"0", 0, 0},
      {"123", 123, 0x123},
      {"12ab", 12, 0x12AB},
      {"aF", 0, 0xAF},
      {"0x1F", 0, 0},
      {"-5", 0, 0},
      {" 5", 0, 0},
      {"4294967295", 4294967295u, 0x94967295u},
      {"4294967296", 0, 0x94967296u},
      {"FFFFFFFF", 0, 0xFFFFFFFFu},
      {"123456789", 123456789u, 0x23456789u},
      {"7\r", 7, 7},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(row.decimal, ScriptParseDecimal(row.text));
    EXPECT_EQ(row.hex, ScriptParseHex(row.text));
  }
  EXPECT_EQ(0u, ScriptParseDecimal(nullptr));
  EXPECT_EQ(0u, ScriptParseHex(nullptr));
}

TEST(ScriptNames, BareFileNames) {
  const struct {
    const char* name;
    bool bare;
  } rows[] = {
      {"setup.exe", true},    {"a..b.exe", true},  {"...a", true},         {".hidden", true},
      {"my setup.exe", true}, {"a.exe.", true},    {"\xB0\xA1.exe", true}, {"console.exe", true},
      {"com10.exe", true},    {"nul_x.txt", true}, {"lpt.txt", true},      {"", false},
      {".", false},           {"..", false},       {" ", false},           {". .", false},
      {"..\\a.exe", false},   {"a/b", false},      {"c:a", false},         {"a<b", false},
      {"a>b", false},         {"a\"b", false},     {"a|b", false},         {"a?b", false},
      {"a*b", false},         {"a\rb", false},     {"a\x1F", false},       {"a\x7F", false},
      {"CON", false},         {"con.txt", false},  {"Nul", false},         {"nul .exe", false},
      {"AUX.x.y", false},     {"PRN", false},      {"COM1", false},        {"com9.exe", false},
      {"LPT1.bin", false},    {"conin$", false},   {"CONOUT$.txt", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.bare, IsBareFileName(row.name));
  }
  EXPECT_FALSE(IsBareFileName(nullptr));
}

}  // namespace
