// The CAD-class assignment's two costs a user feels, each against a bare peer in the same run:
//
//  search   one keystroke in the class dialog's search field over 50,000 classes: the list
//           refilled (LB_RESETCONTENT, one LB_ADDSTRING + LB_SETITEMDATA per matching line)
//           and the dialog painted — against a bare QListView over a QStringListModel given
//           the same matching lines at once and painted.
//  classify the worker on 100,000 entities (choice, removal of the old class, three attributes,
//           standard values) and the save of the drawing — against a bare loop that writes
//           the same three attributes into the same entities through acdbEntGetX/acdbEntMod
//           and saves. Also prints how often the progress window repainted each bar.
//
// bench_cadclass [search|classify] [entities]
#include "BigDrawing.h"
#include "cad/CadHost.h"
#include "cadclass/CADClassUserAssignment.h"
#include "db/kordb.h"
#include "kor/matchlike.h"
#include "korgui/progress_probe.h"
#include "mfc/afxhost.h"
#include "uidriver/afxdriver.h"

#include <QListView>
#include <QStringListModel>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>

namespace {

using bench::median;
using bench::timeIt;

// 50,000 display texts of a generated drinking-water catalogue.
std::vector<std::wstring> generatedClasses(size_t n)
{
    const wchar_t* kinds[] = {L"Leitung", L"Hausanschluss", L"Schieber", L"Hydrant Unterflur", L"Hydrant Überflur",
                              L"Bogen", L"T-Stück", L"Reduzierstück", L"Endkappe", L"Absperrklappe"};
    const wchar_t* materials[] = {L"PE", L"PVC", L"GG", L"GGG", L"St", L"AZ", L"PE-X", L"Cu"};
    const int widths[] = {25, 32, 40, 50, 63, 80, 90, 100, 110, 125, 150, 160, 200, 225, 250, 300, 400};
    std::vector<std::wstring> out;
    out.reserve(n);
    for (size_t i = 0; out.size() < n; ++i) {
        const wchar_t* kind = kinds[i % std::size(kinds)];
        const wchar_t* material = materials[(i / std::size(kinds)) % std::size(materials)];
        int width = widths[(i / (std::size(kinds) * std::size(materials))) % std::size(widths)];
        out.push_back(std::wstring(kind) + L" " + material + L" DN " + std::to_wstring(width) + L" Bauart " +
                      std::to_wstring(i / (std::size(kinds) * std::size(materials) * std::size(widths)) + 1));
    }
    return out;
}

QWidget* widgetOf(CWnd& w) { return AfxHostWidgetOf(w.GetSafeHwnd()); }

void searchBench(size_t n)
{
    // The worker hands the dialog its classes in the order of its display-text map.
    std::vector<std::wstring> items = generatedClasses(n);
    std::sort(items.begin(), items.end());
    const std::vector<std::wstring> keystrokes = {L"h", L"hy", L"hyd", L"hydr", L"hydra", L"", L"p", L"pe",
                                                  L"pe*1", L"pe*11", L"", L"dn ?00", L""};
    const int rounds = 5;

    // Ours: the dialog as the worker fills it, keystrokes typed into its search field.
    std::vector<double> ours;
    CDlgCADClassUserAssignment dialog;
    for (const auto& item : items)
        dialog.m_arrItems.Add(CString(item));
    dialog.m_strTitle = L"Suche";
    afxdriver::onNextDialog([&](CDialog& d) {
        CWnd* search = d.GetDlgItem(30057);
        QWidget* window = widgetOf(d);
        for (int r = 0; r < rounds; ++r)
            for (const auto& text : keystrokes)
                ours.push_back(timeIt([&] {
                    search->SetWindowText(text.c_str());  // the edit's change notification refills
                    window->repaint();
                }));
        d.EndDialog(IDCANCEL);
    });
    dialog.DoModal();

    // The bare peer: the same matches, given to a model at once and painted.
    std::vector<double> bare;
    QListView view;
    QStringListModel model;
    view.setModel(&model);
    view.setUniformItemSizes(true);
    view.resize(760, 220);
    view.show();
    for (int r = 0; r < rounds; ++r)
        for (const auto& text : keystrokes)
            bare.push_back(timeIt([&] {
                QStringList lines;
                for (const auto& item : items)
                    if (MatchLike(text.c_str(), item.c_str()))
                        lines.push_back(QString::fromStdWString(item));
                lines.sort(Qt::CaseInsensitive);
                model.setStringList(lines);
                view.repaint();
            }));
    double o = median(ours), b = median(bare);
    std::printf("search   %zu classes, one keystroke refilled and painted: ours %.2f ms (median of %zu), "
                "bare QListView %.2f ms, ratio %.2f (goal: ours <= 16 ms)\n",
                n, o, ours.size(), b, o / b);
}

// Selects the whole model space of the host's drawing.
CKORAdsSelectionSet allEntities()
{
    ads_name ss;
    ads::RbPtr filter(acutBuildList(67, 0, 0));
    if (acedSSGet(L"X", nullptr, nullptr, filter.get(), ss) != RTNORM) {
        std::fprintf(stderr, "bench: no entities\n");
        std::exit(1);
    }
    return CKORAdsSelectionSet(ss);
}

void classifyBench(size_t n)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("bench-cadclass-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    if (!kordb::setDatabase("KATALOG", std::string(KOR_SAMPLE_DB_DIR) + "/katalog.sqlite")) {
        std::fprintf(stderr, "bench: the sample catalogue is missing\n");
        std::exit(1);
    }
    const int rounds = 3;
    std::vector<double> ours, bare;
    std::map<std::string, std::vector<int>> repaints;
    std::map<std::string, std::vector<double>> stepMs;
    for (int r = 0; r < rounds; ++r) {
        // Ours.
        {
            korcad::CadHost host;
            host.setCallHooks(kordb::beginCall, kordb::endCall);  // as korcad's session does
            host.openDrawing(bench::bigDrawing(n));
            CCATDBModelManager::Reset();
            CCATDBModelManager::GetCurrentModel();  // the catalogue is read before the clock starts
            std::map<void*, std::chrono::steady_clock::time_point> started;
            int place = 0;
            int token = CKORGuiProgressProbe::AddStatusListener([&](CKORGuiProgress* p, void* bar, int status) {
                if (status == CKORGuiProgress::StatusRunning)
                    started[bar] = std::chrono::steady_clock::now();
                if (status == CKORGuiProgress::StatusDone || status == CKORGuiProgress::StatusFailed) {
                    // Bars may share their end text: the bar's place tells them apart.
                    const std::string text = std::to_string(++place) + ". " +
                                             AfxToUtf8(CKORGuiProgressProbe::BarText(p, bar).GetString());
                    repaints[text].push_back(CKORGuiProgressProbe::RepaintCount(p, bar));
                    if (started.count(bar))
                        stepMs[text].push_back(
                            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started[bar])
                                .count());
                }
            });
            afxdriver::onNextDialog([](CDialog&) {
                afxdriver::select(30058, 0);
                afxdriver::onNextDialog([](CDialog&) { afxdriver::click(L"Ja"); });
                afxdriver::ok();
            });
            std::string error;
            ours.push_back(timeIt([&] {
                CKORAdsSelectionSet set = allEntities();
                CCATDBSelectionEntities entities(set);
                CCADClassUserAssignment worker(entities, L"", L"");
                worker.Run();
                if (!korcad::saveDrawing(*host.drawing(host.currentDrawing()), (dir / "ours.dxf").string(), &error))
                    std::fprintf(stderr, "bench: %s\n", error.c_str());
            }));
            CKORGuiProgressProbe::RemoveStatusListener(token);
        }
        // The bare loop: the same three attributes, one entget and one entmod per entity.
        {
            korcad::CadHost host;
            host.setCallHooks(kordb::beginCall, kordb::endCall);  // as korcad's session does
            host.openDrawing(bench::bigDrawing(n));
            std::string error;
            bare.push_back(timeIt([&] {
                CKORAdsSelectionSet set = allEntities();
                acdbRegApp(L"KOR_ATTRIBUTE");
                ads::RbPtr apps(acutBuildList(RTSTR, L"KOR_ATTRIBUTE", 0));
                for (long i = 0; i < set.GetSize(); ++i) {
                    ads_name e;
                    set.GetAt(i, e);
                    ads::RbPtr groups(acdbEntGetX(e, apps.get()));
                    ads::RbPtr mod(acutBuildList(-1, e, -3, 1001, L"KOR_ATTRIBUTE", 1000, L"CAD-Class", 1000,
                                                 L"HY-UF-080|Hydrant|1", 1000, L"CAD-Class_M", 1071, 1, 1000,
                                                 L"CAD-Class-Name", 1000, L"Hydrant Unterflur DN 80", 0));
                    acdbEntMod(mod.get());
                }
                if (!korcad::saveDrawing(*host.drawing(host.currentDrawing()), (dir / "bare.dxf").string(), &error))
                    std::fprintf(stderr, "bench: %s\n", error.c_str());
            }));
        }
    }
    double o = median(ours), b = median(bare);
    std::printf("classify %zu entities and save: ours %.0f ms, bare loop %.0f ms, ratio %.2f (goal: <= 1.3)\n", n, o,
                b, o / b);
    for (const auto& [bar, counts] : repaints)
        std::printf("  bar \"%s\": %d repaints, %.0f ms\n", bar.c_str(), counts.empty() ? -1 : counts.back(),
                    stepMs[bar].empty() ? -1.0 : median(stepMs[bar]));
    fs::remove_all(dir);
}

}  // namespace

int main(int argc, char** argv)
{
    std::string what = argc > 1 ? argv[1] : "all";
    if (!AfxHostInitUI())
        return 1;
    if (what == "search" || what == "all")
        searchBench(argc > 2 && what == "search" ? std::strtoul(argv[2], nullptr, 10) : 50000);
    if (what == "classify" || what == "all")
        classifyBench(argc > 2 && what == "classify" ? std::strtoul(argv[2], nullptr, 10) : 100000);
    return 0;
}
