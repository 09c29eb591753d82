// The module's German string table.
#include "res/resource.h"

const AfxStringResource korDialogStrings[] = {
    {IDS_PICK_PROMPT, L" abgreifen :"},
    {IDS_DB_CALL_FAILED, L"Fehler beim Aufruf von %s"},
    {IDS_COLOR_RANGE, L"Wert muss im Bereich 0..255 liegen"},
    {IDS_COLOR_RED, L"Rot"},
    {IDS_COLOR_GREEN, L"Grün"},
    {IDS_COLOR_BLUE, L"Blau"},
    {IDS_COLOR_CYAN, L"Cyan"},
    {IDS_COLOR_MAGENTA, L"Magenta"},
    {IDS_COLOR_YELLOW, L"Gelb"},
    {IDS_COLOR_HUE, L"Farbe"},
    {IDS_COLOR_SAT, L"Sättigung"},
    {IDS_COLOR_LIGHT, L"Licht"},
    {IDS_COLOR_NEW, L"Neu"},
    {IDS_COLOR_CURRENT, L"Aktuell"},
    {IDS_COLOR_MODES, L"Colors:"},
    {IDS_COLOR_CAPTION, L"Farbe auswählen"},
    {IDS_LWEIGHT_TITLE, L"Linienstärke Auswahl"},
    {IDS_LTYPE_NAME, L"Linientyp"},
    {IDS_LTYPE_DESCRIPTION, L"Beschreibung"},
    {IDS_LTYPE_TITLE, L"Linientypauswahl"},
    {IDS_LTYPE_PATTERN, L"Darstellung"},
    {IDS_OK, L"OK"},
    {IDS_CANCEL, L"Abbrechen"},
    {IDS_CADCLASS_SHOW, L"Zeigen"},
    {IDS_CADCLASS_SEARCH, L"Suchen"},
    {IDS_CADCLASS_NOT_CLASSIFIED, L"Objekt %s: CAD-Klasse nicht zugeordnet, es bleibt, wie es war (%s)"},
    {IDS_CADCLASS_NOT_CLASSIFIED_AT, L"Objekt Nr. %ld der Auswahl: CAD-Klasse nicht zugeordnet (%s)"},
    {IDS_CADCLASS_CLASSIFIED_OF, L"%ld von %ld Objekten wurde die CAD-Klasse zugeordnet."},
};
const size_t korDialogStringCount = std::size(korDialogStrings);
