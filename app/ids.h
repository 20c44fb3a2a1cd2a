/* Numbers shared by the window logic, the Windows layer and the resource
   script. Only #define lines, so that windres can include this file as well
   as the C++ code. */
#ifndef KJ_APP_IDS_H
#define KJ_APP_IDS_H

/* Strings of the string table. */
#define IDS_APP_TITLE 103          /* "KJ-VT58 融着記録管理ソフト", read into 100 characters */
#define IDS_CLASS_NAME 109         /* "kj_vt58", read into 100 characters */

/* Resources. */
#define IDD_ABOUT 103              /* about box */
#define IDR_ACCELERATORS 109       /* Alt+"/" and Alt+"?" send IDM_ACCEL_UNUSED */
#define IDI_APP 155                /* application icon, large and small */
#define IDR_MAIN_MENU 157
#define IDD_RECORD_DETAIL 162      /* detail dialog of plain records */
#define IDD_OUTPUT_ITEMS 163       /* output items of plain records (1-32) */
#define IDD_PRINT_SETTINGS 164
#define IDD_COM_PORT 165
#define IDD_PROGRESS 166
#define IDD_BATTERY_RECORD_DETAIL 167
#define IDR_EASY_MENU 168          /* menu of the simple mode window */
#define IDD_BATTERY_OUTPUT_ITEMS 168 /* output items of battery records (1-40); a dialog, not the menu */

/* Bitmaps of the button bar (40 x 40). */
#define IDB_ABOUT 132
#define IDB_EXIT 137
#define IDB_READ_FILE 143
#define IDB_EXPORT_PRINTER 144
#define IDB_PRINTER_SETTING 145
#define IDB_RECEIVE 147
#define IDB_EXPORT_EXCEL 148
#define IDB_ABORT 149

/* Commands of the menu and the button bar (menu items and buttons send the
   same ids). */
#define IDM_COM_PORT_SETTINGS 32838   /* "通信ポート設定(&C)" */
#define IDM_RECEIVE_START 32840       /* "EFコントローラーから取込開始(&S)", button recieve_ef */
#define IDM_RECEIVE_ABORT 32826       /* "取込中止(&C)", button abort_ef */
#define IDM_OPEN_FILE 32849           /* "ファイルから取込(&O)", button read_file */
#define IDM_EXPORT_EXCEL 32842        /* "Excel形式に変換(&E)", button export_excel */
#define IDM_PRINT 32854               /* "印刷(&P)", button export_printer */
#define IDM_PRINT_SETTINGS 32855      /* "印刷設定(&S)", button printer_setting */
#define IDM_EXPORT_KML 32844          /* "KML出力(&K)" */
#define IDM_ABOUT 104                 /* "バージョン情報(&A)", button about */
#define IDM_EXIT 32839                /* "アプリケーションの終了(&X)", button exit */
#define IDM_ACCEL_UNUSED 32834        /* sent by the accelerators; no window handles it */

/* Commands posted by the receive worker to its window. */
#define CMD_RECEIVE_HEADER 32857
#define CMD_RECEIVE_ENDED 32858       /* second parameter 1 on success, else 0 */
#define CMD_RECEIVE_COMPLETE 32859
#define CMD_RECEIVE_PROGRESS 32860    /* second parameter: records received so far */

/* Commands between the main window and the record detail dialogs. */
#define CMD_CLEAR_SELECTION 1031      /* dialog -> main window, second parameter the index */
#define CMD_SHOW_RECORD 1032          /* main window -> dialog, second parameter the index */

/* Controls of the print settings dialog (164). */
#define IDC_PRINT_PAPER 1043          /* drop-down list "用紙サイズ", sorted */
#define IDC_PRINT_LANDSCAPE 1045      /* radio button "横" */
#define IDC_PRINT_PORTRAIT 1046       /* radio button "縦" */
#define IDC_PRINT_ZOOM 1047           /* "倍率(%)", digits only */
#define IDC_PRINT_MARGIN_BOTTOM 1048  /* "下余白(mm)" */
#define IDC_PRINT_MARGIN_LEFT 1049    /* "左余白(mm)" */
#define IDC_PRINT_MARGIN_RIGHT 1050   /* "右余白(mm)" */
#define IDC_PRINT_MARGIN_TOP 1051     /* "上余白(mm)" */
#define IDC_PRINT_ZOOM_SPIN 1052      /* up-downs of the number edits */
#define IDC_PRINT_MARGIN_TOP_SPIN 1053
#define IDC_PRINT_MARGIN_BOTTOM_SPIN 1054
#define IDC_PRINT_MARGIN_LEFT_SPIN 1055
#define IDC_PRINT_MARGIN_RIGHT_SPIN 1056

/* Controls of the simple mode window. */
#define IDC_EASY_BUTTON 1078          /* push button "OK" that walks through the receive */

/* Controls of the main window. */
#define IDC_RECORD_LIST 1023          /* "SysListView32" */
#define IDC_STATUS_BAR 1024           /* "msctls_statusbar32" */

/* Controls of the record detail dialogs (162 and 167). Mind that the ambient
   temperature field has the id 2, which is also the id of IDCANCEL. */
