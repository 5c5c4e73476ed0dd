// Identifiers shared by the resource script and the editor's code.
#pragma once

// Resources of the main window: menu, accelerators, application icon,
// tool-bar layout and its bitmap all carry this id.
#define IDR_MAINFRAME 101
// The password panel below the Save As dialog's own controls.
#define IDD_SAVE_PASSWORDS 102
#define IDD_INPUT_PASSWORD 103
#define IDD_JUMP_LINE 104
#define IDD_DATE_FORMAT 105
#define IDD_ABOUT 106
// Second icon of the program: the one the document type shows.
#define IDI_DOCUMENT 107
#define IDD_READ_ONLY_LIST 108
// The tool-bar pictures drawn larger, for screens of 144 and 192 dpi.
#define IDB_TOOLBAR_24 109
#define IDB_TOOLBAR_32 110

// Type number of the tool-bar layout resource (version, button size, ids).
#define RT_TOOLBAR_LAYOUT 241

// Children of the main window.
#define IDC_EDIT 1013
#define ID_INDICATOR_POSITION 1014
// The status-bar pane naming the open document's format.
#define ID_INDICATOR_FORMAT 2300
#define IDC_ABOUT_VERSION 1015
#define IDC_ABOUT_NOTE 1016

// Controls of the dialogs.
#define IDC_OLD_PASSWORD 1000
#define IDC_NEW_PASSWORD 1001
#define IDC_CONFIRM_PASSWORD 1002
#define IDC_OLD_PASSWORD_LABEL 1003
#define IDC_PASSWORD 1004
#define IDC_PASSWORD_PATH 1005
#define IDC_PER_FILE_READ_ONLY 1010
#define IDC_READ_ONLY_CAPACITY 1011
#define IDC_READ_ONLY_FILES 1012
#define IDC_JUMP_LINE 1006
#define IDC_JUMP_SPIN 1007
#define IDC_DATE_FORMAT 1008
#define IDC_DATE_SAMPLE 1009
// Save As: save in the strong format.
#define IDC_STRONG_FORMAT 1020

// The names of the document formats, as the status bar shows them.
#define IDS_FORMAT_CLASSIC 2301
#define IDS_FORMAT_STRONG 2302

// The date format dialog's predefined formats, in the order of its list.
#define IDS_DATE_FORMAT_FIRST 1101
#define IDS_DATE_FORMAT_LAST 1107

// Commands.
#define ID_FILE_NEW 40001
#define ID_FILE_OPEN 40002
#define ID_FILE_SAVE 40003
#define ID_FILE_SAVE_AS 40004
#define ID_FILE_PAGE_SETUP 40005
#define ID_FILE_PRINT 40006
#define ID_APP_EXIT 40007
#define ID_EDIT_UNDO 40008
#define ID_EDIT_CUT 40009
#define ID_EDIT_COPY 40010
#define ID_EDIT_CLEAR 40011
#define ID_EDIT_PASTE 40012
#define ID_EDIT_FIND 40013
#define ID_EDIT_FIND_NEXT 40014
#define ID_EDIT_REPLACE 40015
#define ID_EDIT_GOTO_LINE 40016
#define ID_EDIT_SELECT_ALL 40017
#define ID_EDIT_DATE_TIME 40018
#define ID_FORMAT_WORD_WRAP 40019
#define ID_FORMAT_FONT 40020
#define ID_VIEW_TOOLBAR 40021
#define ID_VIEW_STATUS_BAR 40022
#define ID_HELP_CONTENTS 40023
#define ID_APP_ABOUT 40024
#define ID_SETTINGS_DATE_FORMAT 40025
#define ID_SETTINGS_ASSOCIATE 40026
#define ID_SETTINGS_UNASSOCIATE 40027
#define ID_EDIT_READ_ONLY 40028
#define ID_SETTINGS_HIDE_PASSWORD 40029
#define ID_SETTINGS_READ_ONLY_LIST 40030
#define ID_VIEW_ALWAYS_ON_TOP 40031
#define ID_SETTINGS_REMEMBER_POS 40032
#define ID_FILE_LOCK 40040
#define ID_SETTINGS_SECURITY 40041

// The security settings dialog, its controls and the Caps Lock balloon.
#define IDD_SECURITY 2200
#define IDC_IDLE_MINUTES 2201
#define IDC_IDLE_SPIN 2202
#define IDC_LOCK_ON_MINIMIZE 2203
#define IDC_LOCK_ON_SESSION_LOCK 2204
#define IDC_CLEAR_CLIPBOARD 2205
#define IDC_STRONG_NEW_DOCUMENTS 2206
#define IDC_LOCK_ON_SUSPEND 2220
#define IDC_CLIPBOARD_TIMER 2221
#define IDC_CLIPBOARD_SECONDS 2222
#define IDC_CLIPBOARD_SPIN 2223
#define IDC_HIDE_FROM_CAPTURE 2224
#define IDC_KEEP_OFF_RECENT 2225
#define IDC_KEEP_RECOVERY_COPY 2226
#define IDS_CAPS_LOCK_TITLE 2210
#define IDS_CAPS_LOCK_TEXT 2211

// Texts of failures (a command's, or one the editor cannot go on from) and
// the reason a log-off waits for the save question.
#define IDS_FAILED_OUT_OF_MEMORY 2120
#define IDS_FAILED_UNEXPECTED 2121
#define IDS_ENDING_AFTER_FAILURE 2122
#define IDS_SHUTDOWN_REASON 2123
#define IDS_SHUTDOWN_REASON_LOCKED 2124

// Text of the box shown when the help file cannot be opened; the file's
// path follows it.
#define IDP_HELP_NOT_LAUNCHED 61703
