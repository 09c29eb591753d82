// The table of the module's dialog templates; each template is defined in its own file.
#include "res/resource.h"

const AfxDialogTemplate korDialogTemplates[] = {
    korButtonDialogTemplate,
    korButtonValueTemplate,
    korFragBoxTemplate,
    korMultiEditTemplate,
    korColorTemplate,
    korGridDialogTemplate,
    korLWeightDialogTemplate,
    korCADClassTemplate,
};
const size_t korDialogTemplateCount = std::size(korDialogTemplates);
