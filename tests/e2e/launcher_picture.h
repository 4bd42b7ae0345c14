// The launcher screen's picture as the user must see it, composed here from
// the skin file and the program's resources with the screen's formulas
// written out, never by calling the product's own drawing:
//   - a black 16-bit scene, entry 0 blended at (0, 0), entry 1 at
//     ((W0 - W1) / 2, 356);
//   - the buttons Start (179, 236; entries 2-4), Settings (179, 268;
//     14-16) and Exit (179, 300; 17-19), each frame the size of the
//     button's first entry;
//   - per pixel and channel (s a + d (255 - a)) / 255, truncating; the
//     scene keeps 5 bits per channel, and a 5-bit value comes back as
//     itself shifted left by 3;
//   - the version label at (W0 - 168, 18), 152 x 14: white text drawn with
//     DrawText (DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX) in
//     (1, 0, 151, 14) in the face of string 5001 at height -12, each other
//     pixel that touches a white one across an edge black, the rest
//     transparent;
//   - the tooltip's box: the command's string in the menu font, wrapped at
//     150 pixels, with a 6-pixel margin, centred above its button.
// Text is measured with this process's GDI, in the same Wine prefix as the
// launcher, so that font substitutes give the same figures on both sides.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "skin/graphic_data.h"
#include "tests/e2e/win_driver.h"

namespace e2e {

// 5 bits per channel: (r5 << 10) | (g5 << 5) | b5.
struct Picture5 {
  int width = 0, height = 0;
  std::vector<uint32_t> rgb5;
  uint32_t At(int x, int y) const { return rgb5[static_cast<size_t>(y) * width + x]; }
  uint32_t& At(int x, int y) { return rgb5[static_cast<size_t>(y) * width + x]; }
};

// The top five bits of each channel of a captured 0x00RRGGBB pixel: the
// screen widens 5-bit values, so only these can be compared.
inline uint32_t Top5(uint32_t rgb) {
  return (((rgb >> 19) & 31) << 10) | (((rgb >> 11) & 31) << 5) | ((rgb >> 3) & 31);
}
// An 8-bit COLORREF (0x00BBGGRR) with 5 bits per channel.
inline uint32_t ColorRef5(COLORREF c) {
  return ((GetRValue(c) >> 3) << 10) | ((GetGValue(c) >> 3) << 5) | (GetBValue(c) >> 3);
}

constexpr int kStartButton = 0, kSettingsButton = 1, kExitButton = 2;
constexpr int kFrameNormal = 0, kFrameHot = 1, kFramePressed = 2;

struct ButtonPlace {
  int x, y, firstEntry, command;
};
extern const ButtonPlace kLauncherButtons[3];

// The skin of an installation and the program's strings.
class CLauncherPicture {
 public:
  CLauncherPicture(const std::string& skinPath, const std::string& exePath);
  bool IsOpen() const { return m_open; }
  SIZE SceneSize() const { return {m_w0, m_h0}; }
  RECT ButtonRect(int button) const;
  RECT LabelRect() const { return {m_w0 - 168, 18, m_w0 - 16, 32}; }

  // The scene alone (no buttons, no label).
  Picture5 Background() const;
  // The scene with all three buttons in the given frames and the label.
  Picture5 Screen(const int frames[3], const std::string& label) const;
  void BlendButton(Picture5* p, int button, int frame) const;
  void BlendEntry(Picture5* p, int entry, int x0, int y0, int w, int h) const;
  void DrawLabel(Picture5* p, const std::string& text) const;

  // Where the tooltip of a button stands (scene coordinates), from its
  // string measured here; empty when the program has no string for it.
  RECT TipRect(int button) const;
  // The program's string resource (in the ANSI code page).
  std::string ProgramString(UINT id) const;

 private:
  mutable CGraphicData m_skin{20, 1};
  std::string m_exe;
  bool m_open = false;
  int32_t m_w0 = 0, m_h0 = 0;
};

// The pixels of r (nothing where skip says so) that differ between the
// capture and the picture, compared at 5 bits.
int CountDifferences(const Capture& shot, const Picture5& expected, const RECT& r, const RECT* skip = nullptr);
inline RECT WholeOf(const Picture5& p) { return {0, 0, p.width, p.height}; }

}  // namespace e2e
