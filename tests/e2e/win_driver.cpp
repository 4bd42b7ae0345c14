#include "tests/e2e/win_driver.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdio>

namespace e2e {

std::string ToWindowsPath(const std::string& unixPath) {
  if (unixPath.size() > 1 && unixPath[1] == ':') return unixPath;
  std::string out = "Z:";
  for (char c : unixPath) out += c == '/' ? '\\' : c;
  return out;
}

std::wstring Widen(const std::string& utf8) {
  int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(n, L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &out[0], n);
  return out;
}

std::string Narrow(const std::wstring& text) {
  int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n, '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

TempFolder::TempFolder() {
  char base[MAX_PATH];
  ::GetTempPathA(MAX_PATH, base);
  static unsigned counter = 0;
  for (;;) {
    char name[MAX_PATH];
    std::snprintf(name, sizeof(name), "%squorl-e2e-%lu-%u\\", base, ::GetCurrentProcessId(), ++counter);
    if (::CreateDirectoryA(name, nullptr)) {
      m_path = name;
      break;
    }
  }
}

TempFolder::~TempFolder() {
  // Double NUL-terminated list for the shell's recursive delete.
  std::string from = m_path.substr(0, m_path.size() - 1);
  from.push_back('\0');
  from.push_back('\0');
  SHFILEOPSTRUCTA op = {};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
  ::SHFileOperationA(&op);
}

bool CopyInto(const std::string& from, const std::string& toFolder, const std::string& name) {
  return ::CopyFileA(from.c_str(), (toFolder + name).c_str(), FALSE) != 0;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  HANDLE f = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok =
      ::WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
  ::CloseHandle(f);
  return ok;
}

Process::~Process() {
  Kill();
  if (m_pi.hProcess) ::CloseHandle(m_pi.hProcess);
  if (m_pi.hThread) ::CloseHandle(m_pi.hThread);
}

bool Process::Start(const std::string& exe, const std::string& args, const std::string& workDir) {
  std::string cmd = "\"" + exe + "\"";
  if (!args.empty()) cmd += " " + args;
  STARTUPINFOA si = {};
  si.cb = sizeof(si);
  return ::CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                          workDir.empty() ? nullptr : workDir.c_str(), &si, &m_pi) != 0;
}

int Process::Wait(DWORD timeoutMs) {
  if (!m_pi.hProcess || ::WaitForSingleObject(m_pi.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  ::GetExitCodeProcess(m_pi.hProcess, &code);
  return static_cast<int>(code);
}

bool Process::Running() const { return m_pi.hProcess && ::WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT; }

void Process::Kill() {
  if (Running()) {
    ::TerminateProcess(m_pi.hProcess, 99);
    ::WaitForSingleObject(m_pi.hProcess, 5000);
  }
}

namespace {
struct FindState {
  DWORD pid;
  const char* className;
  int controlId;  // 0: any window
  HWND found;
};

BOOL CALLBACK FindProc(HWND wnd, LPARAM param) {
  auto* st = reinterpret_cast<FindState*>(param);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(wnd, &pid);
  if (pid != st->pid || !::IsWindowVisible(wnd)) return TRUE;
  if (st->className) {
    char cls[256] = {};
    ::GetClassNameA(wnd, cls, sizeof(cls));
    if (lstrcmpiA(cls, st->className) != 0) return TRUE;
  }
  if (st->controlId != 0 && ::GetDlgItem(wnd, st->controlId) == nullptr) return TRUE;
  st->found = wnd;
  return FALSE;
}
}  // namespace

HWND WaitForWindow(DWORD pid, const char* className, DWORD timeoutMs) {
  return WaitForWindowWith(pid, className, 0, timeoutMs);
}

HWND WaitForWindowWith(DWORD pid, const char* className, int controlId, DWORD timeoutMs) {
  FindState st = {pid, className, controlId, nullptr};
  WaitUntil(
      [&] {
        st.found = nullptr;
        ::EnumWindows(FindProc, reinterpret_cast<LPARAM>(&st));
        return st.found != nullptr;
      },
      timeoutMs);
  return st.found;
}

std::string WindowTextUtf8(HWND wnd) {
  wchar_t buf[4096] = {};
  ::GetWindowTextW(wnd, buf, 4096);
  return Narrow(buf);
}

std::string MessageBoxText(HWND box) {
  HWND text = ::GetDlgItem(box, 0xFFFF);
  return text ? WindowTextUtf8(text) : std::string();
}

namespace {

BOOL CALLBACK FindIconStatic(HWND wnd, LPARAM param) {
  char cls[32] = {};
  ::GetClassNameA(wnd, cls, sizeof(cls));
  if (lstrcmpiA(cls, "Static") == 0 && (::GetWindowLongA(wnd, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
      ::IsWindowVisible(wnd)) {
    *reinterpret_cast<HWND*>(param) = wnd;
    return FALSE;
  }
  return TRUE;
}

// The system icon drawn at the top left of a w x h area of background bg.
std::vector<uint32_t> DrawSystemIcon(LPCSTR id, int w, int h, uint32_t bg) {
  std::vector<uint32_t> out;
  HDC screen = ::GetDC(nullptr);
  HDC mem = ::CreateCompatibleDC(screen);
  BITMAPINFO bmi = {};
  bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
  bmi.bmiHeader.biWidth = w;
  bmi.bmiHeader.biHeight = -h;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP dib = ::CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dib) {
    uint32_t* p = static_cast<uint32_t*>(bits);
    std::fill(p, p + static_cast<size_t>(w) * h, bg);
    HGDIOBJ old = ::SelectObject(mem, dib);
    ::DrawIconEx(mem, 0, 0, ::LoadIconA(nullptr, id), 0, 0, 0, nullptr, DI_NORMAL);
    ::GdiFlush();
    ::SelectObject(mem, old);
    out.assign(p, p + static_cast<size_t>(w) * h);
    for (uint32_t& px : out) px &= 0xFFFFFF;
    ::DeleteObject(dib);
  }
  ::DeleteDC(mem);
  ::ReleaseDC(nullptr, screen);
  return out;
}

}  // namespace

BoxIcon MessageBoxIcon(HWND box) {
  HWND icon = nullptr;
  ::EnumChildWindows(box, &FindIconStatic, reinterpret_cast<LPARAM>(&icon));
  if (!icon) return BoxIcon::kNone;
  Capture shot;
  if (!CaptureClient(icon, &shot)) return BoxIcon::kNone;  // a control of no size shows nothing
  const uint32_t bg = shot.pixels[0];
  if (std::all_of(shot.pixels.begin(), shot.pixels.end(), [bg](uint32_t px) { return px == bg; }))
    return BoxIcon::kNone;
  const struct {
    LPCSTR id;
    BoxIcon kind;
  } kinds[] = {{IDI_HAND, BoxIcon::kError},
               {IDI_EXCLAMATION, BoxIcon::kWarning},
               {IDI_ASTERISK, BoxIcon::kInformation},
               {IDI_QUESTION, BoxIcon::kQuestion}};
  for (const auto& k : kinds) {
    if (DrawSystemIcon(k.id, shot.width, shot.height, bg) == shot.pixels) return k.kind;
  }
  return BoxIcon::kOther;
}

const char* BoxIconName(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::kNone:
      return "no icon";
    case BoxIcon::kError:
      return "error";
    case BoxIcon::kWarning:
      return "warning";
    case BoxIcon::kInformation:
      return "information";
    case BoxIcon::kQuestion:
      return "question";
    default:
      return "another icon";
  }
}

void PressButton(HWND dialog, int id) {
  ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

bool MoveMouseTo(int x, int y) {
  // Absolute input is in 1/65536 of the primary screen, and the pixel is
  // that fraction of the screen rounded down: round the fraction up.
  const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
  if (w <= 0 || h <= 0) return false;
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dx = static_cast<LONG>((static_cast<int64_t>(x) * 65536 + w - 1) / w);
  in.mi.dy = static_cast<LONG>((static_cast<int64_t>(y) * 65536 + h - 1) / h);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  if (::SendInput(1, &in, sizeof(in)) != 1) return false;
  return WaitUntil(
      [&] {
        POINT at = {};
        return ::GetCursorPos(&at) && at.x == x && at.y == y;
      },
      2000);
}

bool MouseLeftButton(bool down) {
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  return ::SendInput(1, &in, sizeof(in)) == 1;
}

bool CaptureClient(HWND wnd, Capture* out) {
  RECT rc;
  if (!::GetClientRect(wnd, &rc)) return false;
  POINT origin = {0, 0};
  ::ClientToScreen(wnd, &origin);
  const int w = rc.right, h = rc.bottom;
  if (w <= 0 || h <= 0) return false;
  HDC screen = ::GetDC(nullptr);
  HDC mem = ::CreateCompatibleDC(screen);
  BITMAPINFO bmi = {};
  bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
  bmi.bmiHeader.biWidth = w;
  bmi.bmiHeader.biHeight = -h;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP dib = ::CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (dib) {
    HGDIOBJ old = ::SelectObject(mem, dib);
    ok = ::BitBlt(mem, 0, 0, w, h, screen, origin.x, origin.y, SRCCOPY) != 0;
    ::GdiFlush();
    ::SelectObject(mem, old);
    if (ok) {
      out->width = w;
      out->height = h;
      const uint32_t* p = static_cast<const uint32_t*>(bits);
      out->pixels.assign(p, p + static_cast<size_t>(w) * h);
      for (uint32_t& px : out->pixels) px &= 0xFFFFFF;
    }
    ::DeleteObject(dib);
  }
  ::DeleteDC(mem);
  ::ReleaseDC(nullptr, screen);
  return ok;
}

bool SaveBmp(const Capture& c, const std::string& path) {
  const int stride = (c.width * 3 + 3) & ~3;
  BITMAPFILEHEADER fh = {};
  BITMAPINFOHEADER ih = {};
  ih.biSize = sizeof(ih);
  ih.biWidth = c.width;
  ih.biHeight = c.height;
  ih.biPlanes = 1;
  ih.biBitCount = 24;
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof(fh) + sizeof(ih);
  fh.bfSize = fh.bfOffBits + stride * c.height;
  std::string data(reinterpret_cast<const char*>(&fh), sizeof(fh));
  data.append(reinterpret_cast<const char*>(&ih), sizeof(ih));
  std::string row(stride, '\0');
  for (int y = c.height - 1; y >= 0; --y) {
    for (int x = 0; x < c.width; ++x) {
      uint32_t px = c.At(x, y);
      row[x * 3] = static_cast<char>(px & 0xFF);
      row[x * 3 + 1] = static_cast<char>((px >> 8) & 0xFF);
      row[x * 3 + 2] = static_cast<char>((px >> 16) & 0xFF);
    }
    data += row;
  }
  return WriteFileBytes(path, data);
}

}  // namespace e2e
