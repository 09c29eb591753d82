// Dialog templates and an icon of the window tests' own, registered as the test program's
// resources.
#pragma once

#include "mfc/afxres.h"

// A resizable form: a name edit across the top, a list filling the middle, OK and Cancel at
// the bottom right, a note at the bottom left.
#define IDD_TEST_FORM 9100
#define IDC_FORM_NAME 9101
#define IDC_FORM_LIST 9102
#define IDC_FORM_NOTE 9103

// Keyboard and data exchange: three edits, a combo box, an Apply button, a hidden button,
// OK (the default push button) and Cancel.
#define IDD_TEST_KEYS 9200
#define IDC_KEYS_TEXT 9201
#define IDC_KEYS_INT 9202
#define IDC_KEYS_REAL 9203
#define IDC_KEYS_COMBO 9204
#define IDC_KEYS_APPLY 9205
#define IDC_KEYS_HIDDEN 9206
#define IDC_KEYS_LABEL 9207

// No default push button and no OK button: Enter sends IDOK all the same.
#define IDD_TEST_PLAIN 9300
#define IDC_PLAIN_EDIT 9301
#define IDC_PLAIN_GO 9302
#define IDC_PLAIN_LIST 9303

// A template naming a window class nobody registered: the dialog cannot be created.
#define IDD_TEST_BROKEN 9400

// A search field over a sorted list (as a dialog that narrows a long list while the user
// types), a hint, and a second list that lets several lines be selected.
#define IDD_TEST_SEARCH 9600
#define IDC_SEARCH_TEXT 9601
#define IDC_SEARCH_LIST 9602
#define IDC_SEARCH_HINT 9603
#define IDC_SEARCH_MULTI 9604

#define IDI_TEST_DOT 9500  // 8 x 8 and 16 x 16

HINSTANCE testResourceInstance();
