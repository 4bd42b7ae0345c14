// Resource ids of the framework's test programs.
#pragma once
#define IDS_TEST_ASCII 101
#define IDS_TEST_KOREAN 102
#define IDS_TEST_LONG 103
#define IDS_TEST_MISSING 199

#define IDR_TEST_FRAME 200
#define IDD_TEST_DIALOG 300
#define IDD_TEST_FORM 301

#define IDC_NAME 1001
#define IDC_COUNT 1002
#define IDC_CHECK 1003
#define IDC_RADIO1 1005
#define IDC_RADIO2 1006
#define IDC_RADIO3 1007
#define IDC_FORM_BUTTON 1010
#define IDC_FORM_TEXT 1011
