// CArchive: a buffered stream over a CFile for CObject::Serialize.
#include <cstring>

#include "framework/afxfile.h"

CArchive::CArchive(CFile* pFile, UINT nMode, UINT nBufSize)
    : m_pFile(pFile), m_nMode(nMode), m_buf(nBufSize < 16 ? 16 : nBufSize) {}

CArchive::~CArchive() {
  if (m_pFile == nullptr) return;
  if ((m_nMode & bNoFlushOnDelete) != 0) {
    Abort();
    return;
  }
  try {
    Close();
  } catch (CException* e) {
    e->Delete();
    Abort();
  }
}

void CArchive::FillBuffer() {
  m_nCur = 0;
  m_nMax = m_pFile->Read(m_buf.data(), static_cast<UINT>(m_buf.size()));
}

UINT CArchive::Read(void* lpBuf, UINT nMax) {
  if (m_pFile == nullptr) AfxThrowArchiveException(CArchiveException::genericException);
  if (!IsLoading()) AfxThrowArchiveException(CArchiveException::writeOnly, m_pFile->GetFilePath());
  uint8_t* out = static_cast<uint8_t*>(lpBuf);
  UINT done = 0;
  while (done < nMax) {
    if (m_nCur == m_nMax) {
      // Large reads go straight to the file once the buffer is used up.
      if (nMax - done >= m_buf.size()) {
        const UINT n = m_pFile->Read(out + done, nMax - done);
        done += n;
        break;
      }
      FillBuffer();
      if (m_nMax == 0) break;
    }
    size_t n = m_nMax - m_nCur;
    if (n > nMax - done) n = nMax - done;
    std::memcpy(out + done, &m_buf[m_nCur], n);
    m_nCur += n;
    done += static_cast<UINT>(n);
  }
  return done;
}

void CArchive::Write(const void* lpBuf, UINT nCount) {
  if (m_pFile == nullptr) AfxThrowArchiveException(CArchiveException::genericException);
  if (IsLoading()) AfxThrowArchiveException(CArchiveException::readOnly, m_pFile->GetFilePath());
  const uint8_t* in = static_cast<const uint8_t*>(lpBuf);
  if (nCount >= m_buf.size()) {
    Flush();
    m_pFile->Write(in, nCount);
    return;
  }
  if (m_nMax + nCount > m_buf.size()) Flush();
  std::memcpy(&m_buf[m_nMax], in, nCount);
  m_nMax += nCount;
}

void CArchive::Flush() {
  if (m_pFile == nullptr) return;
  if (IsLoading()) {
    // Give back what was read ahead: the file stands where the archive's
    // reader stands.
    if (m_nMax > m_nCur) m_pFile->Seek(-static_cast<int64_t>(m_nMax - m_nCur), CFile::current);
  } else if (m_nMax != 0) {
    m_pFile->Write(m_buf.data(), static_cast<UINT>(m_nMax));
  }
  m_nCur = m_nMax = 0;
}

void CArchive::Close() {
  if (m_pFile == nullptr) return;
  Flush();
  m_pFile = nullptr;
}

void CArchive::Abort() {
  m_pFile = nullptr;
  m_nCur = m_nMax = 0;
}
