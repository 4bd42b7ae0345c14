#include "tools/mkskin/art.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kHorizon = 214.0f;
constexpr float kSunX = 388.0f;
constexpr float kSunY = 213.0f;
constexpr float kSunR = 19.0f;

float Gauss(float d, float sigma) { return std::exp(-(d * d) / (2 * sigma * sigma)); }

struct Stop {
  float at;
  Rgba colour;
};

Rgba Gradient(const std::vector<Stop>& stops, float t) {
  if (t <= stops.front().at) return stops.front().colour;
  for (size_t i = 1; i < stops.size(); ++i) {
    if (t <= stops[i].at) {
      const float u = (t - stops[i - 1].at) / (stops[i].at - stops[i - 1].at);
      return Mix(stops[i - 1].colour, stops[i].colour, u * u * (3 - 2 * u));
    }
  }
  return stops.back().colour;
}

Rgba Screen(const Rgba& base, const Rgba& light, float amount) {
  Rgba c = base;
  c.r = 1 - (1 - c.r) * (1 - light.r * amount);
  c.g = 1 - (1 - c.g) * (1 - light.g * amount);
  c.b = 1 - (1 - c.b) * (1 - light.b * amount);
  return c;
}

// A straight line of the given width as a quad.
void Line(Path* p, float x0, float y0, float x1, float y1, float width) {
  const float dx = x1 - x0, dy = y1 - y0, len = std::sqrt(dx * dx + dy * dy);
  if (len <= 0) return;
  const float nx = -dy / len * width / 2, ny = dx / len * width / 2;
  p->Polygon({{x0 + nx, y0 + ny}, {x1 + nx, y1 + ny}, {x1 - nx, y1 - ny}, {x0 - nx, y0 - ny}});
}

void Diamond(Path* p, float cx, float cy, float rx, float ry) {
  p->Polygon({{cx, cy - ry}, {cx + rx, cy}, {cx, cy + ry}, {cx - rx, cy}});
}

// The outline ring of a rounded rectangle, width `w` inside its edge.
Mask RingMask(int W, int H, float x, float y, float w, float h, float r, float width) {
  Mask outer = Rasterise(W, H, Path().RoundRect(x, y, w, h, r));
  Mask inner =
      Rasterise(W, H, Path().RoundRect(x + width, y + width, w - 2 * width, h - 2 * width, std::max(0.5f, r - width)));
  Subtract(&outer, inner);
  return outer;
}

Image BlurImage(const Image& src, float radius) {
  Mask ch[4] = {Mask(src.W(), src.H()), Mask(src.W(), src.H()), Mask(src.W(), src.H()), Mask(src.W(), src.H())};
  for (int y = 0; y < src.H(); ++y)
    for (int x = 0; x < src.W(); ++x) {
      const Rgba& p = src.At(x, y);
      ch[0].Ref(x, y) = p.r;
      ch[1].Ref(x, y) = p.g;
      ch[2].Ref(x, y) = p.b;
      ch[3].Ref(x, y) = p.a;
    }
  for (Mask& m : ch) BlurMask(&m, radius);
  Image out(src.W(), src.H());
  for (int y = 0; y < src.H(); ++y)
    for (int x = 0; x < src.W(); ++x) {
      Rgba& p = out.At(x, y);
      p.r = ch[0].At(x, y);
      p.g = ch[1].At(x, y);
      p.b = ch[2].At(x, y);
      p.a = ch[3].At(x, y);
    }
  return out;
}

// ---------------------------------------------------------------------------
// Sky and sea

Rgba SkyAt(float x, float y) {
  static const std::vector<Stop> stops = {{0, Colour(8, 12, 38)},          {60, Colour(20, 26, 66)},
                                          {110, Colour(50, 40, 92)},       {150, Colour(108, 60, 108)},
                                          {182, Colour(176, 86, 104)},     {202, Colour(226, 122, 92)},
                                          {kHorizon, Colour(248, 170, 96)}};
  Rgba c = Gradient(stops, y);
  const float d = std::hypot(x - kSunX, (y - kSunY) * 1.5f);
  c = Screen(c, Colour(255, 176, 96), 0.75f * Gauss(d, 60));
  c = Screen(c, Colour(255, 120, 90), 0.35f * Gauss(d, 150));
  c = Screen(c, Colour(255, 236, 190), 0.9f * Gauss(d, 24));
  return c;
}

