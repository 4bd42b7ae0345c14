// The framework layer for the launcher's Win32 code: include this one
// header.  Neutral code includes afxcore.h (and afxfile.h, afxmt.h) only.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "framework/afxapp.h"
#include "framework/afxcore.h"
#include "framework/afxcore_win.h"
#include "framework/afxctrl.h"
#include "framework/afxdlg.h"
#include "framework/afxfile.h"
#include "framework/afxframe.h"
#include "framework/afxgdi.h"
#include "framework/afxinet.h"
#include "framework/afxmsg.h"
#include "framework/afxmt.h"
#include "framework/afxres.h"
#include "framework/afxwnd.h"
#include "framework/cstring.h"
