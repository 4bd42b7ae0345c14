#include "skin/graphic_data.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "framework/byte_order.h"

namespace {

// All unpacking in the process goes through one lock: inflate's working
// memory is large, and the skin gains nothing from unpacking in parallel.
std::mutex& UnpackLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

// ---------------------------------------------------------------------------
// Cache

CGraphicDataCashList::~CGraphicDataCashList() { RemoveAll(); }

CGraphicDataCash* CGraphicDataCashList::Find(int32_t entry) {
  for (auto it = m_list.rbegin(); it != m_list.rend(); ++it) {
    if (it->entry == entry) return &*it;
  }
  return nullptr;
}

const CGraphicDataCash* CGraphicDataCashList::Find(int32_t entry) const {
  for (auto it = m_list.rbegin(); it != m_list.rend(); ++it) {
    if (it->entry == entry) return &*it;
  }
  return nullptr;
}

void CGraphicDataCashList::MoveToMostRecent(CGraphicDataCash* cash) {
  for (auto it = m_list.begin(); it != m_list.end(); ++it) {
    if (&*it == cash) {
      // splice keeps the node (and so every pointer to it) alive.
      m_list.splice(m_list.end(), m_list, it);
      return;
    }
  }
}

CGraphicDataCash* CGraphicDataCashList::Add(int32_t entry, uint8_t* data, uint32_t size) {
  while (static_cast<int32_t>(m_list.size()) >= m_limit) {
    auto victim = m_list.end();
    for (auto it = m_list.begin(); it != m_list.end(); ++it) {
      if (it->refCount <= 0) {
        victim = it;
        break;
      }
    }
    if (victim == m_list.end()) break;  // everything is in use: grow past the limit
    std::free(victim->data);
    m_list.erase(victim);
  }
  CGraphicDataCash cash;
  cash.entry = entry;
  cash.refCount = 0;
  cash.data = data;
  cash.size = size;
  m_list.push_back(cash);
  return &m_list.back();
}

void CGraphicDataCashList::Remove(CGraphicDataCash* cash) {
  for (auto it = m_list.begin(); it != m_list.end(); ++it) {
    if (&*it == cash) {
      std::free(it->data);
      m_list.erase(it);
      return;
    }
  }
}

void CGraphicDataCashList::RemoveAll() {
  for (CGraphicDataCash& cash : m_list) std::free(cash.data);
  m_list.clear();
}

std::vector<int32_t> CGraphicDataCashList::GetOrder() const {
  std::vector<int32_t> order;
  order.reserve(m_list.size());
  for (const CGraphicDataCash& cash : m_list) order.push_back(cash.entry);
  return order;
}

// ---------------------------------------------------------------------------
// Handle

void CGraphicDataHandle::Release() {
  if (data != nullptr && owner != nullptr) owner->ReleaseImage(entry, freeOnRelease);
  entry = -1;
  width = 0;
  height = 0;
  data = nullptr;
  size = 0;
  owner = nullptr;
}

// ---------------------------------------------------------------------------
// File

CGraphicData::CGraphicData(int32_t cacheLimit, uint32_t flags) : m_cache(cacheLimit), m_flags(flags) {}

CGraphicData::~CGraphicData() { Close(); }

bool CGraphicData::Open(const char* path) { return OpenSource(CGraphicDataFile::Open(path)); }

bool CGraphicData::OpenMemory(const void* data, size_t size) {
  if (data == nullptr && size != 0) return false;
  return OpenSource(std::unique_ptr<CGraphicDataSource>(new CGraphicDataMemory(data, size)));
}

bool CGraphicData::OpenSource(std::unique_ptr<CGraphicDataSource> source) {
  Close();
  if (!source) return false;
  std::lock_guard<std::mutex> hold(m_lock);
  m_source = std::move(source);
  bool ok = false;
  try {
    ok = ReadIndex();
  } catch (const std::bad_alloc&) {
    ok = false;  // an index far larger than memory, on a very large file
  }
  if (!ok) {
    m_source.reset();
    m_index.clear();
    m_headerLength = 0;
    return false;
  }
  return true;
}

void CGraphicData::Close() {
  std::lock_guard<std::mutex> hold(m_lock);
  m_cache.RemoveAll();
  m_source.reset();
  m_index.clear();
  m_headerLength = 0;
}

bool CGraphicData::IsOpen() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_source != nullptr;
}

