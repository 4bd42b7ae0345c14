#include "d3d/launcher_device.h"

#include <cstring>
#include <vector>

#include "d3d/dx_formats.h"
#include "d3d/dx_rules.h"
#include "d3d/mode_list.h"
#include "framework/afxapp.h"
#include "framework/text_format.h"
#include "res/resource.h"

static_assert(kDefaultModeFormat == D3DFMT_X8R8G8B8, "default mode format");

namespace {

// Named in the profile section that the caller gives.
const char kSelectDeviceEntry[] = "select_device";

const D3DFORMAT kLauncherDepthFormats[] = {D3DFMT_D24S8, D3DFMT_D24X4S4, D3DFMT_D32,
                                           D3DFMT_D24X8, D3DFMT_D16,     D3DFMT_D15S1};

DX3DMode ToMode(const D3DDISPLAYMODE& m) { return {m.Width, m.Height, m.RefreshRate, static_cast<uint32_t>(m.Format)}; }

DX3DModeEntry ToEntry(const CApp3DDeviceInfo& info) {
  return {info.m_bWindowed != FALSE,
          info.m_bSelected != FALSE,
          info.m_record.width,
          info.m_record.height,
          static_cast<uint32_t>(info.m_record.format),
          0};
}

DX3DCurrentMode CurrentModeOf(const CDX3DDeviceBase& device) {
  const D3DSURFACE_DESC& bb = device.GetBackBufferDesc();
  return {device.IsWindowed() != FALSE, bb.Width, bb.Height, static_cast<uint32_t>(bb.Format)};
}

CString LoadText(UINT id) {
  CString s;
  s.LoadString(id);
  return s;
}

}  // namespace

// --- CApp3DDeviceInfo ---

CApp3DDeviceInfo::CApp3DDeviceInfo() : m_bWindowed(FALSE), m_bSelected(FALSE) {
  std::memset(&m_record, 0, sizeof m_record);
}

void CApp3DDeviceInfo::GetDisplayName(CString& text) const {
  const int width = static_cast<int>(m_record.width);
  const int height = static_cast<int>(m_record.height);
  if (m_bWindowed) {
    const int numbers[] = {width, height};
    text = FormatTableText(LoadText(IDS_MODE_WINDOWED_FMT), LoadText(IDS_MODE_WINDOWED), numbers, 2);
  } else {
    const int numbers[] = {width, height, GetFormatBitsPerPixel(static_cast<uint32_t>(m_record.format))};
    text = FormatTableText(LoadText(IDS_MODE_FULLSCREEN_FMT), LoadText(IDS_MODE_FULLSCREEN), numbers, 3);
  }
}

// --- CAppDX3DDeviceRequirement ---

CAppDX3DDeviceRequirement::CAppDX3DDeviceRequirement() {
  m_bSearchDepthFormat = 1;
  m_bWindowedRequired = 0;
  m_bStartWindowed = 1;
  m_nMinWidth = kDefaultModeWidth;
  m_nMinHeight = kDefaultModeHeight;
  m_nBackBufferCount = 1;
  m_nPreferredWidth = kDefaultModeWidth;
  m_nPreferredHeight = kDefaultModeHeight;
  m_preferredFormat = D3DFMT_X8R8G8B8;
  m_dwPresentFlags = 0;
}

DWORD CAppDX3DDeviceRequirement::ConfirmDevice(const D3DCAPS9* caps, DWORD behaviorFlags, D3DFORMAT,
                                               const D3DADAPTER_IDENTIFIER9*) {
  return AppConfirmDevice(caps->VertexShaderVersion, caps->MaxVertexBlendMatrices, behaviorFlags);
}

BOOL CAppDX3DDeviceRequirement::IsBetterMode(const D3DDISPLAYMODE* a, const D3DDISPLAYMODE* b) {
  return AppModeComesBefore(ToMode(*a), ToMode(*b)) ? TRUE : FALSE;
}

int CAppDX3DDeviceRequirement::GetDepthStencilFormats(const D3DFORMAT** formats) {
  *formats = kLauncherDepthFormats;
  return static_cast<int>(sizeof kLauncherDepthFormats / sizeof kLauncherDepthFormats[0]);
}

