#include "tools/mkskin/quantize.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

namespace {

struct Bin {
  float c[4];  // r, g, b, a in 0..255 (straight)
  double n;    // weight
};

const float kW[4] = {2.0f, 4.0f, 3.0f, 3.0f};

float Dist(const float* a, const float* b) {
  float d = 0;
  for (int i = 0; i < 4; ++i) d += kW[i] * (a[i] - b[i]) * (a[i] - b[i]);
  return d;
}

struct Box {
  std::vector<int> bins;
  double score;
};

float Snap5(float v) {
  // The value the screen keeps: top five bits.
  const int q = std::max(0, std::min(31, static_cast<int>(std::lround(v / 8.0f))));
  return static_cast<float>(q * 8);
}

}  // namespace

std::vector<uint8_t> CIndexedImage::Bytes() const {
  std::vector<uint8_t> out(indices);
  for (int i = 0; i < 256; ++i) out.insert(out.end(), table[i], table[i] + 4);
  return out;
}

CIndexedImage Quantise(const Image& image) {
  const int w = image.W(), h = image.H();
  std::vector<float> px(static_cast<size_t>(w) * h * 4);
  bool transparent = false;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const Rgba& p = image.At(x, y);
      float* q = &px[(static_cast<size_t>(y) * w + x) * 4];
      const float a = Clamp01(p.a);
      q[3] = std::round(a * 255.0f);
      if (q[3] < 255) transparent = true;
      for (int i = 0; i < 3; ++i) {
        const float v = a > 0 ? (i == 0 ? p.r : i == 1 ? p.g : p.b) / a : 0;
        q[i] = Clamp01(v) * 255.0f;
      }
    }
  }

  // Weighted bins over a coarse grid of the colours actually used.
  std::map<uint32_t, Bin> grid;
  for (size_t i = 0; i < px.size(); i += 4) {
    if (px[i + 3] < 3) continue;
    const uint32_t key = (static_cast<uint32_t>(px[i]) >> 3) << 15 | (static_cast<uint32_t>(px[i + 1]) >> 3) << 10 |
                         (static_cast<uint32_t>(px[i + 2]) >> 3) << 5 | (static_cast<uint32_t>(px[i + 3]) >> 3);
    Bin& b = grid[key];
    for (int k = 0; k < 4; ++k) b.c[k] = (b.c[k] * static_cast<float>(b.n) + px[i + k]) / static_cast<float>(b.n + 1);
    b.n += 1;
  }
  std::vector<Bin> bins;
  for (auto& kv : grid) bins.push_back(kv.second);

  const int first = transparent ? 1 : 0;
  const int wanted = 256 - first;

  // Median cut for a start ...
  std::vector<Box> boxes;
  Box all;
  for (size_t i = 0; i < bins.size(); ++i) all.bins.push_back(static_cast<int>(i));
  all.score = 1;
  if (!bins.empty()) boxes.push_back(all);
  auto rescore = [&](Box* box) {
    float lo[4] = {255, 255, 255, 255}, hi[4] = {0, 0, 0, 0};
    double n = 0;
    for (int i : box->bins) {
      for (int k = 0; k < 4; ++k) {
        lo[k] = std::min(lo[k], bins[i].c[k]);
        hi[k] = std::max(hi[k], bins[i].c[k]);
      }
      n += bins[i].n;
    }
    float range = 0;
    for (int k = 0; k < 4; ++k) range = std::max(range, (hi[k] - lo[k]) * std::sqrt(kW[k]));
    box->score = box->bins.size() < 2 ? -1 : range * std::sqrt(n);
  };
  if (!boxes.empty()) rescore(&boxes[0]);
  while (static_cast<int>(boxes.size()) < wanted) {
    auto it =
        std::max_element(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) { return a.score < b.score; });
    if (it->score <= 0) break;
    float lo[4] = {255, 255, 255, 255}, hi[4] = {0, 0, 0, 0};
    for (int i : it->bins)
      for (int k = 0; k < 4; ++k) {
        lo[k] = std::min(lo[k], bins[i].c[k]);
        hi[k] = std::max(hi[k], bins[i].c[k]);
      }
    int axis = 0;
    for (int k = 1; k < 4; ++k)
      if ((hi[k] - lo[k]) * kW[k] > (hi[axis] - lo[axis]) * kW[axis]) axis = k;
    std::vector<int> sorted = it->bins;
    std::sort(sorted.begin(), sorted.end(), [&](int a, int b) { return bins[a].c[axis] < bins[b].c[axis]; });
    double total = 0, acc = 0;
    for (int i : sorted) total += bins[i].n;
    size_t cut = 1;
    for (size_t j = 0; j + 1 < sorted.size(); ++j) {
      acc += bins[sorted[j]].n;
      cut = j + 1;
      if (acc >= total / 2) break;
    }
    Box a, b;
    a.bins.assign(sorted.begin(), sorted.begin() + static_cast<long>(cut));
    b.bins.assign(sorted.begin() + static_cast<long>(cut), sorted.end());
    rescore(&a);
    rescore(&b);
    *it = a;
    boxes.push_back(b);
  }
  std::vector<std::array<float, 4>> centres;
  for (const Box& box : boxes) {
    double s[4] = {0, 0, 0, 0}, n = 0;
    for (int i : box.bins) {
      for (int k = 0; k < 4; ++k) s[k] += bins[i].c[k] * bins[i].n;
      n += bins[i].n;
    }
    centres.push_back({static_cast<float>(s[0] / n), static_cast<float>(s[1] / n), static_cast<float>(s[2] / n),
                       static_cast<float>(s[3] / n)});
  }
  // ... refined by a few rounds of k-means over the bins.
  for (int round = 0; round < 8 && !centres.empty(); ++round) {
    std::vector<std::array<double, 5>> acc(centres.size(), {0, 0, 0, 0, 0});
    for (const Bin& b : bins) {
      size_t best = 0;
      float bd = 1e30f;
      for (size_t c = 0; c < centres.size(); ++c) {
        const float d = Dist(b.c, centres[c].data());
        if (d < bd) {
          bd = d;
          best = c;
        }
      }
      for (int k = 0; k < 4; ++k) acc[best][k] += b.c[k] * b.n;
      acc[best][4] += b.n;
    }
    for (size_t c = 0; c < centres.size(); ++c)
      if (acc[c][4] > 0)
        for (int k = 0; k < 4; ++k) centres[c][k] = static_cast<float>(acc[c][k] / acc[c][4]);
  }

  CIndexedImage out;
  out.width = w;
  out.height = h;
  out.indices.assign(static_cast<size_t>(w) * h, 0);
  std::vector<std::array<float, 4>> pal;
  if (transparent) pal.push_back({0, 0, 0, 0});
  for (auto& c : centres) {
    std::array<float, 4> s = {Snap5(c[0]), Snap5(c[1]), Snap5(c[2]), std::round(c[3])};
    if (std::find(pal.begin(), pal.end(), s) == pal.end()) pal.push_back(s);
  }
  // Opaque images: spend free slots on the grid neighbours of the most used
  // colours, which the dither then mixes between.
  for (size_t i = 0; pal.size() < 256 && i < centres.size() * 6; ++i) {
    const auto& c = centres[i % centres.size()];
    const int axis = static_cast<int>(i / centres.size()) % 3;
    const float sign = (i / centres.size()) < 3 ? 8.0f : -8.0f;
    std::array<float, 4> s = {Snap5(c[0]), Snap5(c[1]), Snap5(c[2]), std::round(c[3])};
    s[static_cast<size_t>(axis)] = std::max(0.0f, std::min(248.0f, s[static_cast<size_t>(axis)] + sign));
    if (std::find(pal.begin(), pal.end(), s) == pal.end()) pal.push_back(s);
  }
  while (pal.size() < 256) pal.push_back({0, 0, 0, transparent ? 0.0f : 255.0f});
  for (int i = 0; i < 256; ++i) {
    out.table[i][0] = static_cast<uint8_t>(pal[static_cast<size_t>(i)][2]);
    out.table[i][1] = static_cast<uint8_t>(pal[static_cast<size_t>(i)][1]);
    out.table[i][2] = static_cast<uint8_t>(pal[static_cast<size_t>(i)][0]);
    out.table[i][3] = static_cast<uint8_t>(pal[static_cast<size_t>(i)][3]);
  }

  // Floyd-Steinberg over the opaque parts, serpentine; no error crosses into
  // or out of a translucent pixel.
  std::vector<float> err(static_cast<size_t>(w + 2) * 2 * 3, 0.0f);
  auto E = [&](int row, int x) -> float* { return &err[(static_cast<size_t>(row & 1) * (w + 2) + (x + 1)) * 3]; };
  for (int y = 0; y < h; ++y) {
    for (int x = -1; x <= w; ++x) std::fill(E(y + 1, x), E(y + 1, x) + 3, 0.0f);
    const bool ltr = (y % 2) == 0;
    for (int i = 0; i < w; ++i) {
      const int x = ltr ? i : w - 1 - i;
      const float* p = &px[(static_cast<size_t>(y) * w + x) * 4];
      if (p[3] < 3) {
        out.indices[static_cast<size_t>(y) * w + x] = 0;
        continue;
      }
      const bool diffuse = p[3] >= 250;
      float want[4] = {p[0], p[1], p[2], p[3]};
      if (diffuse)
        for (int k = 0; k < 3; ++k) want[k] = std::max(0.0f, std::min(255.0f, want[k] + E(y, x)[k]));
      size_t best = static_cast<size_t>(first);
      float bd = 1e30f;
      for (size_t c = static_cast<size_t>(first); c < pal.size(); ++c) {
        const float d = Dist(want, pal[c].data());
        if (d < bd) {
          bd = d;
          best = c;
        }
      }
      out.indices[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(best);
      if (!diffuse) continue;
      const int dir = ltr ? 1 : -1;
      for (int k = 0; k < 3; ++k) {
        const float e = want[k] - pal[best][static_cast<size_t>(k)];
        E(y, x + dir)[k] += e * 7 / 16;
        E(y + 1, x - dir)[k] += e * 3 / 16;
        E(y + 1, x)[k] += e * 5 / 16;
        E(y + 1, x + dir)[k] += e * 1 / 16;
      }
    }
  }
  return out;
}
