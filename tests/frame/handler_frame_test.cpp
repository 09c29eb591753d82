// The frame every handler is built on, reached directly: the dispatcher's answers, the
// resource override, the module's string loader and the answer to a failed check.
#include "cad/CadHost.h"
#include "frame/Module.h"
#include "mfc/afxhost.h"
#include "mfc/afxres.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// Strings of the test's own, to load with an explicit instance.
const std::wstring longText = std::wstring(1023, L'a') + L"bcdef";
const AfxStringResource testStrings[] = {{9001, longText.c_str()}, {9002, L"kurz"}};
const AfxResourceTable testResources = {static_cast<const AfxDialogTemplate*>(nullptr), 0, testStrings,
                                        std::size(testStrings), nullptr, 0};
AFX_RESOURCE_TABLE(testResources)

HINSTANCE testInstance() { return AfxInstanceOf(&testResources); }
HINSTANCE sentinel() { return reinterpret_cast<HINSTANCE>(0x5ea1); }

korcad::CadHost& testHost()
{
    static korcad::CadHost host;
    return host;
}

class HandlerFrame : public ::testing::Test {
protected:
    void SetUp() override
    {
        AfxGetModuleState()->m_hCurrentResourceHandle = sentinel();
        sink = CDebugHilfe::AddSink([this](const KorDebugLine& l) { lines.push_back(l); });
    }
    void TearDown() override
    {
        CDebugHilfe::RemoveSink(sink);
        EXPECT_EQ(AfxGetModuleState()->m_hCurrentResourceHandle, sentinel());
    }
    int sink = 0;
    std::vector<KorDebugLine> lines;
};

TEST_F(HandlerFrame, ProcessAttachRecordedTheModuleAsAnExtensionModule)
{
    EXPECT_TRUE(korDialogExtension.attached && korDialogExtension.moduleResource == korDialogInstance());
    EXPECT_EQ(korDialogInstance(), AfxInstanceOf(reinterpret_cast<const void*>(&DoFunction)));
    std::vector<HINSTANCE> chain = AfxResourceChain();
    EXPECT_NE(std::find(chain.begin(), chain.end(), korDialogInstance()), chain.end());
}

TEST_F(HandlerFrame, DoFunctionRejectsCodesOutsideTheTableWithoutALogLine)
{
    for (int code : {0, 9, -1, 1000}) {
        int rc = 0;
        korcad::CallResult r = testHost().callAs(code, nullptr, [&] {
            rc = DoFunction();
            return RSRSLT;
        });
        EXPECT_TRUE(rc == RTERROR && r.value && r.value->restype == RTVOID) << code << ": the void answer first";
    }
    EXPECT_TRUE(lines.empty());
}

// Every code of the table reaches its handler, which opens its scope under "DoFunction".
TEST_F(HandlerFrame, DoFunctionCallsEachCodesHandlerInItsScope)
{
    int closer = AfxAddDialogListener([](CDialog& d, AfxDialogEvent e) {
        if (e == AfxDialogEvent::Opened)
            d.EndDialog(IDCANCEL);
    });
    for (int code = 1; code <= kKorFunctionCount; ++code) {
        lines.clear();
        testHost().callAs(code, nullptr, [&] { return DoFunction(); });
        ASSERT_FALSE(lines.empty()) << code;
        EXPECT_EQ(lines.front().category + L" " + lines.front().text,
                  L"DoFunction > DoFunction('" + std::wstring(korFunctionTable[code].name) + L"')\r\n");
    }
    AfxRemoveDialogListener(closer);
}

TEST_F(HandlerFrame, ResourceOverrideSwitchesToTheModuleAndRestoresAlsoOnAnException)
{
    {
        CKorResourceOverride override;
        CKorResourceOverride nested;
        EXPECT_EQ(AfxGetModuleState()->m_hCurrentResourceHandle, korDialogInstance());
    }
    EXPECT_EQ(AfxGetModuleState()->m_hCurrentResourceHandle, sentinel());
    try {
        CKorResourceOverride override;
        throw std::runtime_error("passing through");
    } catch (const std::runtime_error&) {
    }  // TearDown checks the handle
}

TEST_F(HandlerFrame, LoadModuleStringReadsTheModuleOrTheGivenInstance)
{
    EXPECT_EQ(LoadModuleString(30053), L"Abbrechen");
    EXPECT_EQ(LoadModuleString(12345), L"") << "a missing id gives the empty text";
    EXPECT_EQ(LoadModuleString(9002), L"") << "the test's strings are not the module's";
    EXPECT_EQ(LoadModuleString(9002, testInstance()), L"kurz");
    EXPECT_EQ(LoadModuleString(9001, testInstance()), CString(longText.substr(0, 1023).c_str()));
}

TEST_F(HandlerFrame, AParameterErrorAnswersAOneElementListLogsTheMessageAndGivesRserr)
{
    int rc = 0;
    korcad::CallResult r = testHost().callAs(4, nullptr, [&] {
        rc = KorParameterError(-7, L"PARAMETERERROR 4: Buttontexte %d kein String -> return -> RSERR\r\n", 1);
        return rc;
    });
    EXPECT_EQ(rc, RSERR);
    EXPECT_EQ(CKORAdsLisp::FromResbuf(r.value.get()).ToString(), L"(-7)");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].category + L" " + lines[0].text,
              L"DialogReturn PARAMETERERROR 4: Buttontexte 1 kein String -> return -> RSERR\r\n");
}

}  // namespace
