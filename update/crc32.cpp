#include "update/crc32.h"

#include <zlib.h>

#include <memory>
#include <new>

#include "framework/afxfile.h"

// zlib's crc32 gives exactly the value of the byte-wise table walk (same
// polynomial, preset and final complement) and is several times faster; it
// takes and returns the complemented register, hence the two inversions.
void CCrc32::Update(const uint8_t* data, int length) {
  if (data == nullptr || length <= 0) return;
  m_value = ~static_cast<uint32_t>(::crc32(~m_value, data, static_cast<uInt>(length)));
}

BOOL CCrc32::UpdateFromFile(const char* path, uint32_t* error) {
  if (error != nullptr) *error = 0;
  std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[kFileBlock]);
  if (!block) return FALSE;
  CFile file;
  CFileException openError;
  // Others may read the file meanwhile, nobody may change it.
  if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite, &openError)) {
    if (error != nullptr) *error = static_cast<uint32_t>(openError.m_lOsError);
    return FALSE;
  }
  try {
    for (;;) {
      const UINT got = file.Read(block.get(), kFileBlock);
      if (got == 0) break;
      Update(block.get(), static_cast<int>(got));
    }
  } catch (CFileException* e) {
    if (error != nullptr) *error = static_cast<uint32_t>(e->m_lOsError);
    e->Delete();
    return FALSE;
  }
  file.Abort();  // read only: nothing to lose on close
  return TRUE;
}
