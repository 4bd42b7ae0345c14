#include "update/patch_script.h"

#include <cstdio>
#include <cstring>

#include "framework/hex_digit.h"

namespace {

// Keywords, in the order the dispatcher has always compared them; the enum
// and the name table are kept in the same order.
enum Keyword {
  kKwVersion,
  kKwLatestVer,
  kKwNextVer,
  kKwDskFree,
  kKwHttpGet,
  kKwMerge,
  kKwDecompress,
  kKwRemove,
  kKwMkDir,
  kKwRmDir,
  kKwCall,
  kKwExec,
  kKwEncode,
  kKwRegEdit,
  kKwConfEdit,
  kKwPatch,
  kKwCount,
  kKwNone = kKwCount,
};

// The keywords are fixed by the scripts the server sends: matched exactly
// and case-sensitively.
const char* const kKeywordNames[kKwCount] = {
    "VERSION", "LATESTVER", "NEXTVER", "DSKFREE", "HTTPGET", "MERGE",   "DECOMPRESS", "REMOVE",
    "MKDIR",   "RMDIR",     "CALL",    "EXEC",    "ENCODE",  "REGEDIT", "CONFEDIT",   "PATCH",
};

int FindKeyword(const char* word) {
  for (int i = 0; i < kKwCount; ++i) {
    if (std::strcmp(word, kKeywordNames[i]) == 0) return i;
  }
  return kKwNone;
}

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Registry roots REGEDIT accepts, long and short.
const char* const kRegistryRoots[] = {
    "HKEY_CLASSES_ROOT\\",  "HKCR\\", "HKEY_CURRENT_CONFIG\\", "HKCC\\", "HKEY_CURRENT_USER\\",     "HKCU\\",
    "HKEY_LOCAL_MACHINE\\", "HKLM\\", "HKEY_USERS\\",          "HKU\\",  "HKEY_PERFORMANCE_DATA\\", "HKPD\\",
    "HKEY_DYN_DATA\\",      "HKDD\\",
};

bool HasRegistryRoot(const char* key) {
  for (const char* root : kRegistryRoots) {
    if (std::strncmp(key, root, std::strlen(root)) == 0) return true;
  }
  return false;
}

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualsNoCase(const char* a, size_t n, const char* b) {
  if (std::strlen(b) != n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (AsciiUpper(a[i]) != b[i]) return false;
  }
  return true;
}

// Opening "CON", "nul.txt" or "COM1.exe" in any folder reaches a device,
// not a file in that folder.
bool IsDeviceName(const char* name) {
  size_t n = std::strcspn(name, ".");
  while (n > 0 && name[n - 1] == ' ') --n;
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* device : kDevices) {
    if (EqualsNoCase(name, n, device)) return true;
  }
  if (n == 4 && name[3] >= '0' && name[3] <= '9') return EqualsNoCase(name, 3, "COM") || EqualsNoCase(name, 3, "LPT");
  return false;
}

// A token, shown in an error text: control characters written as escapes so
// that a stray carriage return stays visible, and long tokens cut.
std::string Printable(const char* text) {
  constexpr size_t kShown = 60;
  std::string out;
  size_t i = 0;
  for (; text[i] != '\0' && i < kShown; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  if (text[i] != '\0') out += "...";
  return out;
}

void RemoveOneTrailingBackslash(std::string* folder) {
  if (!folder->empty() && folder->back() == '\\') folder->pop_back();
}

}  // namespace

// Carries a failed command from wherever it is found to RunScript's boundary.
struct CPatchScript::Failure {};

uint32_t ScriptParseDecimal(const char* text) {
  uint32_t value = 0;
  if (!text) return 0;
  for (; *text >= '0' && *text <= '9'; ++text)
    value = value * 10u + static_cast<uint32_t>(*text - '0');  // wraps modulo 2^32 on purpose
  return value;
}

uint32_t ScriptParseHex(const char* text) {
  uint32_t value = 0;
  if (!text) return 0;
  for (int digit; (digit = HexDigitValue(*text)) >= 0; ++text) value = value * 16u + static_cast<uint32_t>(digit);
  return value;
}

