// Test doubles for the settings records: a profile store over a map that
// records every write, and a device answering from a table of facts and
// recording what the settings asked of it.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "d3d/dx_formats.h"
#include "d3d/dx_rules.h"
#include "settings/graphic_device.h"
#include "settings/profile_store.h"

class CMapProfileStore : public CProfileStore {
 public:
  using Key = std::pair<std::string, std::string>;  // section, entry

  UINT GetInt(const char* section, const char* entry, int nDefault) override {
    auto it = ints.find({section, entry});
    return it == ints.end() ? static_cast<UINT>(nDefault) : static_cast<UINT>(it->second);
  }
  BOOL WriteInt(const char* section, const char* entry, int value) override {
    writes.push_back(std::string(section) + "/" + entry);
    if (failWrites) return FALSE;
    ints[{section, entry}] = value;
    return TRUE;
  }
  CString GetString(const char* section, const char* entry) override {
    auto it = strings.find({section, entry});
    return it == strings.end() ? CString() : CString(it->second.c_str());
  }

  void Set(const char* section, const char* entry, int value) { ints[{section, entry}] = value; }
  bool Has(const char* section, const char* entry) const { return ints.count({section, entry}) != 0; }
  int Get(const char* section, const char* entry) const { return ints.at({section, entry}); }

  std::map<Key, int> ints;
  std::map<Key, std::string> strings;
  std::vector<std::string> writes;  // "section/entry" in write order
  bool failWrites = false;
};

// Device facts: the behaviour flags of the current record, shader versions,
// adapter ids and which formats and multisample types the checks accept.
struct DeviceFacts {
  uint32_t flags = 0x54;  // pure, hardware, multithreaded
  uint32_t vs = 0xFFFE0300;
  uint32_t ps = 0xFFFF0300;
  uint32_t vendor = 0x1002;
  uint32_t device = 0x1234;
  bool idsKnown = true;
  std::set<uint32_t> renderTargets = {21, 26};  // A8R8G8B8, A4R4G4B4
  bool dxt3 = true;
  std::set<uint32_t> multisample = {0, 2, 4};
};

class CFakeSettingDevice : public CGraphicSettingDevice {
 public:
  explicit CFakeSettingDevice(DeviceFacts f = {}) : facts(std::move(f)) {}

  uint32_t GetBehaviorFlags() override { return facts.flags; }
  uint32_t GetVertexShaderVersion() override { return facts.vs; }
  uint32_t GetPixelShaderVersion() override { return facts.ps; }
  bool GetAdapterIds(uint32_t* vendorId, uint32_t* deviceId) override {
    if (!facts.idsKnown) return false;
    *vendorId = facts.vendor;
    *deviceId = facts.device;
    return true;
  }
  bool CheckTextureFormat(uint32_t format, uint32_t usage) override {
    textureChecks.push_back({format, usage});
    if (format == 0) return false;
    if (usage == kUsageRenderTarget) return facts.renderTargets.count(format) != 0;
    if (usage == 0 && format == dxfmt::kDXT3) return facts.dxt3;
    return false;
  }
  bool CheckMultiSample(uint32_t type) override {
    multisampleChecks.push_back(type);
    return facts.multisample.count(type) != 0;
  }
  void SetTableFog(bool on) override { tableFog.push_back(on); }
  void SetGammaScaleAndApply(int scale) override { gammaScales.push_back(scale); }

  DeviceFacts facts;
  std::vector<std::pair<uint32_t, uint32_t>> textureChecks;  // format, usage
  std::vector<uint32_t> multisampleChecks;
  std::vector<bool> tableFog;
  std::vector<int> gammaScales;
};
