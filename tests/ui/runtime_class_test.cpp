// Runtime classes: the class chain, dynamic creation and IsKindOf.
#include "mfc/afxwin.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class CShape : public CObject {
    DECLARE_DYNAMIC(CShape)
};
class CTriangle : public CShape {
    DECLARE_DYNCREATE(CTriangle)
    int m_filler[4] = {};
};
class CSquare : public CShape {
    DECLARE_DYNCREATE(CSquare)
};
IMPLEMENT_DYNAMIC(CShape, CObject)
IMPLEMENT_DYNCREATE(CTriangle, CShape)
IMPLEMENT_DYNCREATE(CSquare, CShape)

}  // namespace

TEST(RuntimeClass, CreatableClassesAreMadeByTheirRuntimeClass)
{
    CRuntimeClass* triangle = RUNTIME_CLASS(CTriangle);
    EXPECT_STREQ(triangle->m_lpszClassName, "CTriangle");
    EXPECT_EQ(triangle->m_nObjectSize, static_cast<int>(sizeof(CTriangle)));
    EXPECT_EQ(triangle->m_pBaseClass, RUNTIME_CLASS(CShape));
    EXPECT_EQ(RUNTIME_CLASS(CObject)->m_pBaseClass, nullptr);
    std::unique_ptr<CObject> made(triangle->CreateObject());
    ASSERT_TRUE(made);
    EXPECT_EQ(made->GetRuntimeClass(), triangle);
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CShape)));
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_NE(DYNAMIC_DOWNCAST(CShape, made.get()), nullptr);
    EXPECT_EQ(DYNAMIC_DOWNCAST(CSquare, made.get()), nullptr);
    EXPECT_EQ(RUNTIME_CLASS(CShape)->CreateObject(), nullptr) << "DECLARE_DYNAMIC only: not creatable";
}
