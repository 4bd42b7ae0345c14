// The skin's resource-data file: numbered image entries, each stored raw or
// as a packed (zlib) block, handed out through a small reference-counted
// cache of unpacked entries.
//
// File layout (little-endian):
//   count   1 byte n (n < 255) | 0xFF, u16 n (n < 65535) | 0xFF, 0xFFFF, u32 n
//   index   n x {u32 offset, u16 width, u16 height}
//   end     u32 offset just past the last entry
//   data    entry i at header length + offset[i], up to the next offset
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <vector>

#include "skin/graphic_data_source.h"
#include "skin/graphic_unpack.h"

class CGraphicData;

// One unpacked entry held by the cache.  The bytes are owned by the cache
// (malloc'd) and stay put while the entry is cached.
struct CGraphicDataCash {
  int32_t entry = -1;
  int32_t refCount = 0;
  uint8_t* data = nullptr;
  uint32_t size = 0;
};

// Cached entries, least recently used at the front.  Adding evicts
// unreferenced entries while the list holds at least the limit; referenced
// entries are never dropped, so the list may grow past the limit.
class CGraphicDataCashList {
 public:
  explicit CGraphicDataCashList(int32_t limit) : m_limit(limit) {}
  ~CGraphicDataCashList();
  CGraphicDataCashList(const CGraphicDataCashList&) = delete;
  CGraphicDataCashList& operator=(const CGraphicDataCashList&) = delete;

  // The cached entry, searched from the most recently used end; or null.
  CGraphicDataCash* Find(int32_t entry);
  const CGraphicDataCash* Find(int32_t entry) const;
  // Puts a cached entry at the most recently used end.
  void MoveToMostRecent(CGraphicDataCash* cash);
  // Evicts as above, then takes ownership of data (malloc'd) as a new,
  // unreferenced, most recently used entry.  Returns it.
  CGraphicDataCash* Add(int32_t entry, uint8_t* data, uint32_t size);
  // Removes one entry and frees its bytes.
  void Remove(CGraphicDataCash* cash);
  // Frees every entry, referenced or not.
  void RemoveAll();

  int32_t GetCount() const { return static_cast<int32_t>(m_list.size()); }
  // Entry numbers from least to most recently used (for tests and checks).
  std::vector<int32_t> GetOrder() const;

 private:
  std::list<CGraphicDataCash> m_list;
  int32_t m_limit;
};

// What an image object holds while it uses an entry's bytes.  Release gives
// the reference back; the destructor does so too, so a handle cannot leak a
// reference.  The bytes are borrowed from the cache: valid until Release.
struct CGraphicDataHandle {
  int32_t entry = -1;
  int32_t width = 0;
  int32_t height = 0;
  uint8_t* data = nullptr;
  uint32_t size = 0;
  CGraphicData* owner = nullptr;
  int32_t freeOnRelease = 0;

  CGraphicDataHandle() = default;
  ~CGraphicDataHandle() { Release(); }
  CGraphicDataHandle(const CGraphicDataHandle&) = delete;
  CGraphicDataHandle& operator=(const CGraphicDataHandle&) = delete;

  // Drops the reference (when bytes are held) and empties the handle.
  void Release();
};

class CGraphicData {
 public:
  struct CDataIndex {
    uint32_t offset;
    uint32_t size;
    uint32_t width;
    uint32_t height;
  };

  // cacheLimit: how many unpacked entries to keep (the launcher uses 20).
  // flags: pixel form of the images built from the entries (bit 0, bit 1);
  // the launcher uses 1 (8-bit indices with a {B, G, R, A} table).
  CGraphicData(int32_t cacheLimit, uint32_t flags);
  virtual ~CGraphicData();
  CGraphicData(const CGraphicData&) = delete;
  CGraphicData& operator=(const CGraphicData&) = delete;

  // Opens the file read-only (share-deny-write on Windows) and reads the
  // index.  False when the file cannot be opened or its index is damaged;
  // the object is then closed.  No handle may be held across a re-open.
  bool Open(const char* path);
  // The same over a private copy of a memory block.
  bool OpenMemory(const void* data, size_t size);
  // The same over any source; takes ownership.
  bool OpenSource(std::unique_ptr<CGraphicDataSource> source);
  // Closes the source and frees every cached entry.
  void Close();
  bool IsOpen() const;

  // Fills handle with entry's bytes (unpacked) and takes a reference.  False
  // (handle empty) when the entry number is out of range, the file cannot
  // be read, the packed block is damaged, or the bytes are too few for an
  // image of the entry's size in this object's pixel form.  A failure leaves
  // the cache unchanged.
  bool GetImage(int32_t entry, CGraphicDataHandle* handle);
  // Width and height of the entry; 0 x 0 (and false) for a bad entry number.
  bool GetImageSize(int32_t entry, int32_t* width, int32_t* height) const;
  // Drops one reference to a cached entry; with freeWhenUnreferenced the
  // entry is freed once no reference is left, else it stays cached.
  void ReleaseImage(int32_t entry, int32_t freeWhenUnreferenced);

  int32_t GetCount() const;
  uint32_t GetFlags() const { return m_flags; }
  // A copy of the index record; false for a bad entry number.
  bool GetIndex(int32_t entry, CDataIndex* index) const;
  // Bytes from the start of the file to entry data offset 0.
  uint64_t GetHeaderLength() const;
  int32_t GetCachedCount() const;
  // Cached entry numbers, least recently used first.
  std::vector<int32_t> GetCacheOrder() const;
  // Reference count of a cached entry, -1 when it is not cached.
  int32_t GetRefCount(int32_t entry) const;

  // Smallest number of bytes an image of width x height takes in the pixel
  // form chosen by flags (pixels plus colour table or alpha plane).
  static uint64_t GetImageBytesNeeded(uint32_t flags, uint32_t width, uint32_t height);

 private:
  bool ReadIndex();
  // Reads and unpacks one entry into a malloc'd block; false on any fault.
  bool LoadEntry(int32_t entry, uint8_t** data, uint32_t* size);
  static void FillHandle(CGraphicDataHandle* handle, CGraphicData* owner, int32_t entry, const CDataIndex& index,
                         const CGraphicDataCash& cash);

  std::vector<CDataIndex> m_index;
  CGraphicDataCashList m_cache;
  std::unique_ptr<CGraphicDataSource> m_source;
  uint32_t m_flags;
  uint64_t m_headerLength = 0;
  mutable std::mutex m_lock;  // guards the index, the cache and the source
};
