// Saved window positions of CExtResizableDialog, in an INI file under the user's XDG config
// directory.
#include "extctl/extctl.h"
#include "mfc/afxqt_p.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>

#include <algorithm>
#include <climits>

namespace {

QString positionsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/kor/windowpositions.ini";
}

// What a saved value may hold. Anything beyond is no place a window was ever at (the file
// was edited or damaged) and would overflow the geometry arithmetic: a position is brought
// back within reach of the screens, a size is ignored.
constexpr long long kFarthest = 1 << 20;  // pixels from the origin, either way
constexpr long long kLargest = 1 << 15;   // pixels of width or height

// A file that is no INI text (damaged, or something else written over it) would never be
// saved again: QSettings refuses to write over what it could not read. It is kept beside as NAME.bad, said once,
// and the positions start afresh.
void setAsideIfDamaged(const QString& file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return;
    // What QSettings writes is UTF-8 text without NULs; anything else came from elsewhere.
    const QByteArray bytes = in.read(1 << 20);
    in.close();
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)utf8.decode(bytes);
    if (!bytes.contains('\0') && !utf8.hasError())
        return;
    const QString aside = file + ".bad";
    QFile::remove(aside);
    if (QFile::rename(file, aside))
        qWarning("the window positions in %s could not be read; the file is kept as %s and positions are saved anew",
                 qPrintable(file), qPrintable(aside));
}

// Why a file cannot be written, as the file system says it.
QString whyNotWritable(const QString& file)
{
    const QString dir = QFileInfo(file).absolutePath();
    if (!QDir().mkpath(dir))
        return QStringLiteral("cannot make the folder %1").arg(dir);
    QFile f(file);
    if (!f.open(QIODevice::ReadWrite))
        return f.errorString();
    return QStringLiteral("the file could not be written");
}

QString key(const CString& section, const CString& entry)
{
    return afxqt::toQ(section) + "/" + afxqt::toQ(entry);
}

// Whether a person can reach the window: enough of its title strip lies on some screen.
bool reachable(const QRect& frame)
{
    QRect title(frame.left(), frame.top(), frame.width(), std::min(frame.height(), 30));
    for (QScreen* screen : QGuiApplication::screens()) {
        QRect seen = title.intersected(screen->availableGeometry());
        if (seen.width() >= std::min(40, title.width()) && seen.height() >= std::min(10, title.height()))
            return true;
    }
    return false;
}

long long distance2(const QPoint& p, const QRect& r)
{
    long long dx = p.x() < r.left() ? r.left() - p.x() : (p.x() > r.right() ? p.x() - r.right() : 0);
    long long dy = p.y() < r.top() ? r.top() - p.y() : (p.y() > r.bottom() ? p.y() - r.bottom() : 0);
    return dx * dx + dy * dy;
}

// The window moved onto the screen nearest to it, wholly inside that screen's free area
// where it fits (else its top-left corner at the area's).
QPoint ontoNearestScreen(const QRect& frame)
{
    QRect best;
    long long bestDistance = LLONG_MAX;
    for (QScreen* screen : QGuiApplication::screens()) {
        QRect area = screen->availableGeometry();
        long long d = distance2(frame.center(), area);
        if (d < bestDistance)
            bestDistance = d, best = area;
    }
    if (best.isNull())
        return frame.topLeft();
    int x = std::max(best.left(), std::min(frame.left(), best.right() + 1 - frame.width()));
    int y = std::max(best.top(), std::min(frame.top(), best.bottom() + 1 - frame.height()));
    return QPoint(x, y);
}

}  // namespace

bool CExtResizableDialog::EnableSaveRestore(LPCTSTR pszSection, LPCTSTR pszEntry, bool bPositionOnly,
                                            bool bSaveOnlyOnOK)
{
    if (!pszSection || !*pszSection || !pszEntry || !*pszEntry)
        return false;
    m_section = pszSection;
    m_entry = pszEntry;
    m_positionOnly = bPositionOnly;
    m_saveOnlyOnOK = bSaveOnlyOnOK;
    m_saveRestore = true;
    restorePosition();
    return true;
}

void CExtResizableDialog::restorePosition()
{
    QDialog* window = afxqt::dialogWidget(this);
    if (!window)
        return;
    QSettings settings(positionsFile(), QSettings::IniFormat);
    const QStringList parts = settings.value(key(m_section, m_entry)).toString().split(' ', Qt::SkipEmptyParts);
    if (parts.size() != 4)
        return;  // nothing saved yet (or unreadable): the dialog opens where it would
    long long values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = parts[i].toLongLong(&ok);
        if (!ok)
            return;
    }
    bool farAway = false;
    for (int i = 0; i < 2; ++i)
        if (values[i] < -kFarthest || values[i] > kFarthest) {
            values[i] = std::clamp(values[i], -kFarthest, kFarthest);
            farAway = true;
        }
    bool sizeUsable = values[2] > 0 && values[3] > 0 && values[2] <= kLargest && values[3] <= kLargest;
    QSize client(sizeUsable ? static_cast<int>(values[2]) : 0, sizeUsable ? static_cast<int>(values[3]) : 0);
    if (!m_positionOnly && afxqt::isResizable(window) && sizeUsable) {
        // Never smaller than the dialog was made.
        if (window->minimumSize().isNull())
            window->setMinimumSize(window->size());
        // No larger than the largest screen: a window bigger than every screen cannot be
        // brought back within reach.
        QSize largest;
        for (QScreen* screen : QGuiApplication::screens())
            largest = largest.expandedTo(screen->availableGeometry().size());
        if (!largest.isEmpty())
            client = client.boundedTo(largest);
        window->resize(client.expandedTo(window->minimumSize()));
    }
    QSize extra = window->frameGeometry().size() - window->geometry().size();
    QRect frame(QPoint(static_cast<int>(values[0]), static_cast<int>(values[1])), window->size() + extra);
    m_broughtBack = farAway || !reachable(frame);
    window->move(m_broughtBack ? ontoNearestScreen(frame) : frame.topLeft());
    afxqt::markPlaced(window);
}

void CExtResizableDialog::OnShowWindow(BOOL bShow, UINT nStatus)
{
    CDialog::OnShowWindow(bShow, nStatus);
    QDialog* window = afxqt::dialogWidget(this);
    if (bShow && window)
        window->setSizeGripEnabled(m_sizeGrip);  // (made as the window shows: see applyResizable)
    // Before the window showed, its frame was not known: fit it in again with the frame.
    if (bShow && m_broughtBack && window)
        window->move(ontoNearestScreen(window->frameGeometry()));
    m_broughtBack = false;
}

void CExtResizableDialog::savePosition()
{
    QDialog* window = afxqt::dialogWidget(this);
    if (!window)
        return;
    QPoint at = window->frameGeometry().topLeft();
    const QString file = positionsFile();
    setAsideIfDamaged(file);
    QSettings settings(file, QSettings::IniFormat);
    settings.setValue(key(m_section, m_entry),
                      QStringLiteral("%1 %2 %3 %4").arg(at.x()).arg(at.y()).arg(window->width()).arg(window->height()));
    settings.sync();
    if (settings.status() != QSettings::NoError)
        qWarning("cannot save the window position to %s: %s", qPrintable(file), qPrintable(whyNotWritable(file)));
}
