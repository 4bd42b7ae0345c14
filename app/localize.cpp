#include "app/localize.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "framework/scramble.h"
#include "framework/byte_order.h"

namespace {

struct RegionRow {
  uint32_t codePage;  // 0 marks the row of every other code page
  uint32_t serviceId;
  const char* loginHost;
  const char* setupGuideUrl;
  const char* manualUrl;
  const char* homePageUrl;
};

// The last row serves every code page not listed. 932 shares that row's web
// addresses; 949 has no default login host (the portal always names one).
// The defaults are reserved names, so that the launcher never contacts a
// third party's host by itself: login hosts end in ".invalid" (they must not
// resolve; an installation names its server in the profile or through the
// portal), and the addresses shown to a person in ".example".
const RegionRow kRegions[] = {
    {932, 418762, "login-jp.quorl.invalid", "http://www.quorl.example/guide/setup.html",
     "http://www.quorl.example/manual/", "http://www.quorl.example/"},
    {936, 427915, "login-cn.quorl.invalid", "http://cn.quorl.example/guide/setup.html",
     "http://cn.quorl.example/manual/", "http://cn.quorl.example/"},
    {949, 441397, "", "http://kr.quorl.example/guide/setup.html", "http://kr.quorl.example/manual/",
     "http://kr.quorl.example/"},
    {950, 449137, "login-tw.quorl.invalid", "http://tw.quorl.example/guide/setup.html",
     "http://tw.quorl.example/manual/", "http://tw.quorl.example/"},
    {1252, 452679, "login-eu.quorl.invalid", "http://eu.quorl.example/guide/setup.html",
     "http://eu.quorl.example/manual/", "http://eu.quorl.example/"},
    {0, 2039746, "login.quorl.invalid", "http://www.quorl.example/guide/setup.html", "http://www.quorl.example/manual/",
     "http://www.quorl.example/"},
};
const size_t kRegionCount = sizeof(kRegions) / sizeof(kRegions[0]);

const RegionRow& RowFor(uint32_t codePage) {
  for (size_t i = 0; i + 1 < kRegionCount; ++i) {
    if (kRegions[i].codePage == codePage) return kRegions[i];
  }
  return kRegions[kRegionCount - 1];
}

// Bounded little-endian reader over a byte block: a read past the end fails
// and reads nothing.
class BlockReader {
 public:
  BlockReader(const unsigned char* data, size_t size) : m_data(data), m_size(size), m_pos(0) {}

  bool ReadU8(uint32_t* v) {
    if (!Has(1)) return false;
    *v = m_data[m_pos++];
    return true;
  }
  bool ReadU16(uint32_t* v) {
    if (!Has(2)) return false;
    *v = GetLe16(m_data + m_pos);
    m_pos += 2;
    return true;
  }
  bool ReadU32(uint32_t* v) {
    if (!Has(4)) return false;
    *v = GetLe32(m_data + m_pos);
    m_pos += 4;
    return true;
  }

  bool ReadBytes(size_t len, std::string* out) {
    if (len > m_size - m_pos) return false;
    out->assign(reinterpret_cast<const char*>(m_data + m_pos), len);
    m_pos += len;
    return true;
  }

 private:
  bool Has(size_t len) const { return len <= m_size - m_pos; }

  const unsigned char* m_data;
  size_t m_size;
  size_t m_pos;  // always <= m_size
};

void AppendLe(std::string* out, uint32_t value, int bytes) {
  uint8_t b[4];
  PutLe32(b, value);
  out->append(reinterpret_cast<const char*>(b), static_cast<size_t>(bytes));
}

// A line without its "\n" or "\r\n".
std::string StripLineEnd(const char* line) {
  size_t len = std::strlen(line);
  if (len > 0 && line[len - 1] == '\n') {
    --len;
    if (len > 0 && line[len - 1] == '\r') --len;
  }
  return std::string(line, len);
}

// Splits off the next line of [*pos, end); false when no line is left.
bool NextLine(const char* data, size_t size, size_t* pos, std::string* line) {
  if (*pos >= size) return false;
  const char* start = data + *pos;
  const void* nl = std::memchr(start, '\n', size - *pos);
  size_t len = nl ? static_cast<size_t>(static_cast<const char*>(nl) - start) : size - *pos;
  *pos += nl ? len + 1 : len;
  if (len > 0 && start[len - 1] == '\r') --len;
  line->assign(start, len);
  return true;
}

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
struct ScrambleDeleter {
  void operator()(char* p) const { ScrambleFreeString(p); }
};

}  // namespace

