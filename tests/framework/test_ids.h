// Resource ids shared by the test resource script and the tests.
#pragma once

#define IDR_TEST_FRAME 100
#define IDR_BAD_LAYOUT 101
#define IDD_TEST_DIALOG 110
#define IDD_TEST_PANEL 111

#define ID_RUN 200
#define ID_NO_HANDLER 201
#define ID_TOGGLE 202
#define ID_NESTED 203
#define ID_GUARDED 204
#define ID_NO_STRING 205

#define IDS_READY 300
#define IDS_PANE_WIDE 301
#define ID_PANE_POSITION 302

#define IDC_NAME 1001
#define IDC_AGREE 1002
#define IDC_SECRET 1003
