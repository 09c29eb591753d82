// DialogFunctions.h — AutoLISP's own dialogs in korcad: getfiled, acad_colordlg,
// acad_truecolordlg, and alert as a message box.
//
// Their windows (host/gui/BuiltinDialogs.h) show when someone can answer them: at a display,
// or from an answers file. Without either (a terminal, a pipe) the question is asked on the
// command line under the same rules: getfiled takes a file name, Enter the proposed one; the
// colour functions take a number, VonLayer / VonBlock or R,G,B; the end of the input is
// Cancel (nil). alert then prints its message on lines of its own.
#pragma once

namespace korcad {

class Session;

void installDialogFunctions(Session& session);

}  // namespace korcad
