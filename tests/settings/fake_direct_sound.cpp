#include "tests/settings/fake_direct_sound.h"

#include <cstring>

namespace {

class CFakeBuffer final : public IDirectSoundBuffer {
 public:
  CFakeBuffer(const FakeSoundScript& script, FakeSoundLog& log) : m_script(script), m_log(log) { ++m_log.liveObjects; }

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_IDirectSoundBuffer) {
      *out = this;
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG n = --m_refs;
    if (n == 0) {
      m_log.calls.push_back("Buffer::Release");
      --m_log.liveObjects;
      delete this;
    }
    return n;
  }
  STDMETHODIMP GetCaps(LPDSBCAPS) override { return E_NOTIMPL; }
  STDMETHODIMP GetCurrentPosition(LPDWORD, LPDWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetFormat(LPWAVEFORMATEX, DWORD, LPDWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetVolume(LPLONG) override { return E_NOTIMPL; }
  STDMETHODIMP GetPan(LPLONG) override { return E_NOTIMPL; }
  STDMETHODIMP GetFrequency(LPDWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetStatus(LPDWORD) override { return E_NOTIMPL; }
  STDMETHODIMP Initialize(LPDIRECTSOUND, LPCDSBUFFERDESC) override { return E_NOTIMPL; }
  STDMETHODIMP Lock(DWORD, DWORD, LPVOID*, LPDWORD, LPVOID*, LPDWORD, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP Play(DWORD, DWORD, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP SetCurrentPosition(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP SetFormat(LPCWAVEFORMATEX format) override {
    m_log.calls.push_back("SetFormat");
    if (format != nullptr) m_log.format = *format;
    return m_script.setFormat;
  }
  STDMETHODIMP SetVolume(LONG) override { return E_NOTIMPL; }
  STDMETHODIMP SetPan(LONG) override { return E_NOTIMPL; }
  STDMETHODIMP SetFrequency(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP Stop() override { return E_NOTIMPL; }
  STDMETHODIMP Unlock(LPVOID, DWORD, LPVOID, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP Restore() override { return E_NOTIMPL; }

 private:
  ULONG m_refs = 1;
  const FakeSoundScript& m_script;
  FakeSoundLog& m_log;
};

class CFakeDirectSound final : public IDirectSound8 {
 public:
  CFakeDirectSound(const FakeSoundScript& script, FakeSoundLog& log) : m_script(script), m_log(log) {
    ++m_log.liveObjects;
  }

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_IDirectSound || riid == IID_IDirectSound8) {
      *out = this;
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG n = --m_refs;
    if (n == 0) {
      m_log.calls.push_back("Release");
      --m_log.liveObjects;
      delete this;
    }
    return n;
  }
  STDMETHODIMP CreateSoundBuffer(LPCDSBUFFERDESC desc, LPLPDIRECTSOUNDBUFFER out, IUnknown*) override {
    m_log.calls.push_back("CreateSoundBuffer");
    if (desc != nullptr) {
      m_log.bufferDescSize = desc->dwSize;
      m_log.bufferFlags = desc->dwFlags;
      m_log.bufferBytes = desc->dwBufferBytes;
    }
    if (FAILED(m_script.createSoundBuffer)) {
      *out = nullptr;
      return m_script.createSoundBuffer;
    }
    *out = new CFakeBuffer(m_script, m_log);
    return S_OK;
  }
  STDMETHODIMP GetCaps(LPDSCAPS caps) override {
    m_log.calls.push_back("GetCaps");
    m_log.capsSize = caps != nullptr ? caps->dwSize : 0;
    if (FAILED(m_script.getCaps)) return m_script.getCaps;
    caps->dwFlags = m_script.capsFlags;
    return S_OK;
  }
  STDMETHODIMP DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER, LPLPDIRECTSOUNDBUFFER) override { return E_NOTIMPL; }
  STDMETHODIMP SetCooperativeLevel(HWND hwnd, DWORD level) override {
    m_log.calls.push_back("SetCooperativeLevel");
    m_log.cooperativeWindow = hwnd;
    m_log.cooperativeLevel = level;
    return m_script.setCooperativeLevel;
  }
  STDMETHODIMP Compact() override { return E_NOTIMPL; }
  STDMETHODIMP GetSpeakerConfig(LPDWORD) override { return E_NOTIMPL; }
  STDMETHODIMP SetSpeakerConfig(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP Initialize(LPCGUID guid) override {
    m_log.calls.push_back("Initialize");
    m_log.initializeGuidNull = guid == nullptr;
    return m_script.initialize;
  }
  STDMETHODIMP VerifyCertification(LPDWORD) override { return E_NOTIMPL; }

 private:
  ULONG m_refs = 1;
  const FakeSoundScript& m_script;
  FakeSoundLog& m_log;
};

class CFakeFactory final : public IClassFactory {
 public:
  CFakeFactory(const FakeSoundScript& script, FakeSoundLog& log) : m_script(script), m_log(log) {}

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
      *out = this;
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG n = --m_refs;
    if (n == 0) delete this;
    return n;
  }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    m_log.calls.push_back("CreateInstance");
    auto* ds = new CFakeDirectSound(m_script, m_log);
    HRESULT hr = ds->QueryInterface(riid, out);
    ds->Release();
    return hr;
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }

 private:
  ULONG m_refs = 1;
  const FakeSoundScript& m_script;
  FakeSoundLog& m_log;
};

}  // namespace

CFakeDirectSoundRegistration::CFakeDirectSoundRegistration(const FakeSoundScript& script) : m_script(script) {
  m_factory = new CFakeFactory(m_script, m_log);
  if (FAILED(::CoRegisterClassObject(CLSID_DirectSound8, m_factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                     &m_cookie))) {
    m_cookie = 0;
  }
}

CFakeDirectSoundRegistration::~CFakeDirectSoundRegistration() {
  if (m_cookie != 0) ::CoRevokeClassObject(m_cookie);
  m_factory->Release();
}
