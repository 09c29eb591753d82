// One keystroke in a search dialog over 50,000 lines: the list box is emptied, refilled with
// the matching lines (LB_ADDSTRING + LB_SETITEMDATA each), the chosen line is selected again
// (LB_SETCURSEL), the dialog is invalidated and the list is painted. Ours: the window layer's
// sorted list box in a running modal dialog. The bare peer, in the same run: a QListView over
// a QStringListModel whose filtered list is set at once. Goal: at most 16 ms a keystroke.
//
//   bench_listbox [--lines 50000] [--keys 40] [--random 20000]
//
// Also times one refill with the lines arriving in random order (--random lines), the case
// where every line is put into the middle of the sorted list.
#include "mfc/afxhost.h"
#include "mfc/afxlist_p.h"
#include "mfc/afxwin.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QStringListModel>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr UINT kDialog = 9900, kSearch = 9901, kList = 9902;

const AfxControlTemplate controls[] = {
    {kSearch, AfxControlKind::Edit, L"", 42, 3, 342, 14, WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL},
    {kList, AfxControlKind::ListBox, L"", 5, 21, 379, 109,
     WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_SORT},
};
const AfxDialogTemplate dialogTemplate = {kDialog, 0, 0, 392, 174, DS_MODALFRAME | WS_POPUP | WS_CAPTION,
                                          L"Suche", L"MS Shell Dlg", 8, controls, std::size(controls)};

int option(int argc, char** argv, const char* name, int fallback)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0)
            return std::atoi(argv[i + 1]);
    return fallback;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Lines as a catalogue delivers them: in order of their display texts, mostly.
std::vector<std::wstring> makeItems(int n)
{
    std::vector<std::wstring> items;
    const wchar_t* kinds[] = {L"Armatur", L"Hydrant", L"Leitung", L"Schacht", L"Schieber"};
    for (int i = 0; i < n; ++i) {
        wchar_t text[80];
        std::swprintf(text, 80, L"Klasse %05d %ls DN%d", i, kinds[i % 5], 50 + (i % 12) * 25);
        items.push_back(text);
    }
    return items;
}

// The searches a user types and deletes again: every other one shows all lines.
const wchar_t* const searches[] = {L"", L"Schieber", L"", L"DN100", L"", L"Klasse 1"};

bool contains(const std::wstring& line, const wchar_t* search)
{
    return !*search || line.find(search) != std::wstring::npos;
}

class SearchDialog : public CDialog {
public:
    std::vector<std::wstring> items;
    int selected = -1;

    void Keystroke(const wchar_t* search)
    {
        CWnd* list = GetDlgItem(kList);
        list->SendMessage(LB_RESETCONTENT);
        for (size_t i = 0; i < items.size(); ++i)
            if (contains(items[i], search)) {
                LRESULT at = list->SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(items[i].c_str()));
                list->SendMessage(LB_SETITEMDATA, at, static_cast<LPARAM>(i));
            }
        int count = static_cast<int>(list->SendMessage(LB_GETCOUNT));
        for (int line = 0; line < count; ++line)
            if (static_cast<int>(list->SendMessage(LB_GETITEMDATA, line)) == selected) {
                list->SendMessage(LB_SETCURSEL, line);
                break;
            }
        Invalidate();
    }
    QWidget* listWidget() { return afxqt::liveWidget(GetDlgItem(kList)->m_hWnd); }
};

struct Figures {
    std::vector<double> all, filtered;  // ms per keystroke: all lines shown, a filter typed
};

template <typename Fn>
Figures time(int keys, Fn keystroke)
{
    Figures f;
    for (int k = 0; k < keys + 2; ++k) {
        const wchar_t* search = searches[k % std::size(searches)];
        QElapsedTimer t;
        t.start();
        keystroke(search);
        double ms = t.nsecsElapsed() / 1e6;
        if (k < 2)
            continue;  // warm-up
        (*search ? f.filtered : f.all).push_back(ms);
    }
    return f;
}

