// The settings pages' neutral rules: combo items <-> stored values, the sea
// maps, the mode match, the network page's enabling and its folder walk.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "res/resource.h"
#include "settings/env_page_rules.h"
#include "settings/network_page_rules.h"
#include "update/download_rules.h"

namespace {

TEST(EnvPageRules, SeaPresetMapsBothWays) {
  const struct { int in, out; } rows[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {7, 3}, {-1, 3}, {256, 3}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.in);
    EXPECT_EQ(r.out, MapSeaPreset(r.in));
  }
}

TEST(EnvPageRules, SeaDialogIndexAndValueOfEveryCombo) {
  // For each combo: value -> index shown, and index -> value stored.
  struct Row {
    SeaParam param;
    std::vector<std::pair<int32_t, int>> valueToIndex;
    std::vector<std::pair<int, int32_t>> indexToValue;
  };
  const Row rows[] = {
      {kSeaType, {{0, 0}, {1, 1}, {2, 2}, {3, 0}, {-1, 0}}, {{-1, 0}, {0, 0}, {1, 1}, {2, 2}, {3, 0}}},
      {kSeaShoal, {{0, 0}, {1, 0}, {2, 1}, {3, 0}, {-2, 0}}, {{-1, 0}, {0, 0}, {1, 2}, {2, 0}}},
      {kSeaWave, {{0, 0}, {1, 1}, {3, 3}, {4, 0}, {-1, 0}}, {{-1, 0}, {0, 0}, {2, 2}, {3, 3}, {4, 0}}},
      {kSeaReflect, {{2, 2}, {4, 0}}, {{3, 3}, {4, 0}}},
      {kSeaRefract, {{1, 1}, {5, 0}}, {{1, 1}, {-1, 0}}},
      {kSeaSun, {{0, 0}, {4, 4}, {5, 0}, {-1, 0}}, {{-1, 0}, {4, 4}, {5, 0}}},
  };
  for (const Row& r : rows) {
    for (const auto& v : r.valueToIndex) {
      SCOPED_TRACE("param " + std::to_string(r.param) + " value " + std::to_string(v.first));
      EXPECT_EQ(v.second, SeaIndexFromValue(r.param, v.first));
    }
    for (const auto& i : r.indexToValue) {
      SCOPED_TRACE("param " + std::to_string(r.param) + " index " + std::to_string(i.first));
      EXPECT_EQ(i.second, SeaValueFromIndex(r.param, i.first));
    }
  }
}

TEST(EnvPageRules, ComboIndexRulesAndSelectByData) {
  // No selection is -1: the index combos store their lowest value.
  EXPECT_EQ(0, ClampIndex(-1, 0, 2));
  EXPECT_EQ(2, ClampIndex(5, 0, 2));
  EXPECT_EQ(1, ClampIndex(1, 0, 2));
  EXPECT_EQ(1, ClampIndex(3, 0, 1));
  // maxlod: a byte, at most 3, nothing selected stores 0 (not the low byte
  // of -1).
  const struct {
    int index;
    uint8_t stored;
  } lod[] = {{-1, 0}, {0, 0}, {2, 2}, {3, 3}, {4, 3}, {256, 0}, {258, 2}};
  for (const auto& r : lod) {
    SCOPED_TRACE(r.index);
    EXPECT_EQ(r.stored, MaxLodFromIndex(r.index));
  }
  const int64_t antialias[] = {0, 2, 4};
  EXPECT_EQ(2, IndexOfItemData(antialias, 3, 4));
  EXPECT_EQ(0, IndexOfItemData(antialias, 3, 8));  // none: the first item
  EXPECT_EQ(0, IndexOfItemData(antialias, 0, 4));
  const int64_t twice[] = {4, 0, 4};
  EXPECT_EQ(0, IndexOfItemData(twice, 3, 4));  // the first match
  // Back buffers: no selection 1, else at most 2.
  EXPECT_EQ(1, BackBufferCountFromItem(false, 2));
  EXPECT_EQ(1, BackBufferCountFromItem(true, 1));
  EXPECT_EQ(2, BackBufferCountFromItem(true, 2));
  EXPECT_EQ(2, BackBufferCountFromItem(true, 3));
}

