#include "tests/settings/d3d9_test_device.h"

CD3D9TestDevice::CD3D9TestDevice() {
  m_d3d = ::Direct3DCreate9(D3D_SDK_VERSION);
  if (m_d3d == nullptr) return;
  m_capsRead = SUCCEEDED(m_d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &m_caps));
  m_identifierRead = SUCCEEDED(m_d3d->GetAdapterIdentifier(0, 0, &m_identifier));
  D3DDISPLAYMODE mode = {};
  if (SUCCEEDED(m_d3d->GetAdapterDisplayMode(0, &mode))) m_displayFormat = mode.Format;
  for (D3DFORMAT depth : {D3DFMT_D24S8, D3DFMT_D24X4S4, D3DFMT_D32, D3DFMT_D24X8, D3DFMT_D16, D3DFMT_D15S1}) {
    if (SUCCEEDED(m_d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, m_displayFormat, D3DUSAGE_DEPTHSTENCIL,
                                           D3DRTYPE_SURFACE, depth)) &&
        SUCCEEDED(m_d3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, m_displayFormat, m_displayFormat, depth))) {
      m_depthFormat = depth;
      break;
    }
  }
  // The first vertex-processing mode the device library tries.
  if (m_caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) {
    m_flags = (m_caps.DevCaps & D3DDEVCAPS_PUREDEVICE) ? 0x54 : 0x44;
  } else {
    m_flags = 0x24;
  }
}

CD3D9TestDevice::~CD3D9TestDevice() {
  if (m_d3d != nullptr) m_d3d->Release();
}

bool CD3D9TestDevice::GetAdapterIds(uint32_t* vendorId, uint32_t* deviceId) {
  if (!m_identifierRead) return false;
  *vendorId = m_identifier.VendorId;
  *deviceId = m_identifier.DeviceId;
  return true;
}

bool CD3D9TestDevice::CheckTextureFormat(uint32_t format, uint32_t usage) {
  if (format == 0 || m_d3d == nullptr) return false;
  return SUCCEEDED(m_d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, m_displayFormat, usage, D3DRTYPE_TEXTURE,
                                            static_cast<D3DFORMAT>(format)));
}

bool CD3D9TestDevice::CheckMultiSample(uint32_t type) {
  if (m_d3d == nullptr) return false;
  const auto t = static_cast<D3DMULTISAMPLE_TYPE>(type);
  return SUCCEEDED(m_d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, m_displayFormat, TRUE, t, nullptr)) &&
         SUCCEEDED(m_d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, m_depthFormat, TRUE, t, nullptr));
}
