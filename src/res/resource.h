// Resource identifiers shared by the resource script and the code.
#pragma once

// Icons
#define IDI_APPLICATION_ICON 107
#define IDI_FOLDER 135
#define IDI_FILE 136

// PNG images (resource type "PNG")
#define IDB_UNPACK 130
#define IDB_OPEN 131
#define IDB_SETTINGS 133
#define IDB_ABOUT 134
// The same four for larger display scales: 40, 48, 64, 80 and 96 pixels (125, 150,
// 200, 250 and 300 %), five consecutive ids each.
#define IDB_OPEN_40 150
#define IDB_OPEN_48 151
#define IDB_OPEN_64 152
#define IDB_OPEN_80 153
#define IDB_OPEN_96 154
#define IDB_UNPACK_40 155
#define IDB_UNPACK_48 156
#define IDB_UNPACK_64 157
#define IDB_UNPACK_80 158
#define IDB_UNPACK_96 159
#define IDB_SETTINGS_40 160
#define IDB_SETTINGS_48 161
#define IDB_SETTINGS_64 162
#define IDB_SETTINGS_80 163
#define IDB_SETTINGS_96 164
#define IDB_ABOUT_40 165
#define IDB_ABOUT_48 166
#define IDB_ABOUT_64 167
#define IDB_ABOUT_80 168
#define IDB_ABOUT_96 169

// Accelerators
#define IDR_ACCELERATORS 109
#define ID_SELECT_ALL 32771

// Dialog templates
#define IDD_ABOUT 103
#define IDD_SETTINGS 141
#define IDD_UNPACK 142
#define IDD_PASSWORD 143
#define IDD_PROGRESS 144
#define IDD_OPENING 145

// Unpack dialog
#define IDC_BROWSE 1000
#define IDC_DESTINATION 1001
#define IDC_EXTRACT_ALL 1002
#define IDC_EXTRACT_CURRENT_FOLDER 1003
#define IDC_EXTRACT_SELECTED 1004
#define IDC_UPDATE_REPLACE 1005
#define IDC_UPDATE_SKIP 1006

// Password dialog
#define IDC_PASSWORD_INFO 1006
#define IDC_PASSWORD 1007

// Progress dialog
#define IDC_PROGRESS_BAR 1009
#define IDC_TOTAL_PROGRESS 1010
#define IDC_ENTRY_NAME 1011
#define IDC_ACTION 1012

// Opening progress window
#define IDC_OPENING_NAME 1290
#define IDC_OPENING_COUNT 1291

// About dialog
#define IDC_VERSION 1013
#define IDC_LINK 1015
#define IDC_ABOUT_ICON 1016

// Settings dialog
#define IDC_OPEN_FILE 1014
#define IDC_DRAG_DROP 1015

// Strings
#define IDS_PRODUCT_NAME 103
#define IDS_OPEN 104
#define IDS_NO_SELECTION 105
#define IDS_ONE_SELECTED 106
#define IDS_N_SELECTED 107
#define IDS_FILE_NOT_OPENED 108
#define IDS_ERROR_CAPTION 109
#define IDS_CREATING_FOLDER 110
#define IDS_SKIPPING_FILE 111
#define IDS_EXTRACTING_FILE 112
#define IDS_UNPACK 132
#define IDS_SETTINGS 133
#define IDS_ABOUT 134
#define IDS_COLUMN_NAME 135
#define IDS_COLUMN_SIZE 136
#define IDS_COLUMN_TYPE 137
#define IDS_COLUMN_MODIFIED 138
#define IDS_OPEN_FILTER 139

// Archive errors: the library's result codes map onto this block.
#define IDS_ERROR_CRC 256
#define IDS_ERROR_UNKNOWN_FORMAT 257
#define IDS_ERROR_VOLUME_OPEN 258
#define IDS_ERROR_CREATE 259
#define IDS_ERROR_CLOSE 260
#define IDS_ERROR_READ 261
#define IDS_ERROR_WRITE 262
#define IDS_ERROR_NO_MEMORY 263
#define IDS_ERROR_REFERENCE 264
#define IDS_ERROR_BAD_PASSWORD 265
#define IDS_ERROR_END_OF_ARCHIVE 266
#define IDS_ERROR_HEADER_BROKEN 267
#define IDS_ERROR_BAD_ARCHIVE 268
// Our own additions, in the same style.
#define IDS_ERROR_CREATE_DESTINATION 269
#define IDS_ERROR_UNSAFE_NAMES 270
#define IDS_ERROR_UNSAFE_ENTRY 271
#define IDS_ERROR_LISTING_INCOMPLETE 272
#define IDS_ERROR_LINKS_LEFT_OUT 273
// A damaged comment, and the entries a job went on past.
#define IDS_ERROR_COMMENT_BROKEN 300
#define IDS_ERROR_ONE_ENTRY_FAILED 301
#define IDS_ERROR_ENTRIES_FAILED 302
#define IDS_ERROR_MORE_ENTRIES_FAILED 303
#define IDS_ERROR_EXTRACTION_STOPPED 304
#define IDS_OPENING_ENTRIES 290
