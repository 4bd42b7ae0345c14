// The settings dialog's timings over Wine's Direct3D: opening to the first
// paint of the first tab's page (the device already made) against a bare
// modal dialog of the same template that makes and shows the same five page
// templates; and, printed only, the first opening of a fresh process with
// the device's creation, the mode enumeration alone, and OK to the dialog's
// end with the number of registry writes it made.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "d3d/launcher_device.h"
#include "res/resource.h"
#include "settings/env_settings_win.h"
#include "tests/settings/env_dialog_fixture.h"

namespace {

double NowMs() {
  LARGE_INTEGER f, c;
  ::QueryPerformanceFrequency(&f);
  ::QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n == 0 ? 0.0 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}

// --- Registry writes, counted at this program's own imports ---

LONG(WINAPI* g_realSetValue)(HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD) = nullptr;
int g_writes = 0;

LONG WINAPI CountingSetValue(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size) {
  ++g_writes;
  return g_realSetValue(key, name, reserved, type, data, size);
}

// Points the program's import of RegSetValueExA at the counter.
bool CountRegistryWrites() {
  auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleA(nullptr));
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (dir.VirtualAddress == 0) return false;
  FARPROC real = ::GetProcAddress(::GetModuleHandleA("advapi32.dll"), "RegSetValueExA");
  for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name != 0; ++imp) {
    for (auto* thunk = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk); thunk->u1.Function != 0; ++thunk) {
      if (reinterpret_cast<FARPROC>(thunk->u1.Function) != real) continue;
      DWORD old = 0;
      ::VirtualProtect(&thunk->u1.Function, sizeof thunk->u1.Function, PAGE_READWRITE, &old);
      g_realSetValue = reinterpret_cast<decltype(g_realSetValue)>(real);
      thunk->u1.Function = reinterpret_cast<ULONG_PTR>(&CountingSetValue);
      ::VirtualProtect(&thunk->u1.Function, sizeof thunk->u1.Function, old, &old);
      return true;
    }
  }
  return false;
}

// --- The first paint of the first tab's page ---

// The page that shows the display-mode combo (template 154), subclassed
// when it is made, and what to do once its first WM_PAINT has ended.
HWND g_page = nullptr;
WNDPROC g_pageProc = nullptr;
double g_painted = 0;
UINT g_closeWith = IDCANCEL;

LRESULT CALLBACK PageProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT r = ::CallWindowProcA(g_pageProc, wnd, message, wParam, lParam);
  if (message == WM_PAINT && g_painted == 0) {
    g_painted = NowMs();
    ::PostMessageA(::GetParent(wnd), WM_COMMAND, g_closeWith, 0);
  }
  return r;
}

LRESULT CALLBACK WatchPages(int code, WPARAM wParam, LPARAM lParam) {
  const auto* msg = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  if (code == HC_ACTION && msg->message == WM_INITDIALOG && g_page == nullptr &&
      ::GetDlgItem(msg->hwnd, IDC_ENV_DISPLAY_MODE) != nullptr) {
    g_page = msg->hwnd;
    g_pageProc =
        reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(msg->hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PageProc)));
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// Runs one opening; answers the milliseconds from the start to the end of
// the page's first paint (and the time the dialog took to go after it).
template <typename Open>
double TimeToFirstPaint(Open&& open, UINT closeWith, double* toGone = nullptr) {
  g_page = nullptr;
  g_painted = 0;
  g_closeWith = closeWith;
  HHOOK hook = ::SetWindowsHookExA(WH_CALLWNDPROCRET, &WatchPages, nullptr, ::GetCurrentThreadId());
  const double start = NowMs();
  open();
  const double end = NowMs();
  ::UnhookWindowsHookEx(hook);
  if (toGone != nullptr) *toGone = end - g_painted;
  return g_painted > 0 ? g_painted - start : -1;
}

// The bare dialog: template 150 with the five page templates made and the
// first shown, nothing else.
INT_PTR CALLBACK NoPageProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

