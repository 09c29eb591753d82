// Resource ids of the korDialog module and the tables that hold its resources.
#pragma once

#include "mfc/afxres.h"

// Dialog templates.
#define IDD_BUTTONDIALOG 30018

// Controls of the button dialog: choice button k is IDC_BUTTONDIALOG_CHOICE0 + 2k.
#define IDC_BUTTONDIALOG_CHOICE0 1001
#define IDC_BUTTONDIALOG_SPACER 200

// Icons.
#define IDI_OK 102
#define IDI_CANCEL 103
#define IDI_PICK 106
#define IDI_KORLOGO 109

// Strings.
#define IDS_OK 30052
#define IDS_CANCEL 30053

// The tables, defined in res/*.cpp and registered together in res/resources.cpp.
extern const AfxDialogTemplate korDialogTemplates[];
extern const size_t korDialogTemplateCount;
extern const AfxStringResource korDialogStrings[];
extern const size_t korDialogStringCount;
extern const AfxIconResource korDialogIcons[];
extern const size_t korDialogIconCount;
