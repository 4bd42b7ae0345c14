#include "tests/settings/wine_drive.h"

#include <winioctl.h>

#include <cstring>
#include <vector>

namespace {

// The mount manager's request to define (with a mount point) or remove
// (without) a drive letter, in the layout of the Wine this suite runs on:
// the fixed part, then the mount point's Unix path as a C string at
// mount_point_offset.
struct UnixDriveRequest {
  ULONG size;
  ULONG type;
  ULONG fs_type;
  DWORD serial;
  ULONGLONG unix_dev;
  WCHAR letter;
  USHORT mount_point_offset;
  USHORT device_offset;
  USHORT label_offset;
};

constexpr DWORD kDefineUnixDrive = CTL_CODE(0x6D, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

bool SendRequest(char letter, UINT type, const std::string& unixPath) {
  std::vector<char> buf(sizeof(UnixDriveRequest) + unixPath.size() + 1, '\0');
  UnixDriveRequest request;
  std::memset(&request, 0, sizeof request);
  request.size = static_cast<ULONG>(buf.size());
  request.type = type;
  request.letter = static_cast<WCHAR>(letter);
  if (!unixPath.empty()) {
    request.mount_point_offset = static_cast<USHORT>(sizeof request);
    std::memcpy(buf.data() + sizeof request, unixPath.c_str(), unixPath.size() + 1);
  }
  std::memcpy(buf.data(), &request, sizeof request);
  HANDLE manager = ::CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (manager == INVALID_HANDLE_VALUE) return false;
  DWORD returned = 0;
  const BOOL ok = ::DeviceIoControl(manager, kDefineUnixDrive, buf.data(), static_cast<DWORD>(buf.size()), nullptr, 0,
                                    &returned, nullptr);
  ::CloseHandle(manager);
  return ok != FALSE;
}

// The Unix path of a Windows path, through Wine's own export.
std::string UnixPathOf(const std::string& windowsPath) {
  using ToUnix = char*(CDECL*)(LPCWSTR);
  auto toUnix =
      reinterpret_cast<ToUnix>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name"));
  if (toUnix == nullptr) return std::string();
  wchar_t wide[MAX_PATH] = {};
  if (::MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH) == 0) return std::string();
  char* unix = toUnix(wide);
  if (unix == nullptr) return std::string();
  std::string out = unix;
  ::HeapFree(::GetProcessHeap(), 0, unix);
  return out;
}

std::string RootOf(char letter) { return std::string(1, static_cast<char>(letter - 'a' + 'A')) + ":\\"; }

}  // namespace

char UnusedDriveLetter() {
  for (char letter = 'y'; letter >= 'm'; --letter) {
    if (::GetDriveTypeA(RootOf(letter).c_str()) == DRIVE_NO_ROOT_DIR) return letter;
  }
  return 0;
}

CWineDrive::CWineDrive(UINT type, const std::string& folder) {
  const std::string unixPath = UnixPathOf(folder);
  if (unixPath.empty()) return;
  // A letter that names no drive, from the end of the alphabet (Z: is the
  // root).  Asked of GetDriveTypeA, not GetLogicalDrives: Wine keeps a
  // removed letter among the logical drives while its server lives, though
  // it names nothing and can be given out again.
  for (char letter = 'y'; letter >= 'm'; --letter) {
    if (::GetDriveTypeA(RootOf(letter).c_str()) != DRIVE_NO_ROOT_DIR) continue;
    if (SendRequest(letter, type, unixPath)) {
      m_letter = letter;
      break;
    }
  }
}

CWineDrive::~CWineDrive() {
  if (m_letter != 0) SendRequest(m_letter, DRIVE_UNKNOWN, std::string());
}

std::string CWineDrive::Root() const { return m_letter == 0 ? std::string() : RootOf(m_letter); }
