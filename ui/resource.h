/* Resource and control ids of the main window and the About box. Plain
   defines, so that the resource script can include this file too. */
#pragma once

#define IDD_ABOUTBOX          100
#define IDS_ABOUTBOX          101
#define IDD_ORVANE_DIALOG     102
#define IDR_MAINFRAME         128

#define IDC_TARGET            1009
#define IDC_DDR_DENSITY       1010
#define IDC_ARM_SPEED         1011
#define IDC_LOAD_SCRIPT       1012
#define IDC_SCRIPT_PATH       1013
#define IDC_OUTPUT            1016
#define IDC_DDR_FREQ          1017
#define IDC_MR1               1018
#define IDC_CALIBRATION       1019
#define IDC_SAVE_CALIBRATION  1020
#define IDC_STRESS_TEST       1021
#define IDC_START_FREQ        1022
#define IDC_END_FREQ          1023
#define IDC_SAVE_STRESS       1024
#define IDC_DOWNLOAD          1025
#define IDC_DDR_CS            1026
#define IDC_DDR_CHANNEL       1027
#define IDC_VERIFY_DCD        1028
#define IDC_OVER_NIGHT        1029
#define IDC_VDD_ARM_MODE      1030
#define IDC_VDD_SOC_MODE      1031
#define IDC_VDD_ARM_DOWN      1032
#define IDC_VDD_ARM           1033
#define IDC_VDD_ARM_UP        1034
#define IDC_VDD_SOC_DOWN      1035
#define IDC_VDD_SOC           1036
#define IDC_VDD_SOC_UP        1037
#define IDC_ADDR              1038
#define IDC_READ_SIZE         1039
#define IDC_DATA              1040
#define IDC_READ              1041
#define IDC_WRITE             1042
#define IDC_SET_VOLTAGE       1043

/* The About box's OK button. */
#define DLG_IDOK_CONTROL      1

/* Labels, group boxes and the About box's icon and text have no id. */
#define IDC_NO_ID             (-1)
