// The rules of the Direct3D 9 device library that need no Direct3D: mode
// collection and order, the order in which vertex-processing modes are
// tried, the choice of the windowed and full-screen combinations, the gamma
// ramp, and the launcher requirement's own rules.  The Win32 side feeds them
// with what the runtime reports.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// Error codes of the device library.  Only the creation path reports them;
// a failed CreateDevice reports its own HRESULT instead.
constexpr uint32_t kDX3DErrNoDirect3D = 0x82000001;  // Direct3DCreate9(32) gave nothing
constexpr uint32_t kDX3DErrNoDevice = 0x82000003;    // no usable combination at all
constexpr uint32_t kDX3DErrNoWindowed = 0x82000004;  // full screen only, windowed required

// Bits of D3DCAPS9 and of the behaviour flags that the rules read.
constexpr uint32_t kDevCapsHwTransformAndLight = 0x10000;  // D3DDEVCAPS_HWTRANSFORMANDLIGHT
constexpr uint32_t kDevCapsPureDevice = 0x100000;          // D3DDEVCAPS_PUREDEVICE
constexpr uint32_t kPMiscCapsNullReference = 0x1000;       // D3DPMISCCAPS_NULLREFERENCE
constexpr uint32_t kCreatePure = 0x10;                     // D3DCREATE_PUREDEVICE
constexpr uint32_t kCreateSoftwareVP = 0x20;               // D3DCREATE_SOFTWARE_VERTEXPROCESSING
constexpr uint32_t kCreateHardwareVP = 0x40;               // D3DCREATE_HARDWARE_VERTEXPROCESSING
constexpr uint32_t kCreateMixedVP = 0x80;                  // D3DCREATE_MIXED_VERTEXPROCESSING
constexpr uint32_t kCreateMultithreaded = 0x04;            // D3DCREATE_MULTITHREADED
constexpr uint32_t kUsageRenderTarget = 0x1;               // D3DUSAGE_RENDERTARGET

// Shader versions as D3DCAPS9 reports them: D3DVS_VERSION and D3DPS_VERSION.
constexpr uint32_t VsVersion(uint32_t major, uint32_t minor) { return 0xFFFE0000u | (major << 8) | minor; }
constexpr uint32_t PsVersion(uint32_t major, uint32_t minor) { return 0xFFFF0000u | (major << 8) | minor; }

// Confirmation mask bits: usable in a window, usable full screen.
constexpr uint32_t kUsableWindowed = 1;
constexpr uint32_t kUsableFullscreen = 2;

// A display mode as D3DDISPLAYMODE holds it.
struct DX3DMode {
  uint32_t width, height, refreshRate, format;
};

// The base requirement's mode order: TRUE when a comes before b.  First
// difference decides: the preferred size first, then (when preferredFormat
// is not 0) the preferred format, then the lower format value (signed), the
// larger width, the larger height.
bool BaseModeComesBefore(const DX3DMode& a, const DX3DMode& b, uint32_t preferredWidth, uint32_t preferredHeight,
                         uint32_t preferredFormat);

// Appends mode with its refresh rate set to 0 unless the list already holds
// one of the same width, height and format (refresh rates are not compared).
// True when it was appended.
bool AddUniqueMode(std::vector<DX3DMode>& modes, const DX3DMode& mode);

// Sorts with a caller's comes-before predicate.  An insertion sort: stable,
// and it stays inside the vector whatever the predicate answers (a
// requirement's predicate need not be a strict weak order).
void SortModes(std::vector<DX3DMode>& modes, const std::function<bool(const DX3DMode&, const DX3DMode&)>& comesBefore);

struct DX3DBehavior {
  uint32_t flags;  // behaviour flags of the last try
  uint32_t mask;   // its confirmation mask; 0 when every try was refused
};

// Tries the vertex-processing modes in order and keeps the first that
// confirm() does not refuse: with hardware transform and lighting, 0x54
// (only on a pure-device-capable type), then 0x44, then 0x84; finally 0x24.
DX3DBehavior ChooseBehavior(uint32_t devCaps, const std::function<uint32_t(uint32_t flags)>& confirm);

// What one enumerated record offers.
struct DX3DUsage {
  bool windowed;
  bool fullscreen;
};

struct DX3DSelection {
  int windowed = -1;    // index of the first windowed-usable record, or -1
  int fullscreen = -1;  // index of the first full-screen-usable record, or -1
  bool ok = false;
  uint32_t error = 0;  // kDX3DErrNoDevice or kDX3DErrNoWindowed when !ok
};

// The first windowed-usable and the first full-screen-usable record, in
// enumeration order.  Fails with kDX3DErrNoDevice when there is neither, and
// with kDX3DErrNoWindowed when there is only a full-screen one and a window
// is required.
DX3DSelection SelectFirstUsable(const std::vector<DX3DUsage>& usages, bool windowedRequired);

// One channel of a gamma ramp: entry i is base + i * scale, held within
// 0..65535.  Scale 256 with base 0 is the identity ramp.
void FillGammaChannel(uint16_t channel[256], int scale, int base);

// --- The launcher's requirement ---

constexpr uint32_t kVertexShader11 = VsVersion(1, 1);

// The launcher's confirmation: 3 for a device with vs_1_1 and 4 blend
// matrices; otherwise only software or mixed vertex processing is accepted.
uint32_t AppConfirmDevice(uint32_t vertexShaderVersion, uint32_t maxVertexBlendMatrices, uint32_t behaviorFlags);

// The launcher's mode order: the smaller width * 65536 + height first
// (32-bit unsigned), and for equal sizes the larger format value (signed).
bool AppModeComesBefore(const DX3DMode& a, const DX3DMode& b);

// Back buffers from the "bbc" setting: 0 gives 1, more than 2 gives 2.  The
// setting is a registry DWORD read as unsigned, so a negative value gives 2
// (never a count the runtime must refuse).
uint32_t BackBufferCountFromSetting(int32_t bbc);

constexpr uint32_t kPresentIntervalOne = 0x00000001;        // D3DPRESENT_INTERVAL_ONE
constexpr uint32_t kPresentIntervalImmediate = 0x80000000;  // D3DPRESENT_INTERVAL_IMMEDIATE

// The presentation interval from the "sync" setting.
uint32_t PresentIntervalFromSetting(int32_t sync);

// What the launcher's present parameters take from the effective graphics
// settings; the application hands them to its requirement.  The values
// here are the settings' own before any load.
struct DX3DPresentSettings {
  int32_t bbc = 1;        // back buffers (BackBufferCountFromSetting)
  int32_t sync = 1;       // the presentation interval (PresentIntervalFromSetting)
  int32_t antialias = 0;  // the multisample type asked for
};
