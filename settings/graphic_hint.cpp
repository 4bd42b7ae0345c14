// The hint texts beside the settings items: a main text and a
// recommendation taken from the defaults the device would get.
#include "res/resource.h"
#include "settings/graphic_setting.h"

namespace {

// A recommendation that follows the value: base + value, negative values
// counting as 0.
UINT ByValue(UINT base, int32_t value) { return base + static_cast<UINT>(value < 0 ? 0 : value); }

// A recommendation for values 0..count-1 only (none otherwise).
UINT ByValueUpTo(UINT base, int32_t value, int32_t count) {
  return (value >= 0 && value < count) ? base + static_cast<UINT>(value) : 0;
}

UINT Choose(bool nonZero, UINT whenNonZero, UINT whenZero) { return nonZero ? whenNonZero : whenZero; }

HintTextIds Ids(UINT main, UINT recommendation = 0, UINT note = 0) { return {main, recommendation, note}; }

}  // namespace

HintTextIds SelectHintTextIds(int item, const GraphicRecord& d, bool hasPixelShader20) {
  switch (item) {
    case 0:
      return Ids(IDS_HINT_TEX2D, ByValue(IDS_HINT_TEX2D_REC, d.tex2d));
    case 1:
      return Ids(IDS_HINT_TEX3D, ByValue(IDS_HINT_TEX3D_REC, d.tex3dsize));
    case 2:
      return Ids(IDS_HINT_MIPMAP, Choose(d.mipmap != 0, IDS_HINT_MIPMAP_REC_ON, IDS_HINT_MIPMAP_REC_OFF));
    case 3:
      return Ids(IDS_HINT_DXT, Choose(d.dxt != 0, IDS_HINT_DXT_REC_OFF, IDS_HINT_DXT_REC_ON));
    case 6:
      return Ids(IDS_HINT_FOG);
    case 7:
      return Ids(IDS_HINT_ANTIALIAS);
    case 8:
      return Ids(IDS_HINT_SYNC);
    case 9:
      return Ids(IDS_HINT_BBC);
    case 10:
      return Ids(IDS_HINT_DVRST);
    case 11:
      return Ids(IDS_HINT_LAND_M);
    case 12:
      return Ids(IDS_HINT_LAND_R);
    case 13:
      return Ids(IDS_HINT_OCEAN, ByValueUpTo(IDS_HINT_OCEAN_REC, d.ocean_type, 3));
    case 14:
      return Ids(IDS_HINT_OCEAN_TYPE, ByValue(IDS_HINT_OCEAN_TYPE_REC, d.ocean_type),
                 hasPixelShader20 ? 0 : IDS_HINT_OCEAN_TYPE_NOTE);
    case 15: {
      UINT rec = 0;
      if (d.ocean_shoal == 0)
        rec = IDS_HINT_SHOAL_REC_OFF;
      else if (d.ocean_shoal == 1 || d.ocean_shoal == 2)
        rec = IDS_HINT_SHOAL_REC_ON;
      return Ids(IDS_HINT_SHOAL, rec);
    }
    case 16:
      return Ids(IDS_HINT_WAVE, ByValueUpTo(IDS_HINT_WAVE_REC, d.ocean_wave, 4));
    case 17:
      return Ids(IDS_HINT_REFLECT, ByValue(IDS_HINT_REFLECT_REC, d.ocean_reflect));
    case 18:
      return Ids(IDS_HINT_REFRACT, ByValue(IDS_HINT_REFRACT_REC, d.ocean_refract));
    case 19:
      return Ids(IDS_HINT_SUN, ByValue(IDS_HINT_SUN_REC, d.ocean_sun));
    case 20:
      return Ids(IDS_HINT_OCEAN_TEX, ByValueUpTo(IDS_HINT_OCEAN_TEX_REC, d.ocean_tex, 2));
    case 21:
      return Ids(IDS_HINT_LANDREFLECT,
                 Choose(d.landreflect != 0, IDS_HINT_LANDREFLECT_REC_ON, IDS_HINT_LANDREFLECT_REC_OFF));
    case 22:
      return Ids(IDS_HINT_LANDREFRACT,
                 Choose(d.landrefract != 0, IDS_HINT_LANDREFRACT_REC_ON, IDS_HINT_LANDREFRACT_REC_OFF));
    case 23:
      return Ids(IDS_HINT_LANDSURFACE,
                 Choose(d.landsurface != 0, IDS_HINT_LANDSURFACE_REC_ON, IDS_HINT_LANDSURFACE_REC_OFF));
    case 24:
      return Ids(IDS_HINT_LENS);
    case 25:
      return Ids(IDS_HINT_FARCLIP);
    case 26:
      return Ids(IDS_HINT_SHADOW, Choose(d.shadow != 0, IDS_HINT_SHADOW_REC_ON, IDS_HINT_SHADOW_REC_OFF));
    case 28:
      return Ids(IDS_HINT_MAXLOD, IDS_HINT_MAXLOD_REC + static_cast<UINT>(d.maxlod));
    case 29:
      return Ids(IDS_HINT_SEAFOV);
    case 30:
      return Ids(IDS_HINT_SEAFAR);
    case 31:
      return Ids(IDS_HINT_SHOOTRANGE);
    default:
      return Ids(0);  // 4, 5, 27 and anything outside 0..31
  }
}

void CGraphicSetting::GetHintText(CGraphicSettingDevice& device, CString& out, int item,
                                  const CStringSource& strings) const {
  out.Empty();
  GraphicRecord defaults;
  ComputeDefaults(defaults, device);
  const HintTextIds ids = SelectHintTextIds(item, defaults, HasPixelShader20(device));
  CString main = ids.main != 0 ? strings.Load(ids.main) : CString();
  if (main.IsEmpty()) return;
  out = main;
  if (ids.recommendation != 0) out += strings.Load(ids.recommendation);
  if (ids.note != 0) {
    out += '\n';
    out += strings.Load(ids.note);
  }
}
