// Resource and command ids shared by the program and its resource script.
#pragma once

#define IDD_ABOUTBOX 100       // the settings dialog's About box
#define IDR_MAINFRAME 151      // icon, menu and title of the main frame
#define IDR_LOCALIZE_INFO 152  // RCDATA: the scrambled localisation record
#define IDD_UPDATE_VIEW 153
#define IDD_ENV_DIALOG 150
// The settings dialog's pages (child dialogs whose captions are the tab
// labels) and the sea page's parameter dialog.
#define IDD_ENV_GLOBAL_PAGE 154
#define IDD_ENV_GRAPHICS_PAGE 155
#define IDD_ENV_SEA_PAGE 156
#define IDD_ENV_DETAIL_PAGE 157
#define IDD_ENV_NETWORK_PAGE 158
#define IDR_LINK_CONTEXT_MENU 159
#define IDD_RETRY_CANCEL 160
#define IDD_SEA_PARAM 161

#define IDS_ABOUT_MENU 101
// What the global page's controls set (shown when they get the focus).
#define IDS_DESC_DISPLAY_MODE 112
#define IDS_DESC_BGM 113
#define IDS_DESC_SOUND_EFFECTS 114
#define IDS_DESC_MOVIES 115
// System-menu item of the stand-alone settings dialog that opens the About
// box; the main frame answers it too (WM_SYSCOMMAND, low four bits masked).
#define IDM_ABOUTBOX 0x0010
#define IDS_ENV_TITLE 7000
#define IDS_APP_TITLE 57344

#define IDS_ERR_INIT_SKIN 20001
#define IDS_ERR_FATAL_START 20002
#define IDS_ERR_CHECKER_RUNNING 20003
#define IDS_ERR_NETWORK_INIT 20004

// The version check's messages.
#define IDS_CHECK_NOT_INSTALLED 21001
#define IDS_CHECK_TABLE_FAILED 21002
#define IDS_CHECK_KEEP_WAITING 21003
#define IDS_CHECK_CANNOT_CONNECT 21004
#define IDS_CHECK_BROKE_CONNECTING 21005
#define IDS_CHECK_GAVE_UP_CONNECTING 21006
#define IDS_CHECK_BROKE_WAITING 21007
#define IDS_CHECK_GAVE_UP_WAITING 21008
#define IDS_CHECK_CANNOT_SEND 21009
#define IDS_CHECK_MAINTENANCE 21010
#define IDS_CHECK_BUSY 21011
#define IDS_CHECK_INVALID 21012
#define IDS_CHECK_NOT_IN_SERVICE 21013
#define IDS_CHECK_ERROR 21014
#define IDS_ERR_UPDATE_FAILED 21101   // a launcher or game update failed
#define IDS_ASK_UPDATE_AGAIN 21102    // the update ran but the version did not move: again?
#define IDS_ERR_UPDATE_ABORTED 21103  // something went wrong during the update
#define IDS_ERR_UPDATE_FAULT 21104    // a fault stopped the update

// Hints of the settings items: a main text, then a recommendation chosen
// from the device's default (a base id plus the value where the texts
// follow the values), and for one item a note.
#define IDS_HINT_TEX2D 2001
#define IDS_HINT_TEX2D_REC 2002  // + default 0..2
#define IDS_HINT_TEX3D 2005
#define IDS_HINT_TEX3D_REC 2006  // + default 0..2
#define IDS_HINT_MIPMAP 2009
#define IDS_HINT_MIPMAP_REC_OFF 2010
#define IDS_HINT_MIPMAP_REC_ON 2011
#define IDS_HINT_DXT 2012
#define IDS_HINT_DXT_REC_OFF 2013
#define IDS_HINT_DXT_REC_ON 2014
#define IDS_HINT_ANTIALIAS 2016
#define IDS_HINT_FOG 2017
#define IDS_HINT_OCEAN 2018
#define IDS_HINT_OCEAN_REC 2019  // + default ocean type 0..2
#define IDS_HINT_OCEAN_TYPE 2022
#define IDS_HINT_OCEAN_TYPE_REC 2023  // + default ocean type 0..2
#define IDS_HINT_SHOAL 2026
#define IDS_HINT_SHOAL_REC_OFF 2027
#define IDS_HINT_SHOAL_REC_ON 2028
#define IDS_HINT_WAVE 2029
#define IDS_HINT_WAVE_REC 2030  // + default 0..3
#define IDS_HINT_REFLECT 2034
#define IDS_HINT_REFLECT_REC 2035  // + default 0..3
#define IDS_HINT_REFRACT 2039
#define IDS_HINT_REFRACT_REC 2040  // + default 0..3
#define IDS_HINT_SUN 2044
#define IDS_HINT_SUN_REC 2045  // + default 0..4
#define IDS_HINT_OCEAN_TEX 2050
#define IDS_HINT_OCEAN_TEX_REC 2051  // + default 0..1
#define IDS_HINT_LANDREFLECT 2053
#define IDS_HINT_LANDREFLECT_REC_ON 2054
#define IDS_HINT_LANDREFLECT_REC_OFF 2055
#define IDS_HINT_LANDREFRACT 2056
#define IDS_HINT_LANDREFRACT_REC_ON 2057
#define IDS_HINT_LANDREFRACT_REC_OFF 2058
#define IDS_HINT_LANDSURFACE 2059
#define IDS_HINT_LANDSURFACE_REC_ON 2060
#define IDS_HINT_LANDSURFACE_REC_OFF 2061
#define IDS_HINT_LENS 2062
#define IDS_HINT_FARCLIP 2063
#define IDS_HINT_SHADOW 2064
#define IDS_HINT_SHADOW_REC_ON 2065
#define IDS_HINT_SHADOW_REC_OFF 2066
#define IDS_HINT_MAXLOD 2067
#define IDS_HINT_MAXLOD_REC 2068  // + default 0..3
#define IDS_HINT_SEAFOV 2072
#define IDS_HINT_SEAFAR 2073
#define IDS_HINT_SHOOTRANGE 2074
#define IDS_HINT_OCEAN_TYPE_NOTE 2080  // best and real look the same here
#define IDS_HINT_SYNC 2081
#define IDS_HINT_BBC 2082
#define IDS_HINT_DVRST 2083
#define IDS_HINT_LAND_M 2084
#define IDS_HINT_LAND_R 2085