bool IsBareFileName(const char* name) {
  if (!name) return false;
  bool onlyDotsAndBlanks = true;
  for (const char* p = name; *p; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c < 0x20 || c == 0x7F || std::strchr("\\/:<>\"|?*", c) != nullptr) return false;
    if (c != '.' && c != ' ') onlyDotsAndBlanks = false;
  }
  // Also refuses the empty name: the folder itself is no file.
  return !onlyDotsAndBlanks && !IsDeviceName(name);
}

CPatchScript::CPatchScript(CScriptHost& host) : m_host(host) {}

void CPatchScript::BeginText(const char* text, const std::string& downloadFolder, const std::string& gameFolder) {
  m_text = text ? text : "";
  m_pos = 0;
  m_line = 1;
  m_commandLine = 1;
  m_token[0] = '\0';
  m_downloadFolder = downloadFolder;
  m_gameFolder = gameFolder;
}

int CPatchScript::RunScript(const char* text, uint32_t serviceId, uint32_t componentId) {
  m_error.clear();
  if (!text) return kScriptDone;
  m_serviceId = serviceId;
  m_componentId = componentId;

  // The folders are read afresh for every run.
  std::string download = m_host.GetDownloadFolder();
  if (download.empty()) download = m_host.GetTempFolder();
  RemoveOneTrailingBackslash(&download);
  std::string game = m_host.GetGameFolder();
  RemoveOneTrailingBackslash(&game);
  BeginText(text, download, game);

  while (m_text[m_pos] != '\0') {
    const int r = ScriptDispatch();
    if (r != 0) return r;
  }
  return kScriptDone;
}

int CPatchScript::ScriptNextToken() {
  size_t length = 0;
  int kind = kScriptTokenWord;
  bool quoteOpen = false;
  for (;;) {
    const char c = m_text[m_pos];
    if (c == '\0') break;
    if (c == '\n') {
      // Only the line feed ends a line (a carriage return is an ordinary
      // character), also inside an open quote.
      if (length == 0) {
        ++m_pos;
        ++m_line;
        m_token[0] = '\0';
        return kScriptTokenEndOfLine;
      }
      break;
    }
    if (!quoteOpen && (c == ' ' || c == '\t')) {
      while (m_text[m_pos] == ' ' || m_text[m_pos] == '\t') ++m_pos;
      if (length == 0) continue;
      break;
    }
    if (c == '"') {
      if (quoteOpen) {
        ++m_pos;
        break;
      }
      if (length == 0) {
        ++m_pos;
        quoteOpen = true;
        kind = kScriptTokenString;
        continue;
      }
      // A quote inside a word is an ordinary character.
    }
    if (length == kScriptTokenMax) break;  // the rest starts the next token
    m_token[length++] = c;
    ++m_pos;
  }
  m_token[length] = '\0';
  if (kind == kScriptTokenString) return kScriptTokenString;
  return length != 0 ? kScriptTokenWord : kScriptTokenEnd;
}

void CPatchScript::ScriptSkipLine() {
  for (;;) {
    const int kind = ScriptNextToken();
    if (kind == kScriptTokenEnd || kind == kScriptTokenEndOfLine) return;
  }
}

std::string CPatchScript::ScriptExpandVars(const char* text) const {
  std::string out;
  if (!text) return out;
  for (const char* p = text; *p;) {
    if (p[0] == '$') {
      const std::string* folder = nullptr;
      if (std::strncmp(p + 1, "tmp", 3) == 0)
        folder = &m_downloadFolder;
      else if (std::strncmp(p + 1, "app", 3) == 0)
        folder = &m_gameFolder;
      // "$tmpdir" is some other word; the end of the text ends the name.
      if (folder && !IsNameChar(p[4])) {
        out += *folder;
        p += 4;
        continue;
      }
    }
    out += *p++;
  }
  if (out.size() > kScriptTokenMax) out.resize(kScriptTokenMax);
  return out;
}

void CPatchScript::Fail(const char* reason, const std::string& nearText) {
  char line[32];
  std::snprintf(line, sizeof line, "line %u: ", static_cast<unsigned>(m_commandLine));
  m_error = line;
  m_error += reason;
  if (!nearText.empty()) m_error += " near " + nearText;
  throw Failure();
}

