#include "framework/afxcore.h"

#include <cstring>

namespace {

// Zero-initialised before any dynamic initialisation, so registrations from
// static constructors in any order find a valid list head.
CRuntimeClass* g_pFirstClass = nullptr;

void CopyMessage(const char* text, char* out, UINT nMax) {
  if (out == nullptr || nMax == 0) return;
  size_t n = std::strlen(text);
  if (n > nMax - 1) n = nMax - 1;
  std::memcpy(out, text, n);
  out[n] = '\0';
}

}  // namespace

// ---- run-time classes ------------------------------------------------------

CRuntimeClass CObject::classCObject = {"CObject", static_cast<int>(sizeof(CObject)), nullptr, nullptr, nullptr};
static const AFX_CLASSINIT afx_init_CObject(RUNTIME_CLASS(CObject));

AFX_CLASSINIT::AFX_CLASSINIT(CRuntimeClass* pNewClass) {
  pNewClass->m_pNextClass = g_pFirstClass;
  g_pFirstClass = pNewClass;
}

CObject* CRuntimeClass::CreateObject() const {
  if (m_pfnCreateObject == nullptr) return nullptr;
  return m_pfnCreateObject();
}

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const {
  if (pBaseClass == nullptr) return FALSE;
  for (const CRuntimeClass* p = this; p != nullptr; p = p->m_pBaseClass) {
    if (p == pBaseClass) return TRUE;
  }
  return FALSE;
}

CRuntimeClass* CRuntimeClass::FromName(const char* lpszClassName) {
  if (lpszClassName == nullptr) return nullptr;
  for (CRuntimeClass* p = g_pFirstClass; p != nullptr; p = p->m_pNextClass) {
    if (std::strcmp(p->m_lpszClassName, lpszClassName) == 0) return p;
  }
  return nullptr;
}

CObject* CRuntimeClass::CreateObject(const char* lpszClassName) {
  CRuntimeClass* p = FromName(lpszClassName);
  return p == nullptr ? nullptr : p->CreateObject();
}

CRuntimeClass* CObject::GetRuntimeClass() const { return RUNTIME_CLASS(CObject); }

BOOL CObject::IsKindOf(const CRuntimeClass* pClass) const { return GetRuntimeClass()->IsDerivedFrom(pClass); }

void CObject::Serialize(CArchive&) {}

// ---- exceptions ------------------------------------------------------------

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CMemoryException, CException)
IMPLEMENT_DYNAMIC(CFileException, CException)
IMPLEMENT_DYNAMIC(CArchiveException, CException)

void CException::Delete() {
  if (m_bAutoDelete) delete this;
}

BOOL CException::GetErrorMessage(char* lpszError, UINT nMaxError, UINT* pnHelpContext) const {
  if (pnHelpContext != nullptr) *pnHelpContext = 0;
  CopyMessage("", lpszError, nMaxError);
  return FALSE;
}

BOOL CMemoryException::GetErrorMessage(char* lpszError, UINT nMaxError, UINT* pnHelpContext) const {
  if (pnHelpContext != nullptr) *pnHelpContext = 0;
  CopyMessage("Out of memory.", lpszError, nMaxError);
  return TRUE;
}

CFileException::CFileException(int cause, int32_t lOsError, const char* lpszFileName)
    : m_cause(cause), m_lOsError(lOsError), m_strFileName(lpszFileName) {}

const char* CFileException::CauseText(int cause) {
  switch (cause) {
    case none:
      return "No error occurred.";
    case genericException:
      return "An unspecified error occurred";
    case fileNotFound:
      return "The file could not be located";
    case badPath:
      return "All or part of the path is invalid";
    case tooManyOpenFiles:
      return "The permitted number of open files was exceeded";
    case accessDenied:
      return "The file could not be accessed";
    case invalidFile:
      return "There was an attempt to use an invalid file handle";
    case removeCurrentDir:
      return "The current working directory cannot be removed";
    case directoryFull:
      return "There are no more directory entries";
    case badSeek:
      return "There was an error trying to set the file pointer";
    case hardIO:
      return "There was a hardware error";
    case sharingViolation:
      return "A sharing violation occurred";
    case lockViolation:
      return "There was an attempt to lock a region that was already locked";
    case diskFull:
      return "The disk is full";
    case endOfFile:
      return "The end of the file was reached";
    default:
      return "An unknown file error occurred";
  }
}

BOOL CFileException::GetErrorMessage(char* lpszError, UINT nMaxError, UINT* pnHelpContext) const {
  if (pnHelpContext != nullptr) *pnHelpContext = 0;
  CString text(CauseText(m_cause));
  if (m_cause != none) {
    if (m_strFileName.IsEmpty()) {
      text += ".";
    } else {
      text.AppendFormat(": %s.", m_strFileName.GetString());
    }
  }
  CopyMessage(text, lpszError, nMaxError);
  return TRUE;
}

CArchiveException::CArchiveException(int cause, const char* lpszArchiveName)
    : m_cause(cause), m_strFileName(lpszArchiveName) {}

BOOL CArchiveException::GetErrorMessage(char* lpszError, UINT nMaxError, UINT* pnHelpContext) const {
  if (pnHelpContext != nullptr) *pnHelpContext = 0;
  const char* text;
  switch (m_cause) {
    case none:
      text = "No error occurred.";
      break;
    case readOnly:
      text = "An archive opened for loading was written to.";
      break;
    case endOfFile:
      text = "The end of the archive was reached.";
      break;
    case writeOnly:
      text = "An archive opened for storing was read from.";
      break;
    case badIndex:
    case badClass:
    case badSchema:
      text = "The archive holds data in a form that cannot be read.";
      break;
    default:
      text = "An unspecified error occurred while reading or writing an archive.";
  }
  CopyMessage(text, lpszError, nMaxError);
  return TRUE;
}

int AfxOsErrorToFileCause(int32_t lOsError);  // file.cpp

int CFileException::OsErrorToException(int32_t lOsError) { return AfxOsErrorToFileCause(lOsError); }

void CFileException::ThrowOsError(int32_t lOsError, const char* lpszFileName) {
  AfxThrowFileException(OsErrorToException(lOsError), lOsError, lpszFileName);
}

void AfxThrowMemoryException() {
  // Static, so that a shortage of memory never needs memory to be reported.
  static CMemoryException s_memoryException(FALSE);
  throw &s_memoryException;
}

void AfxThrowFileException(int cause, int32_t lOsError, const char* lpszFileName) {
  throw new CFileException(cause, lOsError, lpszFileName);
}

void AfxThrowArchiveException(int cause, const char* lpszArchiveName) {
  throw new CArchiveException(cause, lpszArchiveName);
}
