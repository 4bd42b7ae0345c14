#include "settings/graphic_setting.h"

#include <cstring>

CGraphicSetting::CGraphicSetting() {
  std::memset(&m_effective, 0, sizeof m_effective);
  m_effective.antialias = 0;
  m_effective.sync = 1;
  m_effective.bbc = 1;
  m_user = m_effective;
}

CGraphicSetting& GetGraphicSetting() {
  static CGraphicSetting setting;
  return setting;
}
