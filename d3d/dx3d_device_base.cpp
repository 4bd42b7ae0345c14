#include "d3d/dx3d_device_base.h"

#include <cmath>
#include <cstring>
#include <utility>

#include "d3d/dx_formats.h"
#include "d3d/dx_rules.h"

// The neutral rules speak Direct3D's numbers: keep them honest.
static_assert(dxfmt::kX8R8G8B8 == D3DFMT_X8R8G8B8 && dxfmt::kA2R10G10B10 == D3DFMT_A2R10G10B10 &&
                  dxfmt::kD24S8 == D3DFMT_D24S8 && dxfmt::kD24X4S4 == D3DFMT_D24X4S4 && dxfmt::kD15S1 == D3DFMT_D15S1 &&
                  dxfmt::kD16Lockable == D3DFMT_D16_LOCKABLE && dxfmt::kDXT1 == D3DFMT_DXT1 &&
                  dxfmt::kDXT3 == D3DFMT_DXT3 && dxfmt::kUYVY == D3DFMT_UYVY && dxfmt::kCxV8U8 == D3DFMT_CxV8U8 &&
                  dxfmt::kA32B32G32R32F == D3DFMT_A32B32G32R32F && dxfmt::kD24FS8 == D3DFMT_D24FS8 &&
                  dxfmt::kIndex32 == D3DFMT_INDEX32 && dxfmt::kR8G8_B8G8 == D3DFMT_R8G8_B8G8 &&
                  dxfmt::kA8R8G8B8 == D3DFMT_A8R8G8B8 && dxfmt::kA4R4G4B4 == D3DFMT_A4R4G4B4,
              "format numbers");
static_assert(kDevCapsHwTransformAndLight == D3DDEVCAPS_HWTRANSFORMANDLIGHT &&
                  kDevCapsPureDevice == D3DDEVCAPS_PUREDEVICE &&
                  kPMiscCapsNullReference == D3DPMISCCAPS_NULLREFERENCE && kCreatePure == D3DCREATE_PUREDEVICE &&
                  kCreateSoftwareVP == D3DCREATE_SOFTWARE_VERTEXPROCESSING &&
                  kCreateHardwareVP == D3DCREATE_HARDWARE_VERTEXPROCESSING &&
                  kCreateMixedVP == D3DCREATE_MIXED_VERTEXPROCESSING &&
                  kCreateMultithreaded == D3DCREATE_MULTITHREADED &&
                  kPresentIntervalImmediate == D3DPRESENT_INTERVAL_IMMEDIATE &&
                  kPresentIntervalOne == D3DPRESENT_INTERVAL_ONE && kVertexShader11 == D3DVS_VERSION(1, 1) &&
                  kUsageRenderTarget == D3DUSAGE_RENDERTARGET && VsVersion(2, 0) == D3DVS_VERSION(2, 0) &&
                  PsVersion(2, 0) == D3DPS_VERSION(2, 0),
              "caps and flags");

namespace {

const D3DFORMAT kBaseDepthFormats[] = {D3DFMT_D32,   D3DFMT_D24S8, D3DFMT_D24X4S4,
                                       D3DFMT_D24X8, D3DFMT_D16,   D3DFMT_D15S1};
const D3DFORMAT kBaseBackBufferFormats[] = {D3DFMT_A2R10G10B10, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8,
                                            D3DFMT_R5G6B5,      D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5};

DX3DMode ToMode(const D3DDISPLAYMODE& m) { return {m.Width, m.Height, m.RefreshRate, static_cast<uint32_t>(m.Format)}; }

D3DDISPLAYMODE FromMode(const DX3DMode& m) {
  D3DDISPLAYMODE d;
  d.Width = m.width;
  d.Height = m.height;
  d.RefreshRate = m.refreshRate;
  d.Format = static_cast<D3DFORMAT>(m.format);
  return d;
}

void SetError(DWORD* error, DWORD code) {
  if (error != nullptr) *error = code;
}

}  // namespace

// --- CDX3DDeviceRequirement ---

DWORD CDX3DDeviceRequirement::ConfirmDevice(const D3DCAPS9*, DWORD, D3DFORMAT, const D3DADAPTER_IDENTIFIER9*) {
  return kUsableWindowed | kUsableFullscreen;
}

