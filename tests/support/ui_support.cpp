#include "ui_support.h"

#include "gui/MainWindow.h"
#include "uidriver/afxdriver.h"
#include "mfc/afxhost.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace uitest {

INT_PTR runModal(CDialog& dlg, const std::function<void(CDialog&)>& user)
{
    bool ran = false;
    afxdriver::onNextDialog([&](CDialog& d) {
        ran = true;
        user(d);
        if (d.IsRunningModal() && AfxActiveModalDialog() == &d) {
            auto guard = std::make_shared<unsigned>(AfxModalSerial(&d));
            CDialog* open = &d;
            QTimer::singleShot(10000, [open, guard] {
                // Only a dialog still running: the object may be long gone.
                std::vector<CDialog*> running = AfxModalDialogs();
                if (std::find(running.begin(), running.end(), open) != running.end() &&
                    AfxModalSerial(open) == *guard) {
                    ADD_FAILURE() << "the dialog was left open";
                    open->EndDialog(-99);
                }
            });
        }
    });
    INT_PTR result = dlg.DoModal();
    if (result != -1) {
        EXPECT_TRUE(ran) << "the dialog never showed";
    }
    return result;
}

std::string freshDir(const std::string& tag)
{
    static int counter = 0;
    auto dir = std::filesystem::temp_directory_path() /
               ("kor-ui-" + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

ScopedConfigHome::ScopedConfigHome() : m_path(freshDir("config"))
{
    if (const char* p = std::getenv("XDG_CONFIG_HOME")) {
        m_hadPrevious = true;
        m_previous = p;
    }
    setenv("XDG_CONFIG_HOME", m_path.c_str(), 1);
}

ScopedConfigHome::~ScopedConfigHome()
{
    if (m_hadPrevious)
        setenv("XDG_CONFIG_HOME", m_previous.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    std::filesystem::remove_all(m_path);
}

CRect windowRect(const CWnd& w)
{
    CRect r;
    w.GetWindowRect(&r);
    return r;
}

CRect clientRectOf(const CDialog& dlg, UINT id)
{
    CRect r;
    CWnd* control = dlg.GetDlgItem(static_cast<int>(id));
    if (!control)
        return r;
    control->GetWindowRect(&r);
    dlg.ScreenToClient(&r);
    return r;
}

UINT focusedId()
{
    CWnd* focus = CWnd::GetFocus();
    return focus ? static_cast<UINT>(focus->GetDlgCtrlID()) : 0;
}

bool waitUntilActive(const CDialog& dlg)
{
    auto* window = reinterpret_cast<QWidget*>(dlg.m_hWnd);
    QElapsedTimer waited;
    waited.start();
    // Bounded only against a window that never becomes active; a busy machine may take long.
    while (!window->isActiveWindow() && waited.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return window->isActiveWindow();
}

HWND mainWindow()
{
    // Lives as long as the process: Qt must still stand when it goes.
    static auto* window = new korcad::MainWindow(L"Zeichnung1.dwg");
    return window->handle();
}

}  // namespace uitest

// Window tests always run headless, with settings in a folder of their own.
int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("XDG_CONFIG_HOME", uitest::freshDir("home").c_str(), 1);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
