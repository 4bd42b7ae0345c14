#include "skin/graphic_data_source.h"

#include <cstring>

std::unique_ptr<CGraphicDataFile> CGraphicDataFile::Open(const char* path) {
  if (path == nullptr || *path == '\0') return nullptr;
  std::unique_ptr<CGraphicDataFile> source(new CGraphicDataFile);
  // Others may read the skin while we hold it, but nobody may change it
  // under the index we have read.
  if (!source->m_file.Open(path, CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary)) return nullptr;
  try {
    source->m_length = source->m_file.GetLength();
  } catch (CFileException* e) {
    e->Delete();
    return nullptr;
  }
  return source;
}

bool CGraphicDataFile::ReadAt(uint64_t pos, void* buf, uint32_t n) {
  if (pos > m_length || n > m_length - pos) return false;
  if (n == 0) return true;
  std::lock_guard<std::mutex> hold(m_lock);
  try {
    // pos <= m_length, a file's length: it fits the signed offset.
    m_file.Seek(static_cast<int64_t>(pos), CFile::begin);
    return m_file.Read(buf, n) == n;
  } catch (CFileException* e) {
    e->Delete();
    return false;
  }
}

CGraphicDataMemory::CGraphicDataMemory(const void* data, size_t size)
    : m_bytes(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size) {}

bool CGraphicDataMemory::ReadAt(uint64_t pos, void* buf, uint32_t n) {
  const uint64_t length = m_bytes.size();
  if (pos > length || n > length - pos) return false;
  if (n != 0) std::memcpy(buf, m_bytes.data() + pos, n);
  return true;
}
