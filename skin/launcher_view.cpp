#include "skin/launcher_view.h"

#include "app/launcher_app.h"
#include "res/resource.h"
#include "settings/env_dialog.h"

namespace {

struct ButtonDef {
  int x, y, firstEntry;
  UINT command;
};

// Start, Settings and Exit, each with three frames: normal, hot, pressed.
constexpr ButtonDef kButtonDefs[] = {
    {179, 236, 2, ID_LAUNCHER_START},
    {179, 268, 14, ID_LAUNCHER_ENV_SETTINGS},
    {179, 300, 17, ID_LAUNCHER_EXIT},
};
constexpr int kBannerEntry = 1;
constexpr int kBannerTop = 356;
// An indexed skin image: one byte per pixel, then 256 {B, G, R, A}.
constexpr uint32_t kPaletteBytes = 1024;

}  // namespace

IMPLEMENT_DYNCREATE(CQuorlLauncherView, CView)

BEGIN_MESSAGE_MAP(CQuorlLauncherView, CView)
  ON_WM_ERASEBKGND()
  ON_WM_LBUTTONDOWN()
  ON_WM_MOUSEMOVE()
  ON_WM_LBUTTONUP()
  ON_WM_CANCELMODE()
  ON_WM_CAPTURECHANGED()
  ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeave)
  ON_COMMAND(ID_LAUNCHER_START, OnStart)
  ON_COMMAND(ID_LAUNCHER_ENV_SETTINGS, OnEnvSettings)
  ON_COMMAND(ID_LAUNCHER_EXIT, OnExit)
END_MESSAGE_MAP()

CQuorlLauncherView::CQuorlLauncherView() = default;
CQuorlLauncherView::~CQuorlLauncherView() = default;

BOOL CQuorlLauncherView::PreCreateWindow(CREATESTRUCT& cs) {
  if (!CView::PreCreateWindow(cs))
    return FALSE;
  cs.dwExStyle &= ~WS_EX_CLIENTEDGE;
  return TRUE;
}

void CQuorlLauncherView::OnInitialUpdate() {
  CView::OnInitialUpdate();
  CGraphicData& skin = GetLauncherApp()->GetGraphicData();
  int32_t w = 0, h = 0;
  skin.GetImageSize(0, &w, &h);
  m_width = w;
  m_height = h;
  m_buttons.clear();
  for (const ButtonDef& def : kButtonDefs) {
    int32_t bw = 0, bh = 0;
    skin.GetImageSize(def.firstEntry, &bw, &bh);
    m_buttons.push_back({def.x, def.y, def.firstEntry, def.command, bw, bh, 0});
  }
  Compose();
  Invalidate(FALSE);
}

void CQuorlLauncherView::BlendEntry(int entry, int x, int y) {
  CGraphicData& skin = GetLauncherApp()->GetGraphicData();
  CGraphicDataHandle handle;
  if (!skin.GetImage(entry, &handle))
    return;
  const uint32_t w = static_cast<uint32_t>(handle.width);
  const uint32_t h = static_cast<uint32_t>(handle.height);
  if (w == 0 || h == 0 || handle.size < kPaletteBytes || (handle.size - kPaletteBytes) / w < h)
    return;
  const uint8_t* palette = handle.data + static_cast<size_t>(w) * h;
  for (uint32_t row = 0; row < h; ++row) {
    const int dy = y + static_cast<int>(row);
    if (dy < 0 || dy >= m_height)
      continue;
    for (uint32_t col = 0; col < w; ++col) {
      const int dx = x + static_cast<int>(col);
      if (dx < 0 || dx >= m_width)
        continue;
      const uint8_t* c = palette + 4 * handle.data[row * w + col];
      const uint32_t a = c[3];
      if (a == 0)
        continue;
      uint32_t& d = m_pixels[static_cast<size_t>(dy) * m_width + dx];
      const uint32_t db = d & 0xFF, dg = (d >> 8) & 0xFF, dr = (d >> 16) & 0xFF;
      const uint32_t b = (c[0] * a + db * (255 - a)) / 255;
      const uint32_t g = (c[1] * a + dg * (255 - a)) / 255;
      const uint32_t r = (c[2] * a + dr * (255 - a)) / 255;
      d = (r << 16) | (g << 8) | b;
    }
  }
}

void CQuorlLauncherView::Compose() {
  if (m_width <= 0 || m_height <= 0)
    return;
  m_pixels.assign(static_cast<size_t>(m_width) * m_height, 0);
  BlendEntry(0, 0, 0);
  int32_t bw = 0, bh = 0;
  GetLauncherApp()->GetGraphicData().GetImageSize(kBannerEntry, &bw, &bh);
  BlendEntry(kBannerEntry, (m_width - bw) / 2, kBannerTop);
  for (const Button& b : m_buttons)
    BlendEntry(b.firstEntry + b.frame, b.x, b.y);
}

