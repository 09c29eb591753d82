// The up-down control: two arrow buttons that step a number, usually shown in a buddy edit.
#include "mfc/afxcmn.h"
#include "mfc/afxqt_p.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

class UpDownWidget : public QWidget, public afxqt::TemplateControl {
public:
    UpDownWidget(QWidget* parent, DWORD style) : QWidget(parent), m_style(style)
    {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        for (bool up : {true, false}) {
            auto* b = new QToolButton(this);
            b->setObjectName(up ? QStringLiteral("up") : QStringLiteral("down"));
            b->setArrowType(up ? Qt::UpArrow : Qt::DownArrow);
            b->setAutoRepeat(true);
            b->setFocusPolicy(Qt::NoFocus);
            b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
            QObject::connect(b, &QToolButton::clicked, this, [this, up] { step(up ? 1 : -1); });
            layout->addWidget(b);
        }
    }

    void placedByTemplate() override
    {
        if ((m_style & UDS_AUTOBUDDY) && !m_buddy)
            setBuddy(previousControl());
    }

    void setBuddy(QWidget* buddy)
    {
        if (m_buddy)
            m_buddy->removeEventFilter(this);
        m_buddy = buddy;
        if (!buddy)
            return;
        if (m_style & UDS_ARROWKEYS)
            buddy->installEventFilter(this);
        if (m_style & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT)) {
            QRect b = buddy->geometry();
            int w = std::min(width(), b.width());
            if (m_style & UDS_ALIGNRIGHT) {
                setGeometry(b.right() + 1 - w, b.top(), w, b.height());
                buddy->setGeometry(b.left(), b.top(), b.width() - w, b.height());
            } else {
                setGeometry(b.left(), b.top(), w, b.height());
                buddy->setGeometry(b.left() + w, b.top(), b.width() - w, b.height());
            }
        }
    }
    QWidget* buddy() const { return m_buddy; }

    void setRange(int lower, int upper)
    {
        m_lower = lower, m_upper = upper;
        m_pos = clamp(m_pos);
    }
    void range(int& lower, int& upper) const { lower = m_lower, upper = m_upper; }

    int setPos(int pos)
    {
        int previous = m_pos;
        m_pos = clamp(pos);
        writeBuddy();
        return previous;
    }

    int pos() const
    {
        if (m_style & UDS_SETBUDDYINT)
            if (auto* e = qobject_cast<QLineEdit*>(m_buddy.data())) {
                bool ok = false;
                int n = e->text().trimmed().toInt(&ok);
                if (ok && n == clamp(n))
                    return n;
            }
        return m_pos;
    }

    // One step towards the upper (+1) or the lower (-1) end, as a click on an arrow.
    void step(int direction)
    {
        int current = pos();
        int towardsUpper = m_upper >= m_lower ? 1 : -1;
        int next = clamp(current + direction * towardsUpper);
        m_pos = next;
        if (next != current || (m_style & UDS_SETBUDDYINT))
            writeBuddy();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (watched == m_buddy && e->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(e);
            if (k->key() == Qt::Key_Up || k->key() == Qt::Key_Down) {
                step(k->key() == Qt::Key_Up ? 1 : -1);
                return true;
            }
        }
        return false;
    }

private:
    int clamp(int v) const { return std::clamp(v, std::min(m_lower, m_upper), std::max(m_lower, m_upper)); }

    void writeBuddy()
    {
        if (!(m_style & UDS_SETBUDDYINT))
            return;
        auto* e = qobject_cast<QLineEdit*>(m_buddy.data());
        QString text = QString::number(m_pos);
        if (e && e->text() != text)
            e->setText(text);  // the buddy notifies its dialog (EN_CHANGE) as if typed
    }

    // The control created just before this one in the same dialog.
    QWidget* previousControl() const
    {
        QWidget* previous = nullptr;
        for (QObject* child : parentWidget()->children()) {
            if (child == this)
                break;
            if (auto* w = qobject_cast<QWidget*>(child); w && afxqt::windowInfo(w))
                previous = w;
        }
        return previous;
    }

    DWORD m_style;
    QPointer<QWidget> m_buddy;
    int m_lower = 0, m_upper = 100, m_pos = 0;
};

UpDownWidget* upDown(const CWnd* wnd) { return dynamic_cast<UpDownWidget*>(afxqt::liveWidget(wnd->m_hWnd)); }

struct RegisterUpDown {
    RegisterUpDown()
    {
        afxqt::registerControlClass(UPDOWN_CLASS, [](QWidget* parent, const AfxControlTemplate& c) -> QWidget* {
            return new UpDownWidget(parent, c.style);
        });
    }
} registerUpDown;

}  // namespace

void CSpinButtonCtrl::SetRange(short nLower, short nUpper) { SetRange32(nLower, nUpper); }

void CSpinButtonCtrl::SetRange32(int nLower, int nUpper)
{
    if (UpDownWidget* w = upDown(this))
        w->setRange(nLower, nUpper);
}

void CSpinButtonCtrl::GetRange32(int& nLower, int& nUpper) const
{
    nLower = nUpper = 0;
    if (UpDownWidget* w = upDown(this))
        w->range(nLower, nUpper);
}

int CSpinButtonCtrl::SetPos(int nPos)
{
    UpDownWidget* w = upDown(this);
    return w ? w->setPos(nPos) : 0;
}

int CSpinButtonCtrl::GetPos() const
{
    UpDownWidget* w = upDown(this);
    return w ? w->pos() : 0;
}

CWnd* CSpinButtonCtrl::SetBuddy(CWnd* pWndBuddy)
{
    UpDownWidget* w = upDown(this);
    if (!w)
        return nullptr;
    CWnd* previous = w->buddy() ? CWnd::FromHandle(afxqt::handle(w->buddy())) : nullptr;
    w->setBuddy(pWndBuddy ? afxqt::liveWidget(pWndBuddy->m_hWnd) : nullptr);
    return previous;
}

CWnd* CSpinButtonCtrl::GetBuddy() const
{
    UpDownWidget* w = upDown(this);
    return w && w->buddy() ? CWnd::FromHandle(afxqt::handle(w->buddy())) : nullptr;
}
