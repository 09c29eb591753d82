#include "lisp_call.h"

#include "gui/AnswerRunner.h"
#include "gui/MainWindow.h"

#include "mfc/afxhost.h"

namespace dialogtest {

std::vector<std::wstring> Call::lines(const std::wstring& category) const
{
    std::vector<std::wstring> out;
    for (const auto& l : log)
        if (l.category == category)
            out.push_back(l.text);
    return out;
}

void ModuleFixture::SetUp()
{
    // Lives as long as the process: Qt must still stand when it goes.
    static auto* mainWindow = new korcad::MainWindow(L"Zeichnung1.dwg");
    korcad::CadHost& host = cadHost();
    host.setWindows([] { return mainWindow->handle(); }, [] { return mainWindow->drawingViewHandle(); });
    host.openDrawing(L"Zeichnung1.dwg");
    std::string error;
    ASSERT_TRUE(host.loadApp(KORDIALOG_MODULE, &error)) << error;
}

void ModuleFixture::TearDown()
{
    korcad::CadHost& host = cadHost();
    host.unloadApp("korDialog", nullptr);
    for (int d : host.openDrawings())
        host.closeDrawing(d);
}

Call ModuleFixture::call(const std::wstring& fn, const std::vector<CKORAdsLispVar>& args, const std::string& answers)
{
    return call(fn, args, answers, nullptr);
}

Call ModuleFixture::call(const std::wstring& fn, const std::vector<CKORAdsLispVar>& args, const std::string& answers,
                         const std::function<void(CDialog&)>& inspect)
{
    Call c;
    std::vector<korcad::Action> actions;
    std::string error;
    EXPECT_TRUE(korcad::parseAnswers(answers, actions, &error)) << error;
    korcad::AnswerRunner user(std::move(actions), [&](const std::string& m) { c.userErrors.push_back(m); });
    int listener = AfxAddDialogListener([&](CDialog& d, AfxDialogEvent e) {
        if (e != AfxDialogEvent::Opened)
            return;
        c.dialogs.push_back(afxdriver::describe(d));
        if (inspect)
            inspect(d);
    });
    int sink = CDebugHilfe::AddSink([&](const KorDebugLine& l) { c.log.push_back(l); });

    resbuf* chain = nullptr;
    resbuf** tail = &chain;
    for (const auto& a : args) {
        *tail = CKORAdsLisp::ToResbuf(a);
        while (*tail)
            tail = &(*tail)->rbnext;
    }
    AfxGetModuleState()->m_hCurrentResourceHandle = sentinel();
    korcad::CallResult r = cadHost().invoke(fn, chain);
    c.resourceAfter = AfxGetModuleState()->m_hCurrentResourceHandle;
    acutRelRb(chain);

    CDebugHilfe::RemoveSink(sink);
    AfxRemoveDialogListener(listener);
    EXPECT_TRUE(r.found) << "not defined";
    c.status = r.status;
    c.hasValue = r.hasValue;
    c.value = CKORAdsLisp::FromResbuf(r.value.get());
    EXPECT_EQ(user.remaining(), 0u) << "the scripted user had answers left";
    return c;
}

std::string show(const CKORAdsLispVar& v)
{
    std::wstring s = v.ToString();
    return std::string(s.begin(), s.end());
}

void ModuleFixture::expectChecks(const std::wstring& fn, const std::wstring& scopeEntry,
                                 const std::vector<CheckCase>& cases)
{
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Call r = call(fn, c.args);
        EXPECT_EQ(r.status, RSERR);
        EXPECT_EQ(r.value, CKORAdsLisp::List(CKORAdsLispVar(c.code))) << show(r.value);
        EXPECT_EQ(r.lines(L"DialogReturn"), std::vector<std::wstring>{c.message});
        EXPECT_TRUE(r.dialogs.empty());
        EXPECT_EQ(r.resourceAfter, sentinel());
        std::vector<std::wstring> scope = r.lines(L"Dialog");
        ASSERT_EQ(scope.size(), 2u);
        EXPECT_EQ(scope[0], L"> " + scopeEntry + L"\r\n");
    }
}

CKORAdsLispVar strings(std::initializer_list<const wchar_t*> texts)
{
    CKORAdsLispVar list;
    for (const wchar_t* t : texts)
        list.Append(CKORAdsLisp::List(CKORAdsLispVar(t)));
    return list;
}

}  // namespace dialogtest
