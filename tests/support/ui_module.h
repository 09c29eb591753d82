// The module's windows opened as its handlers open them: with the module's resources (as the
// handlers' resource override sets them) and the main window as parent.
#pragma once

#include "frame/Handler.h"
#include "ui_support.h"

#include <gtest/gtest.h>

namespace uitest {

class ModuleWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous = AfxGetResourceHandle();
        AfxSetResourceHandle(korDialogInstance());
    }
    void TearDown() override { AfxSetResourceHandle(previous); }
    // A temporary object for the main window, as the handlers make it; gone after DoModal.
    static CWnd* parent() { return CWnd::FromHandle(mainWindow()); }

    HINSTANCE previous = nullptr;
};

}  // namespace uitest
