// The module loaded as the CAD program loads it: messages, definitions, resource handle.
#include "cad/CadHost.h"
#include "kor/adslisp.h"
#include "kor/debughilfe.h"
#include "mfc/afx.h"

#include <gtest/gtest.h>

namespace {

const std::wstring kNames[] = {
    L"korDialog_ButtonValue",     L"korDialog_SelectColor", L"korDialog_FragBox",
    L"korDialog_ButtonDialog",    L"korDialog_MultiEditDialog", L"korDialog_GridDialog",
    L"korDialog_GridDialog_LType", L"korDialog_LWeightDialog",
};

HINSTANCE sentinel() { return reinterpret_cast<HINSTANCE>(0x5ea1); }

// A host that refuses the k-th acedDefun or acedRegFunc (0: none) and counts registrations.
class FaultyHost : public korcad::CadHost {
public:
    int refuseDefunAt = 0, refuseRegFuncAt = 0;
    int regFuncCalls = 0;

    int defun(const std::wstring& name, int code) override
    {
        return refuseDefunAt > 0 && --refuseDefunAt == 0 ? 0 : CadHost::defun(name, code);
    }
    int regFunc(int (*handler)(), int code) override
    {
        ++regFuncCalls;
        return refuseRegFuncAt > 0 && --refuseRegFuncAt == 0 ? 0 : CadHost::regFunc(handler, code);
    }
};

class ModuleEntry : public ::testing::Test {
protected:
    void SetUp() override
    {
        sink = CDebugHilfe::AddSink([this](const KorDebugLine& l) { lines.push_back(l); });
        AfxGetModuleState()->m_hCurrentResourceHandle = sentinel();
        drawing = host.openDrawing(L"Zeichnung1.dwg");
    }
    void TearDown() override
    {
        host.unloadApp("korDialog", nullptr);
        for (int d : host.openDrawings())
            host.closeDrawing(d);
        CDebugHilfe::RemoveSink(sink);
        EXPECT_EQ(AfxGetModuleState()->m_hCurrentResourceHandle, sentinel())
            << "the resource handle is the one from before";
    }
    void load()
    {
        std::string error;
        ASSERT_TRUE(host.loadApp(KORDIALOG_MODULE, &error)) << error;
    }
    std::vector<std::wstring> texts(const std::wstring& category) const
    {
        std::vector<std::wstring> out;
        for (const auto& l : lines)
            if (l.category == category)
                out.push_back(l.text);
        return out;
    }
    std::vector<std::wstring> defined(int d = 0) const
    {
        std::vector<std::wstring> out;
        for (const auto& f : host.definedFunctions(d))
            out.push_back(f.name);
        return out;
    }

    FaultyHost host;
    int sink = 0;
    int drawing = 0;
    std::vector<KorDebugLine> lines;
};

TEST_F(ModuleEntry, LoadingInitialisesTheApplicationAndDefinesTheFunctionsInCodeOrder)
{
    load();
    const korcad::AppInfo* app = host.findApp("korDialog");
    ASSERT_NE(app, nullptr);
    EXPECT_TRUE(app->unlocked && app->mdiAware);

    auto fns = host.definedFunctions();
    ASSERT_EQ(fns.size(), 8u);
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(fns[i].name == kNames[i] && fns[i].code == i + 1) << i;
    std::vector<std::wstring> init = texts(L"InitExit");
    ASSERT_GE(init.size(), 7u);
    EXPECT_EQ(init[0] + init[1] + init[3] + init[4],
              L"DLL_PROCESS_ATTACH\r\n> AcRx::kInitAppMsg\r\n> AcRx::kLoadDwgMsg\r\n> LoadFunctions\r\n");

    // A drawing opened later gets its own definitions.
    int second = host.openDrawing(L"Zeichnung2.dwg");
    EXPECT_EQ(defined(second), defined(drawing));
    host.closeDrawing(second);
    EXPECT_EQ(defined(drawing).size(), 8u) << "closing one drawing leaves the other's";
}

TEST_F(ModuleEntry, UnloadAppLeavesTheFunctionsOnlyUnloadDwgRemovesThem)
{
    load();
    for (int msg = 0; msg <= 20; ++msg) {  // every other message is answered with 0 and changes nothing
        if (msg != AcRx::kUnloadDwgMsg && msg != AcRx::kInitAppMsg) {
            EXPECT_EQ(host.sendMessage("korDialog", static_cast<AcRx::AppMsgCode>(msg)), 0) << msg;
        }
    }
    EXPECT_EQ(host.sendMessage("korDialog", AcRx::kUnloadAppMsg), 0);
    EXPECT_EQ(defined().size(), 8u);
    EXPECT_EQ(host.sendMessage("korDialog", AcRx::kUnloadDwgMsg), 0);
    EXPECT_TRUE(defined().empty());
    EXPECT_EQ(host.sendMessage("korDialog", AcRx::kLoadDwgMsg), 0);
    EXPECT_EQ(defined().size(), 8u);

    lines.clear();
    std::string error;
    ASSERT_TRUE(host.unloadApp("korDialog", &error)) << error;
    std::vector<std::wstring> init = texts(L"InitExit");
    ASSERT_FALSE(init.empty());
    EXPECT_EQ(init.front(), L"> AcRx::kUnloadDwgMsg\r\n");
    EXPECT_EQ(init.back(), L"DLL_PROCESS_DETACH\r\n");
}

TEST_F(ModuleEntry, ARefusedDefinitionStopsLoadingAtThatCode)
{
    for (int k : {1, 3, 8}) {
        host.refuseDefunAt = k;
        load();
        EXPECT_EQ(defined(), std::vector<std::wstring>(kNames, kNames + k - 1)) << "refused at code " << k;
        ASSERT_TRUE(host.unloadApp("korDialog", nullptr));
    }
}

// Loading stops after the definition whose registration was refused.
TEST_F(ModuleEntry, ARefusedRegistrationStopsLoadingAfterThatDefinition)
{
    host.refuseRegFuncAt = 1;
    load();
    EXPECT_EQ(host.regFuncCalls, 1) << "nothing is registered after the refusal";
    std::vector<korcad::FunctionInfo> now = host.definedFunctions();
    ASSERT_EQ(now.size(), 1u);
    EXPECT_FALSE(now[0].registered);

    lines.clear();
    korcad::CallResult r = host.invoke(now[0].name, nullptr);
    EXPECT_TRUE(r.found && r.viaMessage);
    EXPECT_EQ(r.status, RSRSLT) << "a message call that hands a value over succeeded";
    EXPECT_EQ(CKORAdsLisp::FromResbuf(r.value.get()).ToString(), L"(-1)");
    EXPECT_EQ(texts(L"DialogReturn"),
              std::vector<std::wstring>{L"PARAMETERERROR 1: Keine Datenbank -> return -> RSERR\r\n"});
}

}  // namespace