BOOL CDX3DDeviceRequirement::IsBetterMode(const D3DDISPLAYMODE* a, const D3DDISPLAYMODE* b) {
  return BaseModeComesBefore(ToMode(*a), ToMode(*b), m_nPreferredWidth, m_nPreferredHeight,
                             static_cast<uint32_t>(m_preferredFormat))
             ? TRUE
             : FALSE;
}

int CDX3DDeviceRequirement::GetDepthStencilFormats(const D3DFORMAT** formats) {
  *formats = kBaseDepthFormats;
  return static_cast<int>(sizeof kBaseDepthFormats / sizeof kBaseDepthFormats[0]);
}

int CDX3DDeviceRequirement::GetBackBufferFormats(const D3DFORMAT** formats) {
  *formats = kBaseBackBufferFormats;
  return static_cast<int>(sizeof kBaseBackBufferFormats / sizeof kBaseBackBufferFormats[0]);
}

void CDX3DDeviceRequirement::ModifyPresentParameters(IDirect3D9*, const D3DCAPS9*, D3DPRESENT_PARAMETERS* pp) {
  pp->BackBufferCount = m_nBackBufferCount;
  pp->SwapEffect = m_swapEffect;
  pp->Flags = m_dwPresentFlags;
}

// --- Loading the runtime ---

IDirect3D9* CreateDirect3D9Object() {
  typedef IDirect3D9*(WINAPI * CreateProc)(UINT);
  // Loaded once and kept: the objects it makes live as long as the process
  // may use them.
  static CreateProc create = []() -> CreateProc {
    HMODULE module = ::LoadLibraryA("d3d9.dll");
    if (module == nullptr) return nullptr;
    return reinterpret_cast<CreateProc>(::GetProcAddress(module, "Direct3DCreate9"));
  }();
  if (create == nullptr) return nullptr;
  return create(D3D_SDK_VERSION);
}

// --- CDX3DDeviceBase ---

CDX3DDeviceBase::CDX3DDeviceBase() {
  std::memset(&m_windowedRecord, 0, sizeof m_windowedRecord);
  std::memset(&m_fullscreenRecord, 0, sizeof m_fullscreenRecord);
  std::memset(&m_presentParameters, 0, sizeof m_presentParameters);
  m_presentParameters.BackBufferCount = 1;
  m_presentParameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  std::memset(&m_deviceCaps, 0, sizeof m_deviceCaps);
  std::memset(&m_backBufferDesc, 0, sizeof m_backBufferDesc);
  m_fDepthEpsilon = std::ldexp(1.0f, -24);
}

CDX3DDeviceBase::~CDX3DDeviceBase() { ReleaseAll(); }

IDirect3D9* CDX3DDeviceBase::NewDirect3D() { return CreateDirect3D9Object(); }

void CDX3DDeviceBase::ReleaseDevice() { m_pDevice.Reset(); }

void CDX3DDeviceBase::ReleaseAll() {
  ReleaseDevice();
  m_pD3D.Reset();
  m_pRequirement = nullptr;
}

BOOL CDX3DDeviceBase::Create(HWND focusWindow, HWND deviceWindow, CDX3DDeviceRequirement* requirement, DWORD* error) {
  ReleaseAll();
  m_hFocusWindow = focusWindow;
  m_presentParameters.hDeviceWindow = deviceWindow;
  m_pRequirement = requirement;

  m_pD3D.Reset(NewDirect3D());
  if (m_pD3D == nullptr) {
    SetError(error, kDX3DErrNoDirect3D);
    return FALSE;
  }
  if (requirement != nullptr) {
    m_bWindowed = requirement->m_bStartWindowed ? TRUE : FALSE;
    m_presentParameters.BackBufferCount = requirement->m_nBackBufferCount;
    m_presentParameters.SwapEffect = requirement->m_swapEffect;
    m_presentParameters.Flags = requirement->m_dwPresentFlags;
  } else {
    m_bWindowed = TRUE;
    m_presentParameters.BackBufferCount = 1;
    m_presentParameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    m_presentParameters.Flags = 0;
  }
  SaveWindowStyle();
  if (SelectDevice(requirement, error) && CreateDevice(error)) return TRUE;
  // A failed creation keeps no Direct3D object, whatever step failed.
  ReleaseDevice();
  m_pD3D.Reset();
  return FALSE;
}

