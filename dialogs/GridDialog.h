// The handlers of korDialog_GridDialog (choose or edit rows of a table the caller gives) and
// korDialog_GridDialog_LType (choose a linetype of the drawing).
#pragma once

int GridDialog();
int GridDialogLType();
