#include "tools/mkskin/canvas.h"

#include <algorithm>
#include <cmath>

Rgba Colour(int r, int g, int b, float a) {
  Rgba c;
  c.r = r / 255.0f;
  c.g = g / 255.0f;
  c.b = b / 255.0f;
  c.a = a;
  return c;
}

Rgba Mix(const Rgba& x, const Rgba& y, float t) {
  Rgba c;
  c.r = x.r + (y.r - x.r) * t;
  c.g = x.g + (y.g - x.g) * t;
  c.b = x.b + (y.b - x.b) * t;
  c.a = x.a + (y.a - x.a) * t;
  return c;
}

float Clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

float SmoothStep(float e0, float e1, float x) {
  const float t = Clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

// ---------------------------------------------------------------------------
// Paths

Path& Path::MoveTo(float x, float y) {
  m_contours.push_back({Vec2{x, y}});
  return *this;
}

Path& Path::LineTo(float x, float y) {
  if (m_contours.empty()) return MoveTo(x, y);
  m_contours.back().push_back(Vec2{x, y});
  return *this;
}

Path& Path::QuadTo(float cx, float cy, float x, float y) {
  const Vec2 p0 = m_contours.back().back();
  const int steps = 16;
  for (int i = 1; i <= steps; ++i) {
    const float t = static_cast<float>(i) / steps, u = 1 - t;
    LineTo(u * u * p0.x + 2 * u * t * cx + t * t * x, u * u * p0.y + 2 * u * t * cy + t * t * y);
  }
  return *this;
}

Path& Path::CubicTo(float c1x, float c1y, float c2x, float c2y, float x, float y) {
  const Vec2 p0 = m_contours.back().back();
  const int steps = 24;
  for (int i = 1; i <= steps; ++i) {
    const float t = static_cast<float>(i) / steps, u = 1 - t;
    LineTo(u * u * u * p0.x + 3 * u * u * t * c1x + 3 * u * t * t * c2x + t * t * t * x,
           u * u * u * p0.y + 3 * u * u * t * c1y + 3 * u * t * t * c2y + t * t * t * y);
  }
  return *this;
}

Path& Path::Close() { return *this; }  // contours are always closed

Path& Path::Rect(float x, float y, float w, float h) {
  return MoveTo(x, y).LineTo(x + w, y).LineTo(x + w, y + h).LineTo(x, y + h);
}

Path& Path::RoundRect(float x, float y, float w, float h, float r) {
  const float k = 0.5523f * r;
  MoveTo(x + r, y).LineTo(x + w - r, y);
  CubicTo(x + w - r + k, y, x + w, y + r - k, x + w, y + r);
  LineTo(x + w, y + h - r);
  CubicTo(x + w, y + h - r + k, x + w - r + k, y + h, x + w - r, y + h);
  LineTo(x + r, y + h);
  CubicTo(x + r - k, y + h, x, y + h - r + k, x, y + h - r);
  LineTo(x, y + r);
  CubicTo(x, y + r - k, x + r - k, y, x + r, y);
  return *this;
}

Path& Path::Ellipse(float cx, float cy, float rx, float ry) {
  const int steps = 96;
  MoveTo(cx + rx, cy);
  for (int i = 1; i < steps; ++i) {
    const float a = 6.2831853f * i / steps;
    LineTo(cx + rx * std::cos(a), cy + ry * std::sin(a));
  }
  return *this;
}

Path& Path::Polygon(const std::vector<Vec2>& points) {
  if (points.empty()) return *this;
  MoveTo(points[0].x, points[0].y);
  for (size_t i = 1; i < points.size(); ++i) LineTo(points[i].x, points[i].y);
  return *this;
}

// ---------------------------------------------------------------------------
// Rasteriser

namespace {

struct Edge {
  float x0, y0, x1, y1;
  int dir;
};

// Adds coverage `weight` for the span [xa, xb) of one sub-scanline.
void AddSpan(std::vector<float>* row, int w, float xa, float xb, float weight) {
  if (xb <= 0 || xa >= w || xb <= xa) return;
  xa = std::max(xa, 0.0f);
  xb = std::min(xb, static_cast<float>(w));
  const int ia = static_cast<int>(xa), ib = static_cast<int>(xb);
  if (ia == ib) {
    (*row)[ia] += (xb - xa) * weight;
    return;
  }
  (*row)[ia] += (ia + 1 - xa) * weight;
  for (int i = ia + 1; i < ib; ++i) (*row)[i] += weight;
  if (ib < w) (*row)[ib] += (xb - ib) * weight;
}

}  // namespace

Mask Rasterise(int w, int h, const Path& path) {
  Mask mask(w, h);
  std::vector<Edge> edges;
  for (const auto& c : path.Contours()) {
    for (size_t i = 0; i < c.size(); ++i) {
      const Vec2 a = c[i], b = c[(i + 1) % c.size()];
      if (a.y == b.y) continue;
      if (a.y < b.y)
        edges.push_back(Edge{a.x, a.y, b.x, b.y, 1});
      else
        edges.push_back(Edge{b.x, b.y, a.x, a.y, -1});
    }
  }
  const int kSub = 16;
  std::vector<float> row(static_cast<size_t>(w));
  std::vector<std::pair<float, int>> xs;
  for (int y = 0; y < h; ++y) {
    std::fill(row.begin(), row.end(), 0.0f);
    bool any = false;
    for (int s = 0; s < kSub; ++s) {
      const float sy = y + (s + 0.5f) / kSub;
      xs.clear();
      for (const Edge& e : edges) {
        if (sy < e.y0 || sy >= e.y1) continue;
        const float t = (sy - e.y0) / (e.y1 - e.y0);
        xs.emplace_back(e.x0 + (e.x1 - e.x0) * t, e.dir);
      }
      if (xs.empty()) continue;
      any = true;
      std::sort(xs.begin(), xs.end());
      int winding = 0;
      for (size_t i = 0; i + 1 < xs.size(); ++i) {
        winding += xs[i].second;
        if (winding != 0) AddSpan(&row, w, xs[i].first, xs[i + 1].first, 1.0f / kSub);
      }
    }
    if (!any) continue;
    for (int x = 0; x < w; ++x) mask.Ref(x, y) = std::min(1.0f, row[static_cast<size_t>(x)]);
  }
  return mask;
}

namespace {

void BoxPass(std::vector<float>* v, int w, int h, int r, bool horizontal) {
  std::vector<float> out(v->size());
  const int n = horizontal ? w : h, lines = horizontal ? h : w;
  for (int l = 0; l < lines; ++l) {
    auto at = [&](int i) -> float {
      i = std::max(0, std::min(n - 1, i));
      return horizontal ? (*v)[static_cast<size_t>(l) * w + i] : (*v)[static_cast<size_t>(i) * w + l];
    };
    float sum = 0;
    for (int i = -r; i <= r; ++i) sum += at(i);
    for (int i = 0; i < n; ++i) {
      const size_t idx = horizontal ? static_cast<size_t>(l) * w + i : static_cast<size_t>(i) * w + l;
      out[idx] = sum / (2 * r + 1);
      sum += at(i + r + 1) - at(i - r);
    }
  }
  *v = out;
}

}  // namespace

void BlurMask(Mask* mask, float radius) {
  const int r = std::max(1, static_cast<int>(radius / 1.7f + 0.5f));
  for (int pass = 0; pass < 3; ++pass) {
    BoxPass(&mask->Values(), mask->W(), mask->H(), r, true);
    BoxPass(&mask->Values(), mask->W(), mask->H(), r, false);
  }
}

Mask Dilate(const Mask& mask, int radius) {
  Mask out(mask.W(), mask.H());
  for (int y = 0; y < mask.H(); ++y) {
    for (int x = 0; x < mask.W(); ++x) {
      float best = 0;
      for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
          const float d = std::sqrt(static_cast<float>(dx * dx + dy * dy));
          if (d > radius + 0.5f) continue;
          const float fall = Clamp01(radius + 0.5f - d);
          best = std::max(best, mask.At(x + dx, y + dy) * fall);
        }
      }
      out.Ref(x, y) = best;
    }
  }
  return out;
}

