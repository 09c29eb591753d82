// The module's German string table.
#include "res/resource.h"

const AfxStringResource korDialogStrings[] = {
    {IDS_PICK_PROMPT, L" abgreifen :"},
    {IDS_DB_CALL_FAILED, L"Fehler beim Aufruf von %s"},
    {IDS_OK, L"OK"},
    {IDS_CANCEL, L"Abbrechen"},
};
const size_t korDialogStringCount = std::size(korDialogStrings);
