// Links the module's resources into the library: found by the module's instance handle.
#include "res/resource.h"

namespace {
const AfxResourceTable korDialogResources = {
    korDialogTemplates, korDialogTemplateCount, korDialogStrings,
    korDialogStringCount, korDialogIcons,     korDialogIconCount,
};
}  // namespace

AFX_RESOURCE_TABLE(korDialogResources)