void CQuorlLauncherView::OnDraw(CDC* pDC) {
  if (m_pixels.empty())
    return;
  BITMAPINFO bmi = {};
  bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
  bmi.bmiHeader.biWidth = m_width;
  bmi.bmiHeader.biHeight = -m_height;  // top-down rows
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  ::SetDIBitsToDevice(pDC->GetSafeHdc(), 0, 0, m_width, m_height, 0, 0, 0, m_height,
                      m_pixels.data(), &bmi, DIB_RGB_COLORS);
}

BOOL CQuorlLauncherView::OnEraseBkgnd(CDC*) { return TRUE; }

int CQuorlLauncherView::HitTestButton(CPoint point) const {
  for (size_t i = 0; i < m_buttons.size(); ++i) {
    const Button& b = m_buttons[i];
    if (point.x >= b.x && point.x < b.x + b.width && point.y >= b.y && point.y < b.y + b.height)
      return static_cast<int>(i);
  }
  return -1;
}

void CQuorlLauncherView::SetFrame(int button, int frame) {
  if (button < 0 || m_buttons[button].frame == frame)
    return;
  m_buttons[button].frame = frame;
  Compose();
  Invalidate(FALSE);
}

void CQuorlLauncherView::OnLButtonDown(UINT, CPoint point) {
  int hit = HitTestButton(point);
  if (hit >= 0) {
    m_pressed = hit;
    SetFrame(hit, 2);
    SetCapture();
    return;
  }
  if (!m_bDragging) {
    m_ptDragStart = point;
    m_bDragging = TRUE;
    SetCapture();
  }
}

void CQuorlLauncherView::OnMouseMove(UINT, CPoint point) {
  if (m_pressed >= 0) {
    SetFrame(m_pressed, HitTestButton(point) == m_pressed ? 2 : 1);
    return;
  }
  if (m_bDragging) {
    if (CWnd::GetCapture() != this) {
      m_bDragging = FALSE;
      return;
    }
    // Keep the point where the drag started under the pointer.
    POINT screen = point;
    ClientToScreen(&screen);
    RECT client, frame;
    GetClientRect(&client);
    ClientToScreen(&client);
    AfxGetMainWnd()->GetWindowRect(&frame);
    AfxGetMainWnd()->SetWindowPos(nullptr, screen.x - m_ptDragStart.x - client.left + frame.left,
                                  screen.y - m_ptDragStart.y - client.top + frame.top, 0, 0,
                                  SWP_NOSIZE | SWP_NOZORDER);
    return;
  }
  int hit = HitTestButton(point);
  if (hit != m_hot) {
    if (m_hot >= 0)
      SetFrame(m_hot, 0);
    m_hot = hit;
    if (hit >= 0) {
      SetFrame(hit, 1);
      TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, m_hWnd, 0};
      ::TrackMouseEvent(&track);
    }
  }
}

LRESULT CQuorlLauncherView::OnMouseLeave(WPARAM, LPARAM) {
  if (m_pressed < 0 && m_hot >= 0)
    SetFrame(m_hot, 0);
  m_hot = -1;
  return 0;
}

void CQuorlLauncherView::OnLButtonUp(UINT, CPoint point) {
  if (m_pressed >= 0) {
    const int pressed = m_pressed;
    m_pressed = -1;
    const bool over = HitTestButton(point) == pressed;
    SetFrame(pressed, over ? 1 : 0);
    m_hot = over ? pressed : -1;
    ::ReleaseCapture();
    // A command only for a release over the button that was pressed.
    if (over)
      AfxGetMainWnd()->PostMessage(WM_COMMAND, m_buttons[pressed].command, 0);
    return;
  }
  if (m_bDragging) {
    m_bDragging = FALSE;
    ::ReleaseCapture();
  }
}

void CQuorlLauncherView::OnCancelMode() {
  CView::OnCancelMode();
  if (m_pressed >= 0)
    SetFrame(m_pressed, 0);
  m_pressed = -1;
  m_bDragging = FALSE;
}

void CQuorlLauncherView::OnCaptureChanged(CWnd* pWnd) {
  CView::OnCaptureChanged(pWnd);
  if (m_bDragging && pWnd != this)
    m_bDragging = FALSE;
}

void CQuorlLauncherView::OnStart() {
  if (m_bCommandFired)
    return;
  m_bCommandFired = TRUE;
  AfxGetMainWnd()->PostMessage(WM_COMMAND, ID_SHOW_UPDATE_VIEW, 0);
}

void CQuorlLauncherView::OnEnvSettings() {
  CQuorlEnvDialog dialog(FALSE, nullptr);
  dialog.DoModal();
}

void CQuorlLauncherView::OnExit() {
  if (m_bCommandFired)
    return;
  m_bCommandFired = TRUE;
  AfxGetMainWnd()->PostMessage(WM_COMMAND, ID_APP_EXIT, 0);
}
