// What Wine's own Direct3D 9 answers, asked straight of d3d9.dll, for the
// tests to check the launcher's rule over (32-bit and 64-bit Wine, and Wine
// on different displays, answer differently).
#pragma once

#include <windows.h>
#include <d3d9.h>

namespace d3d_test {

// A Direct3D 9 object from the runtime (one reference for the caller), or
// null when the runtime gives none.
inline IDirect3D9* RuntimeDirect3D() {
  using Create = IDirect3D9*(WINAPI*)(UINT);
  HMODULE module = ::LoadLibraryA("d3d9.dll");
  auto create = module ? reinterpret_cast<Create>(::GetProcAddress(module, "Direct3DCreate9")) : nullptr;
  return create ? create(D3D_SDK_VERSION) : nullptr;
}

struct RuntimeAnswer {
  bool direct3d = false;  // Direct3DCreate9 gave an object
  int deviceTypes = 0;    // adapter device types that take the desktop's format
};

inline RuntimeAnswer AskRuntime() {
  RuntimeAnswer answer;
  IDirect3D9* d3d = RuntimeDirect3D();
  if (d3d == nullptr) return answer;
  answer.direct3d = true;
  for (UINT adapter = 0; adapter < d3d->GetAdapterCount(); ++adapter) {
    D3DDISPLAYMODE desktop = {};
    if (FAILED(d3d->GetAdapterDisplayMode(adapter, &desktop))) continue;
    for (D3DDEVTYPE type : {D3DDEVTYPE_HAL, D3DDEVTYPE_REF}) {
      if (SUCCEEDED(d3d->CheckDeviceType(adapter, type, desktop.Format, desktop.Format, TRUE)) ||
          SUCCEEDED(d3d->CheckDeviceType(adapter, type, desktop.Format, desktop.Format, FALSE)))
        ++answer.deviceTypes;
    }
  }
  d3d->Release();
  return answer;
}

}  // namespace d3d_test