TEST(EnvPageRules, SelectDeviceMatchesSizeFormatAndWindowedness) {
  const ModeKey entries[] = {
      {800, 600, 22, false}, {800, 600, 23, false}, {800, 600, 22, true}, {1024, 768, 23, true}, {1024, 768, 22, false},
  };
  const struct {
    const char* name;
    int values[6];
    int index;
  } rows[] = {
      {"full screen 32 bit", {0, 0, 800, 600, 22, 0}, 0},
      {"full screen 16 bit", {0, 0, 800, 600, 23, 0}, 1},
      {"windowed", {0, 0, 800, 600, 22, 1}, 2},
      // The windowed entry kept the format of the first record met: a
      // stored windowed mode of another format does not match it.
      {"windowed, other format", {0, 0, 1024, 768, 22, 1}, 0},
      {"any non-zero windowed flag", {0, 0, 1024, 768, 23, 5}, 3},
      {"unknown size", {0, 0, 640, 480, 22, 0}, 0},
      {"unscanned zeros", {0, 0, 0, 0, 0, 0}, 0},
      {"the first two fields play no part", {9, 9, 1024, 768, 22, 0}, 4},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.index, FindSelectDeviceEntry(entries, 5, r.values));
  }
  EXPECT_EQ(0, FindSelectDeviceEntry(entries, 0, rows[0].values));
}

TEST(NetworkPageRules, FieldsFromModeAndEnabling) {
  const struct {
    int mode;
    int kindBefore;
    bool useProxy;
    int kind;
  } rows[] = {
      {kProxySystem, 1, true, 0},
      {kProxyNamed, 0, true, 1},
      {kProxyDirect, 1, false, 1},  // the kind is left as it was
      {kProxyDirect, 0, false, 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.mode);
    bool useProxy = !r.useProxy;
    int kind = r.kindBefore;
    ProxyFieldsFromMode(r.mode, &useProxy, &kind);
    EXPECT_EQ(r.useProxy, useProxy);
    EXPECT_EQ(r.kind, kind);
  }
  const struct {
    bool use, named, own;
    bool kinds, fields, folder;
  } enabling[] = {
      {false, true, false, false, false, false},
      {true, false, false, true, false, false},
      {true, true, true, true, true, true},
      {false, false, true, false, false, true},
  };
  for (const auto& e : enabling) {
    const NetworkEnabling got = ComputeNetworkEnabling(e.use, e.named, e.own);
    EXPECT_EQ(e.kinds, got.proxyKinds);
    EXPECT_EQ(e.fields, got.proxyFields);
    EXPECT_EQ(e.folder, got.folder);
  }
}

TEST(NetworkPageRules, ProxyFieldsFromTheStoredSettings) {
  const struct {
    const char* server;
    const char* portText;
    unsigned port;
  } rows[] = {
      {"proxy.invalid:3128", "3128", 3128},
      {"proxy.invalid", "80", 80},
      // Shown as stored, and no number is made of them: 80 stands in.
      {"proxy.invalid:-1", "-1", 80},
      {"proxy.invalid:65536", "65536", 80},
      {"proxy.invalid:2147483648", "2147483648", 80},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.server);
    NetworkProxyFields f;
    ProxyFieldsFromSettings(kProxyNamed, r.server, "kim", "pw", &f);
    EXPECT_TRUE(f.useProxy);
    EXPECT_EQ(1, f.proxyKind);
    EXPECT_STREQ("proxy.invalid", f.host);
    EXPECT_STREQ(r.portText, f.portText);
    EXPECT_EQ(r.port, f.port);
    EXPECT_STREQ("kim", f.user);
    EXPECT_STREQ("pw", f.password);
  }
}

