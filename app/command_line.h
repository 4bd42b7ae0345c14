// The launcher's command line: /s, /e and /b<n> choose the start mode; a
// plain parameter is the web portal's launch argument.
#pragma once

#include "framework/afxwin.h"

class CQuorlLauncherCommandLineInfo : public CCommandLineInfo {
 public:
  void ParseParam(const char* param, BOOL bFlag, BOOL bLast) override;

  int m_nStartMode = 0;
  // Fixed on purpose: two words of the record's layout, cleared, that
  // nothing reads.
  int m_nReserved1 = 0;
  int m_nReserved2 = 0;
};
