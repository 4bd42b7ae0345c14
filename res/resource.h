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

#define IDS_ERR_UPDATE_ABORTED    21103   // something went wrong during the update
#define IDS_ERR_UPDATE_FAULT      21104   // a fault stopped the update

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