bool IsSupportedCodePage(uint32_t codePage) {
  return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 || codePage == 1252;
}

uint32_t ValidateCodePage(uint32_t codePage) { return IsSupportedCodePage(codePage) ? codePage : kDefaultCodePage; }

uint32_t GetServiceIdForCodePage(uint32_t codePage) { return RowFor(codePage).serviceId; }

const char* GetDefaultLoginHostForCodePage(uint32_t codePage) { return RowFor(codePage).loginHost; }

const char* GetSetupGuideURLForCodePage(uint32_t codePage) { return RowFor(codePage).setupGuideUrl; }

const char* GetManualURLForCodePage(uint32_t codePage) { return RowFor(codePage).manualUrl; }

const char* GetHomePageURLForCodePage(uint32_t codePage) { return RowFor(codePage).homePageUrl; }

int32_t ParseIntLikeAtoi(const char* text) {
  if (text == nullptr) return 0;
  const char* p = text;
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  // Accumulate in 64 bits and stop growing once past the int32 range, so
  // that long digit runs cannot overflow.
  const int64_t limit = negative ? 2147483648LL : 2147483647LL;
  int64_t value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    if (value <= limit) value = value * 10 + (*p - '0');
  }
  if (value > limit) value = limit;
  return static_cast<int32_t>(negative ? -value : value);
}

// ---------------------------------------------------------------------------

CLocalizeInfo::CLocalizeInfo(const std::string& profileName, uint32_t codePage)
    : m_codePage(codePage), m_profileName(profileName) {}

CLocalizeInfo::~CLocalizeInfo() = default;

int CLocalizeInfo::DecodeRecord(const char* scrambledText, uint32_t key) {
  char* plainRaw = nullptr;
  if (ScrambleDecodeString(scrambledText, key, &plainRaw) == 0) return kLocalizeUnscrambleFailed;
  std::unique_ptr<char, ScrambleDeleter> plain(plainRaw);

  // The unscrambled text is itself 6-bit text. Size the block for its whole
  // length (plus the NUL, as the stored records were sized), but read only the
  // bytes the decoder actually produced: the rest of the block is
  // uninitialised.
  size_t plainLen = std::strlen(plain.get());
  if (plainLen >= 0x7FFFFFFF) return kLocalizeDecodeFailed;
  int32_t cap = Get6BitDecodedLength(static_cast<int32_t>(plainLen) + 1);
  if (cap < 1) return kLocalizeDecodeFailed;
  std::unique_ptr<unsigned char, FreeDeleter> block(static_cast<unsigned char*>(std::malloc(static_cast<size_t>(cap))));
  if (!block) return kLocalizeDecodeFailed;
  int32_t decoded = Decode6BitText(plain.get(), block.get(), cap);
  plain.reset();
  if (decoded == 0) return kLocalizeDecodeFailed;
  return ReadRecordBlock(block.get(), static_cast<size_t>(decoded));
}

int CLocalizeInfo::DecodeRecord(const char* data, size_t size, uint32_t key) {
  if (data == nullptr) return kLocalizeUnscrambleFailed;
  const void* nul = std::memchr(data, '\0', size);
  size_t len = nul ? static_cast<size_t>(static_cast<const char*>(nul) - data) : size;
  std::string text(data, len);
  return DecodeRecord(text.c_str(), key);
}

int CLocalizeInfo::ReadRecordBlock(const void* block, size_t size) {
  if (block == nullptr) return kLocalizeCodePageUnreadable;
  BlockReader reader(static_cast<const unsigned char*>(block), size);

  uint32_t codePage = 0;
  if (!reader.ReadU32(&codePage)) return kLocalizeCodePageUnreadable;

  // The length grows through two escapes: 255 -> u16, 65535 -> u32.
  uint32_t nameLen = 0;
  if (!reader.ReadU8(&nameLen)) return kLocalizeNameUnreadable;
  if (nameLen == 0xFF) {
    if (!reader.ReadU16(&nameLen)) return kLocalizeNameUnreadable;
    if (nameLen == 0xFFFF && !reader.ReadU32(&nameLen)) return kLocalizeNameUnreadable;
  }
  // Checked against the bytes left before anything is allocated.
  std::string name;
  if (!reader.ReadBytes(nameLen, &name)) return kLocalizeNameUnreadable;

  m_codePage = codePage;
  m_profileName.swap(name);
  return kLocalizeOk;
}

