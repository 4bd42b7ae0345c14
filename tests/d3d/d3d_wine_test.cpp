// The device check against Wine's real Direct3D 9 (Mesa underneath): a
// windowed HAL device on the launcher's main window, the message of each
// failure -- no usable combination (the "no3d" renderer, and a requirement
// nothing satisfies), no OpenGL on the X display (no Direct3D at all), a
// CreateDevice the runtime refuses -- and one passed check per run.
//
// Direct3D reads its renderer when a process starts, so the "no3d" row runs
// d3d_check_probe.exe in a process of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/launcher_app.h"
#include "d3d/launcher_device.h"
#include "res/resource.h"
#include "tests/d3d/runtime_answer.h"
#include "tests/support/dialogs_win.h"
#include "tests/support/test_app_win.h"

namespace {

using test_support::InitTestApp;
using test_support::SeenBox;

std::wstring DeviceMessage(const wchar_t* code) {
  return std::wstring(L"DirectX의 초기화를 할 수 없습니다. DirectX를 사용할 디바이스를 찾지 못했습니다.(") + code +
         L")";
}

// The launcher's main window, whose client size the device's own window takes.
class MainWindow {
 public:
  MainWindow() {
    InitTestApp();
    m_window.CreateEx(0, "STATIC", "Quorl", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr);
    GetLauncherApp()->m_pMainWnd = &m_window;
  }
  ~MainWindow() {
    GetLauncherApp()->m_pMainWnd = nullptr;
    m_window.DestroyWindow();
  }
  HWND get() const { return m_window.GetSafeHwnd(); }

