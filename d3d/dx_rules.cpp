#include "d3d/dx_rules.h"

#include <cstddef>

bool BaseModeComesBefore(const DX3DMode& a, const DX3DMode& b, uint32_t preferredWidth, uint32_t preferredHeight,
                         uint32_t preferredFormat) {
  bool aPreferred = a.width == preferredWidth && a.height == preferredHeight;
  bool bPreferred = b.width == preferredWidth && b.height == preferredHeight;
  if (aPreferred != bPreferred) return aPreferred;
  if (preferredFormat != 0) {
    bool aFormat = a.format == preferredFormat;
    bool bFormat = b.format == preferredFormat;
    if (aFormat != bFormat) return aFormat;
  }
  if (a.format != b.format) return static_cast<int32_t>(a.format) < static_cast<int32_t>(b.format);
  if (a.width != b.width) return a.width > b.width;
  if (a.height != b.height) return a.height > b.height;
  return false;
}

bool AddUniqueMode(std::vector<DX3DMode>& modes, const DX3DMode& mode) {
  for (const DX3DMode& m : modes) {
    if (m.width == mode.width && m.height == mode.height && m.format == mode.format) return false;
  }
  DX3DMode added = mode;
  added.refreshRate = 0;
  modes.push_back(added);
  return true;
}

void SortModes(std::vector<DX3DMode>& modes, const std::function<bool(const DX3DMode&, const DX3DMode&)>& comesBefore) {
  for (size_t i = 1; i < modes.size(); ++i) {
    DX3DMode m = modes[i];
    size_t j = i;
    while (j > 0 && comesBefore(m, modes[j - 1])) {
      modes[j] = modes[j - 1];
      --j;
    }
    modes[j] = m;
  }
}

DX3DBehavior ChooseBehavior(uint32_t devCaps, const std::function<uint32_t(uint32_t flags)>& confirm) {
  DX3DBehavior b = {0, 0};
  auto attempt = [&](uint32_t flags) {
    b.flags = flags;
    b.mask = confirm(flags);
  };
  if (devCaps & kDevCapsHwTransformAndLight) {
    if (devCaps & kDevCapsPureDevice) attempt(kCreateHardwareVP | kCreatePure | kCreateMultithreaded);
    if (b.mask == 0) attempt(kCreateHardwareVP | kCreateMultithreaded);
    if (b.mask == 0) attempt(kCreateMixedVP | kCreateMultithreaded);
  }
  if (b.mask == 0) attempt(kCreateSoftwareVP | kCreateMultithreaded);
  return b;
}

DX3DSelection SelectFirstUsable(const std::vector<DX3DUsage>& usages, bool windowedRequired) {
  DX3DSelection s;
  for (size_t i = 0; i < usages.size() && (s.windowed < 0 || s.fullscreen < 0); ++i) {
    if (s.windowed < 0 && usages[i].windowed) s.windowed = static_cast<int>(i);
    if (s.fullscreen < 0 && usages[i].fullscreen) s.fullscreen = static_cast<int>(i);
  }
  if (s.windowed >= 0) {
    s.ok = true;
  } else if (s.fullscreen < 0) {
    s.error = kDX3DErrNoDevice;
  } else if (windowedRequired) {
    s.error = kDX3DErrNoWindowed;
  } else {
    s.ok = true;
  }
  return s;
}

void FillGammaChannel(uint16_t channel[256], int scale, int base) {
  for (int i = 0; i < 256; ++i) {
    // 64-bit: any int scale times 255 stays exact before the clamp.
    int64_t v = static_cast<int64_t>(base) + static_cast<int64_t>(i) * scale;
    if (v < 0)
      v = 0;
    else if (v > 65535)
      v = 65535;
    channel[i] = static_cast<uint16_t>(v);
  }
}

uint32_t AppConfirmDevice(uint32_t vertexShaderVersion, uint32_t maxVertexBlendMatrices, uint32_t behaviorFlags) {
  if (vertexShaderVersion >= kVertexShader11 && maxVertexBlendMatrices >= 4) return kUsableWindowed | kUsableFullscreen;
  if (behaviorFlags & (kCreateSoftwareVP | kCreateMixedVP)) return kUsableWindowed | kUsableFullscreen;
  return 0;
}

bool AppModeComesBefore(const DX3DMode& a, const DX3DMode& b) {
  // Unsigned 32-bit keys, as the sizes are compared.
  uint32_t ka = a.width * 65536u + a.height;
  uint32_t kb = b.width * 65536u + b.height;
  if (ka != kb) return ka < kb;
  return static_cast<int32_t>(a.format) > static_cast<int32_t>(b.format);
}

uint32_t BackBufferCountFromSetting(int32_t bbc) {
  uint32_t n = static_cast<uint32_t>(bbc);
  if (n == 0) return 1;
  return n > 2 ? 2 : n;
}

uint32_t PresentIntervalFromSetting(int32_t sync) {
  return sync != 0 ? kPresentIntervalOne : kPresentIntervalImmediate;
}
