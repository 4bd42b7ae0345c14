// IID_IDirectDraw2 is defined here (selectany), so that nothing needs
// dxguid.
#include <initguid.h>

#include <windows.h>
#include <ddraw.h>

#include <utility>

#include "settings/graphic_setting.h"
#include "settings/video_memory.h"

uint32_t GetVideoMemoryMB() {
  IDirectDraw* dd = nullptr;
  if (FAILED(::DirectDrawCreate(nullptr, &dd, nullptr)) || dd == nullptr) return kVideoMemoryFailed;
  IDirectDraw2* dd2 = nullptr;
  HRESULT hr = dd->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&dd2));
  if (FAILED(hr) || dd2 == nullptr) {
    dd->Release();
    return kVideoMemoryFailed;
  }
  DDSCAPS caps = {};
  caps.dwCaps = DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
  DWORD total = 0;
  DWORD free = 0;
  // A refused query leaves the total at 0: the primary surface still counts.
  if (FAILED(dd2->GetAvailableVidMem(&caps, &total, &free))) total = 0;
  dd2->Release();
  dd->Release();

  uint64_t primary = 0;
  if (HDC ic = ::CreateICA("DISPLAY", nullptr, nullptr, nullptr)) {
    primary = PrimarySurfaceBytes(::GetDeviceCaps(ic, HORZRES), ::GetDeviceCaps(ic, VERTRES),
                                  ::GetDeviceCaps(ic, PLANES), ::GetDeviceCaps(ic, BITSPIXEL));
    ::DeleteDC(ic);
  }
  return SumVideoMemoryMB(total, primary);
}
