#pragma once
// Identifiers of the desktop program's resources, commands and private
// window messages. The resource script and the code share this file.

// Dialogs
#define IDD_METER 102
#define IDD_ABOUTBOX 210
#define IDD_ALERT 401
#define IDD_EMAIL_SETTINGS 402
#define IDD_SUMMARY_SHEET 260  // the traffic reports window and its pages
#define IDD_SUM_SUMMARY 261
#define IDD_SUM_LIST 262  // the daily, weekly and monthly pages

// Icons, bitmaps, cursors, menus, accelerators
#define IDR_MAINFRAME 128  // program icon
#define IDR_ACCELERATORS 129
#define IDR_POPUP_MENU 130
#define IDR_MENU_IMAGES 136  // 80 x 16 strip: Show, Options, Stopwatch, Traffic Reports, Help
#define IDI_TRAY_IDLE 140
#define IDI_TRAY_UP 141
#define IDI_TRAY_DOWN 142
#define IDI_TRAY_BOTH 143
#define IDC_SPLITTER 30981

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Controls of the about box
#define IDC_ABOUT_ICON 1001
#define IDC_ABOUT_VERSION 1002
#define IDC_ABOUT_HOMEPAGE 1003
#define IDC_ABOUT_SUPPORT 1004
#define IDC_ABOUT_CHECK_UPDATES 1005
#define IDC_ABOUT_TELL_FRIEND 1006

// Controls of the alert window
#define IDC_ALERT_MESSAGE 4001
#define IDC_ALERT_SO_FAR 4002
#define IDC_ALERT_STOP_SOUND 4003
#define IDC_ALERT_NO_LONGER 4004
#define IDC_ALERT_NEXT 4005
#define IDC_ALERT_MINUTES 4006
#define IDC_ALERT_MINUTES_SPIN 4007

// Controls of the Email Settings dialog
#define IDC_EMAIL_SERVER 4021
#define IDC_EMAIL_FROM 4022
#define IDC_EMAIL_AUTH 4023
#define IDC_EMAIL_ACCOUNT 4024
#define IDC_EMAIL_PASSWORD 4025
#define IDC_EMAIL_SUBJECT 4026
#define IDC_EMAIL_BODY 4027
#define IDC_EMAIL_PREVIEW 4028
#define IDC_EMAIL_SEND_TEST 4029
#define IDC_EMAIL_TEST_ADDRESS 4030
#define IDC_EMAIL_STATUS 4031
#define IDC_EMAIL_TAGS 4032

// Controls of the traffic reports window
#define IDC_SUM_TABS 1301
#define IDC_SUM_ADAPTERS 1302
#define IDC_SUM_EXPORT 1303
#define IDC_SUM_CLEAR 1304
#define IDC_SUM_LIST 1310
#define IDC_SUM_SELECTION 1311
#define IDC_SUM_START_DAY 1312
#define IDC_SUM_UNTIL 1320
#define IDC_SUM_HEADINGS 1321  // three: Downloaded, Uploaded, Both
#define IDC_SUM_LABELS 1325    // six: Today: ... Total: (the fifth is "&Last")
#define IDC_SUM_FIGURES 1331   // six rows of three, row by row
#define IDC_SUM_LAST_DAYS 1350
#define IDC_SUM_LAST_DAYS_SPIN 1351
#define IDC_SUM_DAYS 1352
#define IDC_SUM_LOG_LABEL 1353
#define IDC_SUM_LOG_PATH 1354
#define IDC_SUM_CHANGE 1355
#define IDC_SUM_BACKUP 1356
#define IDC_SUM_RESTORE 1357
#define IDC_SUM_HINT_ADAPTERS 1358
#define IDC_SUM_HINT_UNITS 1359
// The stopwatch (dialog and controls)
#define IDD_STOPWATCH 320
#define IDC_SW_ADAPTER 1101
#define IDC_SW_ELAPSED 1102
#define IDC_SW_TOTAL_DOWN 1103
#define IDC_SW_TOTAL_UP 1104
#define IDC_SW_TOTAL_BITS_DOWN 1105
#define IDC_SW_TOTAL_BITS_UP 1106
#define IDC_SW_MAX_DOWN 1107
#define IDC_SW_MAX_UP 1108
#define IDC_SW_MIN_DOWN 1109
#define IDC_SW_MIN_UP 1110
#define IDC_SW_AVG_DOWN 1111
#define IDC_SW_AVG_UP 1112
#define IDC_SW_ALWAYS_ON_TOP 1113
#define IDC_SW_RESET_GRAPH 1114
#define IDC_SW_START 1115

