// IID_IDirectDraw2 is defined here (selectany), so that nothing needs
// dxguid.
#include <initguid.h>

#include <windows.h>
#include <ddraw.h>

#include <mutex>

#include "framework/scoped_win.h"
#include "settings/graphic_setting.h"
#include "settings/video_memory.h"

namespace {

// Making the DirectDraw object is nearly all of a measurement (a fifth of a
// second over Wine's Direct3D), and the settings dialog measures at every
// opening: the object of the first measurement is kept for the next ones,
// which ask it again.  Every caller goes through the lock.
std::mutex g_probeLock;
IDirectDraw2* g_probe = nullptr;

void DropProbe() {
  if (g_probe == nullptr) return;
  g_probe->Release();
  g_probe = nullptr;
}

bool MakeProbe() {
  CComHolder<IDirectDraw> dd;
  if (FAILED(::DirectDrawCreate(nullptr, dd.Receive(), nullptr)) || !dd) {
    dd.Detach();  // a failed call holds no reference
    return false;
  }
  CComHolder<IDirectDraw2> dd2;
  if (FAILED(dd->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(dd2.Receive()))) || !dd2) {
    dd2.Detach();
    return false;
  }
  g_probe = dd2.Detach();
  return true;
}

bool AskTotal(DWORD* total) {
  DDSCAPS caps = {};
  caps.dwCaps = DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
  DWORD free = 0;
  *total = 0;
  return SUCCEEDED(g_probe->GetAvailableVidMem(&caps, total, &free));
}

}  // namespace

uint32_t GetVideoMemoryMB() {
  DWORD total = 0;
  {
    std::lock_guard<std::mutex> guard(g_probeLock);
    // A kept object that refuses (its display driver changed under it, say)
    // is dropped and the question goes to a new one; a new object that
    // refuses leaves the total at 0, and the primary surface still counts.
    if (g_probe == nullptr || !AskTotal(&total)) {
      DropProbe();
      if (!MakeProbe()) return kVideoMemoryFailed;
      if (!AskTotal(&total)) total = 0;
    }
  }

  uint64_t primary = 0;
  const CScopedCreatedDC ic(::CreateICA("DISPLAY", nullptr, nullptr, nullptr));
  if (ic) {
    primary = PrimarySurfaceBytes(::GetDeviceCaps(ic.Get(), HORZRES), ::GetDeviceCaps(ic.Get(), VERTRES),
                                  ::GetDeviceCaps(ic.Get(), PLANES), ::GetDeviceCaps(ic.Get(), BITSPIXEL));
  }
  return SumVideoMemoryMB(total, primary);
}

void ReleaseVideoMemoryProbe() {
  std::lock_guard<std::mutex> guard(g_probeLock);
  DropProbe();
}
