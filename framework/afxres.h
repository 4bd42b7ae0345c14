// Command, string and window ids that the framework defines.  Only
// #defines, so that resource scripts can include it too.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Commands answered by the framework.
#define ID_APP_ABOUT 0xE140
#define ID_APP_EXIT 0xE141
#define ID_EDIT_COPY 0xE122
#define ID_EDIT_CUT 0xE123
#define ID_EDIT_PASTE 0xE125

// Strings: the application's title.
#define AFX_IDS_APP_TITLE 0xE000
// Prompts of the dialog data exchange, taken from the program's string
// table when it has them (printf formats), else the framework's English.
#define AFX_IDP_PARSE_INT 0xF110          // an integer is expected
#define AFX_IDP_PARSE_UINT 0xF111         // a non-negative integer is expected
#define AFX_IDP_PARSE_INT_RANGE 0xF112    // %d, %d: the allowed range
#define AFX_IDP_PARSE_UINT_RANGE 0xF113   // %u, %u: the allowed range
#define AFX_IDP_PARSE_STRING_SIZE 0xF114  // %d: the most characters

// Child-window ids of a frame.
#define AFX_IDW_PANE_FIRST 0xE900
#define AFX_IDW_PANE_LAST 0xE9FF

// Private messages of the framework.
#define WM_INITIALUPDATE 0x0364
#define WM_IDLEUPDATECMDUI 0x0363
#define WM_KICKIDLE 0x036A
// Messages reflected to the child control that sent them.
#define WM_REFLECT_BASE 0xBC00

// Frame styles.
#define FWS_ADDTOTITLE 0x00008000L
