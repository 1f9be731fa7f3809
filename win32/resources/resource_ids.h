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

// Password dialogs and their on-screen keyboard (2000-2199).
#define IDC_txtPassword 2000
#define IDC_txtPassword2 2001
#define IDC_lbPass 2002
#define IDC_lbEnter 2003
#define IDC_lbReenter 2004
#define IDC_cmdDel 2010
#define IDC_cmdBackspace 2011
#define IDC_Cmd11 2020
#define IDC_cmd22 2021
#define IDC_cmd33 2022
#define IDC_cmd44 2023
#define IDC_cmd55 2024
#define IDC_cmd66 2025
#define IDC_cmd77 2026
#define IDC_cmd88 2027
#define IDC_cmd99 2028
#define IDC_cmd00 2029
#define IDC_cmdUpLine 2030
#define IDC_cmdPlus 2031
#define IDC_cmd1 2032
#define IDC_cmd2 2033
#define IDC_cmd3 2034
#define IDC_cmd4 2035
#define IDC_cmd5 2036
#define IDC_cmd6 2037
#define IDC_cmd7 2038
#define IDC_cmd8 2039
#define IDC_cmd9 2040
#define IDC_cmd0 2041
#define IDC_cmd_ 2042
#define IDC_cmdEqual 2043
#define IDC_cmdq 2044
#define IDC_cmdw 2045
#define IDC_cmde 2046
#define IDC_cmdR 2047
#define IDC_cmdT 2048
#define IDC_cmdY 2049
#define IDC_cmdU 2050
#define IDC_cmdI 2051
#define IDC_cmdO 2052
#define IDC_cmdP 2053
#define IDC_cmdBrace1 2054
#define IDC_cmdBrace2 2055
#define IDC_cmdBracket1 2056
#define IDC_cmdBracket2 2057
#define IDC_cmdA 2058
#define IDC_cmdS 2059
#define IDC_cmdD 2060
#define IDC_cmdF 2061
#define IDC_cmdG 2062
#define IDC_cmdH 2063
#define IDC_cmdJ 2064
#define IDC_cmdK 2065
#define IDC_cmdL 2066
#define IDC_cmdcolon 2067
#define IDC_cmdsemiColon 2068
#define IDC_cmdQMark 2069
#define IDC_cmdbackSlash 2070
#define IDC_cmdZ 2071
#define IDC_cmdX 2072
#define IDC_cmdC 2073
#define IDC_cmdV 2074
#define IDC_cmdB 2075
#define IDC_cmdN 2076
#define IDC_cmdM 2077
#define IDC_cmdSpecial3 2078
#define IDC_cmdSpecial4 2079
#define IDC_cmdComma 2080
#define IDC_cmdDot 2081
#define IDC_cmdSpecial1 2082
#define IDC_cmdSpecial2 2083

// Lock duration and protection-settings dialogs (2200-2399).
#define IDC_combo1 2200
#define IDC_lbDuration 2201
#define IDC_lbHour 2202
#define IDC_lbfrDescrip 2210
#define IDC_lbPassProtec 2211
#define IDC_Option1_0 2212
#define IDC_Option1_1 2213
#define IDC_lbPassSet 2214
#define IDC_lbPassNo 2215
#define IDC_lbTimerProtec 2216
#define IDC_Option2_0 2217
#define IDC_Option2_1 2218
#define IDC_lbTimerSet 2219
#define IDC_lbTimerNo 2220
#define IDC_lbTimeDuration 2221
#define IDC_cmdSave 2222
#define IDC_cmdDeletePass 2223
#define IDC_cmdClose 2224

// Lock screen and shut-down dialog (2400-2599).
#define IDC_Picture1 2400
#define IDC_Picture2 2401
#define IDC_Picture3 2402
#define IDC_Image1 2403
#define IDC_lbLockRun 2404
#define IDC_lbDescrip 2405
#define IDC_cButtonUnlock 2406
#define IDC_chButtonShutDown 2407
#define IDC_lbInvalidST 2408
#define IDC_lbCurrTime 2409
#define IDC_lblCurrentTime 2410
#define IDC_lbUnloadTime 2411
#define IDC_lblUnlockTime 2412
#define IDC_lbRemainTime 2413
#define IDC_lblTimeRemain 2414
#define IDC_lbShutDown 2420
#define IDC_Combo1 2421