// The traffic rates recorder dialog
#define IDD_RATES_RECORDER 330
#define IDC_RR_LIST 1201
#define IDC_RR_RECORD 1202
#define IDC_RR_NUMBER_ONLY 1203
#define IDC_RR_KILO_MEGA 1204
#define IDC_RR_INTERVAL_LABEL 1205
#define IDC_RR_INTERVAL 1206
#define IDC_RR_SPIN 1207
#define IDC_RR_SECONDS 1208
#define IDC_RR_FILE_LABEL 1209
#define IDC_RR_FILE 1210
#define IDC_RR_BROWSE 1211

// The tray icon's identifier
#define IDI_TRAY_ICON_ID 104

// Commands of the pop-up menu
#define ID_SHOW 32771
#define ID_HIDE 32772
#define ID_OPTIONS 32773
#define ID_TRAFFIC_REPORTS 32774
#define ID_VIEW_TITLE 32776
#define ID_VIEW_GRAPH 32777
#define ID_VIEW_SCALE 32778
#define ID_VIEW_TEXT 32779
#define ID_VIEW_UNIT_BYTES 32780
#define ID_VIEW_UNIT_BITS 32781
#define ID_VIEW_SCALE_GRID 32782
#define ID_VIEW_MAX_RATE 32783
#define ID_VIEW_ALWAYS_ON_TOP 32784
#define ID_STOPWATCH 32786
#define ID_VIEW_CAPTION 32794
#define ID_EXIT 32795
#define ID_RATES_RECORDER 32802
#define ID_TCP_CONNECTIONS 32803
#define ID_VIEW_IP_ADDRESS 32804
#define ID_SHOW_ALERT 32805
#define ID_POPUP_MENU 32806
#define ID_RESET_WINDOW_POSITION 32807
#define ID_RESET_ALL_RATES 32809
#define ID_HOMEPAGE 32810
#define ID_EMAIL_SUPPORT 32811
#define ID_CHECK_UPDATES 32812
#define ID_TELL_FRIEND 32813
#define ID_VIEW_CLICK_THROUGH 32814
#define ID_VIEW_SEMI_TRANSPARENT 32815
#define ID_VIEW_AVERAGE_SPEEDS 32816
#define ID_VIEW_AVG_DOWN_LINE 32817
#define ID_VIEW_AVG_UP_LINE 32818
#define ID_VIEW_TIME_TEXT 32819
#define ID_VIEW_TIME_GRID 32820
#define ID_VIEW_COLUMN_GRAPH 32821
#define ID_VIEW_LINE_GRAPH 32822
#define ID_APP_ABOUT 57664
#define ID_HELP_FINDER 57670
#define ID_NO_ADAPTERS 32830  // the placeholder item of both adapter sub-menus

// Positions of the sub-menus in the pop-up menu (counting separators)
#define POPUP_POS_ADAPTERS 8
#define POPUP_POS_VIEW 9
#define POPUP_POS_RESET_RATES 10

// Timers and hot key
#define TIMER_TICK 101
#define TIMER_REPORT_REFRESH 102  // each reports page's one-second refresh
#define HOTKEY_SHOW 8976

// Private window messages
#define UM_LOGFILE_FAILED 1135
#define UM_OPTIONS_APPLY 1153
#define UM_MAIL_DONE 1157
#define UM_APPLY_TOPMOST 1183
#define UM_RESET_HISTORY_FILE 1468
#define UM_REPORT_SUBJECT_CHANGED 1123
#define UM_LIST_SORTED 1296             // wParam: column, lParam: 1 when descending
#define UM_LIST_SELECTION_CHANGED 1472
#define UM_HISTORY_WRITE_FAILED 1191  // lParam: the message text, freed by the window
#define UM_PROGRAM_FAILED 1192  // lParam: the message text, freed by the window
#define UM_RECORDER_WRITE_FAILED 1193  // lParam: the message text, freed by the window
#define UM_TRAY_NOTIFY 32778

// Page codes of UM_OPTIONS_APPLY
#define OPTIONS_PAGE_GENERAL 201
#define OPTIONS_PAGE_GRAPH_TEXT 202
#define OPTIONS_PAGE_ADAPTERS 203
#define OPTIONS_PAGE_NOTIFICATION 204
