#include "app/command_line.h"

#include "app/localize.h"
#include "app/portal.h"

void CQuorlLauncherCommandLineInfo::ParseParam(const char* param, BOOL bFlag, BOOL bLast) {
  if (IsPortalLaunchArgument(param, bFlag != FALSE)) ParseLaunchArgument(param);
  // The /b<n> form is ours alone and goes no further.
  if (!ApplyLaunchParam(m_nStartMode, param, bFlag != FALSE)) return;
  CCommandLineInfo::ParseParam(param, bFlag, bLast);
}
