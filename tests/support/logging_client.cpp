// A stand-in for the game client "quorl.bin": records how it was started
// (command line, working folder, the portal's clipboard data) into
// client-log.txt in its working folder, then stays until the file
// "release" appears there (at most 20 s), so that a test can see that the
// launcher did not wait for it.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string PortalClipboard() {
  const UINT format = ::RegisterClipboardFormatA("Sabrix_ClipFormat");
  std::string text = "<none>";
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (::OpenClipboard(nullptr)) break;
    ::Sleep(20);
  }
  if (HANDLE data = ::GetClipboardData(format)) {
    const SIZE_T size = ::GlobalSize(data);
    if (const char* p = static_cast<const char*>(::GlobalLock(data))) {
      SIZE_T n = 0;
      while (n < size && p[n] != '\0') ++n;
      text.assign(p, n);
      ::GlobalUnlock(data);
    }
  }
  ::CloseClipboard();
  return text;
}

void Append(const std::string& line) {
  if (FILE* f = std::fopen("client-log.txt", "ab")) {
    std::fwrite(line.data(), 1, line.size(), f);
    std::fputc('\n', f);
    std::fclose(f);
  }
}

}  // namespace

int main() {
  char cwd[MAX_PATH + 1] = {};
  ::GetCurrentDirectoryA(MAX_PATH, cwd);
  Append(std::string("cmd=") + ::GetCommandLineA());
  Append(std::string("cwd=") + cwd);
  Append("clip=" + PortalClipboard());
  Append("started");
  for (int i = 0; i < 1000; ++i) {
    if (::GetFileAttributesA("release") != INVALID_FILE_ATTRIBUTES) break;
    ::Sleep(20);
  }
  Append("ended");
  return 0;
}
