// The DirectSound test: the real dsound of Wine on ALSA's null device (the
// test's HOME holds an .asoundrc that makes it the default), the same with
// no audio driver at all (in a child process), and our own fake DirectSound
// for what a real device cannot show.
#include <initguid.h>

#include "settings/sound_device_win.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "settings/env_settings_win.h"
#include "tests/settings/fake_direct_sound.h"
#include "tests/settings/settings_win_fixture.h"

namespace {

using SoundTest = SettingsWinTest;

// ---------------------------------------------------------------------------
// The real device

TEST_F(SoundTest, NullAlsaDeviceIsUsable) {
  ASSERT_TRUE(comStarted);
  CSoundDevice device;
  EXPECT_EQ(S_OK, device.Test(window, nullptr));
  EXPECT_EQ(nullptr, device.GetDirectSound());

  ASSERT_EQ(S_OK, device.Open(window, nullptr, DSSCL_PRIORITY, 44100, 2, 16));
  EXPECT_NE(nullptr, device.GetDirectSound());
  EXPECT_TRUE(IsEqualGUID(GUID_NULL, device.GetGuid()));
  EXPECT_FALSE(device.GetDescription().IsEmpty());
  // Opening again does not keep the first device alive beside the second.
  ASSERT_EQ(S_OK, device.Open(window, nullptr, DSSCL_PRIORITY, 22050, 1, 8));
  device.Close();
  EXPECT_EQ(nullptr, device.GetDirectSound());
  EXPECT_TRUE(device.GetDescription().IsEmpty());

  EXPECT_TRUE(IsSoundAvailable(window));
  EXPECT_FALSE(IsSoundAvailable(nullptr));
}

TEST_F(SoundTest, DescriptionThroughThePrivatePropertySet) {
  EXPECT_EQ(E_POINTER, GetSoundDeviceDescription(nullptr, nullptr));

  CSoundDeviceDescription description;
  ASSERT_EQ(S_OK, GetSoundDeviceDescription(nullptr, &description));
  // The block is this build's structure, whose pointers make it larger than
  // 40 bytes on 64-bit Windows.
  EXPECT_EQ(sizeof(DSPROPERTY_DIRECTSOUNDDEVICE_DESCRIPTION_A_DATA), description.GetSize());
  ASSERT_NE(nullptr, description.Get());
  EXPECT_FALSE(description.GetText().IsEmpty());
  EXPECT_EQ(DIRECTSOUNDDEVICE_DATAFLOW_RENDER, description.Get()->DataFlow);

  // A device that does not exist has no description, and the out block
  // stays empty.
  const GUID unknown = {0x12345678, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};
  CSoundDeviceDescription none;
  EXPECT_EQ(E_FAIL, GetSoundDeviceDescription(&unknown, &none));
  EXPECT_EQ(nullptr, none.Get());
}

// A property set whose texts live only as long as it does, as a driver's
// may: its last Release writes over them (they stay in a static buffer, so
// that a reader that came too late sees the overwrite, not freed memory).
char g_fakeTexts[3][32];

class CFakeDescriptionSet final : public IKsPropertySet {
 public:
  CFakeDescriptionSet() {
    std::strcpy(g_fakeTexts[0], "Fake Speakers");
    std::strcpy(g_fakeTexts[1], "fake.drv");
    std::strcpy(g_fakeTexts[2], "\\\\?\\fake");
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IKsPropertySet)) return *out = nullptr, E_NOINTERFACE;
    *out = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
  ULONG STDMETHODCALLTYPE Release() override {
    if (--m_refs != 0) return m_refs;
    for (char* text : g_fakeTexts) std::strcpy(text, "released");
    delete this;
    return 0;
  }
  HRESULT STDMETHODCALLTYPE Get(REFGUID set, ULONG id, LPVOID, ULONG, LPVOID data, ULONG size,
                                ULONG* returned) override {
    if (!IsEqualGUID(set, DSPROPSETID_DirectSoundDevice) || id != DSPROPERTY_DIRECTSOUNDDEVICE_DESCRIPTION_A)
      return E_NOTIMPL;
    *returned = sizeof(DSPROPERTY_DIRECTSOUNDDEVICE_DESCRIPTION_A_DATA);
    if (size < *returned) return E_FAIL;
    auto* d = static_cast<DSPROPERTY_DIRECTSOUNDDEVICE_DESCRIPTION_A_DATA*>(data);
    d->DataFlow = DIRECTSOUNDDEVICE_DATAFLOW_RENDER;
    d->Description = g_fakeTexts[0];
    d->Module = g_fakeTexts[1];
    d->Interface = g_fakeTexts[2];
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Set(REFGUID, ULONG, LPVOID, ULONG, LPVOID, ULONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QuerySupport(REFGUID, ULONG, ULONG*) override { return E_NOTIMPL; }

 private:
  ULONG m_refs = 1;
};

class CFakeDescriptionFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return *out = nullptr, E_NOINTERFACE;
    *out = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
  ULONG STDMETHODCALLTYPE Release() override {
    if (--m_refs != 0) return m_refs;
    delete this;
    return 0;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID iid, void** out) override {
    CFakeDescriptionSet* set = new CFakeDescriptionSet;
    const HRESULT hr = set->QueryInterface(iid, out);
    set->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  ULONG m_refs = 1;
};

HRESULT WINAPI FakeDescriptionClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!IsEqualCLSID(clsid, CLSID_DirectSoundPrivate)) return *out = nullptr, CLASS_E_CLASSNOTAVAILABLE;
  CFakeDescriptionFactory* factory = new CFakeDescriptionFactory;
  const HRESULT hr = factory->QueryInterface(iid, out);
  factory->Release();
  return hr;
}

