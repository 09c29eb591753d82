// The list box of templates: lines and selection in a model of ours, shown by a QListView.
#include "mfc/afxlist_p.h"

#include <QItemSelectionModel>
#include <QMetaObject>

#include <algorithm>
#include <array>
#include <memory>

namespace afxqt {

// ---- the order of a sorted list box ------------------------------------------------------

namespace {

// For every UTF-16 code unit: the letter it sorts as at first, without case or accents
// ('Ä' and 'a' both as 'a'). Canonical decompositions give the base letter.
const std::array<char16_t, 0x10000>& primaryKeys()
{
    static const std::unique_ptr<std::array<char16_t, 0x10000>> keys = [] {
        auto k = std::make_unique<std::array<char16_t, 0x10000>>();
        for (uint32_t c = 0; c < 0x10000; ++c) {
            QChar ch(static_cast<char16_t>(c));
            if (c >= 0xC0 && c < 0x3000 && !ch.isSurrogate()) {
                for (int depth = 0; depth < 4 && ch.decompositionTag() == QChar::Canonical; ++depth) {
                    QString d = ch.decomposition();
                    if (d.isEmpty())
                        break;
                    ch = d.at(0);
                }
            }
            (*k)[c] = ch.toCaseFolded().unicode();
        }
        return k;
    }();
    return *keys;
}

}  // namespace

int compareLines(const QString& a, const QString& b)
{
    const auto& keys = primaryKeys();
    const char16_t* pa = reinterpret_cast<const char16_t*>(a.constData());
    const char16_t* pb = reinterpret_cast<const char16_t*>(b.constData());
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        if (pa[i] == pb[i])
            continue;
        char16_t ka = keys[pa[i]], kb = keys[pb[i]];
        if (ka != kb)
            return ka < kb ? -1 : 1;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    // The same letters: accents decide, case does not.
    return QString::compare(a, b, Qt::CaseInsensitive);
}

// ---- the model -----------------------------------------------------------------------------

ListBoxModel::ListBoxModel(bool sorted, bool multiple, QObject* parent)
    : QAbstractListModel(parent), m_sorted(sorted), m_multiple(multiple)
{
}

void ListBoxModel::changing()
{
    m_selectionDirty = true;
    if (!m_resetting) {
        beginResetModel();
        m_resetting = true;
    }
    if (!m_flushPosted) {
        m_flushPosted = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_flushPosted = false;
                flush();
            },
            Qt::QueuedConnection);
    }
}

void ListBoxModel::selectionChangedByCode()
{
    m_selectionDirty = true;
    if (!m_resetting)
        showSelection();
}

