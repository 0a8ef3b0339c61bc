// Ids of the test resource script.
#pragma once
#define IDD_TEST 100
#define IDC_LIST 1001
#define IDM_MAIN 101
#define ID_OPEN 200
#define ID_EXIT 201
#define ID_TEST_HELP 202
#define IDS_FIRST 1
#define IDS_SECOND 17
#define IDB_TEST 102
#define IDI_TEST 103
#define IDC_TEST 104
#define IDA_MAIN 105
#define IDR_TOOLBAR 106
#define IDD_FORM 107
#define IDW_DING 108