// The fake property set in place of dsound.dll's for one scope.
struct ScopedFakeDescriptionSet {
  ScopedFakeDescriptionSet() { SetSoundClassObjectForTest(&FakeDescriptionClassObject); }
  ~ScopedFakeDescriptionSet() { SetSoundClassObjectForTest(nullptr); }
};

TEST_F(SoundTest, DescriptionTextsOutliveThePropertySet) {
  ScopedFakeDescriptionSet fakeSet;
  {
    CSoundDeviceDescription description;
    ASSERT_EQ(S_OK, GetSoundDeviceDescription(nullptr, &description));
    // The property set is gone and has written over its texts.
    ASSERT_STREQ("released", g_fakeTexts[0]);
    EXPECT_EQ(CString("Fake Speakers"), description.GetText());
    ASSERT_NE(nullptr, description.Get());
    EXPECT_STREQ("Fake Speakers", description.Get()->Description);
    EXPECT_STREQ("fake.drv", description.Get()->Module);
    EXPECT_STREQ("\\\\?\\fake", description.Get()->Interface);
  }

  // The device keeps the description it read when it opened.
  ASSERT_TRUE(comStarted);
  CFakeDirectSoundRegistration fakeSound{FakeSoundScript()};
  ASSERT_TRUE(fakeSound.Registered());
  CSoundDevice device;
  ASSERT_EQ(S_OK, device.Open(window, nullptr, DSSCL_PRIORITY, 44100, 2, 16));
  EXPECT_EQ(CString("Fake Speakers"), device.GetDescription());
}