// Descriptions of the network page's controls and of the tabs.
#define IDS_DESC_PROXY 2500
#define IDS_DESC_DOWNLOAD_FOLDER 2501
#define IDS_DESC_TAB_GLOBAL 2502
#define IDS_DESC_TAB_GRAPHICS 2503
#define IDS_DESC_TAB_DETAIL 2504
#define IDS_DESC_TAB_SEA 2505
#define IDS_DESC_TAB_NETWORK 2507

// Display modes, anti-alias choices and the device check
#define IDS_MODE_FONT_FACE 7001       // face of the mode combo's 9-point font
#define IDS_MODE_FULLSCREEN_FMT 7002  // "%4dx%4d %2dbit %s": width, height, bits, IDS_MODE_FULLSCREEN
#define IDS_MODE_WINDOWED_FMT 7003    // "%4dx%4d %s": width, height, IDS_MODE_WINDOWED
#define IDS_MODE_WINDOWED 7004
#define IDS_MODE_FULLSCREEN 7005
// Items of the settings pages' combo boxes, in item order.
#define IDS_SYNC_OFF 7006
#define IDS_SYNC_ON 7007
#define IDS_DVRST_LEVEL1 7008  // 7008-7010: "dvrst" 0..2
#define IDS_LAND_M_LEVEL1 7011
#define IDS_LAND_M_STANDARD 7012
#define IDS_LAND_R_LEVEL1 7013
#define IDS_LAND_R_STANDARD 7014
#define IDS_ANTIALIAS_NONE 7300
#define IDS_ANTIALIAS_2X 7301
#define IDS_ANTIALIAS_4X 7302
#define IDS_TEX2D_ITEM0 7303        // 7303-7305: "2dtex" items
#define IDS_TEX3D_ITEM0 7306        // 7306-7308: "3dtexsize" items
#define IDS_OCEAN_TEX_ITEM0 7309    // 7309-7310
#define IDS_MAXLOD_ITEM0 7311       // 7311-7314
#define IDS_SEA_PRESET_ITEM0 7315   // 7315-7318, the last is custom
#define IDS_SEA_TYPE_ITEM0 7319     // 7319-7321
#define IDS_SEA_SHOAL_ITEM0 7322    // 7322-7323
#define IDS_SEA_WAVE_ITEM0 7324     // 7324-7327
#define IDS_SEA_REFLECT_ITEM0 7328  // 7328-7331
#define IDS_SEA_REFRACT_ITEM0 7332  // 7332-7335
#define IDS_SEA_SUN_ITEM0 7336      // 7336-7340
#define IDS_ASK_MAKE_FOLDER 12001   // %s: the folder text
#define IDS_ERR_DIRECTX_VERSION 22001
#define IDS_ERR_DIRECTX_DEVICE 22002  // %d: the device library's error code, signed
// The network page's download folder.
#define IDS_NET_CANNOT_MAKE_FOLDER 22101
#define IDS_NET_FILE_IN_THE_WAY 22102  // %s: the path of the file
#define IDS_NET_NO_SUCH_DRIVE 22103
#define IDS_NET_REMOVABLE_DRIVE 22104
#define IDS_NET_RAM_DISK 22105
#define IDS_NET_NETWORK_DRIVE 22106
#define IDS_NET_BROWSE_TITLE 22107
// The settings dialog's OK when the registry refused a page's values.
#define IDS_SETTINGS_NOT_SAVED 22201

