// What the graphics settings ask of the Direct3D device: the facts of its
// current record and caps, two format checks, the table-fog switch and the
// gamma scale.  The Win32 side answers over the application's device
// object; the native tests answer from a table.
#pragma once

#include <cstdint>

// Direct3D values the settings rules use, spelled out here because the
// neutral code sees no Direct3D header; the Win32 side checks each against
// <d3d9.h> at compile time.
namespace d3dval {
constexpr uint32_t kCreatePureDevice = 0x10;      // D3DCREATE_PUREDEVICE
constexpr uint32_t kCreateSoftwareVertex = 0x20;  // D3DCREATE_SOFTWARE_VERTEXPROCESSING
constexpr uint32_t kCreateHardwareVertex = 0x40;  // D3DCREATE_HARDWARE_VERTEXPROCESSING
constexpr uint32_t kUsageRenderTarget = 1;        // D3DUSAGE_RENDERTARGET
constexpr uint32_t kFormatA8R8G8B8 = 21;          // D3DFMT_A8R8G8B8
constexpr uint32_t kFormatA4R4G4B4 = 26;          // D3DFMT_A4R4G4B4
constexpr uint32_t kFormatDxt3 = 0x33545844;      // D3DFMT_DXT3, FOURCC "DXT3"
constexpr uint32_t VsVersion(uint32_t major, uint32_t minor) { return 0xFFFE0000u | (major << 8) | minor; }
constexpr uint32_t PsVersion(uint32_t major, uint32_t minor) { return 0xFFFF0000u | (major << 8) | minor; }
}  // namespace d3dval

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
