#include "skin/launcher_screen.h"

#include "res/resource.h"
#include "skin/graphic_data.h"

namespace {

struct ButtonDef {
  int x, y, firstEntry;
  uint32_t command;
};

// Start, Settings and Exit, each with three frames: normal, hot, pressed.
constexpr ButtonDef kButtonDefs[] = {
    {179, 236, 2, ID_LAUNCHER_START},
    {179, 268, 14, ID_LAUNCHER_ENV_SETTINGS},
    {179, 300, 17, ID_LAUNCHER_EXIT},
};
// An indexed skin image: one byte per pixel, then 256 {B, G, R, A}.
constexpr uint32_t kPaletteBytes = 1024;

}  // namespace

bool IsUsableLauncherSkin(CGraphicData* skin) {
  if (skin == nullptr) return false;
  int32_t w = 0, h = 0;
  if (!skin->GetImageSize(CLauncherScreen::kBackgroundEntry, &w, &h) || w <= 0 || h <= 0) return false;
  // Reading it also unpacks it: a damaged block fails here, not at the
  // first paint.
  CGraphicDataHandle handle;
  return skin->GetImage(CLauncherScreen::kBackgroundEntry, &handle);
}

void CLauncherScreen::Build(CGraphicData* skin) {
  m_skin = skin;
  m_buttons.clear();
  m_pixels.clear();
  m_width = 0;
  m_height = 0;
  m_pressed = -1;
  m_hot = -1;
  if (m_skin == nullptr) return;
  int32_t w = 0, h = 0;
  m_skin->GetImageSize(kBackgroundEntry, &w, &h);
  if (w <= 0 || h <= 0) return;
  m_width = w;
  m_height = h;
  for (const ButtonDef& def : kButtonDefs) {
    int32_t bw = 0, bh = 0;
    m_skin->GetImageSize(def.firstEntry, &bw, &bh);
    m_buttons.push_back({def.x, def.y, def.firstEntry, def.command, bw, bh, kFrameNormal});
  }
  Compose();
}

void CLauncherScreen::BlendEntry(int entry, int x, int y) {
  CGraphicDataHandle handle;
  if (!m_skin->GetImage(entry, &handle)) return;
  const uint32_t w = static_cast<uint32_t>(handle.width);
  const uint32_t h = static_cast<uint32_t>(handle.height);
  // Written as a division: w * h could wrap on a hostile index.
  if (w == 0 || h == 0 || handle.size < kPaletteBytes || (handle.size - kPaletteBytes) / w < h) return;
  const uint8_t* palette = handle.data + static_cast<size_t>(w) * h;
  for (uint32_t row = 0; row < h; ++row) {
    const int dy = y + static_cast<int>(row);
    if (dy < 0 || dy >= m_height) continue;
    for (uint32_t col = 0; col < w; ++col) {
      const int dx = x + static_cast<int>(col);
      if (dx < 0 || dx >= m_width) continue;
      const uint8_t* c = palette + 4 * handle.data[row * w + col];
      const uint32_t a = c[3];
      if (a == 0) continue;
      uint32_t& d = m_pixels[static_cast<size_t>(dy) * m_width + dx];
      const uint32_t db = d & 0xFF, dg = (d >> 8) & 0xFF, dr = (d >> 16) & 0xFF;
      const uint32_t b = (c[0] * a + db * (255 - a)) / 255;
      const uint32_t g = (c[1] * a + dg * (255 - a)) / 255;
      const uint32_t r = (c[2] * a + dr * (255 - a)) / 255;
      d = (r << 16) | (g << 8) | b;
    }
  }
}

void CLauncherScreen::Compose() {
  if (m_width <= 0 || m_height <= 0) return;
  m_pixels.assign(static_cast<size_t>(m_width) * m_height, 0);
  BlendEntry(kBackgroundEntry, 0, 0);
  int32_t bw = 0, bh = 0;
  m_skin->GetImageSize(kBannerEntry, &bw, &bh);
  BlendEntry(kBannerEntry, (m_width - bw) / 2, kBannerTop);
  for (const Button& b : m_buttons) BlendEntry(b.firstEntry + b.frame, b.x, b.y);
}

