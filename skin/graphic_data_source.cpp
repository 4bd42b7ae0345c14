#include "skin/graphic_data_source.h"

#include <cstring>

#ifdef _WIN32
#include <share.h>
#endif

namespace {

std::FILE* OpenShareDenyWrite(const char* path) {
#ifdef _WIN32
  // Others may read the skin while we hold it, but nobody may change it
  // under the index we have read.
  return _fsopen(path, "rb", _SH_DENYWR);
#else
  return std::fopen(path, "rb");
#endif
}

bool SeekTo(std::FILE* f, uint64_t pos) {
#ifdef _WIN32
  return _fseeki64(f, static_cast<__int64>(pos), SEEK_SET) == 0;
#else
  return fseeko(f, static_cast<off_t>(pos), SEEK_SET) == 0;
#endif
}

bool MeasureLength(std::FILE* f, uint64_t* length) {
#ifdef _WIN32
  if (_fseeki64(f, 0, SEEK_END) != 0) return false;
  __int64 end = _ftelli64(f);
#else
  if (fseeko(f, 0, SEEK_END) != 0) return false;
  off_t end = ftello(f);
#endif
  if (end < 0) return false;
  *length = static_cast<uint64_t>(end);
  return SeekTo(f, 0);
}

}  // namespace

std::unique_ptr<CGraphicDataFile> CGraphicDataFile::Open(const char* path) {
  if (path == nullptr || *path == '\0') return nullptr;
  std::FILE* f = OpenShareDenyWrite(path);
  if (f == nullptr) return nullptr;
  uint64_t length = 0;
  if (!MeasureLength(f, &length)) {
    std::fclose(f);
    return nullptr;
  }
  return std::unique_ptr<CGraphicDataFile>(new CGraphicDataFile(f, length));
}

CGraphicDataFile::~CGraphicDataFile() { std::fclose(m_file); }

bool CGraphicDataFile::ReadAt(uint64_t pos, void* buf, uint32_t n) {
  if (pos > m_length || n > m_length - pos) return false;
  if (n == 0) return true;
  std::lock_guard<std::mutex> hold(m_lock);
  if (!SeekTo(m_file, pos)) return false;
  return std::fread(buf, 1, n, m_file) == n;
}

CGraphicDataMemory::CGraphicDataMemory(const void* data, size_t size)
    : m_bytes(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size) {}

bool CGraphicDataMemory::ReadAt(uint64_t pos, void* buf, uint32_t n) {
  const uint64_t length = m_bytes.size();
  if (pos > length || n > length - pos) return false;
  if (n != 0) std::memcpy(buf, m_bytes.data() + pos, n);
  return true;
}
