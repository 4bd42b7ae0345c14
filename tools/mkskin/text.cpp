#include "tools/mkskin/text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstdio>
#include <vector>

struct CFont::Impl {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
};

namespace {

std::vector<uint32_t> DecodeUtf8(const std::string& s) {
  std::vector<uint32_t> out;
  for (size_t i = 0; i < s.size();) {
    const uint8_t c = static_cast<uint8_t>(s[i]);
    uint32_t cp = c;
    int extra = 0;
    if (c >= 0xF0) {
      cp = c & 0x07;
      extra = 3;
    } else if (c >= 0xE0) {
      cp = c & 0x0F;
      extra = 2;
    } else if (c >= 0xC0) {
      cp = c & 0x1F;
      extra = 1;
    }
    ++i;
    for (int k = 0; k < extra && i < s.size(); ++k, ++i) cp = (cp << 6) | (static_cast<uint8_t>(s[i]) & 0x3F);
    out.push_back(cp);
  }
  return out;
}

}  // namespace

std::unique_ptr<CFont> CFont::Open(const std::vector<std::string>& candidates) {
  std::unique_ptr<CFont> font(new CFont);
  font->m_impl.reset(new Impl);
  if (FT_Init_FreeType(&font->m_impl->library) != 0) return nullptr;
  for (const std::string& file : candidates) {
    if (FT_New_Face(font->m_impl->library, file.c_str(), 0, &font->m_impl->face) == 0) {
      font->m_file = file;
      return font;
    }
  }
  return nullptr;
}

CFont::~CFont() {
  if (m_impl) {
    if (m_impl->face) FT_Done_Face(m_impl->face);
    if (m_impl->library) FT_Done_FreeType(m_impl->library);
  }
}

float CFont::Measure(const std::string& text, float px, float spacing) const {
  FT_Face face = m_impl->face;
  FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(px * 64), 72, 72);
  FT_Set_Transform(face, nullptr, nullptr);
  float width = 0;
  const std::vector<uint32_t> cps = DecodeUtf8(text);
  for (size_t i = 0; i < cps.size(); ++i) {
    if (FT_Load_Char(face, cps[i], FT_LOAD_DEFAULT | FT_LOAD_TARGET_LIGHT) != 0) continue;
    width += face->glyph->linearHoriAdvance / 65536.0f;
    if (i + 1 < cps.size()) width += spacing;
  }
  return width;
}

float CFont::CapHeight(float px) const {
  FT_Face face = m_impl->face;
  FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(px * 64), 72, 72);
  FT_Set_Transform(face, nullptr, nullptr);
  if (FT_Load_Char(face, 'H', FT_LOAD_DEFAULT | FT_LOAD_TARGET_LIGHT) != 0) return px * 0.7f;
  return face->glyph->metrics.horiBearingY / 64.0f;
}

void CFont::Draw(Mask* mask, const std::string& text, float x, float y, float px, float spacing) const {
  FT_Face face = m_impl->face;
  FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(px * 64), 72, 72);
  float pen = x;
  for (uint32_t cp : DecodeUtf8(text)) {
    // Sub-pixel placement: the fraction of the pen goes into the outline.
    const float fx = std::floor(pen), fy = std::floor(y);
    FT_Vector delta;
    delta.x = static_cast<FT_Pos>((pen - fx) * 64);
    delta.y = static_cast<FT_Pos>(-(y - fy) * 64);
    FT_Set_Transform(face, nullptr, &delta);
    if (FT_Load_Char(face, cp, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0) continue;
    const FT_GlyphSlot g = face->glyph;
    const FT_Bitmap& bm = g->bitmap;
    const int ox = static_cast<int>(fx) + g->bitmap_left;
    const int oy = static_cast<int>(fy) - g->bitmap_top;
    for (unsigned r = 0; r < bm.rows; ++r) {
      for (unsigned c = 0; c < bm.width; ++c) {
        const int tx = ox + static_cast<int>(c), ty = oy + static_cast<int>(r);
        if (tx < 0 || ty < 0 || tx >= mask->W() || ty >= mask->H()) continue;
        const float v = bm.buffer[r * static_cast<unsigned>(bm.pitch) + c] / 255.0f;
        float& d = mask->Ref(tx, ty);
        d = d + v - d * v;
      }
    }
    pen += g->linearHoriAdvance / 65536.0f + spacing;
  }
  FT_Set_Transform(face, nullptr, nullptr);
}
