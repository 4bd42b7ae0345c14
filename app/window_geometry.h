// Where a window of a given size goes when it is centred on another one:
// the rule of the main frame's screen switches, kept free of Win32 so that
// it can be checked on its own.
#pragma once

struct GeoRect {
  int left, top, right, bottom;
};

struct GeoPoint {
  int x, y;
};

// Top-left of a width x height window centred on target, moved inside the
// work area (left/top edges win when the window is larger than the area).
// Halves truncate toward zero, as integer division does.
inline GeoPoint CenterOnRectInWorkArea(const GeoRect& target, int width, int height, const GeoRect& work) {
  int x = target.left + ((target.right - target.left) - width) / 2;
  int y = target.top + ((target.bottom - target.top) - height) / 2;
  if (x < work.left)
    x = work.left;
  else if (x + width > work.right)
    x = work.right - width;
  if (y < work.top)
    y = work.top;
  else if (y + height > work.bottom)
    y = work.bottom - height;
  return {x, y};
}
