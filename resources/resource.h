// Identifiers of the plug-in's resources. The icons and the pop-up menu are
// named resources ("IDR_MAINFRAME", "IDR_MAINFRAME2", "IDR_POPUP"), so their
// names are deliberately not defined here.
#pragma once

#define IDD_CONTROLLER 101

// Controller dialog controls.
#define IDC_NOCARD 1015
#define IDC_NOCARDREC 1016

// Pop-up menu commands.
#define IDM_CLOSE_VIEWER 1009
#define IDM_HIDE_ALL 1008
#define IDM_RESTORE_ALL 1007
#define IDM_MUTE 1012
#define IDM_RECORD_START 1017
#define IDM_RECORD_STOP 1018
#define IDM_CH1 1019
#define IDM_CH2 1020
#define IDM_CH3 1021
#define IDM_CH4 1022
#define IDM_CH5 1023
#define IDM_CH6 1024
#define IDM_CH7 1025
#define IDM_CH8 1026
#define IDM_CH9 1027
#define IDM_CH10 1028
#define IDM_CH11 1029
#define IDM_CH12 1030
#define IDM_FULL_SCREEN 1031
#define IDM_SHOW_STATUS 1032
#define IDM_CHANNEL_UP 1033
#define IDM_CHANNEL_DOWN 1034
#define IDM_AUTO_DISP_STATUS 1035

// The 設定 pop-up: the plug-in's own options, 1100 to 1199.
#define IDM_MINIMIZE_TO_TRAY 1100
#define IDM_TRAY_CLICK_NONE 1101
#define IDM_TRAY_CLICK_RESTORE 1102
#define IDM_TRAY_CLICK_TOGGLE 1103
#define IDM_BOSS_KEY 1104
#define IDM_BOSS_KEY_MUTE 1105
// The 操作 pop-up's items that follow the broadcast.
#define IDM_RECORD_TO_END 1106
#define IDM_TIP_FROM_STREAM 1107
#define IDM_OVERLAY_NEXT 1108
#define IDM_NOTIFY_EVENT_CHANGE 1109
#define IDM_CALL_FOR_NEXT 1110
