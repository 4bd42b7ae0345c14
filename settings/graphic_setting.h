// The graphics settings as the device layer reads them: the effective
// record (the user's settings brought within the limits of the device),
// whose antialias, sync and bbc shape the present parameters.
#pragma once

#include <cstdint>

// One set of graphics settings.  The comment gives the registry key where
// it differs from the field name.
struct GraphicRecord {
  int32_t tex2d;          // "2dtex"
  int32_t tex3dsize;      // "3dtexsize"
  int32_t mipmap;
  int32_t dxt;
  int32_t tex_model;
  int32_t visible_model;
  int32_t particles;
  int32_t antialias;
  int32_t sync;
  int32_t pixelfog;
  int32_t bbc;
  int32_t dvrst;
  int32_t rt_format;      // D3DFORMAT of the render-target texture; no key
  int32_t ocean_set;
  int32_t ocean_type;
  int32_t ocean_shoal;
  int32_t ocean_wave;
  int32_t ocean_reflect;
  int32_t ocean_refract;
  int32_t ocean_sun;
  int32_t ocean_tex;
  int32_t lens;
  int32_t landreflect;
  int32_t landrefract;
  int32_t landsurface;
  int32_t farclip;
  int32_t shadow;
  int32_t sway;
  int32_t land_m;
  int32_t land_r;
  uint8_t maxlod;         // a byte: loads keep the low 8 bits of the stored value
  int32_t seafov;
  int32_t seafar;
  int32_t shootrange;
  int32_t fontsample;
  int32_t gamma;
};

class CGraphicSetting {
 public:
  // Both records zeroed but for antialias 0, sync 1 and bbc 1: what the
  // present parameters read when the device is created before any load.
  CGraphicSetting();

  const GraphicRecord& GetEffective() const { return m_effective; }
  GraphicRecord& GetEffective() { return m_effective; }
  const GraphicRecord& GetUser() const { return m_user; }
  GraphicRecord& GetUser() { return m_user; }

 private:
  GraphicRecord m_effective;
  GraphicRecord m_user;
};

// The program's one graphics settings object, made on first use.
CGraphicSetting& GetGraphicSetting();
