// Core of the framework layer: basic types, run-time class information and
// the exception classes.  Platform-neutral: never includes <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/afxtypes.h"
#include "framework/cstring.h"

class CObject;
class CArchive;

// Describes one class derived from CObject.  Instances are static and built
// by the IMPLEMENT_DYNAMIC / IMPLEMENT_DYNCREATE macros, which also link them
// into a process-wide list so that FromName can find them.
struct CRuntimeClass {
  const char* m_lpszClassName;
  int m_nObjectSize;
  CObject* (*m_pfnCreateObject)();  // null when the class is not DYNCREATE
  CRuntimeClass* m_pBaseClass;      // null only for CObject
  CRuntimeClass* m_pNextClass;      // registration list, filled at start-up

  // A new object of this class (caller owns it), or nullptr when the class
  // cannot be created dynamically.  Exceptions of the constructor pass.
  CObject* CreateObject() const;
  // TRUE when this class is pBaseClass or derives from it.
  BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;

  // The registered class with this exact name, or nullptr.
  static CRuntimeClass* FromName(const char* lpszClassName);
  // A new object of the named class, or nullptr when the name is unknown or
  // the class is not creatable.
  static CObject* CreateObject(const char* lpszClassName);
};

// Links a run-time class into the list at static initialisation.  Note that
// a class living in a static library is only registered when its object
// file is linked in, that is when something else in it is referenced.
struct AFX_CLASSINIT {
  explicit AFX_CLASSINIT(CRuntimeClass* pNewClass);
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)       \
 public:                                  \
  static CRuntimeClass class##class_name; \
  CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
  DECLARE_DYNAMIC(class_name)         \
  static CObject* CreateObject();

#define AFX_IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, pfnNew)                                    \
  CRuntimeClass class_name::class##class_name = {#class_name, static_cast<int>(sizeof(class_name)), pfnNew, \
                                                 RUNTIME_CLASS(base_class_name), nullptr};                  \
  static const AFX_CLASSINIT afx_init_##class_name(RUNTIME_CLASS(class_name));                              \
  CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) AFX_IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)         \
  CObject* class_name::CreateObject() { return new class_name; } \
  AFX_IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, class_name::CreateObject)

// Root of the framework's class tree.
class CObject {
 public:
  static CRuntimeClass classCObject;

  virtual ~CObject() = default;
  virtual CRuntimeClass* GetRuntimeClass() const;
  // TRUE when the object's class is pClass or derives from it.
  BOOL IsKindOf(const CRuntimeClass* pClass) const;
  // Loads the object from the archive or stores it there (ar.IsLoading()
  // tells which); the root stores nothing.  A failure throws, usually a
  // CArchiveException* or CFileException*.
  virtual void Serialize(CArchive& ar);

 protected:
  CObject() = default;
  CObject(const CObject&) = default;
  CObject& operator=(const CObject&) = default;
};

// Framework exceptions are thrown by pointer and released by the catcher
// with Delete(), never with delete:
//   try { ... } catch (CFileException* e) { cause = e->m_cause; e->Delete(); }
class CException : public CObject {
  DECLARE_DYNAMIC(CException)
 public:
  explicit CException(BOOL bAutoDelete = TRUE) : m_bAutoDelete(bAutoDelete) {}
  // Frees the exception unless it is a shared static one.
  void Delete();
  // Copies a readable description (always terminated) into lpszError of
  // nMaxError bytes; FALSE when the exception has none.  pnHelpContext may
  // be null.
  virtual BOOL GetErrorMessage(char* lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const;

  BOOL m_bAutoDelete;
};

class CMemoryException : public CException {
  DECLARE_DYNAMIC(CMemoryException)
 public:
  explicit CMemoryException(BOOL bAutoDelete = TRUE) : CException(bAutoDelete) {}
  BOOL GetErrorMessage(char* lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const override;
};

class CFileException : public CException {
  DECLARE_DYNAMIC(CFileException)
 public:
  // The numeric values are part of the interface: callers report them.
  enum {
    none = 0,
    genericException = 1,
    generic = genericException,
    fileNotFound = 2,
    badPath = 3,
    tooManyOpenFiles = 4,
    accessDenied = 5,
    invalidFile = 6,
    removeCurrentDir = 7,
    directoryFull = 8,
    badSeek = 9,
    hardIO = 10,
    sharingViolation = 11,
    lockViolation = 12,
    diskFull = 13,
    endOfFile = 14,
  };

  explicit CFileException(int cause = none, int32_t lOsError = -1, const char* lpszFileName = nullptr);
  BOOL GetErrorMessage(char* lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const override;
  // The English description of a cause; never null.
  static const char* CauseText(int cause);
  // The cause for a Win32 error code (GetLastError value).
  static int OsErrorToException(int32_t lOsError);
  // Throws a CFileException for a Win32 error code.
  [[noreturn]] static void ThrowOsError(int32_t lOsError, const char* lpszFileName = nullptr);
#ifdef _WIN32
  // Shows GetErrorMessage in AfxMessageBox with nType (MB_OK is 0); with
  // nMessageID that string instead when there is no description.  Returns
  // the box's result.  Defined in the Win32 layer (quorl_fw).
  int ReportError(unsigned int nType = 0, unsigned int nMessageID = 0);
#endif

  int m_cause;
  int32_t m_lOsError;     // the system's error code, -1 when none
  CString m_strFileName;  // the file concerned, may be empty
};

// What went wrong with a CArchive (afxfile.h) or with the data read through
// one.
class CArchiveException : public CException {
  DECLARE_DYNAMIC(CArchiveException)
 public:
  // The numeric values are part of the interface, as CFileException's.
  enum {
    none = 0,
    genericException = 1,
    generic = genericException,
    readOnly = 2,   // stored into an archive that loads
    endOfFile = 3,  // the data ended early
    writeOnly = 4,  // loaded from an archive that stores
    badIndex = 5,
    badClass = 6,
    badSchema = 7,  // the data is not what the object stores
  };
  explicit CArchiveException(int cause = none, const char* lpszArchiveName = nullptr);
  BOOL GetErrorMessage(char* lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const override;

  int m_cause;
  CString m_strFileName;  // the archive's file, may be empty
};

// Throws the process-wide static CMemoryException (Delete() leaves it alone),
// so that reporting a memory shortage allocates nothing.
[[noreturn]] void AfxThrowMemoryException();
// Throws a new CFileException with this cause, OS error and file name.
[[noreturn]] void AfxThrowFileException(int cause, int32_t lOsError = -1, const char* lpszFileName = nullptr);
// Throws a new CArchiveException with this cause and file name.
[[noreturn]] void AfxThrowArchiveException(int cause, const char* lpszArchiveName = nullptr);
