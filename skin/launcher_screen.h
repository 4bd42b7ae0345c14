// The launcher screen without its window: the picture composed from the
// skin (background, banner and the Start, Settings and Exit buttons), hit
// testing, each button's frame (normal, hot, pressed), the press-and-release
// rule, the window drag and the single Start/Exit command.  The Win32 view
// (CQuorlLauncherView) passes mouse positions in client coordinates and
// carries out what the answers ask for (capture, redraw, post a command,
// move the window).  Neutral, so that native tests reach all of it.
#pragma once

#include <cstdint>
#include <vector>

class CGraphicData;

// True when the skin can show the launcher screen: an entry 0 (the
// background) with a size above 0 x 0 whose image can be read.
bool IsUsableLauncherSkin(CGraphicData* skin);

class CLauncherScreen {
 public:
  // A button's three frames are consecutive skin entries from firstEntry.
  enum Frame { kFrameNormal = 0, kFrameHot = 1, kFramePressed = 2 };

  struct Button {
    int x, y;
    int firstEntry;
    uint32_t command;
    int width, height;  // of its first frame
    int frame;
  };

  // What the window has to do after a mouse message.
  struct Reply {
    bool redraw = false;      // the picture changed
    bool capture = false;     // take the mouse capture
    bool release = false;     // give the capture back
    bool trackLeave = false;  // ask to hear when the pointer leaves
    bool moveWindow = false;  // a drag step: see DragPosition
    uint32_t command = 0;     // post this command to the main window (0: none)
  };

  CLauncherScreen() = default;

  // Lays the buttons out from the skin's entry sizes and composes the
  // picture.  Without a skin, or with one that has no background size, the
  // screen stays empty (0 x 0, no buttons).  The skin must outlive the
  // screen or the next Build.
  void Build(CGraphicData* skin);

  int GetWidth() const { return m_width; }
  int GetHeight() const { return m_height; }
  // width x height pixels 0x00RRGGBB, top row first; empty before Build.
  const std::vector<uint32_t>& GetPixels() const { return m_pixels; }
  const std::vector<Button>& GetButtons() const { return m_buttons; }

  // The button under a client point, or -1.
  int HitTest(int x, int y) const;
  // Shows one of a button's frames; true when that changed the picture.
  bool SetFrame(int button, int frame);

  // Mouse messages, in client coordinates.  haveCapture: the view holds the
  // mouse capture at the time of the message.
  Reply ButtonDown(int x, int y);
  Reply MouseMove(int x, int y, bool haveCapture);
  Reply ButtonUp(int x, int y);
  Reply MouseLeave();
  // The capture was taken away (WM_CANCELMODE).
  Reply CancelMode();
  // The capture went to another window (WM_CAPTURECHANGED).
  void CaptureLost();

  // Start and Exit share one shot: true for the first of them only.
  bool FireOnce();

  // Where the main window goes during a drag, so that the point where the
  // drag started stays under the pointer: pointer (screen), the view's
  // client origin (screen) and the main window's top-left (screen).
  void DragPosition(int pointerX, int pointerY, int clientLeft, int clientTop, int frameLeft, int frameTop, int* x,
                    int* y) const;

  bool IsDragging() const { return m_dragging; }
  int GetPressed() const { return m_pressed; }
  int GetHot() const { return m_hot; }

  // The skin entries the screen uses.
  static constexpr int kBackgroundEntry = 0;
  static constexpr int kBannerEntry = 1;
  // The banner's top edge; it is centred horizontally.
  static constexpr int kBannerTop = 356;

 private:
  void Compose();
  // Alpha-blends one skin entry into the picture at (x, y).
  void BlendEntry(int entry, int x, int y);

  CGraphicData* m_skin = nullptr;
  std::vector<Button> m_buttons;
  std::vector<uint32_t> m_pixels;
  int m_width = 0;
  int m_height = 0;
  int m_pressed = -1;
  int m_hot = -1;
  bool m_dragging = false;
  int m_dragStartX = 0;
  int m_dragStartY = 0;
  bool m_commandFired = false;
};