BOOL CDX3DDeviceBase::SelectDevice(CDX3DDeviceRequirement* requirement, DWORD* error) {
  std::memset(&m_windowedRecord, 0, sizeof m_windowedRecord);
  std::memset(&m_fullscreenRecord, 0, sizeof m_fullscreenRecord);
  std::vector<DX3DDeviceRecord> records;
  Enumerate(records, requirement);
  std::vector<DX3DUsage> usages;
  usages.reserve(records.size());
  for (const DX3DDeviceRecord& r : records) usages.push_back({r.usableWindowed != 0, r.usableFullscreen != 0});
  DX3DSelection s = SelectFirstUsable(usages, requirement != nullptr && requirement->m_bWindowedRequired);
  if (s.windowed >= 0) m_windowedRecord = records[s.windowed];
  if (s.fullscreen >= 0) m_fullscreenRecord = records[s.fullscreen];
  if (!s.ok) {
    SetError(error, s.error);
    return FALSE;
  }
  return TRUE;
}

int CDX3DDeviceBase::Enumerate(std::vector<DX3DDeviceRecord>& out, CDX3DDeviceRequirement* requirement) {
  out.clear();
  if (m_pD3D == nullptr) return 0;
  const D3DFORMAT* backBufferFormats = kBaseBackBufferFormats;
  int backBufferFormatCount = static_cast<int>(sizeof kBaseBackBufferFormats / sizeof kBaseBackBufferFormats[0]);
  if (requirement != nullptr) {
    backBufferFormatCount = requirement->GetBackBufferFormats(&backBufferFormats);
    if (backBufferFormats == nullptr) backBufferFormatCount = 0;
  }

  const UINT adapterCount = m_pD3D->GetAdapterCount();
  for (UINT adapter = 0; adapter < adapterCount; ++adapter) {
    D3DADAPTER_IDENTIFIER9 identifier;
    std::memset(&identifier, 0, sizeof identifier);
    m_pD3D->GetAdapterIdentifier(adapter, 0, &identifier);
    D3DDISPLAYMODE desktop;
    std::memset(&desktop, 0, sizeof desktop);
    m_pD3D->GetAdapterDisplayMode(adapter, &desktop);

    // The desktop's format first: only it can be used in a window.
    std::vector<D3DFORMAT> adapterFormats(1, desktop.Format);
    std::vector<DX3DMode> modes;
    for (int f = 0; f < backBufferFormatCount; ++f) {
      const UINT modeCount = m_pD3D->GetAdapterModeCount(adapter, backBufferFormats[f]);
      for (UINT i = 0; i < modeCount; ++i) {
        D3DDISPLAYMODE mode;
        if (FAILED(m_pD3D->EnumAdapterModes(adapter, backBufferFormats[f], i, &mode))) continue;
        if (requirement != nullptr &&
            (mode.Width < requirement->m_nMinWidth || mode.Height < requirement->m_nMinHeight))
          continue;
        if (!AddUniqueMode(modes, ToMode(mode))) continue;
        bool known = false;
        for (D3DFORMAT f : adapterFormats) known = known || f == mode.Format;
        if (!known) adapterFormats.push_back(mode.Format);
      }
    }
    if (requirement != nullptr) {
      SortModes(modes, [requirement](const DX3DMode& a, const DX3DMode& b) {
        D3DDISPLAYMODE da = FromMode(a), db = FromMode(b);
        return requirement->IsBetterMode(&da, &db) != FALSE;
      });
    }

    const D3DDEVTYPE types[] = {D3DDEVTYPE_HAL, D3DDEVTYPE_REF};
    for (D3DDEVTYPE type : types) {
      D3DCAPS9 caps;
      std::memset(&caps, 0, sizeof caps);
      // A type the runtime does not offer is simply not there.
      if (FAILED(m_pD3D->GetDeviceCaps(adapter, type, &caps))) continue;
      if (caps.PrimitiveMiscCaps & D3DPMISCCAPS_NULLREFERENCE) continue;
      std::vector<DWORD> masks(adapterFormats.size(), 0);
      std::vector<DWORD> flags(adapterFormats.size(), 0);
      std::vector<D3DFORMAT> depths(adapterFormats.size(), D3DFMT_UNKNOWN);
      for (size_t j = 0; j < adapterFormats.size(); ++j) {
        const D3DFORMAT format = adapterFormats[j];
        if (FAILED(m_pD3D->CheckDeviceType(adapter, type, format, format, FALSE))) continue;
        DX3DBehavior b = ChooseBehavior(caps.DevCaps, [&](uint32_t tryFlags) -> uint32_t {
          if (requirement == nullptr) return kUsableWindowed | kUsableFullscreen;
          return requirement->ConfirmDevice(&caps, tryFlags, format, &identifier);
        });
        DWORD mask = b.mask;
        flags[j] = b.flags;
        if (mask != 0 && (requirement == nullptr || requirement->m_bSearchDepthFormat)) {
          if (!FindDepthStencilFormat(adapter, type, format, requirement, &depths[j])) mask = 0;
        }
        if (mask & kUsableWindowed) {
          if (j != 0 || FAILED(m_pD3D->CheckDeviceType(adapter, type, format, format, TRUE)))
            mask &= ~static_cast<DWORD>(kUsableWindowed);
        }
        masks[j] = mask;
      }
      for (const DX3DMode& mode : modes) {
        for (size_t j = 0; j < adapterFormats.size(); ++j) {
          if (static_cast<uint32_t>(adapterFormats[j]) != mode.format || masks[j] == 0) continue;
          DX3DDeviceRecord r;
          std::memset(&r, 0, sizeof r);
          r.adapter = adapter;
          r.deviceType = type;
          r.caps = caps;
          r.behaviorFlags = flags[j];
          r.usableWindowed = (masks[j] & kUsableWindowed) ? 1 : 0;
          r.usableFullscreen = (masks[j] & kUsableFullscreen) ? 2 : 0;
          r.width = mode.width;
          r.height = mode.height;
          r.format = static_cast<D3DFORMAT>(mode.format);
          r.depthFormat = depths[j];
          r.valid = 1;
          out.push_back(r);
        }
      }
    }
  }
  return static_cast<int>(out.size());
}

