// The GUIDs of DirectSound and its private property set are defined here
// (selectany), so that nothing needs dxguid.
#include <initguid.h>

#include "settings/sound_device_win.h"

#include <cstring>
#include <utility>

namespace {

// A device must offer 16-bit stereo in its primary and secondary buffers.
constexpr DWORD kRequiredCaps =
    DSCAPS_PRIMARYSTEREO | DSCAPS_PRIMARY16BIT | DSCAPS_SECONDARYSTEREO | DSCAPS_SECONDARY16BIT;

// The description block, sized by the structure of this build: its
// pointers make it 40 bytes on 32-bit Windows but more on 64-bit, and a
// fixed 40 there lets the property set write past the block.
constexpr ULONG kDescriptionSize = sizeof(DSPROPERTY_DIRECTSOUNDDEVICE_DESCRIPTION_A_DATA);
// The largest block size we accept from the property set's answer: it only
// ever asks for the structure's own size; anything huge is a fault, not a
// reason to allocate.
constexpr ULONG kDescriptionSizeLimit = 64 * 1024;

SoundClassObjectFunction g_classObjectForTest = nullptr;

}  // namespace

void SetSoundClassObjectForTest(SoundClassObjectFunction function) { g_classObjectForTest = function; }

// ---------------------------------------------------------------------------
// Description

const DSPROPERTY_DIRECTSOUNDDEVICE_DESCRIPTION_A_DATA* CSoundDeviceDescription::Get() const {
  return reinterpret_cast<const DSPROPERTY_DIRECTSOUNDDEVICE_DESCRIPTION_A_DATA*>(m_block.get());
}

CString CSoundDeviceDescription::GetText() const {
  const DSPROPERTY_DIRECTSOUNDDEVICE_DESCRIPTION_A_DATA* data = Get();
  return CString(data != nullptr ? data->Description : nullptr);
}

void CSoundDeviceDescription::Reset(std::unique_ptr<unsigned char[]> block, size_t size) {
  m_block = std::move(block);
  m_size = m_block ? size : 0;
  auto* data = reinterpret_cast<DSPROPERTY_DIRECTSOUNDDEVICE_DESCRIPTION_A_DATA*>(m_block.get());
  if (data == nullptr) {
    m_description.Empty();
    m_module.Empty();
    m_interface.Empty();
    return;
  }
  // The texts belong to the property set: copied now, while it lives, and
  // the block points at the copies from here on.
  m_description = CString(data->Description);
  m_module = CString(data->Module);
  m_interface = CString(data->Interface);
  data->Description = data->Description != nullptr ? const_cast<LPSTR>(m_description.GetString()) : nullptr;
  data->Module = data->Module != nullptr ? const_cast<LPSTR>(m_module.GetString()) : nullptr;
  data->Interface = data->Interface != nullptr ? const_cast<LPSTR>(m_interface.GetString()) : nullptr;
}

HRESULT CSoundDeviceProbe::Open() {
  if (m_propertySet) return S_OK;
  m_module.Reset(::LoadLibraryA("dsound.dll"));
  if (!m_module) return E_FAIL;
  // The enumeration entry points are looked up with the class-object one;
  // only the latter is needed for the description.
  m_enumerateA = ::GetProcAddress(m_module.Get(), "DirectSoundEnumerateA");
  m_getDeviceId = ::GetProcAddress(m_module.Get(), "GetDeviceID");
  m_getClassObject = ::GetProcAddress(m_module.Get(), "DllGetClassObject");
  if (m_getClassObject == nullptr) return E_FAIL;
  auto getClassObject = g_classObjectForTest != nullptr ? g_classObjectForTest
                                                        : reinterpret_cast<SoundClassObjectFunction>(m_getClassObject);
  // A failed call may still have written its out parameter: dropped
  // unreleased, as it holds no reference.
  HRESULT hr =
      getClassObject(CLSID_DirectSoundPrivate, IID_IClassFactory, reinterpret_cast<void**>(m_factory.Receive()));
  if (FAILED(hr)) {
    m_factory.Detach();
    return hr;
  }
  hr = m_factory->CreateInstance(nullptr, IID_IKsPropertySet, reinterpret_cast<void**>(m_propertySet.Receive()));
  if (FAILED(hr)) {
    m_propertySet.Detach();
    return hr;
  }
  return S_OK;
}