Rgba SeaAt(float x, float y) {
  const float depth = y - kHorizon;  // 0 at the horizon
  const float t = Clamp01(depth / (kSkinHeight - kHorizon));
  static const std::vector<Stop> stops = {{0, Colour(150, 86, 104)},
                                          {0.05f, Colour(64, 50, 86)},
                                          {0.25f, Colour(22, 34, 64)},
                                          {0.6f, Colour(10, 20, 42)},
                                          {1, Colour(4, 9, 22)}};
  Rgba c = Gradient(stops, t);
  // Waves: stretched noise that grows towards the viewer.
  const float sx = 3.0f + t * 46.0f, sy = 0.6f + t * 6.0f;
  const float n = Fbm(x / sx, y / sy, 7, 3);
  const float crest = SmoothStep(0.55f, 0.8f, n);
  const float trough = SmoothStep(0.45f, 0.2f, n);
  c = Mix(c, Colour(74, 92, 136), crest * (0.18f + 0.15f * (1 - t)));
  c = Mix(c, Colour(2, 6, 16), trough * 0.25f);
  // The sun's path on the water: a soft column and glittering streaks.
  const float spread = 9.0f + depth * 0.55f;
  const float column = Gauss(x - kSunX, spread);
  const float glitter = SmoothStep(0.58f, 0.75f, Fbm(x / (2.0f + t * 14), y / (0.7f + t * 2.5f), 31, 2));
  const float fade = 1 - 0.7f * t;
  c = Screen(c, Colour(255, 150, 90), 0.45f * column * fade);
  c = Screen(c, Colour(255, 220, 150), 0.95f * column * glitter * fade);
  // Haze on the horizon.
  c = Screen(c, Colour(255, 170, 120), 0.35f * Gauss(depth, 3.5f));
  return c;
}

Mask CloudMask(int W, int H) {
  Mask m(W, H);
  for (int y = 0; y < H; ++y) {
    const float band =
        SmoothStep(96, 128, static_cast<float>(y)) * SmoothStep(kHorizon - 2, 180, static_cast<float>(y));
    if (band <= 0) continue;
    for (int x = 0; x < W; ++x) {
      const float n = Fbm(x / 110.0f, y / 9.0f, 3, 5);
      const float streak = 0.55f + 0.45f * ValueNoise(x / 40.0f, y / 3.0f, 17);
      m.Ref(x, y) = SmoothStep(0.5f, 0.72f, n) * band * streak;
    }
  }
  BlurMask(&m, 1.2f);
  return m;
}

Rgba CloudAt(float x, float y) {
  const float d = std::hypot(x - kSunX, (y - kSunY) * 1.3f);
  const float lit = Gauss(d, 110);
  Rgba dark = Mix(Colour(46, 30, 66), Colour(110, 56, 84), SmoothStep(100, 200, y));
  Rgba c = Mix(dark, Colour(255, 178, 120), lit * 0.85f);
  return c;
}

void Stars(Image* img) {
  Mask m(img->W(), img->H());
  for (int y = 0; y < 130; ++y) {
    for (int x = 0; x < img->W(); ++x) {
      const float h = Hash2(x, y, 99);
      if (h < 0.9972f) continue;
      const float b = (0.35f + 0.65f * Hash2(x, y, 5)) * (1 - SmoothStep(30, 130, static_cast<float>(y)));
      m.Ref(x, y) = std::max(m.At(x, y), b);
      if (h > 0.99965f) {  // a few bright ones with a small cross
        for (int k = -2; k <= 2; ++k) {
          if (k == 0) continue;
          const float f = b * (std::abs(k) == 1 ? 0.5f : 0.18f);
          if (x + k >= 0 && x + k < m.W()) m.Ref(x + k, y) = std::max(m.At(x + k, y), f);
          if (y + k >= 0 && y + k < m.H()) m.Ref(x, y + k) = std::max(m.At(x, y + k), f);
        }
      }
    }
  }
  img->Add(m, Colour(230, 236, 255));
}

