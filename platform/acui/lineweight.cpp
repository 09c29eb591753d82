// The line-weight combo box: a drop-down list of line weights, each drawn as a line.
#include "acui/acui.h"

#include "mfc/afxqt_p.h"

#include <QComboBox>
#include <QPainter>
#include <QPixmap>

#include <cmath>

const std::vector<int>& CAcUiLineWeightComboBox::StandardLineWeights()
{
    static const std::vector<int> weights = {0,  5,  9,  13, 15, 18,  20,  25,  30,  35,  40,  50,
                                             53, 60, 70, 80, 90, 100, 106, 120, 140, 158, 200, 211};
    return weights;
}

void CAcUiLineWeightComboBox::SetUseByLayer(BOOL bUse) { m_byLayer = bUse; }
void CAcUiLineWeightComboBox::SetUseByBlock(BOOL bUse) { m_byBlock = bUse; }
void CAcUiLineWeightComboBox::SetUseDefault(BOOL bUse) { m_default = bUse; }

CString CAcUiLineWeightComboBox::LineWeightText(int lineWeight)
{
    switch (lineWeight) {
    case ACUI_LNWT_BYLAYER: return L"VonLayer";
    case ACUI_LNWT_BYBLOCK: return L"VonBlock";
    case ACUI_LNWT_DEFAULT: return L"Vorgabe";
    default: break;
    }
    CString text;
    text.Format(L"%d.%02d mm", lineWeight / 100, lineWeight % 100);
    return text;
}

namespace {

constexpr int kSampleWidth = 48, kSampleHeight = 16;

// A short horizontal line as thick as the weight is on a screen of 96 dots per inch (at least
// one pixel); the special entries get a thin dotted line.
QPixmap sample(int lineWeight, const QColor& ink)
{
    QPixmap pm(kSampleWidth, kSampleHeight);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    int px = lineWeight > 0 ? std::max(1, static_cast<int>(std::lround(lineWeight / 100.0 * 96.0 / 25.4))) : 1;
    QPen pen(ink, px, lineWeight < 0 ? Qt::DotLine : Qt::SolidLine, Qt::FlatCap);
    p.setPen(pen);
    p.drawLine(2, kSampleHeight / 2, kSampleWidth - 2, kSampleHeight / 2);
    return pm;
}

QComboBox* comboOf(const CWnd* w)
{
    return w->m_hWnd ? qobject_cast<QComboBox*>(afxqt::liveWidget(w->m_hWnd)) : nullptr;
}

}  // namespace

BOOL CAcUiLineWeightComboBox::AddItems()
{
    QComboBox* c = comboOf(this);
    if (!c)
        return FALSE;
    // AutoCAD's box is an owner-drawn drop-down list whatever its template says.
    c->setEditable(false);
    c->setIconSize(QSize(kSampleWidth, kSampleHeight));
    ResetContent();
    std::vector<int> values;
    if (m_byLayer)
        values.push_back(ACUI_LNWT_BYLAYER);
    if (m_byBlock)
        values.push_back(ACUI_LNWT_BYBLOCK);
    if (m_default)
        values.push_back(ACUI_LNWT_DEFAULT);
    const std::vector<int>& weights = StandardLineWeights();
    values.insert(values.end(), weights.begin(), weights.end());
    const QColor ink = c->palette().color(QPalette::Text);
    // In list order, whatever a sort style says: InsertString keeps the position.
    for (int value : values) {
        int at = InsertString(-1, LineWeightText(value));
        SetItemData(at, static_cast<DWORD_PTR>(static_cast<intptr_t>(value)));
        c->setItemIcon(at, QIcon(sample(value, ink)));
    }
    return TRUE;
}

int CAcUiLineWeightComboBox::GetItemLineWeight(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetCount())
        return ACUI_LNWT_DEFAULT;
    return static_cast<int>(static_cast<intptr_t>(GetItemData(nIndex)));
}

int CAcUiLineWeightComboBox::GetCurrentItemLineWeight() const { return GetItemLineWeight(GetCurSel()); }

int CAcUiLineWeightComboBox::FindItemByLineWeight(int lineWeight) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (GetItemLineWeight(i) == lineWeight)
            return i;
    return CB_ERR;
}
