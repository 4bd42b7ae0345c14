// A small float raster for drawing the skin: premultiplied RGBA images,
// coverage masks from an anti-aliased polygon rasteriser, blurs, and paint
// through a mask.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

struct Vec2 {
  float x;
  float y;
};

// Premultiplied colour, channels 0..1.
struct Rgba {
  float r = 0, g = 0, b = 0, a = 0;
};

// A straight (not premultiplied) colour from 0..255 values.
Rgba Colour(int r, int g, int b, float a = 1.0f);
Rgba Mix(const Rgba& x, const Rgba& y, float t);  // straight colours, t in 0..1
float Clamp01(float v);
float SmoothStep(float e0, float e1, float x);

class Mask {
 public:
  Mask(int w, int h) : m_w(w), m_h(h), m_v(static_cast<size_t>(w) * h, 0.0f) {}
  int W() const { return m_w; }
  int H() const { return m_h; }
  float At(int x, int y) const {
    return (x < 0 || y < 0 || x >= m_w || y >= m_h) ? 0.0f : m_v[static_cast<size_t>(y) * m_w + x];
  }
  float& Ref(int x, int y) { return m_v[static_cast<size_t>(y) * m_w + x]; }
  std::vector<float>& Values() { return m_v; }
  const std::vector<float>& Values() const { return m_v; }

 private:
  int m_w, m_h;
  std::vector<float> m_v;
};

// Closed contours; filled with the non-zero winding rule.
class Path {
 public:
  Path& MoveTo(float x, float y);
  Path& LineTo(float x, float y);
  Path& QuadTo(float cx, float cy, float x, float y);
  Path& CubicTo(float c1x, float c1y, float c2x, float c2y, float x, float y);
  Path& Close();
  Path& Rect(float x, float y, float w, float h);
  Path& RoundRect(float x, float y, float w, float h, float r);
  Path& Ellipse(float cx, float cy, float rx, float ry);
  // A polygon from points, closed.
  Path& Polygon(const std::vector<Vec2>& points);
  const std::vector<std::vector<Vec2>>& Contours() const { return m_contours; }

 private:
  std::vector<std::vector<Vec2>> m_contours;
};

// Exact-area horizontal coverage on 16 sub-scanlines per pixel.
Mask Rasterise(int w, int h, const Path& path);

void BlurMask(Mask* mask, float radius);    // three box passes ~ gaussian
Mask Dilate(const Mask& mask, int radius);  // max over a disc
void MultiplyMask(Mask* mask, const Mask& by);
void Subtract(Mask* mask, const Mask& minus);
Mask Shifted(const Mask& mask, int dx, int dy);

class Image {
 public:
  Image(int w, int h) : m_w(w), m_h(h), m_p(static_cast<size_t>(w) * h) {}
  int W() const { return m_w; }
  int H() const { return m_h; }
  Rgba& At(int x, int y) { return m_p[static_cast<size_t>(y) * m_w + x]; }
  const Rgba& At(int x, int y) const { return m_p[static_cast<size_t>(y) * m_w + x]; }

  // Every pixel := paint(x + 0.5, y + 0.5) (a straight colour).
  void Fill(const std::function<Rgba(float, float)>& paint);
  // Source-over of paint (straight colour) through mask, times opacity.
  void Paint(const Mask& mask, const std::function<Rgba(float, float)>& paint, float opacity = 1.0f);
  void Paint(const Mask& mask, const Rgba& colour, float opacity = 1.0f);
  // Adds light: dest.rgb += colour.rgb * mask * opacity (for glows).
  void Add(const Mask& mask, const Rgba& colour, float opacity = 1.0f);
  // Source-over of another image at (dx, dy).
  void Over(const Image& src, int dx, int dy);

 private:
  int m_w, m_h;
  std::vector<Rgba> m_p;
};

// Small deterministic noise for texture.
float Hash2(int x, int y, uint32_t seed);
float ValueNoise(float x, float y, uint32_t seed);  // smooth, 0..1
float Fbm(float x, float y, uint32_t seed, int octaves);