// Update screen texts
#define IDS_VERSION_FONT_FACE 5001
#define IDS_STATUS_CHECKING 6001
#define IDS_STATUS_UPDATING 6002
#define IDS_REMAINING_SECONDS 7101
#define IDS_REMAINING_MINUTES 7102
#define IDS_REMAINING_HOURS 7103
#define IDS_REMAINING_LABEL 7104
#define IDS_ASK_STOP_DOWNLOAD 11001
#define IDS_ERR_CLIENT_MISSING 20005
#define IDS_ERR_CLIENT_START 20006
#define IDS_ERR_FILE_UNREADABLE 21110
#define IDS_ERR_FILE_CORRUPT 21111
#define IDS_ERR_DOWNLOAD_CONNECT 21112
#define IDS_ERR_DOWNLOAD_FAILED 21113
#define IDS_ERR_DOWNLOAD_TIMEOUT 21114

// The About box's controls, and the link's hand cursor.
#define IDC_LINK_HAND 1001  // cursor
#define IDC_ABOUT_NAME 1007
#define IDC_ABOUT_VERSION 1016
#define IDC_ABOUT_LINK 1017
#define IDS_ABOUT_VERSION 7201  // "Version %s": the installed launcher version

// Commands
#define ID_LAUNCHER_START 32773
#define ID_LAUNCHER_SETUP_GUIDE 32774
#define ID_LAUNCHER_MANUAL 32775
#define ID_LAUNCHER_HOMEPAGE 32776
#define ID_LAUNCHER_ENV_SETTINGS 32777
#define ID_LAUNCHER_EXIT 32778
#define ID_SHOW_LAUNCHER_VIEW 32779
#define ID_SHOW_UPDATE_VIEW 32780

// Update screen controls
#define IDC_UPDATE_STATUS 1003
#define IDC_UPDATE_PROGRESS 1004
#define IDC_UPDATE_PROGRESS_LABEL 1005
#define IDC_UPDATE_BYTES 1006
#define IDC_UPDATE_CANCEL 1018
#define IDC_UPDATE_REMAINING 1019
#define IDC_UPDATE_LATEST 1028
#define IDC_UPDATE_NEXT 1029
#define IDC_UPDATE_CURRENT 1030
#define IDC_UPDATE_LATEST_LABEL 1031
#define IDC_UPDATE_CURRENT_LABEL 1032
#define IDC_UPDATE_ARROW 1033

// Retry/Cancel dialog controls
#define IDC_RETRY_ICON 1008
#define IDC_RETRY_MESSAGE 1026

// Settings dialog controls
#define IDC_ENV_RESET 1002
#define IDC_ENV_TAB 12320
// Network page
#define IDC_NET_USE_PROXY 1009
#define IDC_NET_PROXY_SYSTEM 1010  // first of the radio group
#define IDC_NET_PROXY_NAMED 1011
#define IDC_NET_PROXY_HOST 1012
#define IDC_NET_PROXY_PORT 1013
#define IDC_NET_PROXY_USER 1014
#define IDC_NET_PROXY_PASSWORD 1015
#define IDC_NET_OWN_FOLDER 1020
#define IDC_NET_FOLDER 1021
#define IDC_NET_BROWSE 1022
// Global page
#define IDC_ENV_MOVIES 1023
#define IDC_ENV_SOUND_EFFECTS 1024
#define IDC_ENV_BGM 1025
#define IDC_ENV_DISPLAY_MODE 1027
// Graphics page
#define IDC_ENV_NO_DXT 1034
#define IDC_ENV_TEX2D 1062
#define IDC_ENV_TEX3D 1063  // the sea page's "maxlod" combo has the same id
#define IDC_ENV_ANTIALIAS 1075
#define IDC_ENV_SYNC 1077
#define IDC_ENV_MIPMAP 9100
#define IDC_ENV_LANDREFLECT 9101
#define IDC_ENV_LANDREFRACT 9102
#define IDC_ENV_LANDSURFACE 9103
#define IDC_ENV_LENS 9104
// Sea page and its parameter dialog
#define IDC_ENV_SEA_CUSTOM 1043
#define IDC_SEA_TYPE 1050  // 1050-1055 in SeaParam order
#define IDC_SEA_SHOAL 1051
#define IDC_SEA_WAVE 1052
#define IDC_SEA_REFLECT 1053
#define IDC_SEA_REFRACT 1054
#define IDC_SEA_SUN 1055
#define IDC_ENV_OCEAN_TEX 1066
#define IDC_ENV_SEA_PRESET 1069
#define IDC_ENV_MAXLOD 1063
// Detail page
#define IDC_ENV_BBC 1501
#define IDC_ENV_DVRST 1503
#define IDC_ENV_LAND_M 1505
#define IDC_ENV_LAND_R 1507
// Every page's description line (and the sea dialog's)
#define IDC_ENV_DESCRIPTION 1071
