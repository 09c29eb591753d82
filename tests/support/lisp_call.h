// Calling the module's LISP functions from a test as the CAD program does: the module loaded
// into a drawing, arguments as LISP values, a scripted user for the dialog that opens, and
// the module's log lines and dialogs recorded.
#pragma once

#include "cad/CadHost.h"
#include "kor/adslisp.h"
#include "kor/debughilfe.h"
#include "uidriver/afxdriver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dialogtest {

struct Call {
    int status = 0;
    bool hasValue = false;
    CKORAdsLispVar value;                 // what the function handed to LISP
    std::vector<KorDebugLine> log;        // the module's lines during the call
    std::vector<std::string> dialogs;     // the dialogs that opened, as the driver names them
    std::vector<std::string> userErrors;  // what the scripted user could not do
    HINSTANCE resourceAfter = nullptr;    // MFC's resource handle after the call

    std::vector<std::wstring> lines(const std::wstring& category) const;
};

// A LISP value as text, for failure messages.
std::string show(const CKORAdsLispVar& v);

// One failed argument check: the arguments, the code the function answers and its log line.
struct CheckCase {
    const char* what;
    std::vector<CKORAdsLispVar> args;
    int code;
    std::wstring message;
};

class ModuleFixture : public ::testing::Test {
protected:
    // Each case answers (code) with status RSERR and writes its one line under "DialogReturn",
    // opens no dialog, gives the resource handle back and closes the scope `scopeEntry` opened.
    void expectChecks(const std::wstring& fn, const std::wstring& scopeEntry, const std::vector<CheckCase>& cases);

    void SetUp() override;
    void TearDown() override;

    // Calls fn with args; `answers` is an answers file's text for the dialogs that open.
    Call call(const std::wstring& fn, const std::vector<CKORAdsLispVar>& args, const std::string& answers = "");
    // As call, with a look at the dialog before the scripted user acts on it.
    Call call(const std::wstring& fn, const std::vector<CKORAdsLispVar>& args, const std::string& answers,
              const std::function<void(CDialog&)>& inspect);

    static HINSTANCE sentinel() { return reinterpret_cast<HINSTANCE>(0x5ea1); }

    // The CAD program the module is loaded into. A fixture whose host answers differently
    // (a prepared drawing table) declares its own host as a member, which is made after this
    // one and so is the one ADS calls reach, and returns it here.
    virtual korcad::CadHost& cadHost() { return host; }
    korcad::CadHost host;
};

// Builders for argument lists.
CKORAdsLispVar strings(std::initializer_list<const wchar_t*> texts);

}  // namespace dialogtest
