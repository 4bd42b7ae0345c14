// What the graphics settings ask of the Direct3D device, answered by the
// application's device object: its current record and caps, the format
// checks, the table-fog switch and the gamma scale.  Win32 only.
#pragma once

#include "d3d/dx3d_device.h"
#include "settings/graphic_device.h"

class CDX3DSettingsDevice : public CGraphicSettingDevice {
 public:
  // device must outlive this object.
  explicit CDX3DSettingsDevice(CDX3DDevice& device) : m_device(device) {}

  uint32_t GetBehaviorFlags() override;
  uint32_t GetVertexShaderVersion() override;
  uint32_t GetPixelShaderVersion() override;
  bool GetAdapterIds(uint32_t* vendorId, uint32_t* deviceId) override;
  bool CheckTextureFormat(uint32_t format, uint32_t usage) override;
  bool CheckMultiSample(uint32_t type) override;
  void SetTableFog(bool on) override;
  void SetGammaScaleAndApply(int scale) override;

 private:
  CDX3DDevice& m_device;
};