BOOL CDX3DDeviceBase::FindDepthStencilFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                             CDX3DDeviceRequirement* requirement, D3DFORMAT* format) {
  const D3DFORMAT* list = kBaseDepthFormats;
  int count = static_cast<int>(sizeof kBaseDepthFormats / sizeof kBaseDepthFormats[0]);
  if (requirement != nullptr) {
    count = requirement->GetDepthStencilFormats(&list);
    // No list at all: the requirement wants no depth buffer.
    if (list == nullptr) {
      *format = D3DFMT_UNKNOWN;
      return TRUE;
    }
  }
  if (m_pD3D == nullptr) return FALSE;
  for (int i = 0; i < count; ++i) {
    if (SUCCEEDED(m_pD3D->CheckDeviceFormat(adapter, type, adapterFormat, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                            list[i])) &&
        SUCCEEDED(m_pD3D->CheckDepthStencilMatch(adapter, type, adapterFormat, adapterFormat, list[i]))) {
      *format = list[i];
      return TRUE;
    }
  }
  return FALSE;
}

void CDX3DDeviceBase::UpdatePresentParameters() {
  m_bInTransition = TRUE;
  D3DPRESENT_PARAMETERS& pp = m_presentParameters;
  D3DFORMAT depth;
  if (m_bWindowed) {
    pp.BackBufferWidth = static_cast<UINT>(m_savedClientRect.right - m_savedClientRect.left);
    pp.BackBufferHeight = static_cast<UINT>(m_savedClientRect.bottom - m_savedClientRect.top);
    pp.Windowed = TRUE;
    pp.BackBufferFormat = m_windowedRecord.format;
    depth = m_windowedRecord.depthFormat;
  } else {
    pp.BackBufferWidth = m_fullscreenRecord.width;
    pp.BackBufferHeight = m_fullscreenRecord.height;
    pp.BackBufferFormat = m_fullscreenRecord.format;
    pp.Windowed = FALSE;
    depth = m_fullscreenRecord.depthFormat;
    m_savedClientRect.left = 0;
    m_savedClientRect.top = 0;
    m_savedClientRect.right = static_cast<LONG>(m_fullscreenRecord.width);
    m_savedClientRect.bottom = static_cast<LONG>(m_fullscreenRecord.height);
    ::MoveWindow(m_hFocusWindow, 0, 0, static_cast<int>(m_fullscreenRecord.width),
                 static_cast<int>(m_fullscreenRecord.height), TRUE);
  }
  pp.AutoDepthStencilFormat = depth;
  pp.EnableAutoDepthStencil = depth != D3DFMT_UNKNOWN ? TRUE : FALSE;
  if (depth != D3DFMT_UNKNOWN) {
    uint32_t stencil = 0;
    GetDepthFormatPrecision(static_cast<uint32_t>(depth), &m_fDepthEpsilon, &stencil);
    m_dwStencilBits = stencil;
  }
  m_bInTransition = FALSE;
}

