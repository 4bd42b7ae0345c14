// A DirectSound of our own, registered as this process's class object for
// CLSID_DirectSound8, so that CoCreateInstance hands it out instead of the
// real one.  It shows what a real device cannot: an emulated driver,
// missing caps, failing calls.  It records what it was asked and counts its
// references so that leaks show.
#pragma once

#include <windows.h>
// WIN32_LEAN_AND_MEAN leaves out the wave format that dsound.h uses.
#include <mmsystem.h>
#include <dsound.h>

#include <string>
#include <vector>

struct FakeSoundScript {
  HRESULT initialize = S_OK;
  HRESULT getCaps = S_OK;
  DWORD capsFlags = DSCAPS_PRIMARYMONO | DSCAPS_PRIMARYSTEREO | DSCAPS_PRIMARY8BIT | DSCAPS_PRIMARY16BIT |
                    DSCAPS_SECONDARYMONO | DSCAPS_SECONDARYSTEREO | DSCAPS_SECONDARY8BIT | DSCAPS_SECONDARY16BIT;
  HRESULT setCooperativeLevel = S_OK;
  HRESULT createSoundBuffer = S_OK;
  HRESULT setFormat = S_OK;
};

struct FakeSoundLog {
  std::vector<std::string> calls;   // method names in call order
  bool initializeGuidNull = false;  // Initialize was given no GUID
  DWORD capsSize = 0;
  HWND cooperativeWindow = nullptr;
  DWORD cooperativeLevel = 0;
  DWORD bufferDescSize = 0;
  DWORD bufferFlags = 0;
  DWORD bufferBytes = 1;
  WAVEFORMATEX format = {};
  LONG liveObjects = 0;  // devices and buffers not yet released to zero
};

// Registers the fake for the life of the object (this thread's apartment).
class CFakeDirectSoundRegistration {
 public:
  explicit CFakeDirectSoundRegistration(const FakeSoundScript& script);
  ~CFakeDirectSoundRegistration();
  CFakeDirectSoundRegistration(const CFakeDirectSoundRegistration&) = delete;
  CFakeDirectSoundRegistration& operator=(const CFakeDirectSoundRegistration&) = delete;

  bool Registered() const { return m_cookie != 0; }
  const FakeSoundLog& Log() const { return m_log; }

 private:
  FakeSoundScript m_script;
  FakeSoundLog m_log;
  IClassFactory* m_factory = nullptr;
  DWORD m_cookie = 0;
};
