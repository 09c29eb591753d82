// korresstrings.h — the suite's resource-string library: user texts shared by several modules,
// as global CString objects named after their use.
//
// [X] the texts of the CAD-class assignment (palette "Fremdobjekte zuordnen"): progress bars,
//     dialog caption and hint, the confirmation question, the pick prompt and its message
// [X] the question of a cancelled calculation
// [ ] the suite's other palettes
//
// The texts are German, as the suite's users read them. A text that a caller formats says so
// with its placeholders; they are printf-style (%d an integer, %s wide text).
#pragma once

#include "mfc/afx.h"

// Progress window of the assignment: start and end texts of its bars.
extern const CString gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_PROGRESS_TOTAL_START;
extern const CString gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_PROGRESS_TOTAL_ENDE;
extern const CString gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_PROGRESS_SELECTCADCLASS_START;
extern const CString gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_PROGRESS_SELECTCADCLASS_ENDE;
extern const CString gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_PROGRESS_REMOVEATTRIBUTES_START;
extern const CString gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_PROGRESS_SETCADCLASS_START;
extern const CString gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_PROGRESS_SETCADCLASS_ENDE;
extern const CString gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_PROGRESS_UPDATEATTRIBUTES_START;

// The class dialog: caption (when the caller gives none) and the hint line.
extern const CString gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_DLGTITLE;
extern const CString gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_DLGHINT;
// The confirmation question: %d the number of entities, %s the class's display text.
extern const CString gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_QUESTION_ASSIGN;

// "Zeigen": the prompt of the pick, and the message for an entity whose class cannot be chosen.
extern const CString gstr_KORPALETTE_OBJECTZEIGEN;
extern const CString gstr_KORPALETTE_OBJEKTENTSPRICHTNICHTAUSWAHL;

// Asked when the user presses cancel in a progress window.
extern const CString gstr_KORFLAECHENLMK_ERSTELLE_MESSAGE_BERECHNUNGABBRECHEN;
