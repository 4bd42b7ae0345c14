// The graphics settings: the user record that the settings pages edit and
// save under "render_s" and "render_d", and the effective record, the user
// record brought within the limits of the current device, which the device
// layer reads (antialias, sync and bbc for the present parameters, gamma).
//
// The game client reads the same registry values: key names, sections,
// REG_DWORD, the load clamps and when the six sea values are stored are
// fixed from outside this program.
#pragma once

#include <cstdint>

#include "d3d/dx_rules.h"
#include "framework/cstring.h"
#include "settings/graphic_device.h"
#include "settings/profile_store.h"

// One set of graphics settings.  The comment gives the registry key where
// it differs from the field name.
struct GraphicRecord {
  int32_t tex2d;      // "2dtex"
  int32_t tex3dsize;  // "3dtexsize"
  int32_t mipmap;
  int32_t dxt;
  int32_t tex_model;
  int32_t visible_model;
  int32_t particles;
  int32_t antialias;
  int32_t sync;
  int32_t pixelfog;
  int32_t bbc;
  int32_t dvrst;
  int32_t rt_format;  // D3DFORMAT of the render-target texture; no key
  int32_t ocean_set;
  int32_t ocean_type;
  int32_t ocean_shoal;
  int32_t ocean_wave;
  int32_t ocean_reflect;
  int32_t ocean_refract;
  int32_t ocean_sun;
  int32_t ocean_tex;
  int32_t lens;
  int32_t landreflect;
  int32_t landrefract;
  int32_t landsurface;
  int32_t farclip;
  int32_t shadow;
  int32_t sway;
  int32_t land_m;
  int32_t land_r;
  uint8_t maxlod;  // a byte: loads keep the low 8 bits of the stored value
  int32_t seafov;
  int32_t seafar;
  int32_t shootrange;
  int32_t fontsample;
  int32_t gamma;
};

// ocean_set values below this (read as unsigned) pick a preset row for the
// six sea values; this and above mean custom, the stored six.
constexpr uint32_t kOceanSetCustom = 3;
// The video memory measurement's failure value, and what it counts as.
constexpr uint32_t kVideoMemoryFailed = 0xFFFFFFFFu;
constexpr uint32_t kVideoMemoryFallbackMB = 64;

// Capability tests of the defaults (each on the device's current record).
bool IsLowVideoMemory(uint32_t videoMemoryMB);
bool IsIntel915Adapter(CGraphicSettingDevice& device);
bool IsExcludedNvidiaAdapter(uint32_t vendorId, uint32_t deviceId);
bool HasHardwareVertexShader(CGraphicSettingDevice& device, uint32_t major, uint32_t minor);
bool HasUsablePixelShader(CGraphicSettingDevice& device);
bool HasPixelShader20(CGraphicSettingDevice& device);

// The gamma scale for a gamma setting: 256 for 100, 96..416 over 0..200.
int GammaScaleFromSetting(int32_t gamma);

// Loads string resources for the hint texts (the resource table on Win32,
// a table in the native tests).  Missing strings give an empty text.
class CStringSource {
 public:
  virtual ~CStringSource() = default;
  virtual CString Load(UINT id) const = 0;
};

// The string ids of one hint: main text, recommendation and note (0 = none).
struct HintTextIds {
  UINT main;
  UINT recommendation;
  UINT note;
};
// The ids for settings item `item` given a default record for the device;
// all 0 for items without a hint.
HintTextIds SelectHintTextIds(int item, const GraphicRecord& defaults, bool hasPixelShader20);

class CGraphicSetting {
 public:
  // Both records zeroed but for antialias 0, sync 1 and bbc 1: what the
  // present parameters read when the device is created before any load.
  CGraphicSetting();

  uint32_t GetVideoMemoryMB() const { return m_videoMemoryMB; }
  void SetVideoMemoryMB(uint32_t mb) { m_videoMemoryMB = mb; }
  const GraphicRecord& GetEffective() const { return m_effective; }
  GraphicRecord& GetEffective() { return m_effective; }
  const GraphicRecord& GetUser() const { return m_user; }
  GraphicRecord& GetUser() { return m_user; }
  // What the device's present parameters take from the effective record.
  DX3DPresentSettings GetPresentSettings() const { return {m_effective.bbc, m_effective.sync, m_effective.antialias}; }

  // Fills rec with the defaults for the device and the video memory held.
  void ComputeDefaults(GraphicRecord& rec, CGraphicSettingDevice& device) const;

  // Loads into the user record; each read passes the field's current value
  // as its default, so a missing value keeps it.
  void LoadPresentOptions(CProfileStore& profile, const char* section);
  void LoadRenderS(CProfileStore& profile, const char* section);
  void LoadRenderD(CProfileStore& profile, const char* section);
  // Saves the user record.  TRUE when every write succeeded (all are tried).
  BOOL SaveRenderS(CProfileStore& profile, const char* section) const;
  BOOL SaveRenderD(CProfileStore& profile, const char* section) const;

  // The effective record from the user record (see the definition).
  void DeriveEffective(CGraphicSettingDevice& device);

  // measuredMB is the raw measurement (kVideoMemoryFailed on failure, which
  // is kept as 64 MB).
  // Present options from "render_s", the video memory, then the user record
  // copied over the effective record.
  void LoadDeviceOptions(CProfileStore& profile, uint32_t measuredMB);
  // Defaults into both records, every group loaded, then derived.
  void LoadAll(CProfileStore& profile, CGraphicSettingDevice& device);
  // The video memory again, defaults into both records, derived; writes
  // nothing.
  void ResetToDefaults(CGraphicSettingDevice& device, uint32_t measuredMB);

  // The explanation of settings item 0..31 (empty for items without one).
  void GetHintText(CGraphicSettingDevice& device, CString& out, int item, const CStringSource& strings) const;

 private:
  void StoreVideoMemory(uint32_t measuredMB);

  uint32_t m_videoMemoryMB = 0;
  GraphicRecord m_effective;
  GraphicRecord m_user;
};

// The program's one graphics settings object, made on first use.
CGraphicSetting& GetGraphicSetting();
