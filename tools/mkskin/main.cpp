// mkskin -o QuorlLnchr.rdl [--png-dir DIR] [--font-dir DIR]
//
// Draws the launcher's skin and writes it as a resource-data file in the
// launcher's image form (8-bit indices and a {B, G, R, A} table per entry):
//   0      background
//   1      status strip, blended at ((W - W1) / 2, 356)
//   2-4    Start: normal, hot, pressed
//   5-13   unused (1 x 1, transparent)
//   14-16  Settings
//   17-19  Exit
// With --png-dir it also writes every entry and two screen previews, made
// the way the launcher composes its 5:5:5 back buffer.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tools/mkskin/art.h"
#include "tools/mkskin/png_writer.h"
#include "tools/mkskin/quantize.h"
#include "tools/mkskin/rdl_writer.h"
#include "tools/mkskin/text.h"

namespace {

void Usage() { std::fprintf(stderr, "usage: mkskin -o FILE.rdl [--png-dir DIR] [--font-dir DIR]\n"); }

// The launcher's blend into its 16-bit back buffer: per channel
// (s * a + d * (255 - a)) / 255, then the top five bits.
struct CScreen {
  int w, h;
  std::vector<uint16_t> px;
  CScreen(int w_, int h_) : w(w_), h(h_), px(static_cast<size_t>(w_) * h_, 0) {}

  static uint16_t Pack(unsigned r, unsigned g, unsigned b) {
    const unsigned r5 = (r >= 255 ? 248 : r & 0xF8), g5 = (g >= 255 ? 248 : g & 0xF8);
    const unsigned b5 = ((b > 255 ? 255 : b) >> 3) & 31;
    return static_cast<uint16_t>((r5 << 7) | (g5 << 2) | b5);
  }

  void Blend(const CIndexedImage& img, int dx, int dy) {
    for (int y = 0; y < img.height; ++y)
      for (int x = 0; x < img.width; ++x) {
        const int tx = dx + x, ty = dy + y;
        if (tx < 0 || ty < 0 || tx >= w || ty >= h) continue;
        const uint8_t* t = img.table[img.indices[static_cast<size_t>(y) * img.width + x]];
        const unsigned a = t[3];
        uint16_t& d = px[static_cast<size_t>(ty) * w + tx];
        const unsigned db = (d & 31u) << 3, dg = ((d >> 5) & 31u) << 3, dr = ((d >> 10) & 31u) << 3;
        d = Pack((t[2] * a + dr * (255 - a)) / 255, (t[1] * a + dg * (255 - a)) / 255,
                 (t[0] * a + db * (255 - a)) / 255);
      }
  }

  bool Save(const std::string& path) const {
    std::vector<uint8_t> rgba;
    rgba.reserve(px.size() * 4);
    for (uint16_t p : px) {
      rgba.push_back(static_cast<uint8_t>(((p >> 10) & 31) << 3));
      rgba.push_back(static_cast<uint8_t>(((p >> 5) & 31) << 3));
      rgba.push_back(static_cast<uint8_t>((p & 31) << 3));
      rgba.push_back(255);
    }
    return WritePng(path, w, h, rgba);
  }
};

bool SaveEntry(const std::string& path, const CIndexedImage& img) {
  std::vector<uint8_t> rgba;
  for (uint8_t i : img.indices) {
    rgba.push_back(img.table[i][2]);
    rgba.push_back(img.table[i][1]);
    rgba.push_back(img.table[i][0]);
    rgba.push_back(img.table[i][3]);
  }
  return WritePng(path, img.width, img.height, rgba);
}

CIndexedImage Transparent1x1() {
  CIndexedImage img;
  img.width = 1;
  img.height = 1;
  img.indices = {0};
  return img;  // table all zero: index 0 is {0, 0, 0, alpha 0}
}

}  // namespace

int main(int argc, char** argv) {
  std::string out, pngDir, fontDir = "/usr/share/fonts/truetype/nanum";
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "-o" && i + 1 < argc)
      out = argv[++i];
    else if (a == "--png-dir" && i + 1 < argc)
      pngDir = argv[++i];
    else if (a == "--font-dir" && i + 1 < argc)
      fontDir = argv[++i];
    else {
      Usage();
      return 2;
    }
  }
  if (out.empty()) {
    Usage();
    return 2;
  }

  auto font = [&](const char* a, const char* b) {
    std::unique_ptr<CFont> f = CFont::Open({fontDir + "/" + a, fontDir + "/" + b});
    if (!f) std::fprintf(stderr, "mkskin: no font %s or %s in %s (fonts-nanum)\n", a, b, fontDir.c_str());
    return f;
  };
  std::unique_ptr<CFont> title = font("NanumMyeongjoBold.ttf", "NanumMyeongjo.ttf");
  std::unique_ptr<CFont> label = font("NanumSquareB.ttf", "NanumGothicBold.ttf");
  std::unique_ptr<CFont> body = font("NanumBarunGothic.ttf", "NanumGothic.ttf");
  if (!title || !label || !body) return 1;
  const CSkinFonts fonts = {title.get(), label.get(), body.get()};

  std::vector<CIndexedImage> entries(20, Transparent1x1());
  entries[0] = Quantise(DrawBackground(fonts));
  entries[1] = Quantise(DrawStrip(fonts));
  const struct {
    int first;
    const char* label;
  } buttons[] = {{2, "게임 시작"}, {14, "환경 설정"}, {17, "게임 종료"}};
  for (const auto& b : buttons)
    for (int s = 0; s < 3; ++s)
      entries[static_cast<size_t>(b.first + s)] = Quantise(DrawButton(fonts, b.label, static_cast<ButtonState>(s)));

  // The two large pictures are packed; buttons and fillers stay raw, which
  // also keeps both kinds of entry in the launcher's own file.
  CRdlWriter writer;
  for (size_t i = 0; i < entries.size(); ++i) {
    const CIndexedImage& e = entries[i];
    const uint16_t w = static_cast<uint16_t>(e.width), h = static_cast<uint16_t>(e.height);
    if (i < 2)
      writer.AddPacked(w, h, e.Bytes());
    else
      writer.AddRaw(w, h, e.Bytes());
  }
  if (!writer.WriteFile(out)) {
    std::fprintf(stderr, "mkskin: cannot write %s\n", out.c_str());
    return 1;
  }

  if (!pngDir.empty()) {
    mkdir(pngDir.c_str(), 0777);
    bool ok = true;
    for (size_t i = 0; i < entries.size(); ++i) {
      char name[32];
      std::snprintf(name, sizeof(name), "/entry_%02zu.png", i);
      ok = SaveEntry(pngDir + name, entries[i]) && ok;
    }
    const CIndexedImage& bg = entries[0];
    for (int variant = 0; variant < 2; ++variant) {
      CScreen screen(bg.width, bg.height);
      screen.Blend(bg, 0, 0);
      screen.Blend(entries[1], (bg.width - entries[1].width) / 2, kStripY);
      for (int b = 0; b < 3; ++b) {
        // The second preview shows Start hot and Exit pressed.
        const int state = variant == 0 ? 0 : (b == 0 ? 1 : b == 2 ? 2 : 0);
        screen.Blend(entries[static_cast<size_t>(buttons[b].first + state)], kButtonX, kButtonY[b]);
      }
      ok = screen.Save(pngDir + (variant == 0 ? "/screen.png" : "/screen_states.png")) && ok;
    }
    if (!ok) {
      std::fprintf(stderr, "mkskin: cannot write the previews in %s\n", pngDir.c_str());
      return 1;
    }
  }
  return 0;
}
