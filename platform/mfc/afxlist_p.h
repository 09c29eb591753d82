// afxlist_p.h — inside the window layer: the list box of templates, a QListView over a model
// of ours that holds the lines (text and item data) and the selection. For the layer's own
// sources, the UI driver and the tests.
//
// Why a model of ours: a dialog refills a list of tens of thousands of lines on every key the
// user types (reset, then one LB_ADDSTRING + LB_SETITEMDATA per line). The model takes each
// line into a plain vector and tells the view nothing per line: the first change of a burst
// begins a model reset, and the reset ends once, when the burst is over — before the view
// handles its next event (paint, mouse, key), when the event loop next runs, or when code
// asks the view for something (flush()). The selection lives in the model, not in the view's
// selection model, so it survives the reset; the view's selection is rebuilt from it.
//
// Sorted list boxes (LBS_SORT) keep their lines in the order Windows gives them: letters
// compare without regard to case or accents first ("Äpfel" between "Apfel" and "Birne"), then
// accents decide ("Apfel" before "Äpfel"); a line equal to lines already there goes before
// them, so the line a search for that text finds first is the one added last. The lines sit
// in a gap buffer whose gap stays where the last line went in: lines that arrive in order, or
// in runs that are in order among themselves (a caller's list sorted by code units, where
// "Überflur" belongs among the U's for the list box), cost a comparison or two and no moves
// each; the first line of a run elsewhere moves the lines between the two places once, and
// lines arriving in random order cost O(n) each (see bench/ui for the figures).
#pragma once

#include "mfc/afxqt_p.h"

#include <QAbstractListModel>
#include <QItemSelection>
#include <QListView>
#include <QString>

#include <algorithm>
#include <vector>

namespace afxqt {

// A vector with a gap where it was last changed: inserting or erasing at the gap costs no
// moves, and moving the gap moves only the elements it passes over.
template <typename T>
class GapVector {
public:
    size_t size() const { return m_buf.size() - m_gapLen; }
    bool empty() const { return size() == 0; }
    size_t gap() const { return m_gap; }
    T& operator[](size_t i) { return m_buf[i < m_gap ? i : i + m_gapLen]; }
    const T& operator[](size_t i) const { return m_buf[i < m_gap ? i : i + m_gapLen]; }
    void clear()
    {
        m_buf.clear();
        m_gap = m_gapLen = 0;
    }
    void insert(size_t at, T value)
    {
        if (m_gapLen == 0) {
            m_gap = size();
            m_gapLen = std::max<size_t>(16, m_buf.size());
            m_buf.resize(m_buf.size() + m_gapLen);
        }
        moveGap(at);
        m_buf[m_gap++] = std::move(value);
        --m_gapLen;
    }
    void erase(size_t at)
    {
        moveGap(at);
        m_buf[m_gap + m_gapLen] = T();
        ++m_gapLen;
    }

private:
    void moveGap(size_t at)
    {
        if (at < m_gap)
            std::move_backward(m_buf.begin() + at, m_buf.begin() + m_gap, m_buf.begin() + m_gap + m_gapLen);
        else if (at > m_gap)
            std::move(m_buf.begin() + m_gap + m_gapLen, m_buf.begin() + at + m_gapLen, m_buf.begin() + m_gap);
        m_gap = at;
    }

    std::vector<T> m_buf;
    size_t m_gap = 0;
    size_t m_gapLen = 0;
};

// Compares two line texts as a sorted list box does: < 0, 0 or > 0.
int compareLines(const QString& a, const QString& b);

class ListBoxModel : public QAbstractListModel {
public:
    ListBoxModel(bool sorted, bool multiple, QObject* parent);

    // ---- the lines (Windows semantics: indexes from 0, LB_ERR = -1 for none / bad index) ----
    // Sorted: at the line's place; else at the end. Returns the line's index.
    int addString(const QString& text);
    // At index (-1: at the end), also in a sorted list. LB_ERR for an index past the end.
    int insertString(int index, const QString& text);
    // Returns the number of lines left, LB_ERR for a bad index.
    int deleteString(int index);
    void resetContent();
    int count() const { return static_cast<int>(m_lines.size()); }
    bool valid(int index) const { return index >= 0 && index < count(); }
    const QString& text(int index) const { return m_lines[index].text; }
    // The first line after `start` (-1: from the top) equal to text ignoring case, wrapping
    // around; LB_ERR when none.
    int findExact(int start, const QString& text) const;
    int setItemData(int index, DWORD_PTR data);
    DWORD_PTR itemData(int index) const;

    // ---- selection (from code: no notification) ---------------------------------------------
    // Single selection: the selected line or LB_ERR. Multiple: the line with the caret.
    int curSel() const;
    // Single selection: selects the line (scrolled into view) or, out of range, none (then
    // LB_ERR). Multiple: moves the caret only.
    int setCurSel(int index);
    // Multiple selection only (LB_ERR otherwise): selects or deselects one line, -1 all.
    int setSel(int index, bool select);
    int isSelected(int index) const;  // > 0 selected, 0 not, LB_ERR bad index
    int selCount() const;             // LB_ERR for a single-selection list
    bool multiple() const { return m_multiple; }
    bool sorted() const { return m_sorted; }

    // Ends a burst of changes: the view sees the new lines and the model's selection.
    void flush();
    // The view the model shows in (set once by the view).
    void setView(QListView* view) { m_view = view; }

    // ---- QAbstractListModel ---------------------------------------------------------------
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    friend class ListBoxView;
    struct Line {
        QString text;
        DWORD_PTR data = 0;
        bool selected = false;  // multiple selection only
    };
    // Before every change of the lines: opens the burst's reset once.
    void changing();
    // After a change of the selection from code.
    void selectionChangedByCode();
    int sortedPlace(const QString& text) const;
    int insertAt(int at, const QString& text);
    // The view's selection follows the model's (after a reset or a change from code).
    void showSelection();
    // The user changed the view's selection: the model takes it over.
    void takeUserSelection(const QItemSelection& selected, const QItemSelection& deselected);

    GapVector<Line> m_lines;
    bool m_sorted;
    bool m_multiple;
    int m_sel = -1;    // single selection: the selected line
    int m_caret = -1;  // multiple selection: the line with the caret
    bool m_resetting = false;
    bool m_flushPosted = false;
    bool m_scrollToSel = false;
    bool m_selectionDirty = false;  // the view's selection is not yet the model's
    bool m_showingSelection = false;  // the view's selection is being set from the model
    QListView* m_view = nullptr;
};

// The list box window. Ends a pending burst before it handles any event, so it never paints
// or answers the mouse from lines it has not been told about.
class ListBoxView : public QListView {
public:
    ListBoxView(bool sorted, bool multiple, QWidget* parent);
    ListBoxModel* lines() const { return m_model; }
    // Lays the lines out now instead of at the next timer tick.
    void settleLayout();

protected:
    bool event(QEvent* e) override;
    bool viewportEvent(QEvent* e) override;

private:
    ListBoxModel* m_model = nullptr;
};

// The list box model of a window, or null when it is no list box.
ListBoxModel* listBoxModel(const QWidget* w);

}  // namespace afxqt
