// What the settings dialog and its pages ask of the rest of the program:
// the Direct3D device (made once per run), the application's registry
// key, and for the About box the installed versions and the home page.
// The program hands the dialog its own host (GetEnvDialogAppHost, below);
// tests hand it one over a fake device.
#pragma once

#include <windows.h>

#include <cstdint>

#include "d3d/dx3d_device_base.h"
#include "framework/cstring.h"
#include "settings/graphic_device.h"

class CEnvDialogHost {
 public:
  virtual ~CEnvDialogHost() = default;

  // The device check: TRUE at once once it has passed in this run; else
  // creates the device, and on failure FALSE with errorText holding the
  // message to show (already formatted with the error code).
  virtual BOOL InitDevice(CString& errorText) = 0;
  // The device that InitDevice made: its modes for the global page.
  virtual CDX3DDeviceBase& GetDevice() = 0;
  // The same device as the settings records see it: hints, reset, the
  // pixel-shader test of the sea dialog.
  virtual CGraphicSettingDevice& GetSettingsDevice() = 0;
  // The application's registry key (HKCU\Software\<company>\<profile>),
  // opened for the caller, who closes it; null when there is none.
  virtual HKEY OpenAppRegistryKey() = 0;

  // The installed game and launcher versions ("PL"); false when they
  // cannot be read (a host without an installation: never).
  virtual bool ReadInstalledVersions(uint32_t* game, uint32_t* launcher) {
    (void)game;
    (void)launcher;
    return false;
  }
  // The home page of the application's code page (null: none).
  virtual const char* GetHomePageURL() { return nullptr; }
};

// The program's host, over its application object: defined by the
// application (app/env_dialog_host_app.cpp), which links the settings.
CEnvDialogHost& GetEnvDialogAppHost();
