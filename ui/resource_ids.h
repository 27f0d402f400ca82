// Dialog template and control ids, shared by the dialogs, their templates,
// the tests and the Windows resource script.
#pragma once

#define IDD_CALCULATOR 101
#define IDD_ABOUT 102

#define IDR_APP_ICON 2

#define IDC_FIRST_HOURS 102
#define IDC_FIRST_MINUTES 103
#define IDC_FIRST_SECONDS 104
#define IDC_FIRST_FRAMES 105
#define IDC_SECOND_COUNT 106
#define IDC_SECOND_HOURS 108
#define IDC_SECOND_MINUTES 109
#define IDC_SECOND_SECONDS 110
#define IDC_SECOND_FRAMES 111
#define IDC_ADD 113
#define IDC_SUBTRACT 114
#define IDC_RATE_24 115
#define IDC_RATE_25 116
#define IDC_RATE_29_97 118
#define IDC_RESULT_COUNT 119
#define IDC_RESULT_HOURS 120
#define IDC_RESULT_MINUTES 121
#define IDC_RESULT_SECONDS 122
#define IDC_RESULT_FRAMES 123
#define IDC_RATE_30 125
#define IDC_ABOUT 127
#define IDC_FIRST_COUNT 128
#define IDC_RATE_23_976 138
