// What the graphics settings ask of the Direct3D device: the facts of its
// current record and caps, two format checks, the table-fog switch and the
// gamma scale.  The Win32 side answers over the application's device
// object (settings/settings_device.h); the native tests answer from a
// table.  The Direct3D numbers the rules use are d3d/dx_formats.h's and
// d3d/dx_rules.h's.
#pragma once

#include <cstdint>

class CGraphicSettingDevice {
 public:
  virtual ~CGraphicSettingDevice() = default;

  // Behaviour flags of the current record (the windowed record while the
  // device is windowed, else the full-screen record).
  virtual uint32_t GetBehaviorFlags() = 0;
  // VertexShaderVersion and PixelShaderVersion of the device's caps.
  virtual uint32_t GetVertexShaderVersion() = 0;
  virtual uint32_t GetPixelShaderVersion() = 0;
  // VendorId and DeviceId of the current record's adapter; false when the
  // identifier cannot be read.
  virtual bool GetAdapterIds(uint32_t* vendorId, uint32_t* deviceId) = 0;
  // The device library's texture-format check on the current adapter and
  // display format (false for format 0).
  virtual bool CheckTextureFormat(uint32_t format, uint32_t usage) = 0;
  // The device library's multisample check for the current record's
  // back-buffer and depth formats, no quality level asked.
  virtual bool CheckMultiSample(uint32_t type) = 0;
  // The render-state cache's table-fog switch.
  virtual void SetTableFog(bool on) = 0;
  // Stores the gamma scale in the device object and asks it to apply it
  // (which it does only full screen with full-screen gamma).
  virtual void SetGammaScaleAndApply(int scale) = 0;
};
