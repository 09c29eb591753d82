// Resource ids of the korDialog module and the tables that hold its resources.
#pragma once

#include "mfc/afxres.h"

// Dialog templates.
#define IDD_BUTTONDIALOG 30018
#define IDD_BUTTONVALUE 101
#define IDD_FRAGBOX 140
#define IDD_MULTIEDIT 30020
#define IDD_KORCOLOR 30017
#define IDD_GRIDDIALOG 30050
#define IDD_LWEIGHTDIALOG 30051
#define IDD_CADCLASS 30055

// Controls of the button dialog: the twelve choice buttons from the top (choice button k is
// IDC_BUTTONDIALOG_CHOICE0 + 2k) and an invisible spacer one row high. Cancel is IDCANCEL.
#define IDC_BUTTONDIALOG_CHOICE0 1001
#define IDC_BUTTONDIALOG_CHOICE1 1003
#define IDC_BUTTONDIALOG_CHOICE2 1005
#define IDC_BUTTONDIALOG_CHOICE3 1007
#define IDC_BUTTONDIALOG_CHOICE4 1009
#define IDC_BUTTONDIALOG_CHOICE5 1011
#define IDC_BUTTONDIALOG_CHOICE6 1013
#define IDC_BUTTONDIALOG_CHOICE7 1015
#define IDC_BUTTONDIALOG_CHOICE8 1017
#define IDC_BUTTONDIALOG_CHOICE9 1019
#define IDC_BUTTONDIALOG_CHOICE10 1021
#define IDC_BUTTONDIALOG_CHOICE11 1023
#define IDC_BUTTONDIALOG_SPACER 200

// Controls of the button-value dialog: the label, the back-value button and the value edit.
// OK is IDOK, Cancel IDCANCEL; the frame around the three is IDC_STATIC.
#define IDC_BUTTONVALUE_HEADER 1000
#define IDC_BUTTONVALUE_BACK 1001
#define IDC_BUTTONVALUE_VALUE 1002
// Controls of the FragBox: eight rows of a label and an edit field, from the top, and an
// invisible gauge whose height is the spacing of the rows. OK and Cancel are IDOK, IDCANCEL.
#define IDC_FRAGBOX_LABEL0 1004
#define IDC_FRAGBOX_LABEL1 1016
#define IDC_FRAGBOX_LABEL2 1025
#define IDC_FRAGBOX_LABEL3 1029
#define IDC_FRAGBOX_LABEL4 1032
#define IDC_FRAGBOX_LABEL5 1034
#define IDC_FRAGBOX_LABEL6 1036
#define IDC_FRAGBOX_LABEL7 1038
#define IDC_FRAGBOX_EDIT0 1002
#define IDC_FRAGBOX_EDIT1 1006
#define IDC_FRAGBOX_EDIT2 1010
#define IDC_FRAGBOX_EDIT3 1012
#define IDC_FRAGBOX_EDIT4 1014
#define IDC_FRAGBOX_EDIT5 1018
#define IDC_FRAGBOX_EDIT6 1022
#define IDC_FRAGBOX_EDIT7 1024
#define IDC_FRAGBOX_ROWHEIGHT 200
// Controls of the multi-edit dialog: eight rows of a pick button (carrying the row's label)
// and an edit field, from the top, and the invisible row-height gauge. Pick button k is
// IDC_MULTIEDIT_PICK0 + 2k. OK and Cancel are IDOK, IDCANCEL.
#define IDC_MULTIEDIT_PICK0 1001
#define IDC_MULTIEDIT_PICK1 1003
#define IDC_MULTIEDIT_PICK2 1005
#define IDC_MULTIEDIT_PICK3 1007
#define IDC_MULTIEDIT_PICK4 1009
#define IDC_MULTIEDIT_PICK5 1011
#define IDC_MULTIEDIT_PICK6 1013
#define IDC_MULTIEDIT_PICK7 1015
#define IDC_MULTIEDIT_EDIT0 1002
#define IDC_MULTIEDIT_EDIT1 1006
#define IDC_MULTIEDIT_EDIT2 1010
#define IDC_MULTIEDIT_EDIT3 1012
#define IDC_MULTIEDIT_EDIT4 1014
#define IDC_MULTIEDIT_EDIT5 1018
#define IDC_MULTIEDIT_EDIT6 1022
#define IDC_MULTIEDIT_EDIT7 1024
#define IDC_MULTIEDIT_ROWHEIGHT 200
// Controls of the colour dialog: the mode box and its label, the picker and the swatch (both
// template push buttons that the colour controls take over), nine value fields with their
// labels and spin buttons, and the labels beside the swatch. OK is IDOK, Cancel IDCANCEL.
#define IDC_COLOR_MODE_LABEL 1042
#define IDC_COLOR_MODE 30019
#define IDC_COLOR_PICKER 30018
#define IDC_COLOR_SWATCH 30032
#define IDC_COLOR_RED_LABEL 30020
#define IDC_COLOR_RED 30021
#define IDC_COLOR_GREEN_LABEL 30022
#define IDC_COLOR_GREEN 30023
#define IDC_COLOR_BLUE_LABEL 30024
#define IDC_COLOR_BLUE 30025
#define IDC_COLOR_HUE_LABEL 30026
#define IDC_COLOR_HUE 30027
#define IDC_COLOR_SAT_LABEL 30028
#define IDC_COLOR_SAT 30029
#define IDC_COLOR_LIGHT_LABEL 30030
#define IDC_COLOR_LIGHT 30031
#define IDC_COLOR_NEW_LABEL 30033
#define IDC_COLOR_CURRENT_LABEL 30034
#define IDC_COLOR_CYAN_LABEL 30035
#define IDC_COLOR_CYAN 30036
#define IDC_COLOR_RED_SPIN 30037
#define IDC_COLOR_GREEN_SPIN 30038
#define IDC_COLOR_BLUE_SPIN 30039
#define IDC_COLOR_HUE_SPIN 30040
#define IDC_COLOR_SAT_SPIN 30041
#define IDC_COLOR_LIGHT_SPIN 30042
#define IDC_COLOR_CYAN_SPIN 30043
#define IDC_COLOR_MAGENTA_LABEL 30044
#define IDC_COLOR_MAGENTA 30045
#define IDC_COLOR_MAGENTA_SPIN 30046
#define IDC_COLOR_YELLOW_LABEL 30047
#define IDC_COLOR_YELLOW 30048
#define IDC_COLOR_YELLOW_SPIN 30049
// The grid of the grid dialog (OK and Cancel are IDOK, IDCANCEL).
#define IDC_GRIDDIALOG_GRID 201
// The line-weight combo box of the line-weight dialog (OK and Cancel are IDOK, IDCANCEL).
#define IDC_LWEIGHT_COMBO 1041