// ---------------------------------------------------------------------------
// Silhouettes

Path ShipPath(float bx, float wy, float s) {
  auto X = [&](float v) { return bx + v * s; };
  auto Y = [&](float v) { return wy + v * s; };
  Path p;
  // Hull, facing right; the stern castle is high on the left.
  p.MoveTo(X(-60), Y(-27));
  p.LineTo(X(-45), Y(-27));
  p.LineTo(X(-43), Y(-19));
  p.QuadTo(X(0), Y(-14), X(38), Y(-17));
  p.LineTo(X(40), Y(-23));
  p.LineTo(X(52), Y(-24));
  p.LineTo(X(55), Y(-20));
  p.QuadTo(X(50), Y(-6), X(36), Y(0));
  p.LineTo(X(-44), Y(0));
  p.QuadTo(X(-56), Y(-8), X(-60), Y(-27));
  // Bowsprit.
  Line(&p, X(50), Y(-21), X(84), Y(-34), 1.6f * s);
  // Masts.
  Line(&p, X(24), Y(-16), X(24), Y(-96), 1.8f * s);
  Line(&p, X(-6), Y(-15), X(-6), Y(-116), 2.0f * s);
  Line(&p, X(-38), Y(-24), X(-38), Y(-86), 1.6f * s);
  // Yards.
  const float yards[][3] = {{24, -90, 15}, {24, -66, 20}, {24, -42, 24}, {-6, -110, 17}, {-6, -84, 23}, {-6, -56, 28}};
  for (const auto& y : yards) Line(&p, X(y[0] - y[2]), Y(y[1]), X(y[0] + y[2]), Y(y[1]), 1.1f * s);
  // Flags.
  p.Polygon({{X(-6), Y(-117)}, {X(8), Y(-113)}, {X(-6), Y(-109)}});
  p.Polygon({{X(24), Y(-97)}, {X(34), Y(-94)}, {X(24), Y(-91)}});
  return p;
}

Path SailPath(float bx, float wy, float s) {
  auto X = [&](float v) { return bx + v * s; };
  auto Y = [&](float v) { return wy + v * s; };
  Path p;
  // Square sails billowing forward (to the right): top yard, bowed sides,
  // bottom edge curving down.
  auto square = [&](float mx, float top, float bottom, float wt, float wb) {
    p.MoveTo(X(mx - wt), Y(top));
    p.LineTo(X(mx + wt), Y(top));
    p.QuadTo(X(mx + wb + 5), Y((top + bottom) / 2), X(mx + wb), Y(bottom));
    p.QuadTo(X(mx), Y(bottom + 4), X(mx - wb), Y(bottom));
    p.QuadTo(X(mx - wb + 2), Y((top + bottom) / 2), X(mx - wt), Y(top));
  };
  square(24, -90, -69, 14, 18);
  square(24, -66, -45, 19, 22);
  square(24, -42, -23, 23, 24);
  square(-6, -110, -87, 16, 21);
  square(-6, -84, -59, 22, 26);
  square(-6, -56, -25, 27, 29);
  // Lateen mizzen.
  p.MoveTo(X(-38), Y(-84));
  p.QuadTo(X(-30), Y(-58), X(-36), Y(-30));
  p.LineTo(X(-56), Y(-32));
  p.QuadTo(X(-48), Y(-58), X(-38), Y(-84));
  // Jibs from the foremast to the bowsprit.
  p.MoveTo(X(25), Y(-88));
  p.QuadTo(X(52), Y(-58), X(76), Y(-32));
  p.LineTo(X(40), Y(-32));
  p.MoveTo(X(25), Y(-70));
  p.QuadTo(X(44), Y(-48), X(58), Y(-26));
  p.LineTo(X(36), Y(-26));
  return p;
}

