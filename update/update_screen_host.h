// What the update screen needs of the rest of the program, in one host that
// the main frame fills and hands to each new update screen right after
// making it (as the launcher screen gets its skin and CLauncherViewHost).
// The screen, its sequence and its version check ask nothing of the
// application by name.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/cstring.h"

// Which update screen runs the sequence, and a newer screen whose start
// came while it ran (after a way back and a new Start during the old run's
// unwinding).  The frame owns it: a sequence's waits dispatch every message,
// so a second start request would otherwise start a second sequence nested
// in the first, over the same socket, version table and script state.
struct CUpdateRunState {
  HWND runningView = nullptr;
  HWND pendingStart = nullptr;

  bool IsRunning() const { return runningView != nullptr; }
  bool IsRunningOn(HWND view) const { return view != nullptr && view == runningView; }
};

class CUpdateScreenHost {
 public:
  virtual ~CUpdateScreenHost() = default;

  // The region's service id: the key of the version table and of "PL".
  virtual uint32_t GetServiceId() = 0;
  // The login server's address for a version check.
  virtual void GetLoginServerAddress(CString& host, uint16_t& port) = 0;
  // The Direct3D device check before the client starts; it shows its own
  // failure.
  virtual bool InitDeviceOrReport() = 0;
  // The portal's launch key when its data asks to go on to the client
  // (then the key joins the client's command line), else null.
  virtual const char* GetClientLaunchKey() = 0;
  // Puts the portal's launch text back on the clipboard for the client;
  // false when it cannot (the client start then fails with 20006).
  virtual bool HandOffToClient() = 0;
  // The sequence's running state, owned by the frame.
  virtual CUpdateRunState& GetRunState() = 0;
};