TEST(NetworkPageRules, DriveKindsAndTheirMessages) {
  const struct {
    unsigned type;
    bool keep;
    unsigned message;
  } rows[] = {
      {0, false, IDS_NET_NO_SUCH_DRIVE},   {1, false, IDS_NET_NO_SUCH_DRIVE},
      {2, false, IDS_NET_REMOVABLE_DRIVE}, {3, true, 0},
      {4, false, IDS_NET_NETWORK_DRIVE},   {5, false, IDS_NET_REMOVABLE_DRIVE},
      {6, false, IDS_NET_RAM_DISK},        {7, false, 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.type);
    const DriveVerdict v = JudgeDownloadDrive(r.type);
    EXPECT_EQ(r.keep, v.keepFolder);
    EXPECT_EQ(r.message, v.messageId);
  }
}

// A file system in a map, with a scripted answer and a code page 932-like
// lead-byte rule (0x81-0x9F), where 0x5C can be a second byte.
class FakeFs : public CFolderWalkSystem {
 public:
  std::map<std::string, Kind> entries;
  std::vector<std::string> made;
  std::vector<std::string> probed;
  int asked = 0;
  bool answer = true;
  std::string cannotMake;

  Kind Probe(const std::string& path) override {
    probed.push_back(path);
    auto it = entries.find(path);
    return it == entries.end() ? kMissing : it->second;
  }
  bool MakeFolder(const std::string& path) override {
    if (path == cannotMake) return false;
    made.push_back(path);
    entries[path] = kFolder;
    return true;
  }
  bool ConfirmCreate() override {
    ++asked;
    return answer;
  }
  const char* Next(const char* p) override {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c >= 0x81 && c <= 0x9F && p[1] != '\0') return p + 2;
    return *p != '\0' ? p + 1 : p;
  }
};

TEST(NetworkPageRules, FolderWalk) {
  using V = std::vector<std::string>;
  struct Row {
    const char* name;
    const char* folder;
    bool answer;
    const char* cannotMake;
    FolderWalkResult result;
    int asked;
    V made;
    std::string failed;
  };
  const Row rows[] = {
      {"two missing levels",
       "C:\\games\\patch\\dl",
       true,
       "",
       kWalkDone,
       1,
       {"C:\\games\\patch", "C:\\games\\patch\\dl"}},
      {"trailing backslash",
       "C:\\games\\patch\\dl\\",
       true,
       "",
       kWalkDone,
       1,
       {"C:\\games\\patch", "C:\\games\\patch\\dl"}},
      {"every level there", "C:\\games", true, "", kWalkDone, 0, {}},
      {"declined", "C:\\games\\patch\\dl", false, "", kWalkDeclined, 1, {}},
      {"cannot make", "C:\\games\\patch\\dl", true, "C:\\games\\patch\\dl", kWalkCannotMake, 1, {"C:\\games\\patch"}},
      {"file in the way", "C:\\games\\notes.txt\\dl", true, "", kWalkFileInTheWay, 0, {}, "C:\\games\\notes.txt"},
      {"'/' separates levels as '\\' does",
       "C:\\games/patch/dl",
       true,
       "",
       kWalkDone,
       1,
       {"C:\\games/patch", "C:\\games/patch/dl"}},
      {"a trailing '/'", "C:/games/patch/", true, "", kWalkDone, 1, {"C:/games", "C:/games/patch"}},
      {"the root alone", "C:\\", true, "", kWalkDone, 0, {}},
      {"no backslash", "C:", true, "", kWalkDone, 0, {}},
      // 0x83 0x5C is one character: its second byte is no separator.
      {"two-byte character ending in 0x5C",
       "C:\\games\\\x83\x5C"
       "dl",
       true,
       "",
       kWalkDone,
       1,
       {"C:\\games\\\x83\x5C"
        "dl"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    FakeFs fs;
    fs.entries["C:\\games"] = CFolderWalkSystem::kFolder;
    fs.entries["C:\\games\\notes.txt"] = CFolderWalkSystem::kFile;
    fs.answer = r.answer;
    fs.cannotMake = r.cannotMake;
    std::string failed;
    EXPECT_EQ(r.result, WalkDownloadFolder(r.folder, fs, &failed));
    EXPECT_EQ(r.asked, fs.asked);
    EXPECT_EQ(r.made, fs.made);
    EXPECT_EQ(r.failed, failed);
  }
}

}  // namespace
