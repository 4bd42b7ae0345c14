// The DirectSound test of the settings: can the default device play 44.1 kHz
// 16-bit stereo at the priority level?  And the device's description,
// read through dsound.dll's private property set.  Nothing here
// enumerates devices.
#pragma once

#include <windows.h>
// WIN32_LEAN_AND_MEAN leaves out the wave format that dsound.h uses.
#include <mmsystem.h>
#include <dsound.h>
#include <dsconf.h>
#include <cguid.h>

#include <cstddef>
#include <memory>

#include "framework/cstring.h"
#include "framework/scoped_win.h"

// The description block of one device (a DSPROPERTY_DIRECTSOUNDDEVICE_
// DESCRIPTION_A_DATA and whatever the property set returned beyond it),
// owned, with copies of its three texts: the property set's own texts may
// go with it and with dsound.dll, so the block points at the copies.
class CSoundDeviceDescription {
 public:
  CSoundDeviceDescription() = default;
  CSoundDeviceDescription(const CSoundDeviceDescription&) = delete;
  CSoundDeviceDescription& operator=(const CSoundDeviceDescription&) = delete;

  // The block, or null before a successful read.
  const DSPROPERTY_DIRECTSOUNDDEVICE_DESCRIPTION_A_DATA* Get() const;
  // The Description text, empty when there is none.
  CString GetText() const;
  size_t GetSize() const { return m_size; }
  // Takes the block and copies the texts it points to, which must still be
  // valid: call it before the property set is released.
  void Reset(std::unique_ptr<unsigned char[]> block, size_t size);

 private:
  std::unique_ptr<unsigned char[]> m_block;
  size_t m_size = 0;
  CString m_description, m_module, m_interface;
};

// Reads the description of a device (null: the default device).  E_POINTER
// for a null out; E_FAIL when dsound.dll, its property set or the
// description cannot be had; out holds the block on S_OK only.
HRESULT GetSoundDeviceDescription(const GUID* device, CSoundDeviceDescription* out);

// dsound.dll loaded for its private property set; released and freed when
// the probe goes.
// For tests: the class-object entry point that a probe uses in place of
// dsound.dll's DllGetClassObject (null: dsound.dll's own).
using SoundClassObjectFunction = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
void SetSoundClassObjectForTest(SoundClassObjectFunction function);

class CSoundDeviceProbe {
 public:
  CSoundDeviceProbe() = default;
  ~CSoundDeviceProbe() = default;
  CSoundDeviceProbe(const CSoundDeviceProbe&) = delete;
  CSoundDeviceProbe& operator=(const CSoundDeviceProbe&) = delete;

  // Loads the library, looks up its entry points and creates the property
  // set; the HRESULT of the first step that failed.
  HRESULT Open();
  IKsPropertySet* GetPropertySet() const { return m_propertySet.Get(); }

 private:
  // Declared in the order of making: they go in reverse, the property set
  // and its factory before the library that holds their code.
  CScopedModule m_module;
  FARPROC m_enumerateA = nullptr;
  FARPROC m_getDeviceId = nullptr;
  FARPROC m_getClassObject = nullptr;
  CComHolder<IClassFactory> m_factory;
  CComHolder<IKsPropertySet> m_propertySet;
};

class CSoundDevice {
 public:
  CSoundDevice() = default;
  ~CSoundDevice() { Close(); }
  CSoundDevice(const CSoundDevice&) = delete;
  CSoundDevice& operator=(const CSoundDevice&) = delete;

  // Open at the priority level with 44,100 Hz, 2 channels, 16 bits, then
  // Close; the result of Open.
  HRESULT Test(HWND hwnd, const GUID* device);
  // Creates and initialises the device (null: the default one), refuses an
  // emulated device or one without 16-bit stereo primary and secondary
  // buffers (E_FAIL), sets the cooperative level and the primary buffer's
  // format.  S_OK, or the first failing HRESULT with nothing kept open.
  HRESULT Open(HWND hwnd, const GUID* device, DWORD level, DWORD samplesPerSec, WORD channels, WORD bitsPerSample);
  // Releases the device; GUID and description are cleared.
  void Close();

  IDirectSound8* GetDirectSound() const { return m_directSound.Get(); }
  const GUID& GetGuid() const { return m_guid; }
  const CString& GetDescription() const { return m_description; }

 private:
  GUID m_guid = GUID_NULL;
  CString m_description;
  CComHolder<IDirectSound8> m_directSound;
};

// The program's one sound device object, made on first use.
CSoundDevice& GetSoundDevice();
