// The module's German string table.
#include "res/resource.h"

const AfxStringResource korDialogStrings[] = {
    {IDS_PICK_PROMPT, L" abgreifen :"},
    {IDS_DB_CALL_FAILED, L"Fehler beim Aufruf von %s"},
    {IDS_LWEIGHT_TITLE, L"Linienstärke Auswahl"},
    {IDS_LTYPE_NAME, L"Linientyp"},
    {IDS_LTYPE_DESCRIPTION, L"Beschreibung"},
    {IDS_LTYPE_TITLE, L"Linientypauswahl"},
    {IDS_LTYPE_PATTERN, L"Darstellung"},
    {IDS_OK, L"OK"},
    {IDS_CANCEL, L"Abbrechen"},
};
const size_t korDialogStringCount = std::size(korDialogStrings);