int ListBoxModel::sortedPlace(const QString& text) const
{
    // The place is the first line not less than the text. Lines mostly come in order, or in
    // runs in order: try the end, then where the last line went in.
    const int n = count();
    auto less = [&](int i) { return compareLines(m_lines[i].text, text) < 0; };
    if (n == 0 || less(n - 1))
        return n;
    const int gap = static_cast<int>(m_lines.gap());
    if (gap < n && (gap == 0 || less(gap - 1)) && !less(gap))
        return gap;
    int lo = 0, hi = n - 1;  // the place is in [lo, hi]: line hi is not less
    while (lo < hi) {
        int mid = lo + (hi - lo) / 2;
        if (less(mid))
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

int ListBoxModel::addString(const QString& text)
{
    return insertAt(m_sorted ? sortedPlace(text) : count(), text);
}

int ListBoxModel::insertString(int index, const QString& text)
{
    if (index > count() || index < -1)
        return LB_ERR;
    return insertAt(index < 0 ? count() : index, text);
}

int ListBoxModel::insertAt(int at, const QString& text)
{
    changing();
    m_lines.insert(at, Line{text, 0, false});
    if (m_sel >= at)
        ++m_sel;
    if (m_caret >= at)
        ++m_caret;
    return at;
}

int ListBoxModel::deleteString(int index)
{
    if (!valid(index))
        return LB_ERR;
    changing();
    m_lines.erase(index);
    if (m_sel == index)
        m_sel = -1;
    else if (m_sel > index)
        --m_sel;
    if (m_caret >= count() || (m_caret > index))
        --m_caret;
    return count();
}

void ListBoxModel::resetContent()
{
    changing();
    m_lines.clear();
    m_sel = m_caret = -1;
}

int ListBoxModel::findExact(int start, const QString& text) const
{
    const int n = count();
    if (start < -1 || start >= n)
        start = -1;  // as Windows: a start outside the list searches the whole list
    for (int k = 1; k <= n; ++k) {
        int i = (start + k) % n;
        if (m_lines[i].text.compare(text, Qt::CaseInsensitive) == 0)
            return i;
    }
    return LB_ERR;
}

int ListBoxModel::setItemData(int index, DWORD_PTR data)
{
    if (!valid(index))
        return LB_ERR;
    m_lines[index].data = data;
    return 0;
}

DWORD_PTR ListBoxModel::itemData(int index) const
{
    return valid(index) ? m_lines[index].data : static_cast<DWORD_PTR>(LB_ERR);
}

int ListBoxModel::curSel() const
{
    return m_multiple ? m_caret : m_sel;
}

int ListBoxModel::setCurSel(int index)
{
    bool ok = valid(index);
    if (m_multiple) {
        if (!ok)
            return LB_ERR;
        m_caret = index;
    } else {
        m_sel = ok ? index : -1;
    }
    m_scrollToSel = ok;
    selectionChangedByCode();
    return ok ? index : LB_ERR;
}

int ListBoxModel::setSel(int index, bool select)
{
    if (!m_multiple || index < -1 || index >= count())
        return LB_ERR;
    if (index < 0) {
        for (int i = 0; i < count(); ++i)
            m_lines[i].selected = select;
    } else {
        m_lines[index].selected = select;
    }
    selectionChangedByCode();
    return 0;
}

int ListBoxModel::isSelected(int index) const
{
    if (!valid(index))
        return LB_ERR;
    return (m_multiple ? m_lines[index].selected : index == m_sel) ? 1 : 0;
}

int ListBoxModel::selCount() const
{
    if (!m_multiple)
        return LB_ERR;
    int n = 0;
    for (int i = 0; i < count(); ++i)
        n += m_lines[i].selected ? 1 : 0;
    return n;
}

void ListBoxModel::flush()
{
    if (m_resetting) {
        m_resetting = false;
        endResetModel();
        if (auto* view = dynamic_cast<ListBoxView*>(m_view))
            view->settleLayout();
    }
    if (m_selectionDirty)
        showSelection();
}

void ListBoxModel::showSelection()
{
    m_selectionDirty = false;
    if (!m_view || !m_view->selectionModel())
        return;
    QItemSelectionModel* sm = m_view->selectionModel();
    m_showingSelection = true;
    if (m_multiple) {
        QItemSelection selection;
        for (int i = 0; i < count();) {
            if (!m_lines[i].selected) {
                ++i;
                continue;
            }
            int j = i;
            while (j + 1 < count() && m_lines[j + 1].selected)
                ++j;
            selection.select(index(i), index(j));
            i = j + 1;
        }
        sm->select(selection, QItemSelectionModel::ClearAndSelect);
        if (valid(m_caret))
            sm->setCurrentIndex(index(m_caret), QItemSelectionModel::NoUpdate);
        else
            sm->clearCurrentIndex();
    } else if (valid(m_sel)) {
        sm->setCurrentIndex(index(m_sel), QItemSelectionModel::ClearAndSelect);
    } else {
        sm->clearSelection();
        sm->clearCurrentIndex();
    }
    m_showingSelection = false;
    int shown = m_multiple ? m_caret : m_sel;
    if (m_scrollToSel && valid(shown))
        m_view->scrollTo(index(shown));
    m_scrollToSel = false;
    m_view->viewport()->update();
}

void ListBoxModel::takeUserSelection(const QItemSelection& selected, const QItemSelection& deselected)
{
    if (m_showingSelection || m_resetting)
        return;
    QItemSelectionModel* sm = m_view->selectionModel();
    if (m_multiple) {
        for (const QItemSelectionRange& r : deselected)
            for (int i = r.top(); i <= r.bottom() && valid(i); ++i)
                m_lines[i].selected = false;
        for (const QItemSelectionRange& r : selected)
            for (int i = r.top(); i <= r.bottom() && valid(i); ++i)
                m_lines[i].selected = true;
        m_caret = sm->currentIndex().isValid() ? sm->currentIndex().row() : -1;
    } else {
        const QModelIndexList rows = sm->selectedRows();
        m_sel = rows.isEmpty() ? -1 : rows.first().row();
    }
    notifyParent(m_view, LBN_SELCHANGE);
}

int ListBoxModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant ListBoxModel::data(const QModelIndex& i, int role) const
{
    if (!i.isValid() || !valid(i.row()))
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return m_lines[i.row()].text;
    if (role == Qt::UserRole)
        return QVariant::fromValue<qulonglong>(m_lines[i.row()].data);
    return {};
}

Qt::ItemFlags ListBoxModel::flags(const QModelIndex& i) const
{
    return i.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

// ---- the view ------------------------------------------------------------------------------

ListBoxView::ListBoxView(bool sorted, bool multiple, QWidget* parent)
    : QListView(parent)
{
    // (Set only now: making the model sends this view events already.)
    m_model = new ListBoxModel(sorted, multiple, this);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(multiple ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    setModel(m_model);
    m_model->setView(this);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                m_model->takeUserSelection(selected, deselected);
            });
    if (multiple) {
        // The caret moves without changing the selection (Ctrl+arrows).
        connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
            if (!m_model->m_showingSelection && !m_model->m_resetting)
                m_model->m_caret = current.isValid() ? current.row() : -1;
        });
    }
    connect(this, &QAbstractItemView::doubleClicked, this, [this] { notifyParent(this, LBN_DBLCLK); });
}

void ListBoxView::settleLayout() { executeDelayedItemsLayout(); }

bool ListBoxView::event(QEvent* e)
{
    if (m_model)
        m_model->flush();
    return QListView::event(e);
}

bool ListBoxView::viewportEvent(QEvent* e)
{
    if (m_model)
        m_model->flush();
    return QListView::viewportEvent(e);
}

ListBoxModel* listBoxModel(const QWidget* w)
{
    auto* view = dynamic_cast<const ListBoxView*>(w);
    return view ? view->lines() : nullptr;
}

}  // namespace afxqt