// Controls of the CAD-class assignment dialog: the search label and field, the list of
// classes, the hint line and the show button. OK is IDOK; Cancel (IDCANCEL) stays hidden.
#define IDC_CADCLASS_SEARCH_LABEL 30056
#define IDC_CADCLASS_SEARCH 30057
#define IDC_CADCLASS_LIST 30058
#define IDC_CADCLASS_HINT 30059
#define IDC_CADCLASS_SHOW 30060

// Icons.
#define IDI_OK 102
#define IDI_CANCEL 103
#define IDI_PICK 106
#define IDI_KORLOGO 109
#define IDI_KORCOLOR 30017  // the colour dialog's window icon
#define IDI_CADCLASS_SHOW 200  // the CAD-class dialog's show button (24 x 24)

// Strings.
#define IDS_PICK_PROMPT 30002     // " abgreifen :": the end of a row's distance prompt
#define IDS_DB_CALL_FAILED 10006  // "Fehler beim Aufruf von %s": a failed call into the text tables
#define IDS_COLOR_RANGE 30001  // "Wert muss im Bereich 0..255 liegen"
#define IDS_COLOR_RED 30006    // the colour dialog's labels: 30006 ... 30017
#define IDS_COLOR_GREEN 30007
#define IDS_COLOR_BLUE 30008
#define IDS_COLOR_CYAN 30009
#define IDS_COLOR_MAGENTA 30010
#define IDS_COLOR_YELLOW 30011
#define IDS_COLOR_HUE 30012
#define IDS_COLOR_SAT 30013
#define IDS_COLOR_LIGHT 30014
#define IDS_COLOR_NEW 30015
#define IDS_COLOR_CURRENT 30016
#define IDS_COLOR_MODES 30017
#define IDS_COLOR_CAPTION 30018  // "Farbe auswählen"
#define IDS_LWEIGHT_TITLE 101       // "Linienstärke Auswahl"
#define IDS_LTYPE_NAME 30003        // "Linientyp": header of the linetype grid
#define IDS_LTYPE_DESCRIPTION 30004 // "Beschreibung"
#define IDS_LTYPE_TITLE 30005       // "Linientypauswahl"
#define IDS_LTYPE_PATTERN 30090     // "Darstellung": the linetype grid's column of dash patterns
#define IDS_OK 30052
#define IDS_CANCEL 30053
#define IDS_CADCLASS_SHOW 30060    // "Zeigen"
#define IDS_CADCLASS_SEARCH 30062  // "Suchen"
#define IDS_CADCLASS_NOT_CLASSIFIED 30063  // an entity the assignment could not classify: handle, reason
#define IDS_CADCLASS_NOT_CLASSIFIED_AT 30064  // the same for one the drawing no longer knows: place, reason
#define IDS_CADCLASS_CLASSIFIED_OF 30065  // how many of the selected entities were classified

// One template per dialog, each in its own file (res/<Dialog>Template.cpp).
extern const AfxDialogTemplate korButtonDialogTemplate;
extern const AfxDialogTemplate korButtonValueTemplate;
extern const AfxDialogTemplate korFragBoxTemplate;
extern const AfxDialogTemplate korMultiEditTemplate;
extern const AfxDialogTemplate korColorTemplate;
extern const AfxDialogTemplate korGridDialogTemplate;
extern const AfxDialogTemplate korLWeightDialogTemplate;
extern const AfxDialogTemplate korCADClassTemplate;

// The tables, defined in res/*.cpp and registered together in res/resources.cpp.
extern const AfxDialogTemplate korDialogTemplates[];
extern const size_t korDialogTemplateCount;
extern const AfxStringResource korDialogStrings[];
extern const size_t korDialogStringCount;
extern const AfxIconResource korDialogIcons[];
extern const size_t korDialogIconCount;
