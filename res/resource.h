// Resource ids of Vistrel, shared by the resource script and the code.
#pragma once

#define IDS_ABOUTBOX 101
#define IDD_VIEWER_DIALOG 102
#define IDR_MAINFRAME 128
#define IDI_VISTREL 130
#define IDR_NO_SIGNAL_PICTURE 131
#define IDC_VIDEO 1000
#define IDC_STOP 1002
#define IDC_EVENT_LOG 1005
#define IDM_ABOUTBOX 0x0010