BOOL CDX3DDeviceBase::CreateDevice(DWORD* error) {
  if (!m_windowedRecord.valid && m_fullscreenRecord.valid)
    m_bWindowed = FALSE;
  else if (m_windowedRecord.valid && !m_fullscreenRecord.valid)
    m_bWindowed = TRUE;
  UpdatePresentParameters();

  const DX3DDeviceRecord& record = GetCurrentRecord();
  if (m_pD3D == nullptr) {
    SetError(error, kDX3DErrNoDirect3D);
    return FALSE;
  }
  if (!record.valid) {
    SetError(error, kDX3DErrNoDevice);
    return FALSE;
  }
  const UINT adapter = record.adapter;
  const D3DDEVTYPE type = record.deviceType;
  const DWORD behaviorFlags = record.behaviorFlags;

  // The requirement's start state is taken at Create, before the fix-ups
  // above: taking it again here would call a full-screen device windowed
  // (and undo a switch made by ToggleFullscreen), out of step with the
  // present parameters just built.
  if (m_pRequirement != nullptr) {
    m_presentParameters.BackBufferCount = m_pRequirement->m_nBackBufferCount;
    m_presentParameters.SwapEffect = m_pRequirement->m_swapEffect;
    m_presentParameters.Flags = m_pRequirement->m_dwPresentFlags;
  }

  ReleaseDevice();
  if (m_pRequirement != nullptr) {
    D3DCAPS9 caps;
    std::memset(&caps, 0, sizeof caps);
    m_pD3D->GetDeviceCaps(adapter, type, &caps);
    m_pRequirement->ModifyPresentParameters(m_pD3D.Get(), &caps, &m_presentParameters);
  }
  CComHolder<IDirect3DDevice9> device;
  // The flags hold no D3DCREATE_FPU_PRESERVE: the device switches this
  // thread's x87 to single precision (24-bit mantissa) and keeps it there.
  // On the i686 build, where doubles are x87 values, every floating-point
  // result from here on has float precision: whatever must come out as an
  // exact integer (the video memory estimate, sizes, counts) is computed in
  // integer arithmetic.
  HRESULT hr =
      m_pD3D->CreateDevice(adapter, type, m_hFocusWindow, behaviorFlags, &m_presentParameters, device.Receive());
  if (FAILED(hr) || device == nullptr) {
    SetError(error, FAILED(hr) ? static_cast<DWORD>(hr) : static_cast<DWORD>(E_FAIL));
    return FALSE;
  }
  m_pDevice = std::move(device);
  if (m_bWindowed) {
    ::SetWindowPos(m_hFocusWindow, HWND_NOTOPMOST, m_savedWindowRect.left, m_savedWindowRect.top,
                   m_savedWindowRect.right - m_savedWindowRect.left, m_savedWindowRect.bottom - m_savedWindowRect.top,
                   SWP_SHOWWINDOW);
  }
  m_pDevice->GetDeviceCaps(&m_deviceCaps);
  CComHolder<IDirect3DSurface9> backBuffer;
  if (SUCCEEDED(m_pDevice->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, backBuffer.Receive())) && backBuffer) {
    backBuffer->GetDesc(&m_backBufferDesc);
  }
  return TRUE;
}

BOOL CDX3DDeviceBase::Reset() {
  if (m_pDevice == nullptr) return FALSE;
  if (m_bWindowed) {
    m_presentParameters.BackBufferWidth = static_cast<UINT>(m_savedClientRect.right - m_savedClientRect.left);
    m_presentParameters.BackBufferHeight = static_cast<UINT>(m_savedClientRect.bottom - m_savedClientRect.top);
  }
  if (m_pRequirement != nullptr && m_pD3D != nullptr) {
    const DX3DDeviceRecord& record = GetCurrentRecord();
    D3DCAPS9 caps;
    std::memset(&caps, 0, sizeof caps);
    m_pD3D->GetDeviceCaps(record.adapter, record.deviceType, &caps);
    m_pRequirement->ModifyPresentParameters(m_pD3D.Get(), &caps, &m_presentParameters);
  }
  if (FAILED(m_pDevice->Reset(&m_presentParameters))) return FALSE;
  CComHolder<IDirect3DSurface9> backBuffer;
  if (SUCCEEDED(m_pDevice->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, backBuffer.Receive())) && backBuffer) {
    backBuffer->GetDesc(&m_backBufferDesc);
  }
  return TRUE;
}

