#include "framework/afxcore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

int g_liveShapes = 0;

class CShape : public CObject {
  DECLARE_DYNAMIC(CShape)
 public:
  CShape() { ++g_liveShapes; }
  ~CShape() override { --g_liveShapes; }
};
IMPLEMENT_DYNAMIC(CShape, CObject)

class CCircle : public CShape {
  DECLARE_DYNCREATE(CCircle)
 protected:
  CCircle() = default;  // creatable only through its run-time class
 public:
  int m_radius = 7;
};
IMPLEMENT_DYNCREATE(CCircle, CShape)

class CSquare : public CShape {
  DECLARE_DYNCREATE(CSquare)
};
IMPLEMENT_DYNCREATE(CSquare, CShape)

TEST(RuntimeClass, Descriptions) {
  EXPECT_STREQ("CCircle", RUNTIME_CLASS(CCircle)->m_lpszClassName);
  EXPECT_EQ(static_cast<int>(sizeof(CCircle)), RUNTIME_CLASS(CCircle)->m_nObjectSize);
  EXPECT_EQ(RUNTIME_CLASS(CShape), RUNTIME_CLASS(CCircle)->m_pBaseClass);
  EXPECT_EQ(RUNTIME_CLASS(CObject), RUNTIME_CLASS(CShape)->m_pBaseClass);
  EXPECT_EQ(nullptr, RUNTIME_CLASS(CObject)->m_pBaseClass);
  EXPECT_EQ(nullptr, RUNTIME_CLASS(CShape)->m_pfnCreateObject);
  EXPECT_NE(nullptr, RUNTIME_CLASS(CCircle)->m_pfnCreateObject);
}

TEST(RuntimeClass, Derivation) {
  struct Row {
    CRuntimeClass* cls;
    CRuntimeClass* base;
    BOOL derived;
  };
  const Row rows[] = {
      {RUNTIME_CLASS(CCircle), RUNTIME_CLASS(CCircle), TRUE},
      {RUNTIME_CLASS(CCircle), RUNTIME_CLASS(CShape), TRUE},
      {RUNTIME_CLASS(CCircle), RUNTIME_CLASS(CObject), TRUE},
      {RUNTIME_CLASS(CCircle), RUNTIME_CLASS(CSquare), FALSE},
      {RUNTIME_CLASS(CShape), RUNTIME_CLASS(CCircle), FALSE},
      {RUNTIME_CLASS(CFileException), RUNTIME_CLASS(CException), TRUE},
      {RUNTIME_CLASS(CMemoryException), RUNTIME_CLASS(CFileException), FALSE},
      {RUNTIME_CLASS(CCircle), nullptr, FALSE},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.cls->m_lpszClassName) + " from " +
                 (r.base != nullptr ? r.base->m_lpszClassName : "null"));
    EXPECT_EQ(r.derived, r.cls->IsDerivedFrom(r.base));
  }
}

TEST(RuntimeClass, CreateObjectAndIsKindOf) {
  std::unique_ptr<CObject> obj(RUNTIME_CLASS(CCircle)->CreateObject());
  ASSERT_NE(nullptr, obj);
  EXPECT_EQ(1, g_liveShapes);
  EXPECT_EQ(RUNTIME_CLASS(CCircle), obj->GetRuntimeClass());
  EXPECT_TRUE(obj->IsKindOf(RUNTIME_CLASS(CShape)));
  EXPECT_TRUE(obj->IsKindOf(RUNTIME_CLASS(CObject)));
  EXPECT_FALSE(obj->IsKindOf(RUNTIME_CLASS(CSquare)));
  EXPECT_EQ(7, static_cast<CCircle*>(obj.get())->m_radius);
  obj.reset();
  EXPECT_EQ(0, g_liveShapes);
  // Not creatable: no object, nothing leaked.
  EXPECT_EQ(nullptr, RUNTIME_CLASS(CShape)->CreateObject());
  EXPECT_EQ(nullptr, RUNTIME_CLASS(CObject)->CreateObject());
  EXPECT_EQ(0, g_liveShapes);
}

