// A settings device over the real d3d9 of the machine: adapter 0, the HAL
// device, the desktop format and the behaviour flags that the device
// library's enumeration would try first.  Table fog and gamma are only
// recorded.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <vector>

#include "settings/graphic_device.h"

class CD3D9TestDevice : public CGraphicSettingDevice {
 public:
  CD3D9TestDevice();
  ~CD3D9TestDevice() override;
  CD3D9TestDevice(const CD3D9TestDevice&) = delete;
  CD3D9TestDevice& operator=(const CD3D9TestDevice&) = delete;

  // False when d3d9 or its HAL caps are not there.
  bool Ready() const { return m_d3d != nullptr && m_capsRead; }
  const D3DCAPS9& Caps() const { return m_caps; }
  const D3DADAPTER_IDENTIFIER9& Identifier() const { return m_identifier; }
  D3DFORMAT DisplayFormat() const { return m_displayFormat; }

  uint32_t GetBehaviorFlags() override { return m_flags; }
  uint32_t GetVertexShaderVersion() override { return m_caps.VertexShaderVersion; }
  uint32_t GetPixelShaderVersion() override { return m_caps.PixelShaderVersion; }
  bool GetAdapterIds(uint32_t* vendorId, uint32_t* deviceId) override;
  bool CheckTextureFormat(uint32_t format, uint32_t usage) override;
  bool CheckMultiSample(uint32_t type) override;
  void SetTableFog(bool on) override { tableFog.push_back(on); }
  void SetGammaScaleAndApply(int scale) override { gammaScales.push_back(scale); }

  std::vector<bool> tableFog;
  std::vector<int> gammaScales;

 private:
  IDirect3D9* m_d3d = nullptr;
  D3DCAPS9 m_caps = {};
  bool m_capsRead = false;
  D3DADAPTER_IDENTIFIER9 m_identifier = {};
  bool m_identifierRead = false;
  D3DFORMAT m_displayFormat = D3DFMT_UNKNOWN;
  D3DFORMAT m_depthFormat = D3DFMT_UNKNOWN;
  uint32_t m_flags = 0;
};
