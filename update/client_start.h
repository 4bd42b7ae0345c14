// The game client's command line and working folder.  Platform-neutral;
// StartClientProcess (client_start_win.cpp) starts the process with them.
#pragma once

#include <functional>

#include "framework/cstring.h"

// The client's file name in the game folder.
extern const char kClientFileName[];

// The game folder with one trailing backslash; an empty folder stays empty
// (the client is then looked for as a bare file name).
CString EnsureTrailingBackslash(const char* folder);

// The folder of a full path (everything up to its last backslash or, for a
// bare drive path such as "C:file", the drive), with one trailing
// backslash; empty when the path names no folder.
CString FolderOfPath(const char* fullPath);

// The command line: the quoted path and one space, then extra, then the
// portal's launch key (null: none).  Extra and key are put as they stand.
CString BuildClientCommandLine(const char* fullPath, const char* extra, const char* launchKey);

// ---- Win32 (client_start_win.cpp) ------------------------------------------

// The portal's step before the client starts: puts the launch text back on
// the clipboard for the client; false when it cannot.
using ClientHandOffFunction = std::function<bool()>;
class CUpdateScreenHost;

// Starts gameFolder's quorl.bin (gameFolder as read from the registry, with
// or without its trailing backslash; empty: a bare "quorl.bin" looked up
// from the current folder) with the command line of its quoted full path,
// a space, extra, and launchKey when it is given; handOff, when given, runs
// first.  The client runs in the folder of its path, in a process group of
// its own, and is not waited for.  A missing client shows message 20005, a
// failed hand-off or process start 20006; each returns FALSE.
BOOL StartClientProcessFrom(const char* gameFolder, const char* extra, const char* launchKey,
                            ClientHandOffFunction handOff);

// The client start of the update: the game folder from the registry
// ("GameFolder"), and, when the host has a launch key for the client (the
// portal's data asks for it), that key and the host's hand-off.  A null host
// starts the client without either.
BOOL StartClientProcess(const char* extra, CUpdateScreenHost* host);
