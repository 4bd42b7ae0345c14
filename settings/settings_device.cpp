#include "settings/settings_device.h"

#include <cstring>

uint32_t CDX3DSettingsDevice::GetBehaviorFlags() { return m_device.GetCurrentRecord().behaviorFlags; }

uint32_t CDX3DSettingsDevice::GetVertexShaderVersion() { return m_device.GetDeviceCaps().VertexShaderVersion; }

uint32_t CDX3DSettingsDevice::GetPixelShaderVersion() { return m_device.GetDeviceCaps().PixelShaderVersion; }

bool CDX3DSettingsDevice::GetAdapterIds(uint32_t* vendorId, uint32_t* deviceId) {
  D3DADAPTER_IDENTIFIER9 identifier;
  std::memset(&identifier, 0, sizeof identifier);
  if (FAILED(m_device.GetAdapterIdentifier(&identifier))) return false;
  *vendorId = identifier.VendorId;
  *deviceId = identifier.DeviceId;
  return true;
}

bool CDX3DSettingsDevice::CheckTextureFormat(uint32_t format, uint32_t usage) {
  return m_device.CheckTextureFormat(static_cast<D3DFORMAT>(format), usage) != FALSE;
}

bool CDX3DSettingsDevice::CheckMultiSample(uint32_t type) {
  return m_device.CheckMultiSample(static_cast<D3DMULTISAMPLE_TYPE>(type), nullptr) != FALSE;
}

void CDX3DSettingsDevice::SetTableFog(bool on) { m_device.SetTableFog(on ? TRUE : FALSE); }

void CDX3DSettingsDevice::SetGammaScaleAndApply(int scale) {
  m_device.SetGammaScale(scale);
  m_device.ApplyGamma();
}