Path Rigging(float bx, float wy, float s) {
  auto X = [&](float v) { return bx + v * s; };
  auto Y = [&](float v) { return wy + v * s; };
  Path p;
  const float w = 0.55f * s;
  Line(&p, X(-6), Y(-114), X(24), Y(-94), w);
  Line(&p, X(24), Y(-94), X(84), Y(-34), w);
  Line(&p, X(-6), Y(-114), X(-38), Y(-84), w);
  Line(&p, X(-38), Y(-84), X(-58), Y(-27), w);
  Line(&p, X(-6), Y(-112), X(-28), Y(-20), w);
  Line(&p, X(24), Y(-94), X(8), Y(-18), w);
  return p;
}

Path Islands(float horizon) {
  Path p;
  std::vector<Vec2> pts = {{-2, horizon + 1}};
  for (int x = 0; x <= 210; x += 3) {
    const float fx = static_cast<float>(x);
    const float h = (4 + 9 * Fbm(fx / 40.0f, 0.5f, 41, 3)) * SmoothStep(210, 120, fx) + 5 * SmoothStep(80, 0, fx);
    pts.push_back({fx, horizon - h});
  }
  pts.push_back({212, horizon + 1});
  p.Polygon(pts);
  // A rock with a lighthouse on the right.
  p.Polygon({{438, horizon + 1},
             {446, horizon - 6},
             {458, horizon - 10},
             {470, horizon - 13},
             {482, horizon - 12},
             {494, horizon - 7},
             {502, horizon - 5},
             {502, horizon + 1}});
  p.Polygon({{471, horizon - 12}, {472.2f, horizon - 34}, {475.8f, horizon - 34}, {477, horizon - 12}});
  p.Polygon({{470.5f, horizon - 34},
             {477.5f, horizon - 34},
             {476.5f, horizon - 36},
             {474, horizon - 39},
             {471.5f, horizon - 36}});
  return p;
}

void Gulls(Path* p) {
  const float birds[][3] = {{214, 150, 5}, {228, 143, 4}, {199, 160, 3.5f}, {300, 168, 3}};
  for (const auto& b : birds) {
    const float x = b[0], y = b[1], s = b[2];
    p->MoveTo(x - s, y - s * 0.35f);
    p->QuadTo(x - s * 0.5f, y - s * 0.7f, x, y);
    p->QuadTo(x + s * 0.5f, y - s * 0.7f, x + s, y - s * 0.35f);
    p->QuadTo(x + s * 0.5f, y - s * 0.45f, x, y + s * 0.28f);
    p->QuadTo(x - s * 0.5f, y - s * 0.45f, x - s, y - s * 0.35f);
  }
}

// ---------------------------------------------------------------------------
// Wordmark, panel, frame

