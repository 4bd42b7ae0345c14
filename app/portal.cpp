#include "app/portal.h"

#include <cstring>

#include "app/localize.h"

namespace {

// Fields 0 to 5 of the portal text.
constexpr int kPortalSlots = 6;
constexpr int kPortalMinSlots = 5;

struct PortalState {
  PortalRecord record;
  std::string text;
  std::string key;
};

PortalState& State() {
  static PortalState s_state;
  return s_state;
}

struct TokenizerState {
  std::string text;
  size_t cursor = 0;
  std::string token;
};

}  // namespace

const char* TokenizeNext(const char* text, char separator) {
  static TokenizerState s;
  if (text != nullptr) {
    s.text = text;
    s.cursor = 0;
  }
  if (s.cursor >= s.text.size()) return nullptr;
  size_t end = s.text.find(separator, s.cursor);
  if (end == std::string::npos) end = s.text.size();
  s.token.assign(s.text, s.cursor, end - s.cursor);
  // Past the separator; one at the very end leaves the cursor at the end,
  // so it gives no further (empty) token.
  s.cursor = end < s.text.size() ? end + 1 : end;
  return s.token.c_str();
}

bool SplitPortalText(const char* text, PortalRecord* out) {
  if (text == nullptr) return false;
  std::string slots[kPortalSlots];
  int count = 0;
  // Up to six tokens; whatever follows the sixth is not looked at.
  for (const char* token = TokenizeNext(text, ','); token != nullptr; token = TokenizeNext(nullptr, ',')) {
    slots[count++] = token;
    if (count == kPortalSlots) break;
  }
  if (count < kPortalMinSlots || slots[0].size() > kPortalHostMax) return false;
  // The portal keeps its fields within 2,047 characters; a longer one is
  // not a record of the portal's.
  for (int i = 1; i < kPortalSlots; ++i) {
    if (slots[i].size() > kPortalFieldMax) return false;
  }
  out->host = slots[0];
  out->port = ParseIntLikeAtoi(slots[1].c_str());
  for (int i = 0; i < 4; ++i) out->fields[i] = slots[i + 2];
  return true;
}

const char* GetPortalHost() { return State().record.host.c_str(); }
int32_t GetPortalPort() { return State().record.port; }
const std::string& GetPortalText() { return State().text; }
const std::string& GetPortalLaunchKey() { return State().key; }
bool PortalHandsOffToClient() { return !State().record.fields[2].empty(); }

void ClearPortalRecord() { State().record = PortalRecord(); }

bool AdoptPortalText(const char* text, const char* launchKey) {
  PortalState& s = State();
  s.record = PortalRecord();
  s.text = text ? text : "";
  s.key = launchKey ? launchKey : "";
  if (s.text.empty()) return false;
  return SplitPortalText(s.text.c_str(), &s.record);
}
