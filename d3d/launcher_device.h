// The launcher's side of the device library: its requirement, the display
// modes that the settings dialog offers with their labels and the profile
// value "select_device", the anti-alias choices, the application's device
// object and the text of a failed device check.  Win32 only.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include "d3d/dx3d_device.h"
#include "d3d/dx3d_device_base.h"
#include "d3d/dx_rules.h"
#include "framework/afxtempl.h"
#include "framework/cstring.h"

// One entry of the display-mode list.
class CApp3DDeviceInfo {
 public:
  CApp3DDeviceInfo();

  // "%4dx%4d %2dbit 전체화면 표시" for a full-screen entry, "%4dx%4d 윈도우
  // 표시" for a windowed one (strings 7002-7005).
  void GetDisplayName(CString& text) const;

  BOOL m_bWindowed;           // the mode is offered in a window
  BOOL m_bSelected;           // matches the running device, or chosen as the default
  DX3DDeviceRecord m_record;  // width, height and format are read from it
};

typedef CList<CApp3DDeviceInfo, const CApp3DDeviceInfo&> CApp3DDeviceInfoList;

// One anti-alias choice: a sample count.
class CDX3DAntialiasInfo {
 public:
  CDX3DAntialiasInfo() = default;
  explicit CDX3DAntialiasInfo(int samples) : m_nSamples(samples) {}
  int m_nSamples = 0;
};

typedef CList<CDX3DAntialiasInfo, const CDX3DAntialiasInfo&> CDX3DAntialiasInfoList;

class CAppDX3DDeviceRequirement : public CDX3DDeviceRequirement {
 public:
  // Depth format searched, windowed not required, starts windowed, modes
  // from 800 x 600 up to 800 x 600 (the preferred size serves as the upper
  // limit), X8R8G8B8 preferred, one back buffer.
  CAppDX3DDeviceRequirement();

  // Hardware vertex processing needs vs_1_1 and 4 blend matrices.
  DWORD ConfirmDevice(const D3DCAPS9* caps, DWORD behaviorFlags, D3DFORMAT adapterFormat,
                      const D3DADAPTER_IDENTIFIER9* identifier) override;
  // Smaller sizes first, then the larger format.
  BOOL IsBetterMode(const D3DDISPLAYMODE* a, const D3DDISPLAYMODE* b) override;
  // D24S8, D24X4S4, D32, D24X8, D16, D15S1.
  int GetDepthStencilFormats(const D3DFORMAT** formats) override;
  // Back buffers, presentation interval and multisampling from the
  // settings handed over in m_presentSettings.
  void ModifyPresentParameters(IDirect3D9* d3d, const D3DCAPS9* caps, D3DPRESENT_PARAMETERS* pp) override;

  // The settings dialog's limits: modes up to 1920 x 1920, windows up to the
  // desktop work area.
  void SetModeLimits();

  // Fills the list from an enumeration on device with this requirement and
  // returns the number of entries.
  int EnumerateModes(CDX3DDeviceBase& device, CApp3DDeviceInfoList& list);
  // Marks a default entry when none is selected.
  static void SelectDefaultMode(CDX3DDeviceBase& device, CApp3DDeviceInfoList& list);

  // The six integers of "select_device" in section: an empty value gives 0,
  // 0, 800, 600, 22, 0; one that does not scan leaves the caller's presets
  // from the first field that fails.
  static void LoadSelectDevice(const char* section, int values[6]);
  // Writes "0,0,width,height,format,windowed"; FALSE when the profile refused.
  static BOOL SaveSelectDevice(const CApp3DDeviceInfo& entry, const char* section);

  UINT m_nWindowLimitWidth = 800;  // a windowed entry is offered only up to this size
  UINT m_nWindowLimitHeight = 600;
  BOOL m_bMultiSampleAllowed = TRUE;
  // The effective graphics settings' "bbc", "sync" and "antialias", set by
  // the owner of the device before it makes it.
  DX3DPresentSettings m_presentSettings;
};

// Same windowed flag, width and height; full-screen entries also need the
// same format.
BOOL IsSameMode(const CApp3DDeviceInfo& a, const CApp3DDeviceInfo& b);
// TRUE when NO entry of the list is the same mode as entry -- the opposite of
// what the name says.  The answer is the mode list's own rule ("append the
// entry when it answers TRUE") and is fixed as such; nothing in the launcher
// calls it today.
BOOL IsModeInList(const CApp3DDeviceInfoList& list, const CApp3DDeviceInfo& entry);
// The device runs in the entry's state (windowed or full screen) with a back
// buffer of the entry's width, height and format.
BOOL IsCurrentMode(const CDX3DDeviceBase& device, const CApp3DDeviceInfo& entry);

// Empties the list and appends the choices 0, 2, 4; returns the count.
int FillAntialiasList(CDX3DAntialiasInfoList& list);
// Strings 7300-7302 for 0, 2, 4 samples; an empty text for any other value.
void GetAntialiasName(const CDX3DAntialiasInfo& choice, CString& text);

// The application's Direct3D device.
class CQuorlDevice : public CDX3DDevice {
 public:
  ~CQuorlDevice() override;
  // Destroys any device, tests for Direct3D 9.0c and creates the device on
  // a hidden window of its own with the client size of the application's
  // main window (made on the calling thread, kept until the object goes).
  // *error as CDX3DDeviceBase::Create.
  BOOL Initialize(CDX3DDeviceRequirement* requirement, DWORD* error);
  HWND GetCheckWindow() const { return m_hCheckWindow; }

 private:
  HWND m_hCheckWindow = nullptr;
};

// The message of a failed device check: string 22002 with the code as a
// signed decimal (0x82000001 shows as -2113929215); for a failure without a
// code, string 22001.
void FormatDeviceCheckError(DWORD code, CString& text);

// Windows 8 or 8.1 for workstations, where 16-bit modes are not offered.
BOOL IsWindows8Workstation();
