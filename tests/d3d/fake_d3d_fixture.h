// The fixture of the tests over the fake Direct3D: a fresh fake, device and
// window per test, and the check that no fake object outlives it.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "d3d/launcher_device.h"
#include "framework/afxwin.h"
#include "tests/d3d/fake_d3d9.h"

// The test program's application object (its profile holds "select_device").
extern CWinApp& g_app;

// A device whose Direct3D is the fake (null: the runtime is missing).
class FakeBackedDevice : public CQuorlDevice {
 public:
  FakeD3D9* fake = nullptr;
  using CDXRenderState::ApplyAll;

 protected:
  IDirect3D9* NewDirect3D() override {
    if (fake == nullptr) return nullptr;
    fake->AddRef();
    return fake;
  }
};

// An ordinary adapter: a 1024 x 768 X8R8G8B8 desktop, three sizes in two
// formats (800 x 600 twice, at two refresh rates), D24S8, a pure HAL with
// vs_3_0 and 4 blend matrices.
inline FakeAdapter StandardAdapter() {
  FakeAdapter a;
  a.modes = {Mode(640, 480, D3DFMT_X8R8G8B8),  Mode(800, 600, D3DFMT_X8R8G8B8), Mode(800, 600, D3DFMT_X8R8G8B8, 75),
             Mode(1024, 768, D3DFMT_X8R8G8B8), Mode(640, 480, D3DFMT_R5G6B5),   Mode(800, 600, D3DFMT_R5G6B5),
             Mode(1024, 768, D3DFMT_R5G6B5)};
  a.depthFormats = {D3DFMT_D24S8};
  return a;
}

inline std::string Describe(const DX3DDeviceRecord& r) {
  if (!r.valid) return "-";
  char buf[128];
  std::snprintf(buf, sizeof buf, "a%u %s 0x%02lx %ux%u f%d d%d%s%s", r.adapter,
                r.deviceType == D3DDEVTYPE_HAL ? "HAL" : "REF", static_cast<unsigned long>(r.behaviorFlags), r.width,
                r.height, static_cast<int>(r.format), static_cast<int>(r.depthFormat), r.usableWindowed ? " w" : "",
                r.usableFullscreen ? " f" : "");
  return buf;
}

// A top-level window for the device, destroyed with the fixture.
class DeviceWindow {
 public:
  DeviceWindow() {
    m_hWnd = ::CreateWindowExA(0, "STATIC", "d3d test", WS_OVERLAPPEDWINDOW, 10, 10, 660, 520, nullptr, nullptr,
                               ::GetModuleHandleA(nullptr), nullptr);
  }
  ~DeviceWindow() { ::DestroyWindow(m_hWnd); }
  HWND get() const { return m_hWnd; }
  SIZE ClientSize() const {
    RECT r = {0, 0, 0, 0};
    ::GetClientRect(m_hWnd, &r);
    return {r.right - r.left, r.bottom - r.top};
  }

 private:
  HWND m_hWnd;
};

// A fresh fake, device and window per test; the last check is that no fake
// object is left.
class FakeD3DTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, FakeObjectsAlive());
    fake = new FakeD3D9(&log);
    device.fake = fake;
  }
  void TearDown() override {
    device.Destroy();
    fake->Release();
    EXPECT_EQ(0, FakeObjectsAlive());
  }

  // Creates the device on the window with the launcher's requirement (or
  // the one given); the fake device, or null on failure.
  FakeDevice* Create(CDX3DDeviceRequirement* requirement = nullptr) {
    DWORD error = 0;
    if (!device.Create(window.get(), window.get(), requirement != nullptr ? requirement : &launcher, &error)) {
      lastError = error;
      return nullptr;
    }
    return fake->m_pLastDevice;
  }

  FakeLog log;
  FakeD3D9* fake = nullptr;
  FakeBackedDevice device;
  DeviceWindow window;
  CAppDX3DDeviceRequirement launcher;
  DWORD lastError = 0;
};

inline std::wstring Wide(const CString& s) {
  int n = ::MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
  std::wstring out(n > 0 ? n - 1 : 0, L'\0');
  if (n > 1) ::MultiByteToWideChar(CP_ACP, 0, s, -1, &out[0], n);
  return out;
}
