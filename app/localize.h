// Region configuration, the localisation record and the launch-mode switches.
//
// Platform-neutral half of the launcher's start-up: the per-code-page table
// (service id, login host, web addresses), the localisation record that names
// the code page and the registry profile, and the command-line mode rules.
// The Win32 application object reads files and resources and hands their
// bytes to the loaders here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// ---------------------------------------------------------------------------
// Per-code-page configuration

constexpr uint32_t kDefaultCodePage = 932;
// The localisation record is always read with the first region's service id:
// the region is only known once the record has been read.
constexpr uint32_t kLocalizeInfoServiceId = 418762;
constexpr const char* kLocalizeInfoFileName = "Quorl.id";
constexpr uint32_t kLocalizeInfoResourceId = 152;  // of type RT_RCDATA (10)
constexpr uint32_t kLocalizeInfoResourceType = 10;

// True for exactly 932, 936, 949, 950 and 1252.
bool IsSupportedCodePage(uint32_t codePage);
// codePage when supported, else kDefaultCodePage.
uint32_t ValidateCodePage(uint32_t codePage);

// Table lookups; a code page that is not listed takes the row of "any other"
// (service id 2039746). The texts are static and never null.
uint32_t GetServiceIdForCodePage(uint32_t codePage);
const char* GetDefaultLoginHostForCodePage(uint32_t codePage);  // "" for 949
const char* GetSetupGuideURLForCodePage(uint32_t codePage);
const char* GetManualURLForCodePage(uint32_t codePage);
const char* GetHomePageURLForCodePage(uint32_t codePage);

// atoi without its undefined behaviour: leading white space, an optional sign,
// then decimal digits up to the first other character; no digits gives 0, and
// a value out of the int32 range saturates. Null gives 0.
int32_t ParseIntLikeAtoi(const char* text);

// ---------------------------------------------------------------------------
// Localisation record
//
// Scrambled form (resource 152 of type RCDATA, and the first line of the id
// file "Quorl.id"): a text scrambled (ScrambleEncodeString) with the key
// kLocalizeInfoServiceId. Unscrambled it is 6-bit text; decoded, a block of
//   code page   u32 little-endian
//   name length u8; 255 means a u16 little-endian follows, and 65535 there
//               means a u32 little-endian follows and holds the length
//   name        that many bytes of ANSI text, no terminator
// Bytes after the name are ignored.
//
// Text form (the id file when the key is 0): line 1 the code page in decimal
// (atoi), line 2 the profile name.

// Loader results. 1, 2, 5 and 6 belong to the Win32 loaders built on top of
// the neutral ones below.
enum LocalizeResult : int {
  kLocalizeOk = 0,
  kLocalizeCannotOpen = 1,          // file cannot be opened
  kLocalizeReadFailed = 2,          // scrambled file: reading its first line failed
  kLocalizeCodePageUnreadable = 3,  // code page field missing or short
  kLocalizeNameUnreadable = 4,      // name length or name bytes missing or short
  kLocalizeCloseFailed = 5,         // text file: closing failed
  kLocalizeResourceMissing = 6,     // resource not found or not loadable
  kLocalizeUnscrambleFailed = 7,    // ScrambleDecodeString refused the text
  kLocalizeDecodeFailed = 8,        // unscrambled text is not 6-bit text / no memory
};

class CLocalizeInfo {
 public:
  // Start-up builds one as CLocalizeInfo("", kDefaultCodePage).
  explicit CLocalizeInfo(const std::string& profileName = std::string(), uint32_t codePage = kDefaultCodePage);
  virtual ~CLocalizeInfo();

  uint32_t GetCodePage() const { return m_codePage; }
  const std::string& GetProfileName() const { return m_profileName; }

  // Every loader returns a LocalizeResult and changes the record only on
  // success (kLocalizeOk). The code page is stored as read; start-up passes it
  // through ValidateCodePage.

  // Scrambled text, NUL-terminated (the id file's first line, without or with
  // its line end). Null or empty -> 7.
  int DecodeRecord(const char* scrambledText, uint32_t key);
  // The same for text that need not be NUL-terminated: it ends at the first
  // NUL or after size bytes, whichever comes first. Use this on resource
  // data (LockResource + SizeofResource), which nothing guarantees to end in
  // a NUL.
  int DecodeRecord(const char* data, size_t size, uint32_t key);

  // Reads a decoded block of size bytes in the layout above, never past its
  // end: short code page -> 3, short length or name -> 4.
  int ReadRecordBlock(const void* block, size_t size);

  // Text form from its two lines (a trailing "\n" or "\r\n" is dropped from
  // each). A line that could not be read is passed as null: line 1 -> 3,
  // line 2 -> 4. An empty name line is a valid, empty profile name.
  int ParseTextRecord(const char* line1, const char* line2);

  // The whole content of an id file: with a non-zero key its first line goes
  // to DecodeRecord, with key 0 its first two lines to ParseTextRecord (a
  // missing line counts as unreadable). Lines end at "\n" or "\r\n".
  int LoadFromFileText(const char* data, size_t size, uint32_t key);

  // Scrambled text of a record (no line end), with the shortest name length
  // form; seed stands in for the clock. Empty on failure (name too long).
  static std::string EncodeRecord(uint32_t codePage, const std::string& profileName, uint32_t key, uint32_t seed);
  // Text form "<code page>\r\n<name>\r\n". False (out untouched) when the
  // name holds a CR, LF or NUL, which the text form cannot carry.
  static bool EncodeTextRecord(uint32_t codePage, const std::string& profileName, std::string* out);

 private:
  uint32_t m_codePage;
  std::string m_profileName;
};

// ---------------------------------------------------------------------------
// Command line

enum StartMode : int {
  kStartModeLauncher = 0,      // the launcher screen
  kStartModeUpdateAtOnce = 1,  // /s or /b1: the update screen at once
  kStartModeSettingsOnly = 2,  // /e or /b2: the settings dialog alone
};

// Applies one command-line parameter to the start mode; parameters are
// applied in order and the last one that sets the mode wins. param is the
// text without its '/' or '-' (as the framework's parser hands it over).
//  - flag "s"/"S" -> mode 1, flag "e"/"E" -> mode 2;
//  - a flag of two or more characters starting with "b"/"B": the rest through
//    atoi, 1 -> mode 1, 2 -> mode 2, anything else -> mode 0;
//  - anything else leaves the mode alone ("b" alone included).
// Returns whether the parameter goes on to the base parser: false for the "b"
// flags (and for null), true for everything else. A plain parameter (not a
// flag) is also the portal's launch argument: see IsPortalLaunchArgument.
bool ApplyLaunchParam(int& mode, const char* param, bool isFlag);

// True for a plain parameter, which the caller hands to the portal hand-off.
inline bool IsPortalLaunchArgument(const char* param, bool isFlag) { return param != nullptr && !isFlag; }