TEST(RuntimeClass, FromName) {
  EXPECT_EQ(RUNTIME_CLASS(CCircle), CRuntimeClass::FromName("CCircle"));
  EXPECT_EQ(RUNTIME_CLASS(CShape), CRuntimeClass::FromName("CShape"));
  EXPECT_EQ(RUNTIME_CLASS(CObject), CRuntimeClass::FromName("CObject"));
  EXPECT_EQ(RUNTIME_CLASS(CFileException), CRuntimeClass::FromName("CFileException"));
  EXPECT_EQ(nullptr, CRuntimeClass::FromName("ccircle"));
  EXPECT_EQ(nullptr, CRuntimeClass::FromName("CNoSuchClass"));
  EXPECT_EQ(nullptr, CRuntimeClass::FromName(nullptr));

  std::unique_ptr<CObject> sq(CRuntimeClass::CreateObject("CSquare"));
  ASSERT_NE(nullptr, sq);
  EXPECT_TRUE(sq->IsKindOf(RUNTIME_CLASS(CSquare)));
  EXPECT_EQ(nullptr, CRuntimeClass::CreateObject("CShape"));
  EXPECT_EQ(nullptr, CRuntimeClass::CreateObject("CNoSuchClass"));
}

TEST(Exceptions, FileExceptionCarriesCause) {
  struct Row {
    int cause;
    int value;
  };
  // The values are reported to users and callers: they must not move.
  const Row rows[] = {
      {CFileException::none, 0},         {CFileException::genericException, 1},  {CFileException::generic, 1},
      {CFileException::fileNotFound, 2}, {CFileException::badPath, 3},           {CFileException::accessDenied, 5},
      {CFileException::badSeek, 9},      {CFileException::sharingViolation, 11}, {CFileException::diskFull, 13},
      {CFileException::endOfFile, 14},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.value);
    EXPECT_EQ(r.value, r.cause);
    int caught = -1;
    int32_t osError = 0;
    try {
      AfxThrowFileException(r.cause, 32, "C:\\x.dat");
    } catch (CException* e) {
      ASSERT_TRUE(e->IsKindOf(RUNTIME_CLASS(CFileException)));
      auto* fe = static_cast<CFileException*>(e);
      caught = fe->m_cause;
      osError = fe->m_lOsError;
      EXPECT_STREQ("C:\\x.dat", fe->m_strFileName);
      e->Delete();
    }
    EXPECT_EQ(r.value, caught);
    EXPECT_EQ(32, osError);
  }
}

TEST(Exceptions, FileExceptionMessage) {
  char text[128];
  CFileException withName(CFileException::fileNotFound, -1, "a.txt");
  EXPECT_TRUE(withName.GetErrorMessage(text, sizeof text));
  EXPECT_STREQ("The file could not be located: a.txt.", text);
  CFileException noName(CFileException::endOfFile);
  UINT help = 99;
  EXPECT_TRUE(noName.GetErrorMessage(text, sizeof text, &help));
  EXPECT_STREQ("The end of the file was reached.", text);
  EXPECT_EQ(0u, help);
  EXPECT_STREQ("An unknown file error occurred", CFileException::CauseText(1234));
  // A short buffer gets a terminated prefix, never an overrun.
  char tiny[5];
  EXPECT_TRUE(withName.GetErrorMessage(tiny, sizeof tiny));
  EXPECT_STREQ("The ", tiny);
  EXPECT_TRUE(withName.GetErrorMessage(nullptr, 0));
}

TEST(Exceptions, MemoryExceptionIsStatic) {
  CMemoryException* first = nullptr;
  for (int i = 0; i < 2; ++i) {
    try {
      AfxThrowMemoryException();
    } catch (CMemoryException* e) {
      if (first == nullptr) first = e;
      EXPECT_EQ(first, e);
      EXPECT_FALSE(e->m_bAutoDelete);
      e->Delete();  // leaves the shared object alone
    }
  }
  char text[32];
  ASSERT_NE(nullptr, first);
  EXPECT_TRUE(first->GetErrorMessage(text, sizeof text));
  EXPECT_STREQ("Out of memory.", text);
  EXPECT_TRUE(first->IsKindOf(RUNTIME_CLASS(CException)));
}

}  // namespace
