// Resource ids of the program's windows. Control ids carry the control names of the
// design, so the views can find a control by its name (see ui/control_names.cpp).
#pragma once

// Window templates.
#define IDD_frmMain 100
#define IDD_frmprogress 101
#define IDD_frmSelectUSBLock 102
#define IDD_frmAbout 103
#define IDD_frmcheckupdate 104
#define IDD_frmPassword 105
#define IDD_frmSetPassword 106
#define IDD_frmRemindTime 107
#define IDD_frmRemind 108
#define IDD_frmSetTimer 109
#define IDD_frmShutDown 110
#define IDD_frmLock 111
#define IDM_frmMain 150
#define IDI_APP 160
#define IDI_VALIDUSB 161
#define IDI_INVALIDUSB 162

// Main window.
#define IDC_Frame1 1001
#define IDC_Frame2 1002
#define IDC_Frame3 1003
#define IDC_Frame4 1004
#define IDC_lbActiveDescrip 1010
#define IDC_lbDeactiveDescrip 1011
#define IDC_Label3 1012
#define IDC_lbChangeSetting 1013
#define IDC_lbChangeSetting1 1014
#define IDC_Label2 1015
#define IDC_Label4 1016
#define IDC_cmdLock 1020
#define IDC_cmdUnlock 1021
#define IDC_cmdSetPass 1022
#define IDC_cmdCancel 1023
#define IDC_cmdSetTime 1024
#define IDC_StatusBar 1030

// Main window menu entries.
#define IDC_mnuFileActivate 1101
#define IDC_mnuFileDeactivate 1102
#define IDC_mnuFileExit 1103
#define IDC_Setting2 1104
#define IDC_mnuHelpWhat 1105
#define IDC_mnuHelpOnline 1106
#define IDC_mnuHelpUpdates 1107
#define IDC_mnuHelpComparison 1108
#define IDC_mnuHelpAbout 1109

// Start-up window.
#define IDC_lbcaption 1200

// Controls shared by several dialogs.
#define IDC_cmdOk 1300
#define IDC_cmdOK 1301
#define IDC_lbNote 1302
#define IDC_Timer1 1303

// Key selection dialog.
#define IDC_lbDesc 1400
#define IDC_ListView1 1401

// About box and update dialog.
#define IDC_lblTitle 1500
#define IDC_lblVersion 1501
#define IDC_lblDisclaimer 1502
#define IDC_cmdSysInfo 1503
#define IDC_lbdesc 1504
#define IDC_lburl 1505