int CLocalizeInfo::ParseTextRecord(const char* line1, const char* line2) {
  if (line1 == nullptr) return kLocalizeCodePageUnreadable;
  if (line2 == nullptr) return kLocalizeNameUnreadable;
  // atoi reads the code page, so "949 KR" or " 949" still give 949 and a
  // line without digits gives 0 (which start-up validates to the default).
  uint32_t codePage = static_cast<uint32_t>(ParseIntLikeAtoi(line1));
  m_profileName = StripLineEnd(line2);
  m_codePage = codePage;
  return kLocalizeOk;
}

int CLocalizeInfo::LoadFromFileText(const char* data, size_t size, uint32_t key) {
  if (data == nullptr) size = 0;
  size_t pos = 0;
  std::string line1, line2;
  bool has1 = NextLine(data, size, &pos, &line1);
  if (key != 0) return DecodeRecord(has1 ? line1.c_str() : "", key);
  bool has2 = has1 && NextLine(data, size, &pos, &line2);
  return ParseTextRecord(has1 ? line1.c_str() : nullptr, has2 ? line2.c_str() : nullptr);
}

std::string CLocalizeInfo::EncodeRecord(uint32_t codePage, const std::string& profileName, uint32_t key,
                                        uint32_t seed) {
  // Block, 6-bit text and scrambled record each must fit the codec's int32
  // lengths; a name of this size is far beyond any real profile name anyway.
  if (profileName.size() > 0x10000000u) return std::string();

  std::string block;
  AppendLe(&block, codePage, 4);
  uint32_t len = static_cast<uint32_t>(profileName.size());
  if (len < 0xFF) {
    AppendLe(&block, len, 1);
  } else if (len < 0xFFFF) {
    AppendLe(&block, 0xFF, 1);
    AppendLe(&block, len, 2);
  } else {
    AppendLe(&block, 0xFF, 1);
    AppendLe(&block, 0xFFFF, 2);
    AppendLe(&block, len, 4);
  }
  block += profileName;

  int32_t textCap = Get6BitEncodedLength(static_cast<int32_t>(block.size()));
  if (textCap == 0) return std::string();
  std::string text(static_cast<size_t>(textCap), '\0');
  int32_t textLen = Encode6BitText(block.data(), static_cast<int32_t>(block.size()), &text[0], textCap);
  if (textLen == 0) return std::string();
  text.resize(static_cast<size_t>(textLen));

  char* scrambled = nullptr;
  if (ScrambleEncodeStringWithSeed(text.c_str(), key, seed, &scrambled) == 0) return std::string();
  std::string result(scrambled);
  ScrambleFreeString(scrambled);
  return result;
}

bool CLocalizeInfo::EncodeTextRecord(uint32_t codePage, const std::string& profileName, std::string* out) {
  if (out == nullptr || profileName.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) return false;
  *out = std::to_string(codePage) + "\r\n" + profileName + "\r\n";
  return true;
}

// ---------------------------------------------------------------------------

bool ApplyLaunchParam(int& mode, const char* param, bool isFlag) {
  if (param == nullptr) return false;
  if (isFlag) {
    size_t len = std::strlen(param);
    if (len == 1 && (param[0] == 's' || param[0] == 'S')) {
      mode = kStartModeUpdateAtOnce;
    } else if (len == 1 && (param[0] == 'e' || param[0] == 'E')) {
      mode = kStartModeSettingsOnly;
    } else if (len >= 2 && (param[0] == 'b' || param[0] == 'B')) {
      int32_t n = ParseIntLikeAtoi(param + 1);
      mode = n == 1 ? kStartModeUpdateAtOnce : n == 2 ? kStartModeSettingsOnly : kStartModeLauncher;
      // The mode flag is ours alone; the base parser never sees it.
      return false;
    }
  }
  return true;
}
