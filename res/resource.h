// Resource and command ids shared by the program and its resource script.
#pragma once

#define IDR_MAINFRAME             151   // icon, menu and title of the main frame
#define IDR_LOCALIZE_INFO         152   // RCDATA: the scrambled localisation record
#define IDD_UPDATE_VIEW           153
#define IDD_ENV_DIALOG            150
#define IDR_LINK_CONTEXT_MENU     159

#define IDS_ABOUT_MENU            101
#define IDS_ENV_TITLE             7000
#define IDS_APP_TITLE             57344

#define IDS_ERR_INIT_SKIN         20001
#define IDS_ERR_FATAL_START       20002
#define IDS_ERR_CHECKER_RUNNING   20003
#define IDS_ERR_NETWORK_INIT      20004

// The version check's messages.
#define IDS_CHECK_NOT_INSTALLED       21001
#define IDS_CHECK_TABLE_FAILED        21002
#define IDS_CHECK_KEEP_WAITING        21003
#define IDS_CHECK_CANNOT_CONNECT      21004
#define IDS_CHECK_BROKE_CONNECTING    21005
#define IDS_CHECK_GAVE_UP_CONNECTING  21006
#define IDS_CHECK_BROKE_WAITING       21007
#define IDS_CHECK_GAVE_UP_WAITING     21008
#define IDS_CHECK_CANNOT_SEND         21009
#define IDS_CHECK_MAINTENANCE         21010
#define IDS_CHECK_BUSY                21011
#define IDS_CHECK_INVALID             21012
#define IDS_CHECK_NOT_IN_SERVICE      21013
#define IDS_CHECK_ERROR               21014
#define IDS_ERR_UPDATE_ABORTED    21103   // something went wrong during the update
#define IDS_ERR_UPDATE_FAULT      21104   // a fault stopped the update

// Display modes, anti-alias choices and the device check
#define IDS_MODE_FULLSCREEN_FMT   7002  // "%4dx%4d %2dbit %s": width, height, bits, IDS_MODE_FULLSCREEN
#define IDS_MODE_WINDOWED_FMT     7003  // "%4dx%4d %s": width, height, IDS_MODE_WINDOWED
#define IDS_MODE_WINDOWED         7004
#define IDS_MODE_FULLSCREEN       7005
#define IDS_ANTIALIAS_NONE        7300
#define IDS_ANTIALIAS_2X          7301
#define IDS_ANTIALIAS_4X          7302
#define IDS_ERR_DIRECTX_VERSION   22001
#define IDS_ERR_DIRECTX_DEVICE    22002  // %d: the device library's error code, signed

// Commands
#define ID_LAUNCHER_START         32773
#define ID_LAUNCHER_SETUP_GUIDE   32774
#define ID_LAUNCHER_MANUAL        32775
#define ID_LAUNCHER_HOMEPAGE      32776
#define ID_LAUNCHER_ENV_SETTINGS  32777
#define ID_LAUNCHER_EXIT          32778
#define ID_SHOW_LAUNCHER_VIEW     32779
#define ID_SHOW_UPDATE_VIEW       32780

// Update screen controls
#define IDC_UPDATE_STATUS         1003
#define IDC_UPDATE_PROGRESS       1004
#define IDC_UPDATE_PROGRESS_LABEL 1005
#define IDC_UPDATE_BYTES          1006
#define IDC_UPDATE_CANCEL         1018
#define IDC_UPDATE_REMAINING      1019
#define IDC_UPDATE_LATEST         1028
#define IDC_UPDATE_NEXT           1029
#define IDC_UPDATE_CURRENT        1030
#define IDC_UPDATE_LATEST_LABEL   1031
#define IDC_UPDATE_CURRENT_LABEL  1032
#define IDC_UPDATE_ARROW          1033

// Settings dialog controls
#define IDC_ENV_RESET             1002
#define IDC_ENV_TAB               12320
