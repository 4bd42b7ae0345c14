// The settings dialog's timings over Wine's Direct3D: opening to the first
// paint of the first tab's page (the device already made) against a bare
// modal dialog of the same template that makes and shows the same five page
// templates, with the goal for their ratio; where the opening's time goes
// (the settings load alone and its parts, and what of it the opening still
// waits for; the video memory's first measurement, which makes the
// DirectDraw object the later ones ask again); and, printed only, the first
// opening of a fresh process with the device's creation, the mode
// enumeration alone, and OK to the dialog's end with the number of registry
// writes it made.  A player has a sound
// device: make bench gives this program ALSA's null device, as the tests
// have it, so that the sound test does its real work.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "d3d/launcher_device.h"
#include "res/resource.h"
#include "settings/env_settings_win.h"
#include "settings/sound_setting.h"
#include "settings/video_memory.h"
#include "tests/settings/env_dialog_fixture.h"
#include "tests/support/bench_clock.h"

namespace {

using test_support::BenchNowNs;
using test_support::FormatMs;
using test_support::FormatRatio;
using test_support::MedianNs;

// The opening's goal: at most 1.5 times the bare dialog, as medians.
constexpr int64_t kGoalPercent = 150;

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
// once it is made, and what to do once its first WM_PAINT has ended.  No
// message hook watches for it: a hook costs Wine a server round trip for
// every message sent, which would charge each dialog by the number of its
// messages rather than by its work.
HWND g_page = nullptr;
WNDPROC g_pageProc = nullptr;
int64_t g_painted = 0;
UINT g_closeWith = IDCANCEL;

LRESULT CALLBACK PageProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT r = ::CallWindowProcA(g_pageProc, wnd, message, wParam, lParam);
  if (message == WM_PAINT && g_painted == 0) {
    g_painted = BenchNowNs();
    ::PostMessageA(::GetParent(wnd), WM_COMMAND, g_closeWith, 0);
  }
  return r;
}

BOOL CALLBACK FindModePage(HWND child, LPARAM) {
  if (::GetDlgItem(child, IDC_ENV_DISPLAY_MODE) == nullptr) return TRUE;
  g_page = child;
  return FALSE;
}

// Subclasses the page of a dialog whose pages are made (before it shows).
void WatchModePage(HWND dialog) {
  if (g_page != nullptr) return;
  ::EnumChildWindows(dialog, &FindModePage, 0);
  if (g_page == nullptr) return;
  g_pageProc =
      reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(g_page, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PageProc)));
}

// Runs one opening; answers the nanoseconds from the start to the end of
// the page's first paint, -1 when there was none (and the time the dialog
// took to go after it).
template <typename Open>
int64_t TimeToFirstPaint(Open&& open, UINT closeWith, int64_t* toGone = nullptr) {
  g_page = nullptr;
  g_painted = 0;
  g_closeWith = closeWith;
  const int64_t start = BenchNowNs();
  open();
  const int64_t end = BenchNowNs();
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
    WatchModePage(wnd);
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

// The dialog with the time its opening spent in the settings load: what
// of the load the opening still waits for.
class BenchDialog : public TestEnvDialog {
 public:
  using TestEnvDialog::TestEnvDialog;
  int64_t loadNs = -1;

 protected:
  BOOL OnInitDialog() override {
    const BOOL r = TestEnvDialog::OnInitDialog();
    WatchModePage(m_hWnd);
    return r;
  }
  void LoadEnvSettings() override {
    const int64_t t0 = BenchNowNs();
    TestEnvDialog::LoadEnvSettings();
    loadNs = BenchNowNs() - t0;
  }
};

int64_t OpenSettings(BenchHost& host, UINT closeWith, int64_t* toGone = nullptr, int64_t* loadNs = nullptr) {
  return TimeToFirstPaint(
      [&] {
        BenchDialog dialog(host, FALSE, nullptr);
        dialog.DoModal();
        if (loadNs != nullptr) *loadNs = dialog.loadNs;
      },
      closeWith, toGone);
}

// The median of a figure that ran `runs` times, the first not counted.
template <typename Run>
int64_t MedianOfRuns(int runs, Run&& run) {
  std::vector<int64_t> v;
  for (int i = 0; i < runs; ++i) {
    const int64_t t0 = BenchNowNs();
    run();
    if (i > 0) v.push_back(BenchNowNs() - t0);
  }
  return MedianNs(v);
}

}  // namespace