// Every field is checked against the file's real length before it is used,
// so a damaged index fails here instead of at some later draw.
bool CGraphicData::ReadIndex() {
  const uint64_t length = m_source->GetLength();
  uint64_t pos = 0;
  uint8_t b[4];

  if (!m_source->ReadAt(pos, b, 1)) return false;
  pos += 1;
  uint32_t count = b[0];
  if (count == 0xFF) {
    if (!m_source->ReadAt(pos, b, 2)) return false;
    pos += 2;
    count = GetLe16(b);
    if (count == 0xFFFF) {
      if (!m_source->ReadAt(pos, b, 4)) return false;
      pos += 4;
      count = GetLe32(b);
    }
  }

  // The index and the end offset must fit into what is left of the file
  // before anything is allocated for them (64-bit: 8 x 0xFFFFFFFF fits).
  const uint64_t indexBytes = 8ull * count;
  if (indexBytes + 4 > length - pos) return false;
  // One read of the whole index, so it must also fit a 32-bit length.
  if (indexBytes + 4 > UINT32_MAX) return false;
  m_headerLength = pos + indexBytes + 4;

  std::vector<uint8_t> raw(static_cast<size_t>(indexBytes) + 4);
  if (!m_source->ReadAt(pos, raw.data(), static_cast<uint32_t>(raw.size()))) return false;

  m_index.resize(count);
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* p = raw.data() + 8ull * i;
    m_index[i].offset = GetLe32(p);
    m_index[i].width = GetLe16(p + 4);
    m_index[i].height = GetLe16(p + 6);
    m_index[i].size = 0;
  }
  const uint32_t endOffset = GetLe32(raw.data() + indexBytes);

  // The data must lie inside the file ...
  if (endOffset > length - m_headerLength) return false;
  // ... and the offsets must climb to the end offset without turning back,
  // so that every size below is a true, non-wrapping difference.
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t next = (i + 1 < count) ? m_index[i + 1].offset : endOffset;
    if (m_index[i].offset > next) return false;
    m_index[i].size = next - m_index[i].offset;
  }
  return true;
}

int32_t CGraphicData::GetCount() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return static_cast<int32_t>(m_index.size());
}

uint64_t CGraphicData::GetHeaderLength() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_headerLength;
}

bool CGraphicData::GetIndex(int32_t entry, CDataIndex* index) const {
  std::lock_guard<std::mutex> hold(m_lock);
  if (index == nullptr || entry < 0 || static_cast<uint32_t>(entry) >= m_index.size()) return false;
  *index = m_index[static_cast<size_t>(entry)];
  return true;
}

bool CGraphicData::GetImageSize(int32_t entry, int32_t* width, int32_t* height) const {
  std::lock_guard<std::mutex> hold(m_lock);
  int32_t w = 0;
  int32_t h = 0;
  const bool ok = entry >= 0 && static_cast<uint32_t>(entry) < m_index.size();
  if (ok) {
    w = static_cast<int32_t>(m_index[static_cast<size_t>(entry)].width);
    h = static_cast<int32_t>(m_index[static_cast<size_t>(entry)].height);
  }
  if (width != nullptr) *width = w;
  if (height != nullptr) *height = h;
  return ok;
}

int32_t CGraphicData::GetCachedCount() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_cache.GetCount();
}

std::vector<int32_t> CGraphicData::GetCacheOrder() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_cache.GetOrder();
}

int32_t CGraphicData::GetRefCount(int32_t entry) const {
  std::lock_guard<std::mutex> hold(m_lock);
  const CGraphicDataCash* cash = m_cache.Find(entry);
  return cash != nullptr ? cash->refCount : -1;
}

