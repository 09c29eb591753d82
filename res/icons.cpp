// The module's icons. The images are XPM files in res/icons/, drawn by
// scripts/draw_icons.py.
#include "res/resource.h"

#include "res/icons/cancel-32.xpm"
#include "res/icons/color-32.xpm"
#include "res/icons/logo-32.xpm"
#include "res/icons/ok-32.xpm"
#include "res/icons/pick-16.xpm"
#include "res/icons/pick-32.xpm"
#include "res/icons/show-24.xpm"

const AfxIconResource korDialogIcons[] = {
    {IDI_OK, 32, xpm_ok_32},          // green check mark, on OK buttons
    {IDI_CANCEL, 32, xpm_cancel_32},  // red cross, on Cancel buttons
    {IDI_PICK, 32, xpm_pick_32},      // cross-hair, on back-value and pick buttons
    {IDI_PICK, 16, xpm_pick_16},      //   the same for small pick buttons
    {IDI_KORLOGO, 32, xpm_logo_32},   // the suite's logo, window icon of the dialogs
    {IDI_KORCOLOR, 32, xpm_color_32}, // a colour wheel, window icon of the colour dialog
    {IDI_CADCLASS_SHOW, 24, xpm_show_24},  // a magnifier over an entity, on the "Zeigen" button
};
const size_t korDialogIconCount = std::size(korDialogIcons);