void Wordmark(Image* img, const CSkinFonts& fonts) {
  const int W = img->W(), H = img->H();
  const std::string word = "QUORL";
  const float px = 66, spacing = 5;
  const float tw = fonts.title->Measure(word, px, spacing);
  const float x = (W - tw) / 2, base = 104;
  const float cap = fonts.title->CapHeight(px);
  Mask m(W, H);
  fonts.title->Draw(&m, word, x, base, px, spacing);

  Mask shadow = Dilate(m, 2);
  BlurMask(&shadow, 4);
  img->Paint(Shifted(shadow, 2, 4), Colour(0, 0, 8), 0.8f);
  Mask glow = Dilate(m, 3);
  BlurMask(&glow, 10);
  img->Add(glow, Colour(255, 170, 80), 0.35f);
  Mask outline = Dilate(m, 2);
  img->Paint(outline, Colour(34, 18, 8));
  static const std::vector<Stop> gold = {{0, Colour(255, 248, 214)},    {0.35f, Colour(248, 206, 116)},
                                         {0.55f, Colour(178, 110, 40)}, {0.62f, Colour(150, 88, 30)},
                                         {0.8f, Colour(226, 170, 80)},  {1, Colour(255, 226, 150)}};
  img->Paint(m, [&](float, float y) { return Gradient(gold, (y - (base - cap)) / cap); });
  // A thin bright edge on the top of each letter.
  Mask top = m;
  Subtract(&top, Shifted(m, 0, 1));
  img->Add(top, Colour(255, 250, 230), 0.5f);

  // "ONLINE" between two rules, with a small star in the middle below.
  const std::string sub = "O N L I N E";
  const float spx = 11.5f;
  const float sw = fonts.label->Measure(sub, spx, 1.5f);
  const float sy = base + 22;
  Mask sm(W, H);
  fonts.label->Draw(&sm, sub, (W - sw) / 2, sy, spx, 1.5f);
  Mask subShadow = Shifted(sm, 1, 1);
  BlurMask(&subShadow, 1);
  img->Paint(subShadow, Colour(0, 0, 0), 0.8f);
  img->Paint(sm, Colour(240, 222, 182));
  Path rules;
  const float ry = sy - 4.5f, gap = sw / 2 + 12, len = 78;
  rules.Rect(W / 2.0f - gap - len, ry - 0.5f, len, 1.1f);
  rules.Rect(W / 2.0f + gap, ry - 0.5f, len, 1.1f);
  Diamond(&rules, W / 2.0f - gap - len - 4, ry, 3.5f, 2.5f);
  Diamond(&rules, W / 2.0f + gap + len + 4, ry, 3.5f, 2.5f);
  Mask rm = Rasterise(W, H, rules);
  img->Paint(rm, [&](float xx, float) {
    const float d = std::abs(xx - W / 2.0f) - gap;
    Rgba c = Colour(232, 190, 110);
    c.a = 0.35f + 0.65f * SmoothStep(len + 6, 10, d);
    return c;
  });
}

void Panel(Image* img, const Image& blurred) {
  const int W = img->W(), H = img->H();
  const float x = 158, y = 222, w = 184, h = 120, r = 7;
  Mask body = Rasterise(W, H, Path().RoundRect(x, y, w, h, r));
  Mask drop = body;
  BlurMask(&drop, 6);
  img->Paint(Shifted(drop, 0, 3), Colour(0, 0, 0), 0.55f);
  img->Paint(body, [&](float px, float py) {
    const Rgba& b = blurred.At(static_cast<int>(px), static_cast<int>(py));
    Rgba c;
    c.a = 1;
    c.r = b.a > 0 ? b.r / b.a : 0;
    c.g = b.a > 0 ? b.g / b.a : 0;
    c.b = b.a > 0 ? b.b / b.a : 0;
    return c;
  });
  img->Paint(body, [&](float, float py) {
    Rgba c = Mix(Colour(18, 30, 58), Colour(4, 10, 24), Clamp01((py - y) / h));
    c.a = 0.72f;
    return c;
  });
  // Gold frame: a bright outer line and a darker inner one.
  img->Paint(RingMask(W, H, x, y, w, h, r, 1.3f),
             [&](float, float py) { return Mix(Colour(240, 204, 128), Colour(150, 104, 48), Clamp01((py - y) / h)); });
  img->Paint(RingMask(W, H, x + 4, y + 4, w - 8, h - 8, r - 3, 1.0f), Colour(120, 86, 42), 0.7f);
  // A small emblem on the top edge.
  Path emblem;
  Diamond(&emblem, W / 2.0f, y, 9, 6);
  Mask em = Rasterise(W, H, emblem);
  Mask emOutline = Dilate(em, 1);
  img->Paint(emOutline, Colour(30, 18, 8));
  img->Paint(em, [&](float, float py) {
    return Mix(Colour(255, 232, 160), Colour(168, 112, 44), Clamp01((py - y + 6) / 12));
  });
  Path inner;
  Diamond(&inner, W / 2.0f, y, 3.5f, 2.5f);
  img->Paint(Rasterise(W, H, inner), Colour(24, 40, 72));
}