void CPatchScript::FailNearToken(const char* reason, int kind) {
  if (kind == kScriptTokenEnd) Fail(reason, "<end of text>");
  if (kind == kScriptTokenEndOfLine) Fail(reason, "<end of line>");
  Fail(reason, "'" + Printable(m_token) + "'");
}

int CPatchScript::ScriptDispatch() {
  m_error.clear();
  try {
    return Dispatch();
  } catch (const Failure&) {
    return kScriptFailed;
  }
}

int CPatchScript::Dispatch() {
  m_commandLine = m_line;
  const int kind = ScriptNextToken();
  if (kind == kScriptTokenEnd || kind == kScriptTokenEndOfLine) return 0;  // an empty line

  const int keyword = FindKeyword(m_token);
  switch (keyword) {
    case kKwHttpGet:
      return DoHttpGet();
    case kKwCall:
      return DoCall();
    case kKwExec:
      return DoExec();
    case kKwLatestVer:
      return DoSetVersion(true);
    case kKwNextVer:
      return DoSetVersion(false);
    case kKwPatch:
      ScriptSkipLine();
      return 0;
    case kKwNone: {
      const std::string word = "'" + Printable(m_token) + "'";
      ScriptSkipLine();
      Fail("unknown command", word);
    }
    default:
      return DoUnsupported(keyword);
  }
}

// Reads one argument of command; a missing one (end of line or of text)
// fails the command, with the line feed consumed.
int CPatchScript::NextArgument(const char* command) {
  const int kind = ScriptNextToken();
  if (kind == kScriptTokenEnd || kind == kScriptTokenEndOfLine) {
    const std::string reason = std::string(command) + ": missing argument";
    FailNearToken(reason.c_str(), kind);
  }
  return kind;
}

// After the last argument: surplus arguments on the line are ignored.
void CPatchScript::EndOfCommand() {
  const int kind = ScriptNextToken();
  if (kind != kScriptTokenEnd && kind != kScriptTokenEndOfLine) ScriptSkipLine();
}

int CPatchScript::DoHttpGet() {
  // The address is taken as it stands: it starts with the "/" that
  // completes the scheme's double slash.
  NextArgument("HTTPGET");
  const std::string url = std::string("http:/") + m_token;
  NextArgument("HTTPGET");
  const uint32_t size = ScriptParseDecimal(m_token);
  NextArgument("HTTPGET");
  const uint32_t crc = ScriptParseHex(m_token);
  EndOfCommand();

  // The file is named by the address's last segment; that name comes from
  // the network, so it must not reach outside the download folder.
  const std::string name = url.substr(url.rfind('/') + 1);
  if (!IsBareFileName(name.c_str()))
    Fail("HTTPGET: not a file name in the download folder", "'" + Printable(name.c_str()) + "'");
  if (m_downloadFolder.empty()) Fail("HTTPGET: no download folder", "'" + Printable(name.c_str()) + "'");
  const std::string target = m_downloadFolder + "\\" + name;
  if (m_host.DownloadFile(url.c_str(), target.c_str(), size, crc) != 1)
    Fail("HTTPGET: download failed", "'" + Printable(url.c_str()) + "'");
  return 0;
}

// Why a program name is refused for CALL and EXEC (null when it is not), or
// the path it runs from.
const char* CPatchScript::MakeProgramPath(const std::string& name, std::string* path) const {
  if (!IsBareFileName(name.c_str())) return "not a file name in the download folder";
  if (m_downloadFolder.empty()) return "no download folder";
  *path = m_downloadFolder;
  if (path->back() != '\\') *path += '\\';
  *path += name;
  return nullptr;
}

// The parameters and working folder of a started program: the download
// folder without its trailing backslash, except that a drive's root keeps
// it ("C:" alone would mean the drive's current folder).
std::string CPatchScript::WorkingFolder() const {
  if (m_downloadFolder.size() == 2 && m_downloadFolder[1] == ':') return m_downloadFolder + "\\";
  return m_downloadFolder;
}

