// The patch-script interpreter: the small line language in which the login
// server hands the launcher its update steps.
//
// One command per line, a keyword and blank-separated arguments. HTTPGET,
// CALL, EXEC, LATESTVER and NEXTVER act, PATCH is an empty statement, and
// VERSION, DSKFREE, MERGE, DECOMPRESS, REMOVE, MKDIR, RMDIR, ENCODE, REGEDIT
// and CONFEDIT read their arguments and fail the script. Everything with an
// effect outside the interpreter goes through a CScriptHost, so that the
// language itself is platform-neutral and tested and fuzzed natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "res/resource.h"

// Token kinds of ScriptNextToken; the values are the ones the interpreter has
// always used, kept so that traces stay comparable.
enum ScriptTokenKind : int {
  kScriptTokenEnd = 0,         // end of the text
  kScriptTokenEndOfLine = 10,  // a line feed
  kScriptTokenWord = 257,
  kScriptTokenString = 258,  // a quoted string, also an empty one
};

// A token holds at most this many characters; a longer word goes on in the
// next token.
constexpr size_t kScriptTokenMax = 1023;

// Results of RunScript.
enum ScriptResult : int {
  kScriptDone = 0,        // every line ran
  kScriptFailed = -1,     // a command failed; the lines after it did not run
  kScriptHandedOver = 2,  // EXEC started a program: the launcher must end
};

// The messages the interpreter asks its host to show (string-table ids):
// waiting for a CALLed program failed, and a CALLed program did not start.
constexpr uint32_t kScriptMsgWaitFailed = IDS_ERR_UPDATE_ABORTED;
constexpr uint32_t kScriptMsgStartFailed = IDS_ERR_UPDATE_FAULT;

// How a CALLed program went.
enum class ScriptCallResult {
  kEnded,        // it ran and has ended (its exit code is not looked at)
  kStartFailed,  // it could not be started
  kWaitFailed,   // it started but waiting for its end failed
};

// The interpreter's view of the launcher. Paths are ANSI text.
class CScriptHost {
 public:
  virtual ~CScriptHost() = default;

  // The configured download folder, the system's temporary folder (used when
  // the first is empty) and the game folder; each may end in a backslash and
  // may be empty.
  virtual std::string GetDownloadFolder() = 0;
  virtual std::string GetTempFolder() = 0;
  virtual std::string GetGameFolder() = 0;

  // Fetches url into targetPath and checks its size and CRC-32 (retrying as
  // the user asks): 1 when the file is there and right, 0 otherwise.
  virtual int DownloadFile(const char* url, const char* targetPath, uint32_t size, uint32_t crc) = 0;
  // Starts path with folder as its parameters and working folder (none when
  // folder is empty), keeps the launcher hidden and waits for its end.
  virtual ScriptCallResult RunProgramAndWait(const char* path, const char* folder) = 0;
  // Starts path the same way without waiting: 1 when it started, 0 otherwise.
  virtual int StartProgram(const char* path, const char* folder) = 0;
  // Record the run's final version, and the version this script must reach:
  // 1 when accepted, 0 otherwise.
  virtual int SetLatestVersion(uint32_t serviceId, uint32_t componentId, uint32_t version) = 0;
  virtual int SetNextVersion(uint32_t serviceId, uint32_t componentId, uint32_t version) = 0;
  // Shows the string-table message id with an exclamation icon and waits for
  // the user.
  virtual void ShowMessage(uint32_t stringId) = 0;
};

// One interpreter: the text being run, the read position and the last
// token. One script runs at a time on one object; RunScript may be called
// again for the next script.
class CPatchScript {
 public:
  explicit CPatchScript(CScriptHost& host);
  CPatchScript(const CPatchScript&) = delete;
  CPatchScript& operator=(const CPatchScript&) = delete;

  // Runs the NUL-terminated text line by line: kScriptDone, kScriptFailed or
  // kScriptHandedOver. A null or empty text is done at once. The text must
  // stay alive for the call.
  int RunScript(const char* text, uint32_t serviceId, uint32_t componentId);

  // Why the last run failed, as "line N: reason near 'token'"; empty after a
  // run that did not fail.
  const std::string& GetLastError() const { return m_error; }

  // The pieces of the interpreter, for tests and for the fuzzer.
  // Starts reading text (which must outlive the reads) from its beginning,
  // with the given folder values for $tmp and $app.
  void BeginText(const char* text, const std::string& downloadFolder = std::string(),
                 const std::string& gameFolder = std::string());
  // Reads the next token: its kind, its text in GetToken.
  int ScriptNextToken();
  // Reads tokens up to and including the next end of line, or to the end.
  void ScriptSkipLine();
  // Runs one line: 0 go on, any other value ends the script with it.
  // Failures throw internally and come back as kScriptFailed.
  int ScriptDispatch();
  // text with $tmp and $app replaced by the folders, at most
  // kScriptTokenMax characters.
  std::string ScriptExpandVars(const char* text) const;

  const char* GetToken() const { return m_token; }
  size_t GetPosition() const { return m_pos; }

 private:
  struct Failure;
  int Dispatch();
  int NextArgument(const char* command);
  void EndOfCommand();
  [[noreturn]] void Fail(const char* reason, const std::string& nearText);
  [[noreturn]] void FailNearToken(const char* reason, int kind);

  int DoHttpGet();
  int DoCall();
  int DoExec();
  int DoSetVersion(bool latest);
  int DoUnsupported(int keyword);
  // The program path for CALL and EXEC; the reason when name is refused.
  const char* MakeProgramPath(const std::string& name, std::string* path) const;
  std::string WorkingFolder() const;

  CScriptHost& m_host;
  const char* m_text = "";
  size_t m_pos = 0;
  uint32_t m_line = 1;         // line of the next character
  uint32_t m_commandLine = 1;  // line the running command started on
  char m_token[kScriptTokenMax + 1] = {};
  uint32_t m_serviceId = 0;
  uint32_t m_componentId = 0;
  std::string m_downloadFolder;  // $tmp, one trailing backslash removed
  std::string m_gameFolder;      // $app, one trailing backslash removed
  std::string m_error;
};

// Runs text on a fresh interpreter; the failure text goes to error when given.
int RunScript(const char* text, uint32_t serviceId, uint32_t componentId, CScriptHost& host,
              std::string* error = nullptr);

// The leading decimal (0-9) or hexadecimal (0-9, a-f, A-F, no prefix) digits
// as a value modulo 2^32; no digits give 0. Null gives 0.
uint32_t ScriptParseDecimal(const char* text);
uint32_t ScriptParseHex(const char* text);

// True when name can only mean a file directly inside a folder: not empty,
// no "\", "/", ":", no control character, none of the characters Windows
// forbids in names (< > " | ? *), not made only of dots and blanks, and no
// device name (CON, PRN, AUX, NUL, COM0-9, LPT0-9, with any extension).
bool IsBareFileName(const char* name);
