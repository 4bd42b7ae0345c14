// Byte sources behind the resource-data file: a plain file on disk, or a
// block of memory (tests, fuzzing).  The reader only ever asks for "n bytes
// at this position" and for the total length, so every bounds question is
// answered in one place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "framework/afxfile.h"

class CGraphicDataSource {
 public:
  virtual ~CGraphicDataSource() = default;
  // Total length in bytes, fixed when the source was opened.
  virtual uint64_t GetLength() const = 0;
  // Reads exactly n bytes at pos into buf.  Returns false (and leaves the
  // contents of buf unspecified) when fewer than n bytes are there.
  virtual bool ReadAt(uint64_t pos, void* buf, uint32_t n) = 0;
};

// A file opened read-only through the framework's file (its Win32 and
// POSIX twins); on Windows others may read it but not write it while it is
// open.
class CGraphicDataFile : public CGraphicDataSource {
 public:
  // Opens path; nullptr when the file cannot be opened or measured.
  static std::unique_ptr<CGraphicDataFile> Open(const char* path);

  uint64_t GetLength() const override { return m_length; }
  bool ReadAt(uint64_t pos, void* buf, uint32_t n) override;

 private:
  CGraphicDataFile() = default;
  CFile m_file;
  uint64_t m_length = 0;
  std::mutex m_lock;  // seek and read go together
};

// A private copy of a memory block.
class CGraphicDataMemory : public CGraphicDataSource {
 public:
  CGraphicDataMemory(const void* data, size_t size);
  uint64_t GetLength() const override { return m_bytes.size(); }
  bool ReadAt(uint64_t pos, void* buf, uint32_t n) override;

 private:
  std::vector<uint8_t> m_bytes;
};