// Runs the child program with an argument and returns what it printed:
// the HRESULT of the sound test and whether the sound counts as available.
std::string RunSoundChild(const char* argument) {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string exe(path);
  exe = exe.substr(0, exe.find_last_of('\\') + 1) + "settings_sound_child.exe";
  std::string command = "\"" + exe + "\" " + argument;

  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!::CreatePipe(&readEnd, &writeEnd, &sa, 0)) return "no pipe";
  ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = writeEnd;
  si.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
  si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi = {};
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  BOOL started = ::CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  ::CloseHandle(writeEnd);
  std::string out;
  if (started) {
    char buf[256];
    DWORD got = 0;
    while (::ReadFile(readEnd, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    ::WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 0;
    ::GetExitCodeProcess(pi.hProcess, &code);
    if (code != 0) out += "exit " + std::to_string(code);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
  } else {
    out = "not started";
  }
  ::CloseHandle(readEnd);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

TEST(SoundChild, EmptyAudioDriverListMeansUnavailable) {
  // Control row: the same program with Wine's drivers sees the null device.
  EXPECT_EQ("00000000 1", RunSoundChild("drivers"));
  // No driver: DirectSound cannot initialise the default device.
  const std::string out = RunSoundChild("nodriver");
  unsigned long hr = 0;
  int available = -1;
  ASSERT_EQ(2, std::sscanf(out.c_str(), "%lx %d", &hr, &available)) << out;
  EXPECT_TRUE(FAILED(static_cast<HRESULT>(hr))) << out;
  EXPECT_EQ(0, available);
}

// ---------------------------------------------------------------------------
// The fake device

struct FakeRow {
  const char* name;
  FakeSoundScript script;
  HRESULT expected;
  std::vector<std::string> calls;
};

FakeSoundScript WithCaps(DWORD remove, DWORD add = 0) {
  FakeSoundScript s;
  s.capsFlags = (s.capsFlags & ~remove) | add;
  return s;
}

FakeSoundScript Failing(HRESULT FakeSoundScript::*step, HRESULT hr) {
  FakeSoundScript s;
  s.*step = hr;
  return s;
}

const std::vector<std::string> kUpToCaps = {"CreateInstance", "Initialize", "GetCaps", "Release"};

TEST_F(SoundTest, FakeDeviceRows) {
  ASSERT_TRUE(comStarted);
  const FakeRow rows[] = {
      {"Usable",
       FakeSoundScript(),
       S_OK,
       {"CreateInstance", "Initialize", "GetCaps", "SetCooperativeLevel", "CreateSoundBuffer", "SetFormat",
        "Buffer::Release", "Release"}},
      {"EmulatedDriver", WithCaps(0, DSCAPS_EMULDRIVER), E_FAIL, kUpToCaps},
      {"NoPrimaryStereo", WithCaps(DSCAPS_PRIMARYSTEREO), E_FAIL, kUpToCaps},
      {"NoPrimary16Bit", WithCaps(DSCAPS_PRIMARY16BIT), E_FAIL, kUpToCaps},
      {"NoSecondaryStereo", WithCaps(DSCAPS_SECONDARYSTEREO), E_FAIL, kUpToCaps},
      {"NoSecondary16Bit", WithCaps(DSCAPS_SECONDARY16BIT), E_FAIL, kUpToCaps},
      {"OnlyTheFourCaps",
       WithCaps(~DWORD{0}, DSCAPS_PRIMARYSTEREO | DSCAPS_PRIMARY16BIT | DSCAPS_SECONDARYSTEREO | DSCAPS_SECONDARY16BIT),
       S_OK,
       {"CreateInstance", "Initialize", "GetCaps", "SetCooperativeLevel", "CreateSoundBuffer", "SetFormat",
        "Buffer::Release", "Release"}},
      {"InitializeFails",
       Failing(&FakeSoundScript::initialize, DSERR_NODRIVER),
       DSERR_NODRIVER,
       {"CreateInstance", "Initialize", "Release"}},
      {"GetCapsFails", Failing(&FakeSoundScript::getCaps, DSERR_GENERIC), DSERR_GENERIC, kUpToCaps},
      {"CooperativeLevelRefused",
       Failing(&FakeSoundScript::setCooperativeLevel, DSERR_INVALIDPARAM),
       DSERR_INVALIDPARAM,
       {"CreateInstance", "Initialize", "GetCaps", "SetCooperativeLevel", "Release"}},
      {"NoPrimaryBuffer",
       Failing(&FakeSoundScript::createSoundBuffer, DSERR_OUTOFMEMORY),
       DSERR_OUTOFMEMORY,
       {"CreateInstance", "Initialize", "GetCaps", "SetCooperativeLevel", "CreateSoundBuffer", "Release"}},
      // The buffer is released whatever SetFormat answered.
      {"SetFormatFails",
       Failing(&FakeSoundScript::setFormat, DSERR_BADFORMAT),
       DSERR_BADFORMAT,
       {"CreateInstance", "Initialize", "GetCaps", "SetCooperativeLevel", "CreateSoundBuffer", "SetFormat",
        "Buffer::Release", "Release"}},
  };
  for (const FakeRow& r : rows) {
    SCOPED_TRACE(r.name);
    CFakeDirectSoundRegistration fake(r.script);
    ASSERT_TRUE(fake.Registered());
    CSoundDevice device;
    EXPECT_EQ(r.expected, device.Test(window, nullptr));
    const FakeSoundLog& log = fake.Log();
    EXPECT_EQ(r.calls, log.calls);
    EXPECT_EQ(0, log.liveObjects);
    EXPECT_TRUE(log.initializeGuidNull);
    if (r.script.initialize == S_OK) {
      EXPECT_EQ(sizeof(DSCAPS), log.capsSize);
    }
    if (r.expected == S_OK || r.expected == DSERR_BADFORMAT) {
      EXPECT_EQ(window, log.cooperativeWindow);
      EXPECT_EQ(static_cast<DWORD>(DSSCL_PRIORITY), log.cooperativeLevel);
      // 36 bytes on 32-bit Windows, 40 on 64-bit: the structure's own size.
      EXPECT_EQ(sizeof(DSBUFFERDESC), log.bufferDescSize);
      EXPECT_EQ(static_cast<DWORD>(DSBCAPS_PRIMARYBUFFER), log.bufferFlags);
      EXPECT_EQ(0u, log.bufferBytes);
      EXPECT_EQ(WAVE_FORMAT_PCM, log.format.wFormatTag);
      EXPECT_EQ(2, log.format.nChannels);
      EXPECT_EQ(44100u, log.format.nSamplesPerSec);
      EXPECT_EQ(16, log.format.wBitsPerSample);
      EXPECT_EQ(4, log.format.nBlockAlign);
      EXPECT_EQ(176400u, log.format.nAvgBytesPerSec);
    }
  }
}

TEST_F(SoundTest, FailedOpenKeepsNothing) {
  ASSERT_TRUE(comStarted);
  CFakeDirectSoundRegistration fake(WithCaps(0, DSCAPS_EMULDRIVER));
  ASSERT_TRUE(fake.Registered());
  CSoundDevice device;
  EXPECT_EQ(E_FAIL, device.Open(window, nullptr, DSSCL_PRIORITY, 44100, 2, 16));
  EXPECT_EQ(nullptr, device.GetDirectSound());
  EXPECT_EQ(0, fake.Log().liveObjects);
}

TEST_F(SoundTest, OpenKeepsTheDeviceUntilClose) {
  ASSERT_TRUE(comStarted);
  CFakeDirectSoundRegistration fake{FakeSoundScript()};
  ASSERT_TRUE(fake.Registered());
  {
    CSoundDevice device;
    const GUID chosen = {0xAABBCCDD, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
    ASSERT_EQ(S_OK, device.Open(window, &chosen, DSSCL_PRIORITY, 22050, 1, 8));
    EXPECT_FALSE(fake.Log().initializeGuidNull);
    EXPECT_TRUE(IsEqualGUID(chosen, device.GetGuid()));
    EXPECT_EQ(1, fake.Log().liveObjects);
    EXPECT_EQ(1u, fake.Log().format.nBlockAlign);
    EXPECT_EQ(22050u, fake.Log().format.nAvgBytesPerSec);
  }
  // The destructor closes.
  EXPECT_EQ(0, fake.Log().liveObjects);
}

}  // namespace
