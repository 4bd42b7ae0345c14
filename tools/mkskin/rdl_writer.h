// Builds resource-data files (the skin's image store): used by the mkskin
// tool and by the tests' fixtures.  The launcher itself only reads them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CRdlWriter {
 public:
  // Appends an entry stored as the given bytes, unchanged.
  void AddRaw(uint16_t width, uint16_t height, const std::vector<uint8_t>& bytes);
  // Appends an entry stored as a packed block of the given bytes.
  void AddPacked(uint16_t width, uint16_t height, const std::vector<uint8_t>& bytes, int level = 9);

  size_t GetCount() const { return m_entries.size(); }
  // The whole file: count (shortest form), index, end offset, data.
  std::vector<uint8_t> Build() const;
  // Build() written to path; false when it cannot be written completely.
  bool WriteFile(const std::string& path) const;

  // A packed block {magic, unpacked size, packed size, zlib stream}.
  static std::vector<uint8_t> PackBlock(const std::vector<uint8_t>& bytes, int level = 9);
  // The count in its shortest form.
  static std::vector<uint8_t> EncodeCount(uint32_t count);

 private:
  struct Entry {
    uint16_t width;
    uint16_t height;
    std::vector<uint8_t> stored;
  };
  std::vector<Entry> m_entries;
};

// Little-endian appenders shared by the writer and the tests.
void AppendLe16(std::vector<uint8_t>* out, uint16_t v);
void AppendLe32(std::vector<uint8_t>* out, uint32_t v);