void CAppDX3DDeviceRequirement::ModifyPresentParameters(IDirect3D9* d3d, const D3DCAPS9* caps,
                                                        D3DPRESENT_PARAMETERS* pp) {
  CDX3DDeviceRequirement::ModifyPresentParameters(d3d, caps, pp);
  const DX3DPresentSettings& settings = m_presentSettings;
  pp->FullScreen_RefreshRateInHz = 0;
  pp->BackBufferCount = BackBufferCountFromSetting(settings.bbc);
  pp->PresentationInterval = PresentIntervalFromSetting(settings.sync);
  if (!m_bMultiSampleAllowed) {
    pp->MultiSampleType = D3DMULTISAMPLE_NONE;
    return;
  }
  // A type the adapter refuses for either format keeps the previous one.
  const D3DMULTISAMPLE_TYPE type = static_cast<D3DMULTISAMPLE_TYPE>(settings.antialias);
  if (d3d != nullptr && caps != nullptr &&
      SUCCEEDED(d3d->CheckDeviceMultiSampleType(caps->AdapterOrdinal, caps->DeviceType, pp->BackBufferFormat,
                                                pp->Windowed, type, nullptr)) &&
      SUCCEEDED(d3d->CheckDeviceMultiSampleType(caps->AdapterOrdinal, caps->DeviceType, pp->AutoDepthStencilFormat,
                                                pp->Windowed, type, nullptr)))
    pp->MultiSampleType = type;
}

void CAppDX3DDeviceRequirement::SetModeLimits() {
  m_nPreferredWidth = 1920;
  m_nPreferredHeight = 1920;
  RECT work = {0, 0, 0, 0};
  if (::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
    m_nWindowLimitWidth = static_cast<UINT>(work.right - work.left);
    m_nWindowLimitHeight = static_cast<UINT>(work.bottom - work.top);
  }
}

int CAppDX3DDeviceRequirement::EnumerateModes(CDX3DDeviceBase& device, CApp3DDeviceInfoList& list) {
  list.RemoveAll();
  std::vector<DX3DDeviceRecord> records;
  device.Enumerate(records, this);
  std::vector<DX3DModeCandidate> candidates;
  candidates.reserve(records.size());
  for (const DX3DDeviceRecord& r : records) {
    candidates.push_back(
        {r.width, r.height, static_cast<uint32_t>(r.format), r.usableWindowed != 0, r.usableFullscreen != 0});
  }
  DX3DModeLimits limits;
  limits.minWidth = m_nMinWidth;
  limits.minHeight = m_nMinHeight;
  limits.maxWidth = m_nPreferredWidth;
  limits.maxHeight = m_nPreferredHeight;
  limits.windowWidth = m_nWindowLimitWidth;
  limits.windowHeight = m_nWindowLimitHeight;
  limits.skip16Bit = IsWindows8Workstation() != FALSE;
  for (const DX3DModeEntry& e : BuildModeEntries(candidates, limits, CurrentModeOf(device))) {
    CApp3DDeviceInfo info;
    info.m_bWindowed = e.windowed ? TRUE : FALSE;
    info.m_bSelected = e.selected ? TRUE : FALSE;
    info.m_record = records[e.source];
    list.AddTail(info);
  }
  return list.GetCount();
}

void CAppDX3DDeviceRequirement::SelectDefaultMode(CDX3DDeviceBase& device, CApp3DDeviceInfoList& list) {
  std::vector<DX3DModeEntry> entries;
  for (POSITION pos = list.GetHeadPosition(); pos != nullptr;) entries.push_back(ToEntry(list.GetNext(pos)));
  SelectDefaultModeEntry(entries, CurrentModeOf(device));
  size_t i = 0;
  for (POSITION pos = list.GetHeadPosition(); pos != nullptr; ++i)
    list.GetNext(pos).m_bSelected = entries[i].selected ? TRUE : FALSE;
}

void CAppDX3DDeviceRequirement::LoadSelectDevice(const char* section, int values[6]) {
  CWinApp* app = AfxGetApp();
  CString text;
  if (app != nullptr) text = app->GetProfileString(section, kSelectDeviceEntry);
  ReadSelectDevice(text, values);
}

BOOL CAppDX3DDeviceRequirement::SaveSelectDevice(const CApp3DDeviceInfo& entry, const char* section) {
  CWinApp* app = AfxGetApp();
  if (app == nullptr) return FALSE;
  std::string text = FormatSelectDevice(entry.m_record.width, entry.m_record.height,
                                        static_cast<uint32_t>(entry.m_record.format), entry.m_bWindowed != FALSE);
  return app->WriteProfileString(section, kSelectDeviceEntry, text.c_str());
}

