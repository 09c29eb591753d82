// The GUI application object, created lazily, and the host's main window.
#include "mfc/afxhost.h"
#include "mfc/afxstate_p.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

std::wstring& applicationName()
{
    static std::wstring name;
    return name;
}

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

// Qt's notices about what a platform plugin cannot do (the offscreen one cannot raise a
// window, for one) and the runtime folder root lacks say nothing to a user: they are dropped.
void messageFilter(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && (message.startsWith(QLatin1String("This plugin does not support")) ||
                                 message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))))
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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    if (!previousHandler)
        previousHandler = qInstallMessageHandler(messageFilter);

    // QApplication keeps references to argc and argv for its whole life: they live in the
    // layer's state.
    afxqt::State& s = afxqt::state();
    s.appArg0 = programPath();
    s.appArgc = 1;
    s.appArgv[0] = s.appArg0.data();
    s.appArgv[1] = nullptr;
    auto* app = new QApplication(s.appArgc, s.appArgv);
    app->setQuitOnLastWindowClosed(false);
    if (applicationName().empty())
        applicationName() = programName();
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

namespace {

std::wstring& mainWindowText()
{
    static std::wstring text;
    return text;
}

}  // namespace

void AfxHostSetMainWindowText(const std::wstring& title, const std::wstring& text)
{
    AfxHostSetApplicationName(title);
    mainWindowText() = text;
}

HWND AfxHostMainWindow()
{
    static QPointer<QWidget> window;
    if (window)
        return afxqt::handle(window);
    afxqt::app();
    window = new QWidget(nullptr, Qt::Window);
    window->setWindowTitle(QString::fromStdWString(AfxHostApplicationName()));
    if (!mainWindowText().empty()) {
        auto* label = new QLabel(QString::fromStdWString(mainWindowText()), window);
        label->setAlignment(Qt::AlignCenter);
        label->setEnabled(false);  // drawn greyed: a note, not a control
        auto* layout = new QVBoxLayout(window);
        layout->addWidget(label);
    }
    QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QSize size(std::min(1024, screen.width() * 4 / 5), std::min(720, screen.height() * 4 / 5));
    window->resize(size);
    window->move(screen.center() - QPoint(size.width() / 2, size.height() / 2));
    window->show();
    return afxqt::handle(window);
}

void AfxHostProcessEvents()
{
    if (AfxHostUIStarted())
        QCoreApplication::processEvents();
}

void afxqt::settle()
{
    QCoreApplication::sendPostedEvents();
}
