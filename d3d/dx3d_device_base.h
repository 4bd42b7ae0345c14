// The Direct3D 9 device library: enumeration of adapters, modes and formats,
// the choice of the best combination against a requirement object, and
// device creation on a window.  Win32 only.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <vector>

#include "framework/scoped_win.h"

// One usable combination of adapter, device type, vertex processing and
// mode; a plain record copied by value.
struct DX3DDeviceRecord {
  UINT adapter;
  D3DDEVTYPE deviceType;   // D3DDEVTYPE_HAL or D3DDEVTYPE_REF
  D3DCAPS9 caps;           // of that adapter and device type
  DWORD behaviorFlags;     // 0x54, 0x44, 0x84 or 0x24
  DWORD usableWindowed;    // 1 or 0
  DWORD usableFullscreen;  // 2 or 0 (the bit of the confirmation mask)
  UINT width, height;
  D3DFORMAT format;       // display and back-buffer format
  D3DFORMAT depthFormat;  // 0 when none was searched
  DWORD valid;            // 1 in every enumerated record, 0 for an empty slot
};

// Steers enumeration and creation.  The application derives its own; the
// base answers as documented on each operation.
class CDX3DDeviceRequirement {
 public:
  CDX3DDeviceRequirement() = default;
  virtual ~CDX3DDeviceRequirement() = default;

  // A mask of kUsableWindowed / kUsableFullscreen; 0 refuses.  Base: 3.
  virtual DWORD ConfirmDevice(const D3DCAPS9* caps, DWORD behaviorFlags, D3DFORMAT adapterFormat,
                              const D3DADAPTER_IDENTIFIER9* identifier);
  // Non-zero when a sorts before b.  Base: BaseModeComesBefore with the
  // preferred size and format.
  virtual BOOL IsBetterMode(const D3DDISPLAYMODE* a, const D3DDISPLAYMODE* b);
  // *formats points at a list that stays valid; returns its length.  Base:
  // D32, D24S8, D24X4S4, D24X8, D16, D15S1.
  virtual int GetDepthStencilFormats(const D3DFORMAT** formats);
  // Base: A2R10G10B10, X8R8G8B8, A8R8G8B8, R5G6B5, X1R5G5B5, A1R5G5B5.
  virtual int GetBackBufferFormats(const D3DFORMAT** formats);
  // Last word on the present parameters before a device is created or reset.
  // Base: back-buffer count, swap effect and flags from the fields below.
  virtual void ModifyPresentParameters(IDirect3D9* d3d, const D3DCAPS9* caps, D3DPRESENT_PARAMETERS* pp);

  int m_bSearchDepthFormat = 1;  // a combination needs a depth/stencil format
  int m_bWindowedRequired = 0;   // selection fails without a windowed combination
  int m_bStartWindowed = 1;
  UINT m_nMinWidth = 640, m_nMinHeight = 480;  // smaller modes are skipped
  UINT m_nBackBufferCount = 1;
  D3DSWAPEFFECT m_swapEffect = D3DSWAPEFFECT_DISCARD;
  UINT m_nPreferredWidth = 640, m_nPreferredHeight = 480;
  D3DFORMAT m_preferredFormat = D3DFMT_UNKNOWN;
  DWORD m_dwPresentFlags = 0;
};

class CDX3DDeviceBase {
 public:
  CDX3DDeviceBase();
  virtual ~CDX3DDeviceBase();
  CDX3DDeviceBase(const CDX3DDeviceBase&) = delete;
  CDX3DDeviceBase& operator=(const CDX3DDeviceBase&) = delete;