// --- Mode comparisons ---

BOOL IsSameMode(const CApp3DDeviceInfo& a, const CApp3DDeviceInfo& b) {
  return IsSameModeEntry(ToEntry(a), ToEntry(b)) ? TRUE : FALSE;
}

BOOL IsModeInList(const CApp3DDeviceInfoList& list, const CApp3DDeviceInfo& entry) {
  for (POSITION pos = list.GetHeadPosition(); pos != nullptr;) {
    if (IsSameMode(list.GetNext(pos), entry)) return FALSE;
  }
  return TRUE;
}

BOOL IsCurrentMode(const CDX3DDeviceBase& device, const CApp3DDeviceInfo& entry) {
  return IsCurrentModeEntry(ToEntry(entry), CurrentModeOf(device)) ? TRUE : FALSE;
}

// --- Anti-alias choices ---

int FillAntialiasList(CDX3DAntialiasInfoList& list) {
  list.RemoveAll();
  for (int samples : kAntialiasChoices) list.AddTail(CDX3DAntialiasInfo(samples));
  return list.GetCount();
}

void GetAntialiasName(const CDX3DAntialiasInfo& choice, CString& text) {
  const unsigned id = AntialiasNameId(choice.m_nSamples);
  text.Empty();
  if (id != 0) text.LoadString(id);
}

// --- The device and its check ---

BOOL CQuorlDevice::Initialize(CDX3DDeviceRequirement* requirement, DWORD* error) {
  Destroy();
  m_bWindowed = requirement != nullptr ? (requirement->m_bStartWindowed ? TRUE : FALSE) : TRUE;
  m_presentParameters.BackBufferCount = requirement != nullptr ? requirement->m_nBackBufferCount : 1;
  // A first test for the runtime; Create lets this object go and makes its
  // own.
  m_pD3D.Reset(NewDirect3D());
  if (m_pD3D == nullptr) {
    if (error != nullptr) *error = kDX3DErrNoDirect3D;
    return FALSE;
  }
  // Not the main window: Wine's Direct3D puts an OpenGL surface over the
  // client area of the window a device is made on, and the settings dialog
  // (the main window of a settings-only start) or the launcher screen
  // would show blank from then on.  The device is only checked and asked,
  // never presented, so a hidden window of the main window's client size
  // serves (the back buffer takes that size, as it would on the main
  // window).
  RECT client = {0, 0, 1, 1};
  CWnd* mainWnd = AfxGetMainWnd();
  if (mainWnd != nullptr && mainWnd->GetSafeHwnd() != nullptr) ::GetClientRect(mainWnd->GetSafeHwnd(), &client);
  const int width = client.right > 0 ? client.right : 1;
  const int height = client.bottom > 0 ? client.bottom : 1;
  if (m_hCheckWindow == nullptr || !::IsWindow(m_hCheckWindow)) {
    m_hCheckWindow = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                                       ::GetModuleHandleA(nullptr), nullptr);
  } else {
    ::SetWindowPos(m_hCheckWindow, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const BOOL created = Create(m_hCheckWindow, m_hCheckWindow, requirement, error);
  // A made device shows its focus window: this one stays out of sight.
  ::ShowWindow(m_hCheckWindow, SW_HIDE);
  return created;
}

CQuorlDevice::~CQuorlDevice() {
  // The device first: it gives the window its procedure back.
  Destroy();
  if (m_hCheckWindow != nullptr && ::IsWindow(m_hCheckWindow)) ::DestroyWindow(m_hCheckWindow);
}

void FormatDeviceCheckError(DWORD code, CString& text) {
  if (code == 0) {
    text.LoadString(IDS_ERR_DIRECTX_VERSION);
    return;
  }
  const int number = static_cast<int>(code);
  text = FormatTableText(LoadText(IDS_ERR_DIRECTX_DEVICE), nullptr, &number, 1);
}

BOOL IsWindows8Workstation() {
  OSVERSIONINFOEXA info;
  std::memset(&info, 0, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
  if (!::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) return FALSE;
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
  return info.dwMajorVersion == 6 && (info.dwMinorVersion == 2 || info.dwMinorVersion == 3) &&
         info.wProductType == VER_NT_WORKSTATION;
}
