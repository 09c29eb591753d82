// The CAD-class dialog and worker in process over korcad's host with the sample drawing and a
// test catalogue; a scripted user drives the dialogs.
#include "EntityTestHost.h"
#include "failing_allocator.h"

#include "cadclass/CADClassUserAssignment.h"
#include "korgui/progress_probe.h"
#include "mfc/afxhost.h"
#include "uidriver/afxdriver.h"

#include <algorithm>
#include <array>
#include <deque>
#include <functional>

#include <link.h>

namespace {

using korcad::CadHost;

std::string narrow(const CString& s) { return AfxToUtf8(s.GetString()); }

class CadClassFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(scope_.make(catdbtest::dialogCatalogueSql()), "");
        std::string error;
        auto drawing = korcad::loadDrawing(std::string(EXAMPLES_DIR) + "/netz.dxf", &error);
        ASSERT_NE(drawing, nullptr) << error;
        host_.openDrawing(std::move(drawing));
        host_.setInput([this](const ads::InputRequest& r, ads::InputAnswer& a) {
            prompts_.push_back(r.prompt);
            if (picks_.empty())
                return RTCAN;
            std::function<int(ads::InputAnswer&)> pick = std::move(picks_.front());
            picks_.pop_front();
            return pick(a);
        });
    }

    // The hydrants H-101, H-102, H-103 in drawing order, as a set and one by one.
    CKORAdsSelectionSet hydrants()
    {
        ads_name ss = {0, 0};
        ads::RbPtr filter(acutBuildList(2, L"HYDRANT", 0));
        EXPECT_EQ(acedSSGet(L"X", nullptr, nullptr, filter.get(), ss), RTNORM);
        return CKORAdsSelectionSet(ss);
    }
    std::array<int64_t, 2> hydrant(int i)
    {
        ads_name e = {0, 0};
        hydrants().GetAt(i, e);
        return {e[0], e[1]};
    }
    // The next entity prompt is answered by picking entity e (or cancelled with RTCAN).
    void willPick(const int64_t* e)
    {
        ads_name name = {e[0], e[1]};
        picks_.push_back([name](ads::InputAnswer& a) {
            a.entity[0] = name[0], a.entity[1] = name[1];
            return RTNORM;
        });
    }
    void willCancelPick() { picks_.push_back([](ads::InputAnswer&) { return RTCAN; }); }

    CString attribute(const int64_t* e, const wchar_t* name)
    {
        CKOREntity entity;
        CString value;
        ads_name n = {e[0], e[1]};
        if (!entity.Connect(n) || !entity.GetAttribute(name, value))
            return L"<none>";
        return value;
    }

    catdbtest::CatalogueScope scope_;
    CadHost host_;
    std::deque<std::function<int(ads::InputAnswer&)>> picks_;
    std::vector<std::wstring> prompts_;
};

// A scripted user: each step acts on the dialog that is open when its turn comes.
struct Script {
    std::vector<std::function<void(CDialog&)>> steps;
    size_t next = 0;
    bool waiting = false;  // a step waits for the next dialog
    void arm()
    {
        if (next >= steps.size())
            return;
        waiting = true;
        afxdriver::onNextDialog([this](CDialog& d) {
            waiting = false;
            auto step = steps[next++];
            arm();
            step(d);
        });
    }
};

std::vector<std::string> listLines(UINT id)
{
    CDialog* d = afxdriver::activeDialog();
    std::vector<std::string> out;
    auto* list = d ? static_cast<CListBox*>(d->GetDlgItem(static_cast<int>(id))) : nullptr;
    if (!list)
        return out;
    for (int i = 0; i < list->GetCount(); ++i) {
        CString t;
        list->GetText(i, t);
        out.push_back(narrow(t));
    }
    return out;
}