void Frame(Image* img) {
  const int W = img->W(), H = img->H();
  auto ring = [&](float inset, float width) {
    Path outer, inner;
    outer.Rect(inset, inset, W - 2 * inset, H - 2 * inset);
    inner.Rect(inset + width, inset + width, W - 2 * (inset + width), H - 2 * (inset + width));
    Mask m = Rasterise(W, H, outer);
    Subtract(&m, Rasterise(W, H, inner));
    return m;
  };
  img->Paint(ring(0, 1), Colour(6, 4, 2));
  img->Paint(ring(1, 1), [&](float, float y) { return Mix(Colour(222, 184, 110), Colour(130, 90, 40), y / H); });
  img->Paint(ring(2, 1), Colour(44, 30, 14));
  img->Paint(ring(5, 1), Colour(220, 180, 110), 0.3f);
  // Corner brackets.
  Path br;
  const float len = 18, t = 1.6f, in = 7;
  for (int cx = 0; cx < 2; ++cx)
    for (int cy = 0; cy < 2; ++cy) {
      const float ox = cx ? W - in : in, oy = cy ? H - in : in;
      const float sx = cx ? -1.0f : 1.0f, sy = cy ? -1.0f : 1.0f;
      br.Polygon({{ox, oy},
                  {ox + sx * len, oy},
                  {ox + sx * len, oy + sy * t},
                  {ox + sx * t, oy + sy * t},
                  {ox + sx * t, oy + sy * len},
                  {ox, oy + sy * len}});
      Diamond(&br, ox + sx * 5, oy + sy * 5, 2, 2);
    }
  Mask bm = Rasterise(W, H, br);
  img->Paint(Dilate(bm, 1), Colour(20, 12, 4), 0.8f);
  img->Paint(bm, Colour(236, 198, 120));
}

}  // namespace

Image DrawBackground(const CSkinFonts& fonts) {
  const int W = kSkinWidth, H = kSkinHeight;
  Image img(W, H);
  img.Fill([](float x, float y) { return y < kHorizon ? SkyAt(x, y) : SeaAt(x, y); });
  Stars(&img);
  img.Paint(CloudMask(W, H), CloudAt, 0.9f);

  // The sun, half set, with a hot core.
  Mask sun = Rasterise(W, H, Path().Ellipse(kSunX, kSunY, kSunR, kSunR));
  Mask above = Rasterise(W, H, Path().Rect(0, 0, static_cast<float>(W), kHorizon));
  MultiplyMask(&sun, above);
  img.Paint(sun, [](float x, float y) {
    return Mix(Colour(255, 250, 226), Colour(255, 196, 110), Clamp01(std::hypot(x - kSunX, y - kSunY) / kSunR));
  });

  // Land on the horizon, then gulls.
  Mask land = Rasterise(W, H, Islands(kHorizon));
  img.Paint(land, [](float, float y) {
    return Mix(Colour(70, 40, 74), Colour(40, 24, 52), SmoothStep(kHorizon - 14, kHorizon, y));
  });
  Mask lamp = Rasterise(W, H, Path().Ellipse(474, kHorizon - 31, 1.6f, 1.6f));
  Mask lampGlow = lamp;
  BlurMask(&lampGlow, 5);
  img.Add(lampGlow, Colour(255, 220, 150), 3.0f);
  img.Paint(lamp, Colour(255, 246, 210));
  Path gulls;
  Gulls(&gulls);
  img.Paint(Rasterise(W, H, gulls), Colour(30, 20, 40), 0.9f);

  // The ship, its reflection first.
  const float shipX = 92, shipW = kHorizon + 26, scale = 1.0f;
  Path hull = ShipPath(shipX, shipW, scale);
  Path sails = SailPath(shipX, shipW, scale);
  Path rig = Rigging(shipX, shipW, scale);
  Mask ship = Rasterise(W, H, hull);
  Mask sailMask = Rasterise(W, H, sails);
  Mask rigMask = Rasterise(W, H, rig);
  {
    Mask all = ship;
    for (size_t i = 0; i < all.Values().size(); ++i)
      all.Values()[i] = std::max({all.Values()[i], sailMask.Values()[i], rigMask.Values()[i] * 0.8f});
    Mask refl(W, H);
    for (int y = static_cast<int>(shipW); y < H; ++y) {
      const float d = y - shipW;
      const float wob = 2.2f * std::sin(y * 0.9f) * SmoothStep(0, 40, d);
      for (int x = 0; x < W; ++x) {
        const int sx = static_cast<int>(std::lround(x + wob));
        const int sy = static_cast<int>(shipW - d);
        refl.Ref(x, y) = all.At(sx, sy) * (0.55f - 0.5f * SmoothStep(0, 90, d));
      }
    }
    BlurMask(&refl, 1.0f);
    img.Paint(refl, Colour(6, 8, 20));
  }
  img.Paint(sailMask, [&](float x, float y) {
    // Sails catch a little of the sunset on their forward side.
    const float lit = SmoothStep(shipX - 40, shipX + 60, x) * SmoothStep(shipW - 120, shipW - 30, y);
    return Mix(Colour(40, 28, 48), Colour(112, 62, 64), lit * 0.8f);
  });
  img.Paint(rigMask, Colour(14, 10, 22), 0.85f);
  img.Paint(ship, Colour(12, 9, 20));
  // Warm windows in the stern castle.
  Path windows;
  for (int i = 0; i < 3; ++i) windows.Rect(shipX - 55 + i * 4.0f, shipW - 23, 2, 2);
  for (int i = 0; i < 6; ++i) windows.Rect(shipX - 32 + i * 9.0f, shipW - 10, 2, 1.6f);
  Mask win = Rasterise(W, H, windows);
  Mask winGlow = win;
  BlurMask(&winGlow, 2);
  img.Add(winGlow, Colour(255, 170, 80), 1.2f);
  img.Paint(win, Colour(255, 200, 120));
  // A thin wake at the waterline.
  Path wake;
  wake.Ellipse(shipX - 4, shipW + 1, 66, 1.6f);
  Mask wm = Rasterise(W, H, wake);
  img.Paint(wm, Colour(150, 130, 160), 0.5f);

  // Darken the sea's lower corners and the top of the sky a little, so the
  // eye stays on the middle.
  Mask vignette(W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const float dx = (x - W / 2.0f) / (W / 2.0f), dy = (y - H * 0.48f) / (H / 2.0f);
      vignette.Ref(x, y) = 0.55f * SmoothStep(0.6f, 1.45f, std::sqrt(dx * dx + dy * dy));
    }
  img.Paint(vignette, Colour(0, 0, 6));

  Wordmark(&img, fonts);
  const Image blurred = BlurImage(img, 5);
  Panel(&img, blurred);
  Frame(&img);
  return img;
}