 private:
  CWnd m_window;
};

// Asks for four back buffers, more than Direct3D 9 allows.
class FourBackBuffers : public CAppDX3DDeviceRequirement {
 public:
  void ModifyPresentParameters(IDirect3D9* d3d, const D3DCAPS9* caps, D3DPRESENT_PARAMETERS* pp) override {
    CAppDX3DDeviceRequirement::ModifyPresentParameters(d3d, caps, pp);
    pp->BackBufferCount = 4;
  }
};

TEST(RealDevice, AWindowedHalDeviceOnTheMainWindow) {
  MainWindow main;
  CQuorlDevice device;
  CAppDX3DDeviceRequirement requirement;
  DWORD error = 0;
  ASSERT_TRUE(device.Initialize(&requirement, &error)) << std::hex << error;
  EXPECT_EQ(0u, error);
  EXPECT_NE(nullptr, device.GetDevice());
  EXPECT_TRUE(device.IsWindowed());
  const DX3DDeviceRecord& r = device.GetWindowedRecord();
  ASSERT_TRUE(r.valid);
  EXPECT_EQ(D3DDEVTYPE_HAL, r.deviceType);
  // What the runtime says of the adapter decides the rest: the desktop's
  // format is the only one used in a window, and the caps choose the vertex
  // processing (the launcher's rule over whatever this Wine answers).
  IDirect3D9* d3d = device.GetDirect3D();
  ASSERT_NE(nullptr, d3d);
  D3DDISPLAYMODE desktop = {};
  ASSERT_TRUE(SUCCEEDED(d3d->GetAdapterDisplayMode(r.adapter, &desktop)));
  EXPECT_EQ(desktop.Format, r.format);
  D3DCAPS9 caps = {};
  ASSERT_TRUE(SUCCEEDED(d3d->GetDeviceCaps(r.adapter, r.deviceType, &caps)));
  const bool hardwareTnl = (caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) != 0;
  const bool launcherShaders = caps.VertexShaderVersion >= D3DVS_VERSION(1, 1) && caps.MaxVertexBlendMatrices >= 4;
  DWORD flags = D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_MULTITHREADED;
  if (hardwareTnl && !launcherShaders) flags = D3DCREATE_MIXED_VERTEXPROCESSING | D3DCREATE_MULTITHREADED;
  if (hardwareTnl && launcherShaders) {
    flags = D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_MULTITHREADED;
    if (caps.DevCaps & D3DDEVCAPS_PUREDEVICE) flags |= D3DCREATE_PUREDEVICE;
  }
  EXPECT_EQ(flags, r.behaviorFlags);
  EXPECT_NE(D3DFMT_UNKNOWN, r.depthFormat);
  EXPECT_GE(r.width, 800u);
  EXPECT_GE(r.height, 600u);
  // The device's own caps are the adapter's.
  EXPECT_EQ(caps.VertexShaderVersion, device.GetDeviceCaps().VertexShaderVersion);
  EXPECT_EQ(caps.PixelShaderVersion, device.GetDeviceCaps().PixelShaderVersion);
  EXPECT_EQ(caps.DevCaps, device.GetDeviceCaps().DevCaps);
  // The back buffer has the main window's client size (the device's own
  // window is hidden and as large).
  RECT client;
  ::GetClientRect(main.get(), &client);
  EXPECT_NE(main.get(), device.GetFocusWindow());
  EXPECT_FALSE(::IsWindowVisible(device.GetFocusWindow()));
  EXPECT_EQ(static_cast<UINT>(client.right), device.GetBackBufferDesc().Width);
  EXPECT_EQ(static_cast<UINT>(client.bottom), device.GetBackBufferDesc().Height);
  // A reset keeps it, and the render states go to the real device.
  EXPECT_TRUE(device.ResetDevice(FALSE));
  EXPECT_TRUE(device.ResetDevice(TRUE));
  device.Destroy();
  EXPECT_EQ(nullptr, device.GetDirect3D());
}

// The device never draws, and what the main window's view draws keeps
// reaching the screen once the device exists (under Wine a device on the
// window itself lays an OpenGL surface over the client area for the rest
// of the run, and the screen keeps whatever was last on it).
TEST(RealDevice, TheMainWindowsViewStillShows) {
  MainWindow main;
  RECT client;
  ::GetClientRect(main.get(), &client);
  // A child over the whole client area, as the launcher's frame holds its
  // screen.
  HWND view = ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, client.right, client.bottom, main.get(),
                                nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, view);
  ::SetWindowPos(main.get(), HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
  CQuorlDevice device;
  CAppDX3DDeviceRequirement requirement;
  DWORD error = 0;
  ASSERT_TRUE(device.Initialize(&requirement, &error)) << std::hex << error;
  ASSERT_NE(nullptr, device.GetCheckWindow());
  EXPECT_NE(main.get(), device.GetCheckWindow());
  EXPECT_FALSE(::IsWindowVisible(device.GetCheckWindow()));
  // As the settings dialog does with the device.
  ASSERT_TRUE(device.ResetDevice(FALSE));
  POINT centre = {client.right / 2, client.bottom / 2};
  ::ClientToScreen(main.get(), &centre);
  const COLORREF colours[2] = {RGB(0x20, 0x80, 0xC0), RGB(0xC0, 0x40, 0x20)};
  for (COLORREF colour : colours) {
    // The view paints its own face first; then ours goes over it.
    ::UpdateWindow(view);
    HDC dc = ::GetDC(view);
    HBRUSH brush = ::CreateSolidBrush(colour);
    ::FillRect(dc, &client, brush);
    ::DeleteObject(brush);
    ::ReleaseDC(view, dc);
    ::ValidateRect(view, nullptr);
    ::GdiFlush();
    COLORREF seen = CLR_INVALID;
    const DWORD start = ::GetTickCount();
    do {
      MSG msg;
      while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
      HDC screen = ::GetDC(nullptr);
      seen = ::GetPixel(screen, centre.x, centre.y);
      ::ReleaseDC(nullptr, screen);
      if (seen == colour) break;
      ::Sleep(20);
    } while (::GetTickCount() - start < 5000);
    EXPECT_EQ(colour, seen) << "the view's drawing does not reach the screen";
  }
  device.Destroy();
  ::DestroyWindow(view);
}

TEST(RealDevice, TheDialogsModeListComesFromTheScreen) {
  MainWindow main;
  CQuorlDevice device;
  CAppDX3DDeviceRequirement requirement;
  DWORD error = 0;
  ASSERT_TRUE(device.Initialize(&requirement, &error));
  CAppDX3DDeviceRequirement dialog;
  dialog.SetModeLimits();
  CApp3DDeviceInfoList list;
  ASSERT_GT(dialog.EnumerateModes(device, list), 0);
  int selected = 0;
  for (POSITION pos = list.GetHeadPosition(); pos != nullptr;) {
    const CApp3DDeviceInfo& info = list.GetNext(pos);
    EXPECT_GE(info.m_record.width, 800u);
    EXPECT_LE(info.m_record.width, 1920u);
    EXPECT_NE(D3DFMT_A2R10G10B10, info.m_record.format);
    CString name;
    info.GetDisplayName(name);
    EXPECT_FALSE(name.IsEmpty());
    selected += info.m_bSelected ? 1 : 0;
  }
  EXPECT_EQ(1, selected);
}

TEST(RealDevice, FourBackBuffersGiveCreateDevicesOwnCode) {
  MainWindow main;
  CQuorlDevice device;
  FourBackBuffers requirement;
  DWORD error = 0;
  EXPECT_FALSE(device.Initialize(&requirement, &error));
  EXPECT_EQ(nullptr, device.GetDirect3D());
  // The runtime's own answer to the same request is the code, shown as a
  // signed decimal.
  const DX3DDeviceRecord& r = device.GetWindowedRecord();
  ASSERT_TRUE(r.valid);
  IDirect3D9* d3d = d3d_test::RuntimeDirect3D();
  ASSERT_NE(nullptr, d3d);
  HWND window = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
  D3DPRESENT_PARAMETERS pp = device.GetPresentParameters();
  EXPECT_EQ(4u, pp.BackBufferCount);
  pp.hDeviceWindow = window;
  IDirect3DDevice9* created = nullptr;
  const HRESULT asked = d3d->CreateDevice(r.adapter, r.deviceType, window, r.behaviorFlags, &pp, &created);
  if (created != nullptr) created->Release();
  d3d->Release();
  ::DestroyWindow(window);
  ASSERT_TRUE(FAILED(asked)) << "the runtime takes four back buffers";
  EXPECT_EQ(static_cast<DWORD>(asked), error);
  CString text;
  FormatDeviceCheckError(error, text);
  EXPECT_EQ(DeviceMessage(std::to_wstring(static_cast<long>(asked)).c_str()), test_support::WidenAnsi(text));
}

TEST(DeviceCheckMessages, CodesShowAsSignedDecimals) {
  InitTestApp();
  const struct {
    DWORD code;
    const wchar_t* shown;
  } rows[] = {{0x82000001, L"-2113929215"},
              {0x82000003, L"-2113929213"},
              {0x82000004, L"-2113929212"},
              {static_cast<DWORD>(D3DERR_NOTAVAILABLE), L"-2005530518"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.code);
    CString text;
    FormatDeviceCheckError(row.code, text);
    EXPECT_EQ(DeviceMessage(row.shown), test_support::WidenAnsi(text));
  }
  // A failure without a code asks for a newer DirectX.
  CString text;
  FormatDeviceCheckError(0, text);
  EXPECT_EQ(L"DirectX의 초기화를 할 수 없습니다. DirectX9.0c이후의 버전을 설치해 주세요",
            test_support::WidenAnsi(text));
}

TEST(DeviceCheck, AFailureIsReportedThenTheCheckPassesOncePerRun) {
  MainWindow main;
  CQuorlLauncherApp* app = GetLauncherApp();
  ASSERT_FALSE(app->IsDeviceInitialized());

  // No mode is large enough: no usable combination.
  CAppDX3DDeviceRequirement& requirement = app->GetDeviceRequirement();
  requirement.m_nMinWidth = 100000;
  SeenBox box;
  {
    test_support::OkOnFirstBox ok(::GetCurrentThreadId(), &box);
    EXPECT_FALSE(app->InitDeviceOrReport());
  }
  ASSERT_TRUE(box.seen);
  EXPECT_EQ(DeviceMessage(L"-2113929213"), box.text);
  EXPECT_EQ(L"Quorl", box.caption);
  EXPECT_FALSE(app->IsDeviceInitialized());
  EXPECT_EQ(nullptr, app->GetDevice().GetDirect3D());

  // A failed check is tried again; a passed one is not.
  requirement.m_nMinWidth = 800;
  CString text;
  ASSERT_TRUE(app->InitDevice(text)) << test_support::WidenAnsi(text).size();
  EXPECT_TRUE(text.IsEmpty());
  EXPECT_TRUE(app->IsDeviceInitialized());
  IDirect3DDevice9* created = app->GetDevice().GetDevice();
  ASSERT_NE(nullptr, created);
  // Even a requirement nothing could satisfy now changes nothing: no second
  // Direct3D is made.
  requirement.m_nMinWidth = 100000;
  EXPECT_TRUE(app->InitDevice(text));
  EXPECT_TRUE(app->InitDeviceOrReport());
  EXPECT_EQ(created, app->GetDevice().GetDevice());
  requirement.m_nMinWidth = 800;
}

// --- Rows in a process of their own ---

std::string ModuleFolder() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path);
  return s.substr(0, s.find_last_of('\\') + 1);
}