TEST_F(CadClassFixture, TheDialogFiltersByTheSearchTextHighlightsAndKeepsTheChosenLine)
{
    CDlgCADClassUserAssignment dialog;
    for (const wchar_t* item : {L"Hydrant Überflur DN 100", L"Hydrant Unterflur DN 100", L"Schieber DN 100",
                                L"Leitung PE 110"})
        dialog.m_arrItems.Add(item);
    dialog.m_strTitle = L"Klasse wählen";
    dialog.m_strHint = L"Ein Hinweis";
    auto yellow = [](int id) { return afxdriver::backgroundColor(id) == RGB(255, 255, 0); };
    bool checked = false;
    afxdriver::onNextDialog([&](CDialog& d) {
        EXPECT_EQ(afxdriver::describe(d), "\"Klasse wählen\" (template 30055)");
        EXPECT_FALSE(d.GetDlgItem(IDCANCEL)->IsWindowVisible());
        CString text;
        d.GetDlgItem(30059)->GetWindowText(text);
        EXPECT_EQ(narrow(text), "Ein Hinweis");

        // Every line, sorted by the list; nothing yellow while the search is empty.
        EXPECT_EQ(listLines(30058), (std::vector<std::string>{"Hydrant Überflur DN 100", "Hydrant Unterflur DN 100",
                                                             "Leitung PE 110", "Schieber DN 100"}));
        EXPECT_FALSE(yellow(30057) || yellow(30058));

        // OK without a chosen line does nothing.
        EXPECT_TRUE(afxdriver::ok());
        EXPECT_TRUE(d.IsRunningModal());

        // A search offers its first line while nothing is chosen: Enter takes it.
        EXPECT_TRUE(afxdriver::type(30057, L"schieb"));
        EXPECT_EQ(static_cast<CListBox*>(d.GetDlgItem(30058))->GetCurSel(), 0);
        checked = true;
        EXPECT_TRUE(afxdriver::key(afxdriver::Key::Enter));
        if (d.IsRunningModal())
            afxdriver::key(afxdriver::Key::Escape);  // not taken: end the dialog all the same
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(checked);
    EXPECT_EQ(dialog.m_nSelectedIndex, 2);

    // Opened again with that choice: filtered out and back, it stays chosen.
    afxdriver::onNextDialog([&](CDialog&) {
        ASSERT_TRUE(afxdriver::type(30057, L"dn*100"));
        EXPECT_EQ(listLines(30058), (std::vector<std::string>{"Hydrant Überflur DN 100", "Hydrant Unterflur DN 100",
                                                             "Schieber DN 100"}));
        EXPECT_TRUE(yellow(30057) && yellow(30058));
        auto* list = static_cast<CListBox*>(afxdriver::activeDialog()->GetDlgItem(30058));
        auto selected = [&] {
            CString text;
            if (list->GetCurSel() != LB_ERR)
                list->GetText(list->GetCurSel(), text);
            return narrow(text);
        };
        EXPECT_EQ(selected(), "Schieber DN 100");
        // The user's own choice stays selected while a new search text keeps it in the list.
        ASSERT_TRUE(afxdriver::select(30058, L"Hydrant Unterflur DN 100"));
        ASSERT_TRUE(afxdriver::type(30057, L"hydrant*"));
        EXPECT_EQ(selected(), "Hydrant Unterflur DN 100");
        ASSERT_TRUE(afxdriver::type(30057, L"über"));
        EXPECT_EQ(listLines(30058), (std::vector<std::string>{"Hydrant Überflur DN 100"}));
        EXPECT_EQ(list->GetCurSel(), LB_ERR);  // the chosen line is hidden
        ASSERT_TRUE(afxdriver::type(30057, L""));
        EXPECT_EQ(listLines(30058).size(), 4u);
        EXPECT_FALSE(yellow(30057));
        EXPECT_EQ(selected(), "Hydrant Unterflur DN 100");
        // From the search field Tab goes to the list.
        ASSERT_TRUE(afxdriver::key(afxdriver::Key::Tab));
        ASSERT_TRUE(afxdriver::key(afxdriver::Key::Home));
        EXPECT_EQ(selected(), "Hydrant Überflur DN 100");
        ASSERT_TRUE(afxdriver::key(afxdriver::Key::Escape));
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

// The text of a message box: its longest text (the buttons' captions are short).
std::string messageOf(CDialog& d)
{
    std::string longest;
    for (int id = 0; id <= 0xffff; ++id)
        if (CWnd* w = d.GetDlgItem(id)) {
            CString text;
            w->GetWindowText(text);
            if (narrow(text).size() > longest.size())
                longest = narrow(text);
        }
    return longest;
}

// Records every status a bar of the progress window takes, by the bar's first text.
struct StatusLog {
    std::vector<std::string> entries;
    int token = 0;
    StatusLog()
    {
        token = CKORGuiProgressProbe::AddStatusListener([this](CKORGuiProgress* p, void* bar, int status) {
            entries.push_back(narrow(CKORGuiProgressProbe::BarText(p, bar)) + "=" + std::to_string(status));
        });
    }
    ~StatusLog() { CKORGuiProgressProbe::RemoveStatusListener(token); }
};

TEST_F(CadClassFixture, TheWorkerRunsItsFourStepsWithTheirProgressStatuses)
{
    const auto h1 = hydrant(0), h3 = hydrant(2);
    // H-101 has an old class with a standard value the new class does not have.
    {
        CKOREntity e;
        ASSERT_TRUE(e.Connect(h1.data()));
        ASSERT_TRUE(e.SetAttribute(L"CAD-Class", L"HY-OF-100|Hydrant|1"));
        ASSERT_TRUE(e.SetAttribute(L"Material", L"GG"));
        ASSERT_TRUE(e.SetAttribute(L"Eigentümer", L"Stadtwerke"));
    }
    CCATDBSelectionEntities entities(hydrants());

    StatusLog log;
    Script user;
    std::vector<std::string> offered;
    std::string question;
    user.steps.push_back([&](CDialog& d) {
        EXPECT_EQ(afxdriver::describe(d), "\"Hydranten\" (template 30055)");
        ASSERT_EQ(CKORGuiProgress::OpenWindows().size(), 1u);
        EXPECT_TRUE(CKORGuiProgress::OpenWindows()[0]->IsWindowVisible());
        offered = listLines(30058);
        ASSERT_TRUE(afxdriver::select(30058, L"Hydrant Unterflur DN 100"));
        ASSERT_TRUE(afxdriver::ok());
    });
    user.steps.push_back([&](CDialog& d) {
        question = messageOf(d);
        ASSERT_TRUE(afxdriver::click(L"Ja"));
    });
    user.arm();
    CCADClassUserAssignment worker(entities, L"Hydranten", L"Hydrant");
    worker.Run();
    EXPECT_EQ(user.next, user.steps.size());

    // Only the classes of the named type are offered; the question names count and class.
    EXPECT_EQ(offered, (std::vector<std::string>{"Hydrant Überflur DN 100", "Hydrant Überflur DN 150",
                                                 "Hydrant Unterflur DN 100"}));
    EXPECT_EQ(question, "Sollen 3 Objekte der CAD-Klasse \u201EHydrant Unterflur DN 100\u201C zugeordnet werden?");
    EXPECT_EQ(log.entries, (std::vector<std::string>{
                               "CAD-Klasse auswählen=5", "CAD-Klasse ausgewählt=4",
                               "Attribute der bisherigen Klasse entfernen=5", "Attribute der bisherigen Klasse entfernen=2",
                               "CAD-Klasse an die Objekte schreiben=5", "Erledigt=4",
                               "Standardwerte der Klasse eintragen=5", "Erledigt=4"}));
    EXPECT_TRUE(CKORGuiProgress::OpenWindows().empty());

    for (const int64_t* e : {h1.data(), h3.data()}) {
        EXPECT_EQ(narrow(attribute(e, L"CAD-Class")), "HY-UF-100|Hydrant|2");
        EXPECT_EQ(narrow(attribute(e, L"Deckel")), "Guss");
    }
    EXPECT_EQ(narrow(attribute(h1.data(), L"Material")), "<none>");           // the old class's value
    EXPECT_EQ(narrow(attribute(h1.data(), L"Eigentümer")), "Stadtwerke");   // not the catalogue's
}

TEST_F(CadClassFixture, CancelNoOrAStopEndTheRunBeforeTheNextStep)
{
    CCATDBSelectionEntities entities(hydrants());

    struct Case {
        const char* what;
        std::vector<std::function<void(CDialog&)>> steps;
        std::vector<std::string> statuses;
    };
    auto chooseFirst = [](CDialog&) {
        ASSERT_TRUE(afxdriver::select(30058, 0));
        ASSERT_TRUE(afxdriver::ok());
    };
    const std::vector<std::string> selectionFailed = {"CAD-Klasse auswählen=5", "CAD-Klasse auswählen=2"};
    std::vector<Case> cases = {
        {"Escape in the dialog", {[](CDialog&) { ASSERT_TRUE(afxdriver::key(afxdriver::Key::Escape)); }},
         selectionFailed},
        {"No to the question", {chooseFirst, [](CDialog&) { ASSERT_TRUE(afxdriver::click(L"Nein")); }},
         selectionFailed},
        // The progress window's cancel while the dialog waits: its question opens at once; then
        // the class is chosen and confirmed, and no later step runs.
        {"stop in the progress window",
         {[](CDialog&) {
              auto windows = CKORGuiProgress::OpenWindows();
              ASSERT_EQ(windows.size(), 1u);
              EXPECT_TRUE(windows[0]->PressCancel());
              ASSERT_TRUE(afxdriver::select(30058, 0));
              ASSERT_TRUE(afxdriver::ok());
          },
          [](CDialog&) { ASSERT_TRUE(afxdriver::click(L"Ja")); },   // stop the calculation?
          [](CDialog&) { ASSERT_TRUE(afxdriver::click(L"Ja")); }},  // assign?
         {"CAD-Klasse auswählen=5", "CAD-Klasse ausgewählt=4"}},
    };

    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        StatusLog log;
        Script user;
        user.steps = c.steps;
        user.arm();
        CCADClassUserAssignment worker(entities, L"", L"");
        worker.Run();
        EXPECT_EQ(user.next, user.steps.size());
        EXPECT_EQ(log.entries, c.statuses);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(narrow(attribute(hydrant(i).data(), L"CAD-Class")), "<none>");
        EXPECT_TRUE(CKORGuiProgress::OpenWindows().empty());
    }
}

std::vector<std::pair<int, std::wstring>> attributeData(const int64_t* e)
{
    return catdbtest::xdataOf(e, KOR_ATTRIBUTE_APP);
}

std::string handleOf(const int64_t* e)
{
    ads_name n = {e[0], e[1]};
    ads::RbPtr groups(acdbEntGet(n));
    for (const resbuf* rb = groups.get(); rb; rb = rb->rbnext)
        if (rb->restype == 5)
            return narrow(rb->resval.rstring);
    return "<none>";
}

TEST_F(CadClassFixture, AnEntityTheNewClassDoesNotFitKeepsItsOldOneAndIsReportedByItsHandle)
{
    // A class whose 70 standard values take 17,500 bytes: more than an entity holds (16 KiB).
    std::string sql = catdbtest::dialogCatalogueSql();
    sql += "INSERT INTO KLASSEN VALUES (8, 'HY-VOLL', 'Hydrant', 1, 'Hydrant mit allem', 'Hydrant with all');"
           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 70)"
           " INSERT INTO STANDARDWERTE SELECT 'HY-VOLL', printf('Wert%02d', i), replace(hex(zeroblob(125)), '0', 'x')"
           " FROM n;";
    ASSERT_EQ(scope_.make(sql), "");
    CCATDBModelManager::Reset();

    std::array<int64_t, 2> h[3] = {hydrant(0), hydrant(1), hydrant(2)};
    // H-101 carries an old class; H-102 too, and other data up to nearly 16 KiB.
    for (int i : {0, 1}) {
        CKOREntity e;
        ASSERT_TRUE(e.Connect(h[i].data()));
        ASSERT_TRUE(e.SetAttribute(L"CAD-Class", i == 0 ? L"HY-OF-100|Hydrant|1" : L"HY-OF-150|Hydrant|1"));
        ASSERT_TRUE(e.SetAttribute(L"Nennweite", i == 0 ? L"100" : L"150"));
    }
    ASSERT_EQ(acdbRegApp(L"KOR_TEST"), RTNORM);
    {
        const std::wstring piece(255, L'y');
        size_t last = 255;
        for (; last > 0; --last) {  // the longest last piece the entity still takes
            ads::ChainBuilder chain;
            std::copy_n(h[1].data(), 2, chain.add(-1)->resval.rlname);
            chain.add(-3);
            chain.addText(1001, L"KOR_TEST");
            for (int k = 0; k < 64; ++k)
                chain.addText(1000, piece);
            chain.addText(1000, std::wstring(last, L'z'));
            ads::RbPtr groups = chain.take();
            if (acdbEntMod(groups.get()) == RTNORM)
                break;
        }
        ASSERT_GT(last, 0u);
        ASSERT_LT(last, 255u);
    }
    std::vector<std::pair<int, std::wstring>> before[3];
    for (int i = 0; i < 3; ++i)
        before[i] = attributeData(h[i].data());

    std::vector<std::wstring> printed;
    host_.setPrinter([&](const std::wstring& text) { printed.push_back(text); });
    auto run = [&](const wchar_t* chosen) {
        printed.clear();
        CCATDBSelectionEntities entities(hydrants());
        Script user;
        user.steps.push_back([&](CDialog&) {
            ASSERT_TRUE(afxdriver::select(30058, chosen));
            ASSERT_TRUE(afxdriver::ok());
        });
        user.steps.push_back([&](CDialog&) { ASSERT_TRUE(afxdriver::click(L"Ja")); });
        user.arm();
        CCADClassUserAssignment worker(entities, L"", L"Hydrant");
        worker.Run();
        EXPECT_EQ(user.next, user.steps.size());
        return worker.GetClassifiedCount();
    };
    auto reported = [&](const std::vector<std::wstring>& lines, int i) {
        std::string handle = handleOf(h[i].data());
        return std::count_if(lines.begin(), lines.end(), [&](const std::wstring& l) {
            const std::string t = narrow(l.c_str());
            return t.find(" " + handle + " ") != std::string::npos || t.find(" " + handle + ":") != std::string::npos;
        });
    };

    // The class with too many standard values fits no entity: none changes, each is reported.
    EXPECT_EQ(run(L"Hydrant mit allem"), 0);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(attributeData(h[i].data()), before[i]);
        EXPECT_EQ(reported(printed, i), 1);
    }

    // A class that fits H-101 and H-103 but not H-102 beside its other data.
    EXPECT_EQ(run(L"Hydrant Unterflur DN 100"), 2);
    EXPECT_EQ(narrow(attribute(h[0].data(), L"CAD-Class")), "HY-UF-100|Hydrant|2");
    EXPECT_EQ(narrow(attribute(h[2].data(), L"Deckel")), "Guss");
    EXPECT_EQ(attributeData(h[1].data()), before[1]);
    EXPECT_EQ(reported(printed, 1), 1);
    EXPECT_EQ(reported(printed, 0) + reported(printed, 2), 0);
}

TEST_F(CadClassFixture, ZeigenTakesTheClassOverOrSaysWhyNot)
{
    const auto h1 = hydrant(0), h2 = hydrant(1), h3 = hydrant(2);
    {
        CKOREntity e;
        ASSERT_TRUE(e.Connect(h1.data()));
        ASSERT_TRUE(e.SetAttribute(L"CAD-Class", L"SV-100-ALT|Punkt|1"));
        ASSERT_TRUE(e.Connect(h3.data()));
        ASSERT_TRUE(e.SetAttribute(L"CAD-Class", L"WSG-1|Flaeche|1"));
    }

    CDlgCADClassUserAssignment dialog;
    // Two lines equal without regard to case: the later one in the item list is taken.
    for (const wchar_t* item : {L"SCHIEBER DN 100", L"Hydrant Überflur DN 100", L"Schieber DN 100"})
        dialog.m_arrItems.Add(item);
    dialog.m_strTitle = L"Zeigen";

    std::vector<std::string> messages;
    Script user;
    auto message = [&](CDialog& d) {
        messages.push_back(messageOf(d));
        ASSERT_TRUE(afxdriver::click(L"OK"));
    };
    // Each message opens inside the click that picked; the pick hides the dialog meanwhile.
    user.steps = {[&](CDialog& d) {
        ASSERT_TRUE(afxdriver::type(30057, L"hydrant"));
        willPick(h2.data());  // no class
        afxdriver::onNextDialog(message);
        ASSERT_TRUE(afxdriver::click(30060));
        willPick(h3.data());  // an area class
        afxdriver::onNextDialog(message);
        ASSERT_TRUE(afxdriver::click(30060));
        willCancelPick();
        ASSERT_TRUE(afxdriver::click(30060));
        EXPECT_TRUE(d.IsRunningModal());
        EXPECT_TRUE(d.IsWindowVisible());
        willPick(h1.data());  // "SV-100-ALT": hidden by the search text, taken anyway
        ASSERT_TRUE(afxdriver::click(30060));
    }};
    user.arm();
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(messages, (std::vector<std::string>(
                            2, "Das gewählte Objekt hat keine CAD-Klasse, die hier zur Auswahl steht.")));
    EXPECT_EQ(dialog.m_nSelectedIndex, 2);
    ASSERT_EQ(prompts_.size(), 4u);
    EXPECT_EQ(prompts_[0], L"\nObjekt wählen, dessen CAD-Klasse übernommen werden soll: ");
}

// The allocations the next test lets fail: those the worker's code asks for while it runs (the
// module's, the catalogue's, the entity layer's and the ADS layer's), but none while a dialog is
// open: the dialogs' handlers run inside Qt's event handling, which is not made to survive an
// exception.
struct WorkerCode {
    std::vector<std::pair<uintptr_t, uintptr_t>> ranges;
    bool running = false;
};
WorkerCode g_worker;

bool inWorkerCode(const void* caller)
{
    if (!g_worker.running || AfxActiveModalDialog())
        return false;
    const auto a = reinterpret_cast<uintptr_t>(caller);
    return std::any_of(g_worker.ranges.begin(), g_worker.ranges.end(),
                       [a](const auto& r) { return a >= r.first && a < r.second; });
}

void findWorkerCode()
{
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            std::string_view name = info->dlpi_name ? info->dlpi_name : "";
            name.remove_prefix(name.find_last_of('/') + 1);  // (npos + 1: the whole name)
            for (std::string_view lib : {"korDialog.so", "libkorcatdb.so", "libkorent.so", "libkorads.so"})
                if (name.starts_with(lib))
                    for (int i = 0; i < info->dlpi_phnum; ++i)
                        if (const ElfW(Phdr)& ph = info->dlpi_phdr[i]; ph.p_type == PT_LOAD && (ph.p_flags & PF_X))
                            g_worker.ranges.emplace_back(info->dlpi_addr + ph.p_vaddr,
                                                         info->dlpi_addr + ph.p_vaddr + ph.p_memsz);
            return 0;
        },
        nullptr);
}

