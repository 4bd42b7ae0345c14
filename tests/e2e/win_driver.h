// A small driver for end-to-end tests: stages an installation of the
// launcher in a fresh folder, starts it as a user would, finds its windows
// and message boxes, reads what they show and presses their buttons.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

// Unix path of the build (as CMake knows it) to a Windows path on drive Z:.
std::string ToWindowsPath(const std::string& unixPath);
std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& text);  // to UTF-8

// A fresh, empty folder under the temporary folder; removed by the destructor.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& Path() const { return m_path; }  // with a trailing backslash
  std::string File(const std::string& name) const { return m_path + name; }

 private:
  std::string m_path;
};

bool CopyInto(const std::string& from, const std::string& toFolder, const std::string& name);
bool WriteFileBytes(const std::string& path, const std::string& bytes);

// A started program; the destructor kills it when it still runs.
class Process {
 public:
  Process() = default;
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  bool Start(const std::string& exe, const std::string& args, const std::string& workDir);
  // The exit code, or -1 when it did not end in time.
  int Wait(DWORD timeoutMs);
  bool Running() const;
  DWORD Pid() const { return m_pi.dwProcessId; }
  void Kill();

 private:
  PROCESS_INFORMATION m_pi = {};
};

// The first visible top-level window of the process with that class (null:
// any class), waited for up to timeoutMs.
HWND WaitForWindow(DWORD pid, const char* className, DWORD timeoutMs);
// The same, for a window that also has a child control with that id.
HWND WaitForWindowWith(DWORD pid, const char* className, int controlId, DWORD timeoutMs);
// Waits until pred(hwnd) holds or the time runs out.
template <typename Pred>
bool WaitUntil(Pred pred, DWORD timeoutMs) {
  DWORD start = ::GetTickCount();
  for (;;) {
    if (pred()) return true;
    if (::GetTickCount() - start >= timeoutMs) return false;
    ::Sleep(20);
  }
}

// A message box's text (its static control), as UTF-8.
std::string MessageBoxText(HWND box);
std::string WindowTextUtf8(HWND wnd);
// The icon a message box shows, told by its pixels (the box belongs to
// another process, whose icon handles mean nothing here): drawn again here
// from the system's icons over the box's own background and compared.
enum class BoxIcon { kNone, kError, kWarning, kInformation, kQuestion, kOther };
BoxIcon MessageBoxIcon(HWND box);
const char* BoxIconName(BoxIcon icon);

// Presses a dialog button by id, as a click would.
void PressButton(HWND dialog, int id);

// Real mouse input through the system's input queue (SendInput), as a user's
// mouse makes it: the window under the pointer gets the messages.
// MoveMouseTo moves the pointer to a screen point and answers whether it is
// there; MouseLeftButton presses (true) or releases (false) where it is.
bool MoveMouseTo(int x, int y);
bool MouseLeftButton(bool down);

// The window's client area as 0x00RRGGBB pixels, read from the screen.
struct Capture {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
bool CaptureClient(HWND wnd, Capture* out);
// Saves a capture as a 24-bit BMP.
bool SaveBmp(const Capture& capture, const std::string& path);

}  // namespace e2e
