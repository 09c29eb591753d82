// The module's LISP functions: the table, their definition per drawing and the dispatcher.
#include "frame/Module.h"

#include "dialogs/ButtonDialog.h"
#include "dialogs/ButtonValue.h"
#include "dialogs/FragBox.h"
#include "dialogs/MultiEdit.h"
#include "dialogs/SelectColor.h"
#include "dialogs/GridDialog.h"
#include "dialogs/LWeightDialog.h"

// Function code -> name and handler; entry 0 is empty. Every function has its handler and
// registers it, so AutoCAD calls the handler directly; DoFunction serves a call that reaches
// it all the same (an entry without a handler would be answered with RSERR there).
const KorLispFunction korFunctionTable[kKorFunctionCount + 1] = {
    {L"", nullptr, false},
    {L"korDialog_ButtonValue", ButtonValue, true},
    {L"korDialog_SelectColor", SelectColor, true},
    {L"korDialog_FragBox", FragBox, true},
    {L"korDialog_ButtonDialog", ButtonDialog, true},
    {L"korDialog_MultiEditDialog", MultiEdit, true},
    {L"korDialog_GridDialog", GridDialog, true},
    {L"korDialog_GridDialog_LType", GridDialogLType, true},
    {L"korDialog_LWeightDialog", LWeightDialog, true},
};

int LoadFunctions()
{
    CKORDebugHelpFunction scope(korDialogLog, L"InitExit", L"LoadFunctions\r\n");
    for (int code = 1; code <= kKorFunctionCount; ++code) {
        const KorLispFunction& f = korFunctionTable[code];
        if (acedDefun(f.name, code) == 0)
            return RTERROR;
        if (f.registerHandler && acedRegFunc(f.handler, code) == 0)
            return RTERROR;
    }
    return RTNORM;
}

int UnloadFunctions()
{
    CKORDebugHelpFunction scope(korDialogLog, L"InitExit", L"UnloadFunctions\r\n");
    for (int code = 1; code <= kKorFunctionCount; ++code)
        acedUndef(korFunctionTable[code].name, code);
    return RTNORM;
}

int DoFunction()
{
    acedRetVoid();
    int code = acedGetFunCode();
    if (code < 1 || code > kKorFunctionCount)
        return RTERROR;
    const KorLispFunction& f = korFunctionTable[code];
    if (!f.handler)
        return RSERR;
    CKORDebugHelpFunction scope(korDialogLog, L"DoFunction", L"DoFunction('%s')\r\n", f.name);
    return f.handler();
}