int CPatchScript::DoCall() {
  NextArgument("CALL");
  const std::string name = ScriptExpandVars(m_token);
  EndOfCommand();

  std::string path;
  if (const char* refused = MakeProgramPath(name, &path)) {
    // Told to the user as a program that does not start.
    m_host.ShowMessage(kScriptMsgStartFailed);
    Fail((std::string("CALL: ") + refused).c_str(), "'" + Printable(name.c_str()) + "'");
  }
  switch (m_host.RunProgramAndWait(path.c_str(), WorkingFolder().c_str())) {
    case ScriptCallResult::kEnded:
      return 0;
    case ScriptCallResult::kStartFailed:
      m_host.ShowMessage(kScriptMsgStartFailed);
      Fail("CALL: the program did not start", "'" + Printable(name.c_str()) + "'");
    case ScriptCallResult::kWaitFailed:
    default:
      m_host.ShowMessage(kScriptMsgWaitFailed);
      Fail("CALL: waiting for the program failed", "'" + Printable(name.c_str()) + "'");
  }
}

int CPatchScript::DoExec() {
  NextArgument("EXEC");
  const std::string name = ScriptExpandVars(m_token);
  EndOfCommand();

  std::string path;
  if (const char* refused = MakeProgramPath(name, &path))
    Fail((std::string("EXEC: ") + refused).c_str(), "'" + Printable(name.c_str()) + "'");
  if (m_host.StartProgram(path.c_str(), WorkingFolder().c_str()) != 1)
    Fail("EXEC: the program did not start", "'" + Printable(name.c_str()) + "'");
  return kScriptHandedOver;
}

int CPatchScript::DoSetVersion(bool latest) {
  // Without its number the line is an empty statement.
  const int kind = ScriptNextToken();
  if (kind == kScriptTokenEnd || kind == kScriptTokenEndOfLine) return 0;
  const uint32_t version = ScriptParseDecimal(m_token);
  const std::string shown = "'" + Printable(m_token) + "'";
  EndOfCommand();
  const int accepted = latest ? m_host.SetLatestVersion(m_serviceId, m_componentId, version)
                              : m_host.SetNextVersion(m_serviceId, m_componentId, version);
  if (accepted != 1) Fail(latest ? "LATESTVER: version not accepted" : "NEXTVER: version not accepted", shown);
  return 0;
}

// The commands the launcher does not carry out: their arguments are read as
// they always were, nothing is done, and the script fails.
int CPatchScript::DoUnsupported(int keyword) {
  const char* command = kKeywordNames[keyword];
  switch (keyword) {
    case kKwVersion: {
      const int kind = ScriptNextToken();
      if (kind == kScriptTokenEnd || kind == kScriptTokenEndOfLine) return 0;  // VERSION alone is an empty statement
      EndOfCommand();
      break;
    }
    case kKwDskFree:
    case kKwRemove:
    case kKwMkDir:
    case kKwRmDir:
      NextArgument(command);
      EndOfCommand();
      break;
    case kKwMerge:
      NextArgument(command);
      ScriptSkipLine();  // every further token of the line belongs to it
      break;
    case kKwDecompress: {
      NextArgument(command);
      const int kind = ScriptNextToken();  // the destination is optional
      if (kind != kScriptTokenEnd && kind != kScriptTokenEndOfLine) EndOfCommand();
      break;
    }
    case kKwEncode:
      NextArgument(command);
      NextArgument(command);
      EndOfCommand();
      break;
    case kKwRegEdit:
      NextArgument(command);
      if (!HasRegistryRoot(m_token)) Fail("REGEDIT: unknown registry root", "'" + Printable(m_token) + "'");
      NextArgument(command);
      NextArgument(command);
      EndOfCommand();
      break;
    case kKwConfEdit:
      NextArgument(command);
      NextArgument(command);
      NextArgument(command);
      EndOfCommand();
      break;
    default:
      break;
  }
  Fail("command not supported", std::string("'") + command + "'");
}

int RunScript(const char* text, uint32_t serviceId, uint32_t componentId, CScriptHost& host, std::string* error) {
  CPatchScript script(host);
  const int result = script.RunScript(text, serviceId, componentId);
  if (error) *error = script.GetLastError();
  return result;
}