TEST_F(CadClassFixture, AnAllocationThatFailsEndsTheRunWithEachEntityWholeAndNoWindowOpen)
{
    findWorkerCode();
    ASSERT_EQ(g_worker.ranges.size(), 4u);
    // One user for every run: a run that failed before a dialog opened leaves its step waiting.
    Script user;
    user.steps = {[](CDialog&) {
                      ASSERT_TRUE(afxdriver::select(30058, L"Hydrant Unterflur DN 100"));
                      ASSERT_TRUE(afxdriver::ok());
                  },
                  [](CDialog&) { ASSERT_TRUE(afxdriver::click(L"Ja")); }};
    std::vector<std::wstring> printed;
    host_.setPrinter([&](const std::wstring& text) { printed.push_back(text); });
    // Each run on the sample drawing as it was read, H-101 with an old class.
    auto freshDrawing = [&] {
        const std::vector<int> open = host_.openDrawings();
        std::string error;
        auto drawing = korcad::loadDrawing(std::string(EXAMPLES_DIR) + "/netz.dxf", &error);
        ASSERT_NE(drawing, nullptr) << error;
        host_.openDrawing(std::move(drawing));
        for (int d : open)
            host_.closeDrawing(d);
        CKOREntity e;
        ASSERT_TRUE(e.Connect(hydrant(0).data()));
        ASSERT_TRUE(e.SetAttribute(L"CAD-Class", L"HY-OF-100|Hydrant|1"));
        ASSERT_TRUE(e.SetAttribute(L"Material", L"GG"));
    };
    auto states = [&] {
        std::vector<std::vector<std::pair<int, std::wstring>>> out;
        for (int i = 0; i < 3; ++i)
            out.push_back(attributeData(hydrant(i).data()));
        return out;
    };
    long classified = -1;  // -1: the run ended with the failure
    auto run = [&] {
        classified = -1;
        printed.clear();
        user.next = 0;
        if (!user.waiting)
            user.arm();
        CCATDBSelectionEntities entities(hydrants());
        CCADClassUserAssignment worker(entities, L"", L"Hydrant");
        g_worker.running = true;
        struct Ends {
            ~Ends() { g_worker.running = false; }
        } ends;
        worker.Run();
        classified = worker.GetClassifiedCount();
    };

    freshDrawing();
    const auto before = states();
    run();
    ASSERT_EQ(classified, 3);
    const auto after = states();
    ASSERT_NE(before, after);

    g_counts = &inWorkerCode;
    freshDrawing();
    const long injected = failEachAllocation(run, [&](long n) {
        SCOPED_TRACE("allocation " + std::to_string(n));
        EXPECT_TRUE(CKORGuiProgress::OpenWindows().empty());
        EXPECT_EQ(AfxActiveModalDialog(), nullptr);
        const auto now = states();
        long classifiedNow = 0;
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(now[i] == before[i] || now[i] == after[i]) << "H-10" << i + 1 << " is half classified";
            classifiedNow += now[i] == after[i];
            // A run that ended on its own reports each entity it left as it was.
            const std::string handle = handleOf(hydrant(i).data());
            if (classified >= 0 && now[i] != after[i]) {
                EXPECT_TRUE(std::any_of(printed.begin(), printed.end(), [&](const std::wstring& l) {
                    return narrow(l.c_str()).find(" " + handle + ":") != std::string::npos;
                })) << "H-10" << i + 1 << " was left unclassified without a word";
            }
        }
        if (classified >= 0) {
            EXPECT_EQ(classified, classifiedNow);
        }
        freshDrawing();
    });
    g_counts = nullptr;
    EXPECT_EQ(classified, 3);
    EXPECT_GT(injected, 50);
}

}  // namespace
