// The module's German string table.
#include "res/resource.h"

const AfxStringResource korDialogStrings[] = {
    {IDS_OK, L"OK"},
    {IDS_CANCEL, L"Abbrechen"},
};
const size_t korDialogStringCount = std::size(korDialogStrings);