#define IDC_DETAIL_INDEX 1033
#define IDC_DETAIL_INDEX_SPIN 1034
#define IDC_DETAIL_LOT_NUMBER 1035
#define IDC_DETAIL_NUMBER 1036
#define IDC_DETAIL_DATETIME 1037
#define IDC_DETAIL_JOINT_KIND 1042
#define IDC_DETAIL_JOINT_RESISTANCE 1043
#define IDC_DETAIL_JOINT_SIZE 1044
#define IDC_DETAIL_JOINT_OUTPUT_VOLTAGE 1045
#define IDC_DETAIL_JOINT_MANUFACTURER 1046
#define IDC_DETAIL_JOINT_OUTPUT_SECONDS 1047
#define IDC_DETAIL_JOINT_MANAGEMENT_ID 1048
#define IDC_DETAIL_JOINT_BARCODE 1049
#define IDC_DETAIL_TRACEABILITY_BARCODE 1051
#define IDC_DETAIL_EXIT_CODE 1052
#define IDC_DETAIL_TEMPERATURE 2
#define IDC_DETAIL_RESISTANCE 1060
#define IDC_DETAIL_OUTPUT_VOLTAGE_MIN 1053
#define IDC_DETAIL_OUTPUT_VOLTAGE_MAX 1057
#define IDC_DETAIL_OUTPUT_CURRENT_MIN 1061
#define IDC_DETAIL_OUTPUT_CURRENT_MAX 1062
#define IDC_DETAIL_INPUT_VOLTAGE_MIN 1054
#define IDC_DETAIL_INPUT_VOLTAGE_MAX 1058
#define IDC_DETAIL_OUTPUT_SECONDS 1064
#define IDC_DETAIL_REMAIN_OUTPUT_SECONDS 1065
#define IDC_DETAIL_ENERGY 1056
#define IDC_DETAIL_LATITUDE 1059
#define IDC_DETAIL_LONGITUDE 1063
#define IDC_DETAIL_ORDER 1066
#define IDC_DETAIL_WORKER 1071
#define IDC_DETAIL_VERSION 1072
#define IDC_DETAIL_MAINTENANCE_DATE 1073
#define IDC_DETAIL_LIFECYCLE_COUNTS 1075
#define IDC_DETAIL_REMARKS 1077
/* Battery group of dialog 167. */
#define IDC_DETAIL_BATTERY_TYPE 1074
#define IDC_DETAIL_BATTERY_IDENTIFIER 1076
#define IDC_DETAIL_BATTERY_CYCLE 1078
#define IDC_DETAIL_BATTERY_FULL_CAPACITY 1079
#define IDC_DETAIL_BATTERY_CAPACITY_BEFORE 1080
#define IDC_DETAIL_BATTERY_CAPACITY_AFTER 1081
#define IDC_DETAIL_BATTERY_TEMPERATURE_BEFORE 1082
#define IDC_DETAIL_BATTERY_TEMPERATURE_AFTER 1083

/* Check boxes of the output item dialogs (163 and 168), in item order; the
   battery items (from BATTERY_TYPE on) only in 168. There is no 1059. */
#define IDC_ITEM_LOT_NUMBER 1042
#define IDC_ITEM_NUMBER 1043
#define IDC_ITEM_DATETIME 1044
#define IDC_ITEM_JOINT_KIND 1045
#define IDC_ITEM_JOINT_SIZE 1046
#define IDC_ITEM_JOINT_MANUFACTURER 1047
#define IDC_ITEM_JOINT_MANAGEMENT_ID 1048
#define IDC_ITEM_JOINT_RESISTANCE 1049
#define IDC_ITEM_JOINT_OUTPUT_VOLTAGE 1050
#define IDC_ITEM_JOINT_OUTPUT_SECONDS 1051
#define IDC_ITEM_JOINT_BARCODE 1052
#define IDC_ITEM_TRACEABILITY_BARCODE 1053
#define IDC_ITEM_EXIT_CODE 1054
#define IDC_ITEM_TEMPERATURE 1055
#define IDC_ITEM_RESISTANCE 1056
#define IDC_ITEM_OUTPUT_VOLTAGE_MIN 1057
#define IDC_ITEM_OUTPUT_VOLTAGE_MAX 1058
#define IDC_ITEM_OUTPUT_CURRENT_MIN 1060
#define IDC_ITEM_OUTPUT_CURRENT_MAX 1061
#define IDC_ITEM_INPUT_VOLTAGE_MIN 1062
#define IDC_ITEM_INPUT_VOLTAGE_MAX 1063
#define IDC_ITEM_OUTPUT_SECONDS 1064
#define IDC_ITEM_ACTUAL_OUTPUT_SECONDS 1065
#define IDC_ITEM_REMAIN_OUTPUT_SECONDS 1066
#define IDC_ITEM_ENERGY 1067
#define IDC_ITEM_COORD 1068
#define IDC_ITEM_ORDER 1069
#define IDC_ITEM_WORKER 1070
#define IDC_ITEM_VERSION 1071
#define IDC_ITEM_MAINTENANCE_DATE 1072
#define IDC_ITEM_LIFECYCLE_COUNTS 1073
#define IDC_ITEM_REMARKS 1074
#define IDC_ITEM_BATTERY_TYPE 1075
#define IDC_ITEM_BATTERY_IDENTIFIER 1076
#define IDC_ITEM_BATTERY_CYCLE 1077
#define IDC_ITEM_BATTERY_FULL_CAPACITY 1082
#define IDC_ITEM_BATTERY_CAPACITY_BEFORE 1078
#define IDC_ITEM_BATTERY_CAPACITY_AFTER 1079
#define IDC_ITEM_BATTERY_TEMPERATURE_BEFORE 1080
#define IDC_ITEM_BATTERY_TEMPERATURE_AFTER 1081

/* COM port dialog (165); its "OK" button is IDOK (1). */
#define IDC_COM_PORT_LIST 1055

/* Progress window (166). */
#define IDC_PROGRESS_BAR 1056
#define IDC_PROGRESS_TEXT 1058

#endif /* KJ_APP_IDS_H */
