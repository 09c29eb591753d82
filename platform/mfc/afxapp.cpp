// The GUI application object, created lazily, and the host's main window.
#include "mfc/afxhost.h"
#include "mfc/afxstate_p.h"

#include <QApplication>
#include <QCoreApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

std::wstring& applicationName() { return afxqt::state().applicationName; }

std::string programPath()
{
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return "korcad";
    path[n] = 0;
    return path;
}

std::wstring programName()
{
    std::string path = programPath();
    size_t slash = path.rfind('/');
    return AfxFromUtf8(slash == std::string::npos ? path : path.substr(slash + 1));
}

QtMessageHandler previousHandler = nullptr;
bool tryingDisplays = false;  // while the application object tries the display and falls back

// Qt's notices about what a platform plugin cannot do (the offscreen one cannot raise a
// window, for one) and the runtime folder root lacks say nothing to a user: they are dropped.
// So are the display plugin's complaints while the fallback is tried: one warning says it all.
void messageFilter(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && (message.startsWith(QLatin1String("This plugin does not support")) ||
                                 message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))))
        return;
    if (tryingDisplays && type != QtFatalMsg)
        return;
    if (previousHandler)
        previousHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

}  // namespace

bool AfxHostInitUI(std::string* error)
{
    if (QCoreApplication* existing = QCoreApplication::instance()) {
        if (qobject_cast<QApplication*>(existing))
            return true;
        if (error)
            *error = "a non-GUI application object exists; windows cannot be opened";
        return false;
    }
    // A display that is named but cannot be opened (a stale DISPLAY over ssh, a closed X
    // server) must not end the program: Qt tries the platforms of the list in turn.
    const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    const bool chosenByUser = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    if (!chosenByUser) {
        QByteArray platforms = wayland ? "wayland;" : "";
        if (x11)
            platforms += "xcb;";
        qputenv("QT_QPA_PLATFORM", platforms + "offscreen");
    }

    if (!previousHandler)
        previousHandler = qInstallMessageHandler(messageFilter);

    // QApplication keeps references to argc and argv for its whole life: they live in the
    // layer's state.
    afxqt::State& s = afxqt::state();
    s.appArg0 = programPath();
    s.appArgc = 1;
    s.appArgv[0] = s.appArg0.data();
    s.appArgv[1] = nullptr;
    tryingDisplays = !chosenByUser && (x11 || wayland);
    auto* app = new QApplication(s.appArgc, s.appArgv);
    tryingDisplays = false;
    app->setQuitOnLastWindowClosed(false);
    if (applicationName().empty())
        applicationName() = programName();
    if (!chosenByUser && (x11 || wayland) && QGuiApplication::platformName() == QLatin1String("offscreen")) {
        QByteArray display = x11 ? qgetenv("DISPLAY") : qgetenv("WAYLAND_DISPLAY");
        std::fprintf(stderr, "%s: warning: cannot open the display \"%s\"; windows are drawn offscreen\n",
                     AfxToUtf8(applicationName().c_str()).c_str(), display.constData());
    }
    QCoreApplication::setApplicationName(QString::fromStdWString(applicationName()));
    return true;
}

bool AfxHostUIStarted() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

void AfxHostSetApplicationName(const std::wstring& name)
{
    applicationName() = name;
    if (QCoreApplication::instance())
        QCoreApplication::setApplicationName(QString::fromStdWString(name));
}

std::wstring AfxHostApplicationName()
{
    if (applicationName().empty())
        applicationName() = programName();
    return applicationName();
}

QApplication* afxqt::app()
{
    if (auto* a = qobject_cast<QApplication*>(QCoreApplication::instance()))
        return a;
    std::string error;
    if (!AfxHostInitUI(&error)) {
        std::fprintf(stderr, "window layer: %s\n", error.c_str());
        std::abort();
    }
    return qobject_cast<QApplication*>(QCoreApplication::instance());
}

HWND AfxHostHandleOf(QWidget* window) { return afxqt::handle(window); }

QWidget* AfxHostWidgetOf(HWND window) { return afxqt::liveWidget(window); }

void AfxHostProcessEvents()
{
    if (AfxHostUIStarted())
        QCoreApplication::processEvents();
    // Idle time, as MFC's: the temporary window objects of FromHandle go.
    if (AfxModalDialogs().empty())
        CWnd::DeleteTempMap();
}

void afxqt::settle()
{
    QCoreApplication::sendPostedEvents();
}