BOOL CDX3DDeviceBase::CheckMultiSample(D3DMULTISAMPLE_TYPE type, DWORD* qualityLevels) {
  if (m_pD3D == nullptr) return FALSE;
  const DX3DDeviceRecord& record = GetCurrentRecord();
  if (FAILED(m_pD3D->CheckDeviceMultiSampleType(record.adapter, record.deviceType, record.format, m_bWindowed, type,
                                                qualityLevels)))
    return FALSE;
  return SUCCEEDED(m_pD3D->CheckDeviceMultiSampleType(record.adapter, record.deviceType, record.depthFormat,
                                                      m_bWindowed, type, qualityLevels))
             ? TRUE
             : FALSE;
}

BOOL CDX3DDeviceBase::CheckTextureFormat(D3DFORMAT format, DWORD usage) {
  if (format == D3DFMT_UNKNOWN || m_pD3D == nullptr) return FALSE;
  const DX3DDeviceRecord& record = GetCurrentRecord();
  return SUCCEEDED(m_pD3D->CheckDeviceFormat(record.adapter, record.deviceType, record.format, usage, D3DRTYPE_TEXTURE,
                                             format))
             ? TRUE
             : FALSE;
}

HRESULT CDX3DDeviceBase::GetAdapterIdentifier(D3DADAPTER_IDENTIFIER9* identifier) {
  if (m_pD3D == nullptr) return E_FAIL;
  return m_pD3D->GetAdapterIdentifier(GetCurrentRecord().adapter, 0, identifier);
}

BOOL CDX3DDeviceBase::IsIntel915() {
  D3DADAPTER_IDENTIFIER9 identifier;
  std::memset(&identifier, 0, sizeof identifier);
  if (FAILED(GetAdapterIdentifier(&identifier))) return FALSE;
  return identifier.VendorId == 0x8086 && (identifier.DeviceId == 0x2582 || identifier.DeviceId == 0x2782);
}

BOOL CDX3DDeviceBase::IsMinimized() {
  WINDOWPLACEMENT placement;
  std::memset(&placement, 0, sizeof placement);
  placement.length = sizeof placement;
  if (!::GetWindowPlacement(m_hFocusWindow, &placement)) return FALSE;
  return placement.showCmd == SW_SHOWMINIMIZED || placement.showCmd == SW_MINIMIZE ||
         placement.showCmd == SW_SHOWMINNOACTIVE;
}

void CDX3DDeviceBase::SaveWindowStyle() {
  m_savedStyle = ::GetWindowLongA(m_hFocusWindow, GWL_STYLE);
  m_savedExStyle = ::GetWindowLongA(m_hFocusWindow, GWL_EXSTYLE);
  m_hSavedMenu = m_hFocusWindow != nullptr ? ::GetMenu(m_hFocusWindow) : nullptr;
  RECT r = {0, 0, 0, 0};
  if (m_hFocusWindow != nullptr && ::GetWindowRect(m_hFocusWindow, &r)) m_savedWindowRect = r;
  RECT c = {0, 0, 0, 0};
  if (m_presentParameters.hDeviceWindow != nullptr && ::GetClientRect(m_presentParameters.hDeviceWindow, &c))
    m_savedClientRect = c;
}

void CDX3DDeviceBase::RestoreWindowStyle() {
  ::SetWindowLongA(m_hFocusWindow, GWL_STYLE, m_savedStyle);
  ::SetWindowLongA(m_hFocusWindow, GWL_EXSTYLE, m_savedExStyle);
  ::SetWindowPos(m_hFocusWindow, HWND_NOTOPMOST, m_savedWindowRect.left, m_savedWindowRect.top,
                 m_savedWindowRect.right - m_savedWindowRect.left, m_savedWindowRect.bottom - m_savedWindowRect.top,
                 SWP_SHOWWINDOW);
  if (m_hSavedMenu != nullptr) ::SetMenu(m_hFocusWindow, m_hSavedMenu);
}