int main(int argc, char** argv) {
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  SettingsTestApp();
  DeleteTestProfile();
  BenchHost host;

  if (argc > 1 && std::strcmp(argv[1], "--first") == 0) {
    // A fresh process: the opening makes the device.
    std::printf("%lld\n", static_cast<long long>(OpenSettings(host, IDCANCEL)));
    DeleteTestProfile();
    return 0;
  }

  // The openings and the bare dialogs alternate, so that both see the same
  // machine.
  constexpr int kRuns = 21;  // the first is discarded
  std::vector<int64_t> settings, bare, waits;
  for (int i = 0; i < kRuns; ++i) {
    int64_t wait = -1;
    const int64_t s = OpenSettings(host, IDCANCEL, nullptr, &wait);
    const int64_t b = TimeToFirstPaint(
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
    waits.push_back(wait);
  }
  const bool sound = GetSoundSetting().GetBgmAvailable() != 0;
  const int64_t ms = MedianNs(settings), bareMs = MedianNs(bare);
  std::printf(
      "settings dialog, open to first paint of tab 0 (device made, %s): %s ms median of %zu; anchor: the bare "
      "dialog of the same templates %s ms; ratio %s (goal <= %s)%s\n",
      sound ? "with a sound device" : "NO sound device", FormatMs(ms).c_str(), settings.size(),
      FormatMs(bareMs).c_str(), FormatRatio(ms, bareMs).c_str(), FormatRatio(kGoalPercent, 100).c_str(),
      ms * 100 <= bareMs * kGoalPercent ? "" : ": goal missed");

  // Where the time goes: the load as one call (what every opening used to
  // wait for), its parts, and what of it the opening still waits for (the
  // end of the measurements begun with the dialog, then the rest on the
  // dialog's thread).
  HWND mainWnd = AfxGetMainWnd()->GetSafeHwnd();
  const int64_t load =
      MedianOfRuns(kRuns, [&] { LoadEnvSettingsFromProfile(*AfxGetApp(), mainWnd, host.settingsDevice); });
  const int64_t soundTest = MedianOfRuns(kRuns, [&] { IsSoundAvailable(mainWnd); });
  const int64_t memory = MedianOfRuns(kRuns, [] { GetVideoMemoryMB(); });
  const int64_t freshMemory = MedianOfRuns(kRuns, [] {
    ReleaseVideoMemoryProbe();
    GetVideoMemoryMB();
  });
  std::printf(
      "  the settings load alone: %s ms median of %d (the sound test %s ms, the video memory %s ms, on a thread of "
      "their own while the dialog builds its pages); left in the opening: %s ms median (the wait for them and the "
      "rest of the load on the dialog's thread)\n",
      FormatMs(load).c_str(), kRuns - 1, FormatMs(soundTest).c_str(), FormatMs(memory).c_str(),
      FormatMs(MedianNs(waits)).c_str());
  std::printf(
      "  the video memory with a new DirectDraw object: %s ms median of %d (the first measurement of a process; the "
      "later ones ask the object it kept)\n",
      FormatMs(freshMemory).c_str(), kRuns - 1);

  // The first opening of a fresh process, device included.
  char self[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, self, sizeof self);
  std::vector<int64_t> first;
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
    if (i > 0) first.push_back(std::atoll(out.c_str()));
  }
  std::printf("first opening in a fresh process, device made: %s ms median of %zu\n", FormatMs(MedianNs(first)).c_str(),
              first.size());

  // The mode list alone, as the global page fills it.
  std::vector<int64_t> modes;
  size_t count = 0;
  for (int i = 0; i < kRuns; ++i) {
    CAppDX3DDeviceRequirement requirement;
    requirement.SetModeLimits();
    CApp3DDeviceInfoList list;
    const int64_t t0 = BenchNowNs();
    count = static_cast<size_t>(requirement.EnumerateModes(host.GetDevice(), list));
    if (i > 0) modes.push_back(BenchNowNs() - t0);
  }
  std::printf("EnumerateModes: %s ms median of %zu (%zu modes)\n", FormatMs(MedianNs(modes)).c_str(), modes.size(),
              count);

  // OK: from the command to the dialog's end, with the writes it made.
  if (!CountRegistryWrites()) std::printf("(registry writes not counted: no import of RegSetValueExA)\n");
  std::vector<int64_t> ok;
  int writes = 0;
  for (int i = 0; i < kRuns; ++i) {
    DeleteTestProfile();
    g_writes = 0;
    int64_t toGone = 0;
    OpenSettings(host, IDOK, &toGone);
    writes = g_writes;
    if (i > 0) ok.push_back(toGone);
  }
  std::printf("OK to dialog gone: %s ms median of %zu, %d registry writes\n", FormatMs(MedianNs(ok)).c_str(), ok.size(),
              writes);
  DeleteTestProfile();
  ::CoUninitialize();
  return 0;
}