std::string TempFile(const char* name) {
  char dir[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, dir);
  return std::string(dir) + name;
}

struct ProbeResult {
  bool ran = false;
  d3d_test::RuntimeAnswer runtime;  // what the runtime answered in the probe
  bool ok = false;
  std::wstring text;
};

// The check's message that the runtime's answer calls for: no Direct3D at
// all, or one without a device type for the desktop; empty when the runtime
// offers a device (the check's outcome then depends on more than this).
std::wstring FailureFor(const d3d_test::RuntimeAnswer& runtime) {
  if (!runtime.direct3d) return DeviceMessage(L"-2113929215");
  if (runtime.deviceTypes == 0) return DeviceMessage(L"-2113929213");
  return std::wstring();
}

// Runs the probe program at exe and reads what it wrote.
ProbeResult RunProbe(const std::string& exe) {
  ProbeResult result;
  const std::string out = TempFile("quorl_d3d_probe.txt");
  ::DeleteFileA(out.c_str());
  std::string cmd = "\"" + exe + "\" \"" + out + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!::CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return result;
  if (::WaitForSingleObject(pi.hProcess, 60000) != WAIT_OBJECT_0) ::TerminateProcess(pi.hProcess, 1);
  DWORD code = 1;
  ::GetExitCodeProcess(pi.hProcess, &code);
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  std::FILE* f = std::fopen(out.c_str(), "rb");
  if (code != 0 || f == nullptr) {
    if (f != nullptr) std::fclose(f);
    return result;
  }
  std::string bytes;
  char buf[512];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
  std::fclose(f);
  ::DeleteFileA(out.c_str());
  int direct3d = 0, types = 0;
  const size_t eol = bytes.find('\n');
  if (eol == std::string::npos || std::sscanf(bytes.c_str(), "d3d=%d types=%d", &direct3d, &types) != 2) return result;
  result.runtime.direct3d = direct3d != 0;
  result.runtime.deviceTypes = types;
  bytes.erase(0, eol + 1);
  result.ran = true;
  result.ok = bytes.compare(0, 2, "1\n") == 0;
  result.text = test_support::WidenAnsi(bytes.size() > 2 ? bytes.c_str() + 2 : "");
  return result;
}