int CLauncherScreen::HitTest(int x, int y) const {
  for (size_t i = 0; i < m_buttons.size(); ++i) {
    const Button& b = m_buttons[i];
    if (x >= b.x && x < b.x + b.width && y >= b.y && y < b.y + b.height) return static_cast<int>(i);
  }
  return -1;
}

bool CLauncherScreen::SetFrame(int button, int frame) {
  if (button < 0 || static_cast<size_t>(button) >= m_buttons.size() || m_buttons[button].frame == frame) return false;
  m_buttons[button].frame = frame;
  Compose();
  return true;
}

CLauncherScreen::Reply CLauncherScreen::ButtonDown(int x, int y) {
  Reply reply;
  const int hit = HitTest(x, y);
  if (hit >= 0) {
    m_pressed = hit;
    reply.redraw = SetFrame(hit, kFramePressed);
    reply.capture = true;
    return reply;
  }
  if (!m_dragging) {
    m_dragStartX = x;
    m_dragStartY = y;
    m_dragging = true;
    reply.capture = true;
  }
  return reply;
}

CLauncherScreen::Reply CLauncherScreen::MouseMove(int x, int y, bool haveCapture) {
  Reply reply;
  if (m_pressed >= 0) {
    // Pressed while on the button it was pressed on, hot beside it.
    reply.redraw = SetFrame(m_pressed, HitTest(x, y) == m_pressed ? kFramePressed : kFrameHot);
    return reply;
  }
  if (m_dragging) {
    if (!haveCapture)
      m_dragging = false;
    else
      reply.moveWindow = true;
    return reply;
  }
  const int hit = HitTest(x, y);
  if (hit != m_hot) {
    if (m_hot >= 0) reply.redraw |= SetFrame(m_hot, kFrameNormal);
    m_hot = hit;
    if (hit >= 0) {
      reply.redraw |= SetFrame(hit, kFrameHot);
      reply.trackLeave = true;
    }
  }
  return reply;
}

CLauncherScreen::Reply CLauncherScreen::MouseLeave() {
  Reply reply;
  if (m_pressed < 0 && m_hot >= 0) reply.redraw = SetFrame(m_hot, kFrameNormal);
  m_hot = -1;
  return reply;
}

CLauncherScreen::Reply CLauncherScreen::ButtonUp(int x, int y) {
  Reply reply;
  if (m_pressed >= 0) {
    const int pressed = m_pressed;
    m_pressed = -1;
    const bool over = HitTest(x, y) == pressed;
    reply.redraw = SetFrame(pressed, over ? kFrameHot : kFrameNormal);
    m_hot = over ? pressed : -1;
    reply.release = true;
    // A command only for a release over the button that was pressed.
    if (over) reply.command = m_buttons[pressed].command;
    return reply;
  }
  if (m_dragging) {
    m_dragging = false;
    reply.release = true;
  }
  return reply;
}

CLauncherScreen::Reply CLauncherScreen::CancelMode() {
  Reply reply;
  if (m_pressed >= 0) reply.redraw = SetFrame(m_pressed, kFrameNormal);
  m_pressed = -1;
  m_dragging = false;
  return reply;
}

void CLauncherScreen::CaptureLost() { m_dragging = false; }

bool CLauncherScreen::FireOnce() {
  if (m_commandFired) return false;
  m_commandFired = true;
  return true;
}

void CLauncherScreen::DragPosition(int pointerX, int pointerY, int clientLeft, int clientTop, int frameLeft,
                                   int frameTop, int* x, int* y) const {
  *x = pointerX - m_dragStartX - clientLeft + frameLeft;
  *y = pointerY - m_dragStartY - clientTop + frameTop;
}