HRESULT GetSoundDeviceDescription(const GUID* device, CSoundDeviceDescription* out) {
  if (out == nullptr) return E_POINTER;
  CSoundDeviceProbe probe;
  if (FAILED(probe.Open())) return E_FAIL;

  ULONG size = kDescriptionSize;
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::unique_ptr<unsigned char[]> block(new unsigned char[size]());
    auto* data = reinterpret_cast<DSPROPERTY_DIRECTSOUNDDEVICE_DESCRIPTION_A_DATA*>(block.get());
    data->DeviceId = device != nullptr ? *device : GUID_NULL;
    ULONG returned = 0;
    HRESULT hr = probe.GetPropertySet()->Get(DSPROPSETID_DirectSoundDevice, DSPROPERTY_DIRECTSOUNDDEVICE_DESCRIPTION_A,
                                             nullptr, 0, block.get(), size, &returned);
    // The second attempt has the size the property set asked for; it may
    // answer with less, never with more than the block holds.
    if (SUCCEEDED(hr) && (returned == size || (attempt == 1 && returned <= size))) {
      out->Reset(std::move(block), size);
      return S_OK;
    }
    if (attempt == 1 || returned < kDescriptionSize || returned > kDescriptionSizeLimit) break;
    size = returned;
  }
  return E_FAIL;
}

// ---------------------------------------------------------------------------
// Device

HRESULT CSoundDevice::Test(HWND hwnd, const GUID* device) {
  HRESULT hr = Open(hwnd, device, DSSCL_PRIORITY, 44100, 2, 16);
  Close();
  return hr;
}

HRESULT CSoundDevice::Open(HWND hwnd, const GUID* device, DWORD level, DWORD samplesPerSec, WORD channels,
                           WORD bitsPerSample) {
  // A device left open would otherwise be overwritten and leak.
  Close();

  CComHolder<IDirectSound8> ds;
  HRESULT hr = ::CoCreateInstance(CLSID_DirectSound8, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectSound8,
                                  reinterpret_cast<void**>(ds.Receive()));
  if (FAILED(hr)) return hr;
  hr = ds->Initialize(device);
  if (FAILED(hr)) return hr;

  DSCAPS caps;
  std::memset(&caps, 0, sizeof caps);
  caps.dwSize = sizeof caps;
  hr = ds->GetCaps(&caps);
  if (FAILED(hr)) return hr;
  if ((caps.dwFlags & DSCAPS_EMULDRIVER) != 0 || (caps.dwFlags & kRequiredCaps) != kRequiredCaps) return E_FAIL;

  hr = ds->SetCooperativeLevel(hwnd, level);
  if (FAILED(hr)) return hr;

  // DSBUFFERDESC is 36 bytes on 32-bit Windows and 40 on 64-bit; a wrong
  // size is refused.
  DSBUFFERDESC desc;
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
  CComHolder<IDirectSoundBuffer> primary;
  hr = ds->CreateSoundBuffer(&desc, primary.Receive(), nullptr);
  if (FAILED(hr)) return hr;

  WAVEFORMATEX format;
  std::memset(&format, 0, sizeof format);
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = channels;
  format.nSamplesPerSec = samplesPerSec;
  format.wBitsPerSample = bitsPerSample;
  format.nBlockAlign = static_cast<WORD>(bitsPerSample / 8 * channels);
  format.nAvgBytesPerSec = format.nBlockAlign * samplesPerSec;
  hr = primary->SetFormat(&format);
  primary.Reset();
  if (FAILED(hr)) return hr;

  m_guid = device != nullptr ? *device : GUID_NULL;
  CSoundDeviceDescription description;
  if (SUCCEEDED(GetSoundDeviceDescription(device, &description))) m_description = description.GetText();
  m_directSound = std::move(ds);
  return S_OK;
}

void CSoundDevice::Close() {
  m_directSound.Reset();
  m_guid = GUID_NULL;
  m_description.Empty();
}

CSoundDevice& GetSoundDevice() {
  static CSoundDevice device;
  return device;
}
