// Starting the game client: it must run on its own after the launcher
// exits, so it gets a process group of its own and nothing waits for it.
#include "update/client_start.h"

#include <windows.h>

#include "framework/app_util.h"
#include "framework/afxfile.h"
#include "res/resource.h"
#include "update/download_setting.h"
#include "update/update_screen_host.h"

BOOL StartClientProcessFrom(const char* gameFolder, const char* extra, const char* launchKey,
                            ClientHandOffFunction handOff) {
  const CString file = EnsureTrailingBackslash(gameFolder) + kClientFileName;
  CFileStatus status;
  if (!CFile::GetStatus(file, status)) {
    MessageBoxWithAppTitle(IDS_ERR_CLIENT_MISSING, MB_ICONEXCLAMATION);
    return FALSE;
  }
  const CString folder = FolderOfPath(status.m_szFullName);
  CString commandLine = BuildClientCommandLine(status.m_szFullName, extra, launchKey);

  // The client reads the launch text from the clipboard as it starts.
  if (handOff != nullptr && !handOff()) {
    MessageBoxWithAppTitle(IDS_ERR_CLIENT_START, MB_ICONEXCLAMATION);
    return FALSE;
  }

  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  // CreateProcessA may write into the command line: give it our own copy.
  char* line = commandLine.GetBuffer(commandLine.GetLength());
  const BOOL started = ::CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, CREATE_NEW_PROCESS_GROUP, nullptr,
                                        folder.IsEmpty() ? nullptr : folder.GetString(), &startup, &process);
  commandLine.ReleaseBuffer();
  if (!started) {
    MessageBoxWithAppTitle(IDS_ERR_CLIENT_START, MB_ICONEXCLAMATION);
    return FALSE;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return TRUE;
}

BOOL StartClientProcess(const char* extra, CUpdateScreenHost* host) {
  CString folder;
  ReadGameFolder(folder);
  // The portal's data goes on to the client only when it asks for it: then
  // the key joins the command line and the text the clipboard.
  const char* key = host != nullptr ? host->GetClientLaunchKey() : nullptr;
  if (key != nullptr) return StartClientProcessFrom(folder, extra, key, [host] { return host->HandOffToClient(); });
  return StartClientProcessFrom(folder, extra, nullptr, nullptr);
}
