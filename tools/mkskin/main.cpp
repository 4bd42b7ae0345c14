// mkskin -o QuorlLnchr.rdl [--png-dir DIR]
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/mkskin/rdl_writer.h"

static std::vector<uint8_t> Solid(int w, int h, uint8_t r, uint8_t g, uint8_t b, bool corners) {
  std::vector<uint8_t> v(static_cast<size_t>(w) * h + 1024, 1);
  if (corners) v[0] = 0;
  uint8_t* t = v.data() + static_cast<size_t>(w) * h;
  t[0] = 0; t[1] = 0; t[2] = 0; t[3] = 0;
  t[4] = b; t[5] = g; t[6] = r; t[7] = 255;
  return v;
}

int main(int argc, char** argv) {
  std::string out;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc) out = argv[++i];
  }
  if (out.empty()) { std::fprintf(stderr, "usage: mkskin -o FILE\n"); return 2; }
  CRdlWriter w;
  w.AddPacked(500, 400, Solid(500, 400, 20, 40, 80, false));
  w.AddPacked(400, 36, Solid(400, 36, 200, 160, 60, false));
  for (int i = 2; i < 20; ++i) {
    if ((i >= 2 && i <= 4) || i >= 14) w.AddRaw(142, 28, Solid(142, 28, 60, 90, 140, true));
    else w.AddRaw(1, 1, Solid(1, 1, 0, 0, 0, true));
  }
  return w.WriteFile(out) ? 0 : 1;
}
