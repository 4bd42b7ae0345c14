// One row of a version request: a component and its installed version.
#pragma once

#include <cstdint>

struct CCheckVerInfo {
  uint32_t m_nComponentId = 0;
  uint32_t m_nVersion = 0;
};