// Painted and settled: the widget drawn now, posted work (layouts, our burst's end) done.
void paintNow(QWidget* w)
{
    w->repaint();
    QCoreApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv)
{
    const int lines = option(argc, argv, "--lines", 50000);
    const int keys = option(argc, argv, "--keys", 40);
    const int randomLines = option(argc, argv, "--random", 20000);
    std::string error;
    if (!AfxHostInitUI(&error)) {
        std::fprintf(stderr, "bench_listbox: no GUI: %s\n", error.c_str());
        return 1;
    }
    const std::vector<std::wstring> items = makeItems(lines);

    // ---- ours ----
    Figures ours;
    double randomMs = 0;
    std::vector<double> refillMs;  // of ours: the refill alone, before the paint
    int randomCount = 0;
    {
        SearchDialog dlg;
        dlg.items = items;
        dlg.selected = lines / 3;
        dlg.InitModalIndirect(&dialogTemplate);
        AfxAddDialogListener([&](CDialog&, AfxDialogEvent event) {
            if (event != AfxDialogEvent::Opened)
                return;
            QTimer::singleShot(0, [&] {
                QWidget* list = dlg.listWidget();
                ours = time(keys, [&](const wchar_t* search) {
                    QElapsedTimer t;
                    t.start();
                    dlg.Keystroke(search);
                    refillMs.push_back(t.nsecsElapsed() / 1e6);
                    paintNow(list);
                });
                // Random arrival order: every line goes into the middle.
                std::vector<std::wstring> shuffled(items.begin(), items.begin() + std::min(randomLines, lines));
                std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(42));
                dlg.items = shuffled;
                QElapsedTimer t;
                t.start();
                dlg.Keystroke(L"");
                paintNow(list);
                randomMs = t.nsecsElapsed() / 1e6;
                randomCount = static_cast<int>(dlg.GetDlgItem(kList)->SendMessage(LB_GETCOUNT));
                dlg.EndDialog(IDOK);
            });
        });
        if (dlg.DoModal() != IDOK) {
            std::fprintf(stderr, "bench_listbox: the dialog did not run\n");
            return 1;
        }
    }

    // ---- the bare peer ----
    Figures peer;
    {
        QWidget window;
        window.resize(600, 300);
        auto* view = new QListView(&window);
        view->setGeometry(8, 32, 560, 200);
        view->setUniformItemSizes(true);
        auto* model = new QStringListModel(view);
        view->setModel(model);
        window.show();
        std::vector<QString> qitems;
        for (const auto& s : items)
            qitems.push_back(QString::fromStdWString(s));
        const int selected = lines / 3;
        peer = time(keys, [&](const wchar_t* search) {
            QStringList shown;
            int selectedRow = -1;
            const QString s = QString::fromWCharArray(search);
            for (size_t i = 0; i < qitems.size(); ++i)
                if (s.isEmpty() || qitems[i].contains(s)) {
                    if (static_cast<int>(i) == selected)
                        selectedRow = static_cast<int>(shown.size());
                    shown.append(qitems[i]);
                }
            model->setStringList(shown);
            if (selectedRow >= 0)
                view->setCurrentIndex(model->index(selectedRow));
            paintNow(view);
        });
    }

    std::printf("list box, %d lines, %d keystrokes (median ms per keystroke: refill + select + paint)\n", lines, keys);
    std::printf("  %-34s %10s %10s\n", "", "all lines", "filtered");
    std::printf("  %-34s %10.2f %10.2f\n", "ours (LB_* messages, sorted)", median(ours.all), median(ours.filtered));
    std::printf("  %-34s %10.2f %10.2f\n", "bare QListView + QStringListModel", median(peer.all), median(peer.filtered));
    std::printf("  %-34s %10.2f %10.2f\n", "ratio ours / bare", median(ours.all) / median(peer.all),
                median(ours.filtered) / median(peer.filtered));
    std::printf("  ours, the refill alone (all keystrokes): %.2f ms\n", median(refillMs));
    std::printf("  goal: <= 16 ms per keystroke: %s\n",
                std::max(median(ours.all), median(ours.filtered)) <= 16.0 ? "met" : "NOT met");
    std::printf("random arrival order, %d lines into a sorted list: %.1f ms for one refill\n", randomCount, randomMs);
    return 0;
}
