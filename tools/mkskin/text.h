// Text as coverage masks, through FreeType (grey-scale anti-aliasing).
#pragma once

#include <memory>
#include <string>

#include "tools/mkskin/canvas.h"

class CFont {
 public:
  // Opens the first of the candidate files that exists; null when none does.
  static std::unique_ptr<CFont> Open(const std::vector<std::string>& candidates);
  ~CFont();

  // Width in pixels of UTF-8 text at pixel size px with extra letter spacing.
  float Measure(const std::string& text, float px, float spacing = 0) const;
  // Draws UTF-8 text with its baseline starting at (x, y) into mask (adds
  // coverage).
  void Draw(Mask* mask, const std::string& text, float x, float y, float px, float spacing = 0) const;
  // Ascent of capitals (height of "H") at px, for vertical centring.
  float CapHeight(float px) const;
  const std::string& File() const { return m_file; }

 private:
  CFont() = default;
  struct Impl;
  std::unique_ptr<Impl> m_impl;
  std::string m_file;
};
