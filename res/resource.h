// Resource and control identifiers. Included by the resource script and by C++.
#pragma once

#define IDD_ABOUT 101
#define IDB_SKY 102
#define IDI_SKYLOOM 103
#define IDR_ACCELERATORS 104
#define IDS_APP_NAME 104
#define IDR_MENU 105
#define IDD_SETUP_PANEL 106
#define IDD_STATUS_PANEL 107
#define IDD_TTFF_TEST 108
#define IDD_POSITION_STATS 109
#define IDD_NETWORK_ADDRESS 110

#define IDC_PORT 1000
#define IDC_BAUD 1001
#define IDC_SCAN_PORTS 1002
#define IDC_COLD_START 1003
#define IDC_START_GPS 1004
#define IDC_CORE_VERSION 1005
#define IDC_FW_VERSION 1006
#define IDC_P_VERSION 1007
#define IDC_SEND 1008
#define IDC_VTG 1009
#define IDC_POWER_SAVE 1010
#define IDC_SBAS 1011
#define IDC_LOG_FILE 1012
#define IDC_AUTO_SEND 1013
#define IDC_GET_VERSION 1014
#define IDC_FACTORY_RESET 1015
#define IDC_AUTO_PERIOD 1016
#define IDC_FILTER_FIELD 1017
#define IDC_FILTER_OP 1018
#define IDC_SET_FILTER 1019
#define IDC_LOG_NAME 1020
#define IDC_SNR_OFFSET 1021
#define IDC_USER_SENTENCE 1022

// The TTFF test dialog (template 108).
#define IDC_TTFF_KIND 1023
#define IDC_TTFF_RUNS 1024
#define IDC_TTFF_LIMIT 1025
#define IDC_TTFF_PAUSE 1026
#define IDC_TTFF_START 1027
#define IDC_TTFF_STOP 1028
#define IDC_TTFF_SAVE 1029
#define IDC_TTFF_STATE 1030
#define IDC_TTFF_RESULTS 1031
#define IDC_TTFF_SUMMARY 1032

// The Position Statistics window (template 109).
#define IDC_POS_MAP 1033
#define IDC_POS_STRIP 1034
#define IDC_POS_SCALE 1035
#define IDC_POS_REF_LAT 1036
#define IDC_POS_REF_LON 1037
#define IDC_POS_REF_ALT 1038
#define IDC_POS_REFERENCE 1039
#define IDC_POS_RESET 1040
#define IDC_POS_SAVE 1041
#define IDC_POS_FIGURES 1042
#define IDC_POS_NOTE 1043
// The network address dialog (template 110).
#define IDC_NET_ADDRESS 1044
#define IDC_NET_ERROR 1045

// The resource compiler cannot read the command enum of win32/messages.h; the
// menu and the accelerators use these copies, and a test checks that the
// loaded menu and accelerator table carry the enum's values.
#ifdef RC_INVOKED
#define IDM_ABOUT 40001
#define IDM_EXIT 40002
#define IDM_SET_TIME 40004
#define IDM_ADVANCED_CONTROLS 40005
#define IDM_RECORD_RAW 40006
#define IDM_RECORD_STOP 40007
#define IDM_TTFF_TEST 40008
#define IDM_POSITION_STATS 40009
#endif
