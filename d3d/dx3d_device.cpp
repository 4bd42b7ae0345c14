#include "d3d/dx3d_device.h"

#include <vector>

#include "d3d/dx_rules.h"

CDX3DDevice::CDX3DDevice() : m_paletteManager(64) {}

CDX3DDevice::~CDX3DDevice() { Destroy(); }

bool CDX3DDevice::RecordsDifferInDevice() const {
  return m_windowedRecord.adapter != m_fullscreenRecord.adapter ||
         m_windowedRecord.deviceType != m_fullscreenRecord.deviceType;
}

void CDX3DDevice::Destroy() {
  if (m_pfnFocusWindowProc != nullptr && ::IsWindow(m_hFocusWindow))
    ::SetWindowLongPtrA(m_hFocusWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnFocusWindowProc));
  if (m_pfnDeviceWindowProc != nullptr && ::IsWindow(m_presentParameters.hDeviceWindow))
    ::SetWindowLongPtrA(m_presentParameters.hDeviceWindow, GWLP_WNDPROC,
                        reinterpret_cast<LONG_PTR>(m_pfnDeviceWindowProc));
  m_pfnFocusWindowProc = nullptr;
  m_pfnDeviceWindowProc = nullptr;
  while (CLinkedListItem* item = m_deviceObjects.GetFirst()) {
    CDXDeviceMemory* object = static_cast<CDXDeviceMemory*>(item);
    object->OnDestroyDevice(this);
    object->Unlink();
  }
  ReleaseDeviceObjects();
  ReleaseAll();
}

BOOL CDX3DDevice::ResetDevice(BOOL recreate) {
  if (m_pDevice == nullptr) return FALSE;
  // The next node is taken before each call: an object may leave the list
  // from its own handler.
  for (CLinkedListItem* item = m_deviceObjects.GetFirst(); item != nullptr;) {
    CLinkedListItem* next = m_deviceObjects.GetNextOf(item);
    static_cast<CDXDeviceMemory*>(item)->OnLostDevice(this);
    item = next;
  }
  if (!(recreate ? CreateDevice(nullptr) : Reset())) return FALSE;
  ApplyAll();
  BOOL result = TRUE;
  for (CLinkedListItem* item = m_deviceObjects.GetFirst(); item != nullptr;) {
    CLinkedListItem* next = m_deviceObjects.GetNextOf(item);
    if (!static_cast<CDXDeviceMemory*>(item)->OnResetDevice(this)) result = FALSE;
    item = next;
  }
  if (!m_bWindowed && HasFullscreenGamma()) SetGamma(m_nGammaScale);
  return result;
}

BOOL CDX3DDevice::SwitchRecord(const DX3DDeviceRecord& record) {
  if (!record.valid || !record.usableWindowed) return FALSE;
  const bool recreate = record.adapter != m_windowedRecord.adapter || record.deviceType != m_windowedRecord.deviceType;
  m_windowedRecord = record;
  if (!m_bWindowed) return TRUE;
  UpdatePresentParameters();
  return ResetDevice(recreate ? TRUE : FALSE);
}

BOOL CDX3DDevice::ResizeWindowed() {
  if (!m_bWindowed) return TRUE;
  RECT r;
  if (::GetWindowRect(m_hFocusWindow, &r)) m_savedWindowRect = r;
  if (::GetClientRect(m_presentParameters.hDeviceWindow, &r)) m_savedClientRect = r;
  if (m_bInTransition) return TRUE;
  UpdatePresentParameters();
  return ResetDevice(FALSE);
}

BOOL CDX3DDevice::ToggleFullscreen() {
  if (!m_bWindowed && !m_windowedRecord.valid) return FALSE;
  // Nothing to go full screen with.
  if (m_bWindowed && !m_fullscreenRecord.valid) return FALSE;
  m_bInTransition = TRUE;
  if (m_bWindowed) {
    SaveWindowStyle();
    ::SetMenu(m_hFocusWindow, nullptr);
    ::SetWindowLongA(m_hFocusWindow, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_VISIBLE));
    ::SetWindowLongA(m_hFocusWindow, GWL_EXSTYLE, 0);
  } else {
    RestoreWindowStyle();
    if (HasFullscreenGamma()) SetGamma(256);
  }
  m_bWindowed = m_bWindowed ? FALSE : TRUE;
  if (m_bWindowed) ResizeWindowed();  // only records the rectangles while in transition
  m_bInTransition = FALSE;
  UpdatePresentParameters();
  return ResetDevice(RecordsDifferInDevice() ? TRUE : FALSE);
}

void CDX3DDevice::SetGamma(int scale) {
  if (m_pDevice == nullptr || !HasFullscreenGamma()) return;
  D3DGAMMARAMP ramp;
  FillGammaChannel(ramp.red, scale, 1);
  FillGammaChannel(ramp.green, scale, 1);
  FillGammaChannel(ramp.blue, scale, 1);
  m_pDevice->SetGammaRamp(0, D3DSGR_CALIBRATE, &ramp);
  FillGammaChannel(ramp.red, scale, 0);
  FillGammaChannel(ramp.green, scale, 0);
  FillGammaChannel(ramp.blue, scale, 0);
  m_pDevice->SetGammaRamp(0, D3DSGR_CALIBRATE, &ramp);
}

void CDX3DDevice::ApplyGamma() {
  if (m_pDevice != nullptr && !m_bWindowed && HasFullscreenGamma()) SetGamma(m_nGammaScale);
}

LRESULT CDX3DDevice::OnSettingChange(WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (m_pfnFocusWindowProc != nullptr)
    result = ::CallWindowProcA(m_pfnFocusWindowProc, m_hFocusWindow, WM_SETTINGCHANGE, wParam, lParam);
  if (wParam != 0 || m_pDevice == nullptr || m_pD3D == nullptr || !m_windowedRecord.valid) return result;
  D3DDISPLAYMODE desktop;
  if (FAILED(m_pD3D->GetAdapterDisplayMode(m_windowedRecord.adapter, &desktop)) ||
      desktop.Format == m_windowedRecord.format)
    return result;
  // The desktop changed its format: look for a windowed combination again.
  std::vector<DX3DDeviceRecord> records;
  Enumerate(records, m_pRequirement);
  for (const DX3DDeviceRecord& r : records) {
    if (r.usableWindowed) {
      SwitchRecord(r);
      return result;
    }
  }
  if (m_bWindowed && !IsMinimized()) {
    if (!ToggleFullscreen()) OnFatal();
  } else {
    m_windowedRecord.valid = 0;
  }
  return result;
}

void CDX3DDevice::OnSize(UINT sizeType, int width, int height) {
  if (sizeType == SIZE_MINIMIZED) return;
  if (m_bWindowed) {
    if (width < 1 || height < 1 ||
        (static_cast<UINT>(width) == m_backBufferDesc.Width && static_cast<UINT>(height) == m_backBufferDesc.Height))
      return;
    if (!ResizeWindowed()) OnFatal();
  } else if (HasFullscreenGamma()) {
    SetGamma(m_nGammaScale);
  }
}

void CDX3DDevice::OnActivate(BOOL active, HWND, BOOL minimized) {
  if (active && !minimized && !GetCurrentRecord().valid) {
    if (!ToggleFullscreen()) OnFatal();
  }
}

void CDX3DDevice::OnFatal() { ::PostMessageA(m_hFocusWindow, WM_QUIT, static_cast<WPARAM>(-1), 0); }