Image DrawStrip(const CSkinFonts& fonts) {
  const int W = kStripW, H = kStripH;
  Image img(W, H);
  auto fade = [&](float x) { return SmoothStep(0, 70, x) * SmoothStep(static_cast<float>(W), W - 70.0f, x); };
  Mask all(W, H);
  for (float& v : all.Values()) v = 1;
  img.Paint(all, [&](float x, float y) {
    Rgba c = Mix(Colour(6, 14, 30), Colour(2, 6, 16), y / H);
    c.a = 0.72f * fade(x);
    return c;
  });
  Path lines;
  lines.Rect(0, 2, static_cast<float>(W), 1);
  lines.Rect(0, H - 3.0f, static_cast<float>(W), 1);
  img.Paint(Rasterise(W, H, lines), [&](float x, float) {
    Rgba c = Colour(226, 186, 110);
    c.a = 0.9f * fade(x);
    return c;
  });

  const std::string text = "거친 파도 너머, 새로운 항로가 당신을 기다립니다";
  const float px = 12.5f;
  const float tw = fonts.body->Measure(text, px, 0.3f);
  const float tx = (W - tw) / 2, base = H / 2.0f + fonts.body->CapHeight(px) / 2;
  Mask tm(W, H);
  fonts.body->Draw(&tm, text, tx, base, px, 0.3f);
  Mask ts = Dilate(tm, 1);
  BlurMask(&ts, 1);
  img.Paint(ts, Colour(0, 0, 0), 0.9f);
  img.Paint(tm, Colour(236, 224, 196));
  Path marks;
  Diamond(&marks, tx - 14, H / 2.0f, 4, 3);
  Diamond(&marks, tx + tw + 14, H / 2.0f, 4, 3);
  Mask mm = Rasterise(W, H, marks);
  img.Paint(Dilate(mm, 1), Colour(0, 0, 0), 0.8f);
  img.Paint(mm, Colour(232, 190, 110));
  return img;
}