uint64_t CGraphicData::GetImageBytesNeeded(uint32_t flags, uint32_t width, uint32_t height) {
  const uint64_t pixels = static_cast<uint64_t>(width) * height;
  switch (flags & 3u) {
    case 1:
      return pixels + 1024;  // 8-bit indices + 256 x {B, G, R, A}
    case 3:
      return pixels + 768;  // 8-bit indices + 256 x u16 + 256 alphas
    case 2:
      return pixels * 3;  // 16-bit pixels + alpha plane
    default:
      return pixels * 4;  // 32-bit {B, G, R, A}
  }
}

void CGraphicData::FillHandle(CGraphicDataHandle* handle, CGraphicData* owner, int32_t entry, const CDataIndex& index,
                              const CGraphicDataCash& cash) {
  handle->entry = entry;
  handle->width = static_cast<int32_t>(index.width);
  handle->height = static_cast<int32_t>(index.height);
  handle->data = cash.data;
  handle->size = cash.size;
  handle->owner = owner;
}

bool CGraphicData::LoadEntry(int32_t entry, uint8_t** data, uint32_t* size) {
  const CDataIndex& index = m_index[static_cast<size_t>(entry)];
  // A raw entry is the image itself, a packed one at least its header; either
  // way nothing sensible is larger than the unpack cap plus that header.
  if (index.size == 0 || index.size > kMaxUnpackedSize + kPackedBlockHeader) return false;

  uint8_t* raw = static_cast<uint8_t*>(std::malloc(index.size));
  if (raw == nullptr) return false;
  if (!m_source->ReadAt(m_headerLength + index.offset, raw, index.size)) {
    std::free(raw);
    return false;
  }

  void* unpacked = nullptr;
  uint32_t unpackedSize = 0;
  int rc;
  {
    std::lock_guard<std::mutex> unpacking(UnpackLock());
    rc = UnpackBlock(raw, index.size, &unpacked, &unpackedSize);
  }
  if (rc == kUnpackDone) {
    std::free(raw);
    *data = static_cast<uint8_t*>(unpacked);
    *size = unpackedSize;
  } else if (rc == kUnpackNotPacked) {
    // A raw entry: its bytes are the image.
    *data = raw;
    *size = index.size;
  } else {
    std::free(raw);
    return false;
  }

  // The image classes read width x height pixels and a table without
  // knowing the block's length: refuse an entry too short for its size.
  if (*size < GetImageBytesNeeded(m_flags, index.width, index.height)) {
    std::free(*data);
    *data = nullptr;
    *size = 0;
    return false;
  }
  return true;
}

bool CGraphicData::GetImage(int32_t entry, CGraphicDataHandle* handle) {
  if (handle == nullptr) return false;
  handle->Release();
  std::lock_guard<std::mutex> hold(m_lock);
  if (!m_source || entry < 0 || static_cast<uint32_t>(entry) >= m_index.size()) return false;
  const CDataIndex& index = m_index[static_cast<size_t>(entry)];

  CGraphicDataCash* cash = m_cache.Find(entry);
  if (cash == nullptr) {
    uint8_t* data = nullptr;
    uint32_t size = 0;
    if (!LoadEntry(entry, &data, &size)) return false;
    cash = m_cache.Add(entry, data, size);
  } else {
    m_cache.MoveToMostRecent(cash);
  }
  cash->refCount += 1;
  FillHandle(handle, this, entry, index, *cash);
  return true;
}

void CGraphicData::ReleaseImage(int32_t entry, int32_t freeWhenUnreferenced) {
  std::lock_guard<std::mutex> hold(m_lock);
  CGraphicDataCash* cash = m_cache.Find(entry);
  if (cash == nullptr) return;
  // A surplus release must not push the count below zero: the entry would
  // then look referenced to nobody and in use to the next holder.
  if (cash->refCount > 0) cash->refCount -= 1;
  if (freeWhenUnreferenced != 0 && cash->refCount < 1) m_cache.Remove(cash);
}