INT_PTR CALLBACK BareDialogProc(HWND wnd, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    const UINT pages[] = {IDD_ENV_GLOBAL_PAGE, IDD_ENV_GRAPHICS_PAGE, IDD_ENV_SEA_PAGE, IDD_ENV_DETAIL_PAGE,
                          IDD_ENV_NETWORK_PAGE};
    for (UINT id : pages) {
      HWND page = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), wnd, &NoPageProc, 0);
      if (page != nullptr && id == IDD_ENV_GLOBAL_PAGE) ::ShowWindow(page, SW_SHOW);
    }
    return TRUE;
  }
  if (message == WM_COMMAND && (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK)) {
    ::EndDialog(wnd, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

// The host of the launcher: the device made once per run.
class BenchHost : public TestEnvHost {
 public:
  BenchHost() { device.real = true; }
  BOOL InitDevice(CString& errorText) override {
    if (made) return TRUE;
    made = TestEnvHost::InitDevice(errorText) != FALSE;
    return made ? TRUE : FALSE;
  }
  bool made = false;
};

double OpenSettings(BenchHost& host, UINT closeWith, double* toGone = nullptr) {
  return TimeToFirstPaint(
      [&] {
        TestEnvDialog dialog(host, FALSE, nullptr);
        dialog.DoModal();
      },
      closeWith, toGone);
}

}  // namespace

int main(int argc, char** argv) {
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  SettingsTestApp();
  DeleteTestProfile();
  BenchHost host;

  if (argc > 1 && std::strcmp(argv[1], "--first") == 0) {
    // A fresh process: the opening makes the device.
    std::printf("%.1f\n", OpenSettings(host, IDCANCEL));
    DeleteTestProfile();
    return 0;
  }

  constexpr int kRuns = 11;  // the first is discarded
  std::vector<double> settings, bare;
  for (int i = 0; i < kRuns; ++i) {
    const double s = OpenSettings(host, IDCANCEL);
    const double b = TimeToFirstPaint(
        [] {
          ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ENV_DIALOG), nullptr, &BareDialogProc, 0);
        },
        IDCANCEL);
    if (s < 0 || b < 0) {
      std::printf("settings dialog bench: no first paint seen\n");
      return 1;
    }
    if (i == 0) continue;
    settings.push_back(s);
    bare.push_back(b);
  }
  const double ms = Median(settings), bareMs = Median(bare);
  std::printf("open to first paint of tab 0 (device made): %.1f ms median of %zu; bare dialog %.1f ms; ratio %.2f\n",
              ms, settings.size(), bareMs, bareMs > 0 ? ms / bareMs : 0.0);

  // Of which the settings load each opening runs (the sound test, the
  // video memory, every section read).
  std::vector<double> loads;
  for (int i = 0; i < kRuns; ++i) {
    const double t0 = NowMs();
    LoadEnvSettingsFromProfile(*AfxGetApp(), AfxGetMainWnd()->GetSafeHwnd(), host.settingsDevice);
    if (i > 0) loads.push_back(NowMs() - t0);
  }
  std::printf("  of which the settings load: %.1f ms median of %zu\n", Median(loads), loads.size());

  // The first opening of a fresh process, device included.
  char self[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, self, sizeof self);
  std::vector<double> first;
  for (int i = 0; i < 4; ++i) {
    std::string cmd = std::string("\"") + self + "\" --first";
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ::CreatePipe(&readEnd, &writeEnd, &sa, 0);
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) break;
    ::CloseHandle(writeEnd);
    std::string out;
    char buf[256];
    DWORD got = 0;
    while (::ReadFile(readEnd, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    ::WaitForSingleObject(pi.hProcess, 60000);
    ::CloseHandle(pi.hProcess);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(readEnd);
    if (i > 0) first.push_back(std::atof(out.c_str()));
  }
  std::printf("first opening in a fresh process, device made: %.1f ms median of %zu\n", Median(first), first.size());

  // The mode list alone, as the global page fills it.
  std::vector<double> modes;
  size_t count = 0;
  for (int i = 0; i < kRuns; ++i) {
    CAppDX3DDeviceRequirement requirement;
    requirement.SetModeLimits();
    CApp3DDeviceInfoList list;
    const double t0 = NowMs();
    count = static_cast<size_t>(requirement.EnumerateModes(host.GetDevice(), list));
    if (i > 0) modes.push_back(NowMs() - t0);
  }
  std::printf("EnumerateModes: %.3f ms median of %zu (%zu modes)\n", Median(modes), modes.size(), count);

  // OK: from the command to the dialog's end, with the writes it made.
  if (!CountRegistryWrites()) std::printf("(registry writes not counted: no import of RegSetValueExA)\n");
  std::vector<double> ok;
  int writes = 0;
  for (int i = 0; i < kRuns; ++i) {
    DeleteTestProfile();
    g_writes = 0;
    double toGone = 0;
    OpenSettings(host, IDOK, &toGone);
    writes = g_writes;
    if (i > 0) ok.push_back(toGone);
  }
  std::printf("OK to dialog gone: %.1f ms median of %zu, %d registry writes\n", Median(ok), ok.size(), writes);
  DeleteTestProfile();
  ::CoUninitialize();
  return 0;
}