TEST(DeviceCheckProcess, PassesWithMesa) {
  ProbeResult r = RunProbe(ModuleFolder() + "d3d_check_probe.exe");
  ASSERT_TRUE(r.ran);
  ASSERT_EQ(L"", FailureFor(r.runtime)) << "the runtime offers no device on this display";
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(L"", r.text);
}

// Wine's "no3d" renderer, for this one program name only, so that other
// tests running meanwhile keep their renderer.
TEST(DeviceCheckProcess, TheNo3dRendererFindsNoUsableCombination) {
  const std::string name = "quorl_no3d_probe.exe";
  const std::string exe = TempFile(name.c_str());
  ASSERT_TRUE(::CopyFileA((ModuleFolder() + "d3d_check_probe.exe").c_str(), exe.c_str(), FALSE));
  const std::string appKey = "Software\\Wine\\AppDefaults\\" + name;
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, (appKey + "\\Direct3D").c_str(), 0, nullptr, 0,
                                             KEY_WRITE, nullptr, &key, nullptr));
  ::RegSetValueExA(key, "renderer", 0, REG_SZ, reinterpret_cast<const BYTE*>("no3d"), 5);
  ::RegCloseKey(key);
  ProbeResult r = RunProbe(exe);
  ::RegDeleteKeyA(HKEY_CURRENT_USER, (appKey + "\\Direct3D").c_str());
  ::RegDeleteKeyA(HKEY_CURRENT_USER, appKey.c_str());
  ::DeleteFileA(exe.c_str());
  ASSERT_TRUE(r.ran);
  const std::wstring expected = FailureFor(r.runtime);
  if (expected.empty()) GTEST_SKIP() << "this runtime offers a device with the no3d renderer";
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(expected, r.text);
}

// An X display without GLX: Direct3D has nothing to stand on.  The
// whole program runs on such a display for this row (ctest's
// d3d_wine_noglx_test, through tools/with-noglx-display.sh): Wine opens the
// display a process starts with.
TEST(DeviceCheckWithoutGlx, NoOpenGLOnTheDisplayMeansNoDirect3D) {
  const char* display = std::getenv("QUORL_NOGLX_DISPLAY");
  if (display == nullptr || *display == '\0')
    GTEST_SKIP() << "not on a display without GLX (tools/with-noglx-display.sh)";
  // Wine's Direct3D stands on OpenGL: asked here, the runtime gives no
  // object, or one without a device type (either is a failed check).
  const std::wstring expected = FailureFor(d3d_test::AskRuntime());
  if (expected.empty()) GTEST_SKIP() << "this runtime offers a device without GLX";
  MainWindow main;
  CQuorlLauncherApp* app = GetLauncherApp();
  CString text;
  EXPECT_FALSE(app->InitDevice(text));
  EXPECT_EQ(expected, test_support::WidenAnsi(text));
  EXPECT_FALSE(app->IsDeviceInitialized());
  SeenBox box;
  {
    test_support::OkOnFirstBox ok(::GetCurrentThreadId(), &box);
    EXPECT_FALSE(app->InitDeviceOrReport());
  }
  EXPECT_EQ(expected, box.text);
}

}  // namespace