void MultiplyMask(Mask* mask, const Mask& by) {
  for (size_t i = 0; i < mask->Values().size(); ++i) mask->Values()[i] *= by.Values()[i];
}

void Subtract(Mask* mask, const Mask& minus) {
  for (size_t i = 0; i < mask->Values().size(); ++i) mask->Values()[i] = Clamp01(mask->Values()[i] - minus.Values()[i]);
}

Mask Shifted(const Mask& mask, int dx, int dy) {
  Mask out(mask.W(), mask.H());
  for (int y = 0; y < mask.H(); ++y)
    for (int x = 0; x < mask.W(); ++x) out.Ref(x, y) = mask.At(x - dx, y - dy);
  return out;
}

// ---------------------------------------------------------------------------
// Images

void Image::Fill(const std::function<Rgba(float, float)>& paint) {
  for (int y = 0; y < m_h; ++y) {
    for (int x = 0; x < m_w; ++x) {
      Rgba c = paint(x + 0.5f, y + 0.5f);
      c.r *= c.a;
      c.g *= c.a;
      c.b *= c.a;
      At(x, y) = c;
    }
  }
}

void Image::Paint(const Mask& mask, const std::function<Rgba(float, float)>& paint, float opacity) {
  for (int y = 0; y < m_h; ++y) {
    for (int x = 0; x < m_w; ++x) {
      const float m = mask.At(x, y) * opacity;
      if (m <= 0) continue;
      const Rgba s = paint(x + 0.5f, y + 0.5f);
      const float a = s.a * m;
      Rgba& d = At(x, y);
      d.r = s.r * a + d.r * (1 - a);
      d.g = s.g * a + d.g * (1 - a);
      d.b = s.b * a + d.b * (1 - a);
      d.a = a + d.a * (1 - a);
    }
  }
}