  // Creates the Direct3D object, chooses the windowed and full-screen
  // combinations and creates the device on the windows.  On failure *error
  // (when not null) holds 0x82000001 (no Direct3D 9.0c), 0x82000003,
  // 0x82000004 or CreateDevice's HRESULT, and no Direct3D object is kept.
  BOOL Create(HWND focusWindow, HWND deviceWindow, CDX3DDeviceRequirement* requirement, DWORD* error);
  // Fills the windowed and full-screen records from a fresh enumeration.
  BOOL SelectDevice(CDX3DDeviceRequirement* requirement, DWORD* error);
  // Every usable combination: by adapter, then device type, then mode order.
  // Returns the count; 0 without a Direct3D object.
  int Enumerate(std::vector<DX3DDeviceRecord>& out, CDX3DDeviceRequirement* requirement);
  // (Re)creates the device from the current records and present parameters;
  // on failure *error holds CreateDevice's HRESULT.
  BOOL CreateDevice(DWORD* error);
  // Rebuilds the present parameters for the windowed state.
  void UpdatePresentParameters();
  // IDirect3DDevice9::Reset with the present parameters; FALSE without a
  // device or when the reset fails.
  BOOL Reset();
  // Releases the device and the Direct3D object and detaches the requirement.
  void ReleaseAll();

  BOOL CheckMultiSample(D3DMULTISAMPLE_TYPE type, DWORD* qualityLevels);
  BOOL FindDepthStencilFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                              CDX3DDeviceRequirement* requirement, D3DFORMAT* format);
  BOOL CheckTextureFormat(D3DFORMAT format, DWORD usage);
  // E_FAIL without a Direct3D object.
  HRESULT GetAdapterIdentifier(D3DADAPTER_IDENTIFIER9* identifier);
  BOOL IsIntel915();
  BOOL IsMinimized();
  void SaveWindowStyle();
  void RestoreWindowStyle();

  // The windowed record in windowed state, else the full-screen record.
  const DX3DDeviceRecord& GetCurrentRecord() const { return m_bWindowed ? m_windowedRecord : m_fullscreenRecord; }
  const DX3DDeviceRecord& GetWindowedRecord() const { return m_windowedRecord; }
  const DX3DDeviceRecord& GetFullscreenRecord() const { return m_fullscreenRecord; }
  BOOL IsWindowed() const { return m_bWindowed; }
  IDirect3D9* GetDirect3D() const { return m_pD3D.Get(); }
  IDirect3DDevice9* GetDevice() const { return m_pDevice.Get(); }
  const D3DPRESENT_PARAMETERS& GetPresentParameters() const { return m_presentParameters; }
  const D3DCAPS9& GetDeviceCaps() const { return m_deviceCaps; }
  const D3DSURFACE_DESC& GetBackBufferDesc() const { return m_backBufferDesc; }
  HWND GetFocusWindow() const { return m_hFocusWindow; }
  DWORD GetStencilBits() const { return m_dwStencilBits; }

 protected:
  // A new Direct3D 9 object (one reference for the caller), or null when the
  // runtime is missing or older than 9.0c.  d3d9.dll is loaded at run time,
  // so that a machine without it still starts and is told so.
  virtual IDirect3D9* NewDirect3D();
  // Releases the device (not the Direct3D object).
  void ReleaseDevice();

  DX3DDeviceRecord m_windowedRecord;
  DX3DDeviceRecord m_fullscreenRecord;
  BOOL m_bWindowed = TRUE;
  D3DPRESENT_PARAMETERS m_presentParameters;
  HWND m_hFocusWindow = nullptr;
  CComHolder<IDirect3D9> m_pD3D;
  CComHolder<IDirect3DDevice9> m_pDevice;
  D3DCAPS9 m_deviceCaps;
  D3DSURFACE_DESC m_backBufferDesc;
  LONG m_savedStyle = 0;
  LONG m_savedExStyle = 0;
  RECT m_savedWindowRect = {0, 0, 0, 0};
  RECT m_savedClientRect = {0, 0, 0, 0};
  HMENU m_hSavedMenu = nullptr;
  float m_fDepthEpsilon;
  DWORD m_dwStencilBits = 0;
  CDX3DDeviceRequirement* m_pRequirement = nullptr;
  BOOL m_bInTransition = FALSE;  // present parameters being rebuilt or the state switched
};

// Loads d3d9.dll once and calls Direct3DCreate9(D3D_SDK_VERSION); null when
// the library or the entry is missing or the runtime refuses the version.
IDirect3D9* CreateDirect3D9Object();
