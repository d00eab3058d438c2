// Template, control and resource ids, with the numbers the system uses.
#pragma once

#define IDR_MAINFRAME 128 // the application icon

#define IDD_SELECT 102    // the chooser popup
#define IDD_COMMENT 137   // the description prompt
#define IDD_PROPPAGE1 138 // settings sheet: "アイコンの設定"
#define IDD_PROPPAGE2 139 // settings sheet: "その他"

// Chooser rows: labels
#define IDC_STANDARD 1003
#define IDC_SLOT1 1006
#define IDC_SLOT2 1007
#define IDC_SLOT3 1008
#define IDC_SLOT4 1009
#define IDC_SLOT5 1010
#define IDC_SLOT6 1011
#define IDC_SLOT7 1012
#define IDC_OTHER 1013
#define IDC_SETTINGS 1025
#define IDC_CANCEL_ITEM 1026
// Chooser rows: icons
#define IDC_ICON_STANDARD 1016
#define IDC_ICON_SLOT1 1017
#define IDC_ICON_SLOT2 1018
#define IDC_ICON_SLOT3 1019
#define IDC_ICON_SLOT4 1020
#define IDC_ICON_SLOT5 1021
#define IDC_ICON_SLOT6 1022
#define IDC_ICON_SLOT7 1023
#define IDC_ICON_OTHER 1024

// Description prompt
#define IDC_COMMENT 1017

// Settings page "アイコンの設定": row icons, short texts, long fields, button
#define IDC_ROW_ICON1 1018
#define IDC_ROW_ICON2 1019
#define IDC_ROW_ICON3 1020
#define IDC_ROW_ICON4 1021
#define IDC_ROW_ICON5 1022
#define IDC_ROW_ICON6 1023
#define IDC_ROW_ICON7 1024
#define IDC_ROW_TEXT1 1017
#define IDC_ROW_TEXT2 1025
#define IDC_ROW_TEXT3 1026
#define IDC_ROW_TEXT4 1027
#define IDC_ROW_TEXT5 1028
#define IDC_ROW_TEXT6 1029
#define IDC_ROW_TEXT7 1030
#define IDC_ROW_LONG1 1031
#define IDC_ROW_LONG2 1032
#define IDC_ROW_LONG3 1033
#define IDC_ROW_LONG4 1034
#define IDC_ROW_LONG5 1035
#define IDC_ROW_LONG6 1036
#define IDC_ROW_LONG7 1037
#define IDC_CHANGE_ICON 1040

// The status overview: its window, menus and keys, controls and commands
#define IDD_OVERVIEW 200
#define IDR_OVERVIEW_MENU 201
#define IDR_OVERVIEW_CONTEXT 202
#define IDR_OVERVIEW_KEYS 203
#define IDC_OV_STATUS_LABEL 1201
#define IDC_OV_STATUS 1202
#define IDC_OV_TEXT_LABEL 1203
#define IDC_OV_TEXT 1204
#define IDC_OV_LIST 1205
#define IDC_OV_STATUS_LINE 1206
#define ID_OV_OPEN 1210
#define ID_OV_CHANGE 1211
#define ID_OV_COPY 1212
#define ID_OV_SELECT_ALL 1213
#define ID_OV_EXPORT 1214
#define ID_OV_RESCAN 1215
#define ID_OV_SETTINGS 1216
#define ID_OV_CLOSE 1217
#define ID_OV_SORT_FIRST 1218 // by 状態; then フォルダ, 説明, 更新日時
#define ID_OV_UNDO 1222
#define ID_OV_REDO 1223
#define ID_OV_UNMARK 1224