void Image::Paint(const Mask& mask, const Rgba& colour, float opacity) {
  Paint(
      mask, [&](float, float) { return colour; }, opacity);
}

void Image::Add(const Mask& mask, const Rgba& colour, float opacity) {
  for (int y = 0; y < m_h; ++y) {
    for (int x = 0; x < m_w; ++x) {
      const float m = mask.At(x, y) * opacity * colour.a;
      if (m <= 0) continue;
      Rgba& d = At(x, y);
      d.r = std::min(d.a, d.r + colour.r * m);
      d.g = std::min(d.a, d.g + colour.g * m);
      d.b = std::min(d.a, d.b + colour.b * m);
    }
  }
}

void Image::Over(const Image& src, int dx, int dy) {
  for (int y = 0; y < src.H(); ++y) {
    for (int x = 0; x < src.W(); ++x) {
      const int tx = x + dx, ty = y + dy;
      if (tx < 0 || ty < 0 || tx >= m_w || ty >= m_h) continue;
      const Rgba& s = src.At(x, y);
      Rgba& d = At(tx, ty);
      d.r = s.r + d.r * (1 - s.a);
      d.g = s.g + d.g * (1 - s.a);
      d.b = s.b + d.b * (1 - s.a);
      d.a = s.a + d.a * (1 - s.a);
    }
  }
}

// ---------------------------------------------------------------------------
// Noise

float Hash2(int x, int y, uint32_t seed) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return (h & 0xFFFFFF) / 16777215.0f;
}

float ValueNoise(float x, float y, uint32_t seed) {
  const int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
  const float fx = x - ix, fy = y - iy;
  const float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
  const float a = Hash2(ix, iy, seed), b = Hash2(ix + 1, iy, seed);
  const float c = Hash2(ix, iy + 1, seed), d = Hash2(ix + 1, iy + 1, seed);
  return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

float Fbm(float x, float y, uint32_t seed, int octaves) {
  float sum = 0, amp = 0.5f, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += ValueNoise(x, y, seed + static_cast<uint32_t>(i) * 101u) * amp;
    norm += amp;
    x *= 2.03f;
    y *= 2.03f;
    amp *= 0.5f;
  }
  return sum / norm;
}
