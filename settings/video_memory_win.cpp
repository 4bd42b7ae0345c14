// IID_IDirectDraw2 is defined here (selectany), so that nothing needs
// dxguid.
#include <initguid.h>

#include <windows.h>
#include <ddraw.h>

#include "framework/scoped_win.h"
#include "settings/graphic_setting.h"
#include "settings/video_memory.h"

uint32_t GetVideoMemoryMB() {
  CComHolder<IDirectDraw> dd;
  if (FAILED(::DirectDrawCreate(nullptr, dd.Receive(), nullptr)) || !dd) {
    dd.Detach();  // a failed call holds no reference
    return kVideoMemoryFailed;
  }
  CComHolder<IDirectDraw2> dd2;
  HRESULT hr = dd->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(dd2.Receive()));
  if (FAILED(hr) || !dd2) {
    dd2.Detach();
    return kVideoMemoryFailed;
  }
  DDSCAPS caps = {};
  caps.dwCaps = DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
  DWORD total = 0;
  DWORD free = 0;
  // A refused query leaves the total at 0: the primary surface still counts.
  if (FAILED(dd2->GetAvailableVidMem(&caps, &total, &free))) total = 0;
  dd2.Reset();
  dd.Reset();

  uint64_t primary = 0;
  const CScopedCreatedDC ic(::CreateICA("DISPLAY", nullptr, nullptr, nullptr));
  if (ic) {
    primary = PrimarySurfaceBytes(::GetDeviceCaps(ic.Get(), HORZRES), ::GetDeviceCaps(ic.Get(), VERTRES),
                                  ::GetDeviceCaps(ic.Get(), PLANES), ::GetDeviceCaps(ic.Get(), BITSPIXEL));
  }
  return SumVideoMemoryMB(total, primary);
}