Image DrawButton(const CSkinFonts& fonts, const std::string& label, ButtonState state) {
  const int W = kButtonW, H = kButtonH;
  Image img(W, H);
  const float r = 6;
  Mask body = Rasterise(W, H, Path().RoundRect(0.5f, 0.5f, W - 1.0f, H - 1.0f, r));

  Rgba top, bottom, edgeTop, edgeBottom, text;
  switch (state) {
    case kButtonHot:
      top = Colour(74, 120, 170);
      bottom = Colour(22, 52, 96);
      edgeTop = Colour(255, 238, 180);
      edgeBottom = Colour(236, 180, 90);
      text = Colour(255, 250, 232);
      break;
    case kButtonPressed:
      top = Colour(8, 18, 36);
      bottom = Colour(26, 48, 80);
      edgeTop = Colour(150, 104, 48);
      edgeBottom = Colour(214, 170, 96);
      text = Colour(226, 206, 160);
      break;
    default:
      top = Colour(36, 62, 98);
      bottom = Colour(10, 24, 48);
      edgeTop = Colour(226, 190, 118);
      edgeBottom = Colour(140, 96, 44);
      text = Colour(240, 226, 194);
      break;
  }
  img.Paint(body, [&](float, float y) { return Mix(top, bottom, Clamp01(y / H)); });
  if (state != kButtonPressed) {
    // Glassy sheen on the upper half.
    Mask sheen = Rasterise(W, H, Path().RoundRect(2, 2, W - 4.0f, H / 2.0f - 1, r - 2));
    img.Paint(sheen, [&](float, float y) {
      Rgba c = Colour(255, 255, 255);
      c.a = (state == kButtonHot ? 0.16f : 0.10f) * (1 - Clamp01((y - 2) / (H / 2.0f)));
      return c;
    });
  } else {
    Mask inset = RingMask(W, H, 1.5f, 1.5f, W - 3.0f, H - 3.0f, r - 1, 1.5f);
    img.Paint(Shifted(inset, 0, 1), Colour(0, 0, 0), 0.5f);
  }
  if (state == kButtonHot) {
    // Light from below, as from a lamp.
    Mask glow(W, H);
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x)
        glow.Ref(x, y) = body.At(x, y) * Gauss(std::hypot((x - W / 2.0f) / 3.2f, y - (H + 4.0f)), 9);
    img.Add(glow, Colour(255, 190, 100), 0.8f);
  }
  img.Paint(RingMask(W, H, 0.5f, 0.5f, W - 1.0f, H - 1.0f, r, 1.2f),
            [&](float, float y) { return Mix(edgeTop, edgeBottom, Clamp01(y / H)); });
  img.Paint(RingMask(W, H, 2.2f, 2.2f, W - 4.4f, H - 4.4f, r - 1.7f, 0.8f), Colour(0, 0, 0), 0.45f);

  const float px = 13.0f;
  const float tw = fonts.label->Measure(label, px, 1.0f);
  const float down = state == kButtonPressed ? 1.0f : 0.0f;
  const float base = std::round(H / 2.0f + fonts.label->CapHeight(px) / 2.0f) + down;
  const float tx = std::round((W - tw) / 2);
  Mask tm(W, H);
  fonts.label->Draw(&tm, label, tx, base, px, 1.0f);
  Mask ts = Shifted(tm, 0, 1);
  img.Paint(ts, Colour(0, 0, 0), 0.75f);
  img.Paint(tm, text);
  Path marks;
  Diamond(&marks, tx - 12, H / 2.0f + down, 3, 2.5f);
  Diamond(&marks, tx + tw + 12, H / 2.0f + down, 3, 2.5f);
  Mask mm = Rasterise(W, H, marks);
  img.Paint(mm, Mix(edgeTop, edgeBottom, 0.3f), state == kButtonPressed ? 0.7f : 1.0f);
  return img;
}
