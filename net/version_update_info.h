// The version table of one version check: one entry per (service code,
// component id) of the request, with the state the launcher gave it from the
// server's answers and the script text that arrived in chunks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "net/check_ver_info.h"

class CVersionUpdateInfo {
 public:
  // Bytes reserved per announced chunk.
  static constexpr int32_t kChunkSize = 2048;

  // States the launcher sets from the answers (0 = no answer yet).
  enum State : int32_t {
    kNoAnswer = 0,
    kNoUpdate = 1,
    kScriptReceived = 2,
    kMaintenance = 3,
    kBusy = 4,
    kNotInService = 5,
    kInvalid = 6,
    kError = 7,
  };

  CVersionUpdateInfo(uint32_t serviceCode, uint32_t componentId);
  virtual ~CVersionUpdateInfo();
  CVersionUpdateInfo(const CVersionUpdateInfo&) = delete;
  CVersionUpdateInfo& operator=(const CVersionUpdateInfo&) = delete;

  // Frees the old buffer and allocates a zero-filled one for n chunks of
  // kChunkSize bytes plus one byte that stays zero, so the script is always
  // terminated.  False for n <= 0, a size that would overflow, or no memory
  // (the entry then has no buffer).
  bool AllocChunks(int32_t n);
  // Appends n bytes at the used count.  False, copying nothing, without a
  // buffer or data, or when the bytes would not fit the n x kChunkSize part
  // of the block (the terminator byte is never written).
  bool AppendData(const void* data, size_t n);
  // Accepts 1 to 7 only; other values leave the state as it is.
  void SetState(int32_t s);
  // Returns the buffer to the heap; used becomes 0.
  void FreeBuffer();

  // One script chunk of a "script follows" answer (chunk number 1 or
  // above; numbers 0 and below carry notice text and are the caller's).
  // Chunks must come as 1, 2, ... count with the same count each time;
  // the last one completes the entry (state 2).  A count of 0 or below, a
  // number outside 1..count, a repeated, missing or out-of-order chunk, a
  // chunk for an entry that already has a final state, a chunk that does
  // not fit and a failed allocation all make the entry invalid (state 6)
  // and drop its buffer, so that no partial script can ever run.
  // Returns the entry's state afterwards (0 still waiting, 2, or 6).
  int32_t AddScriptChunk(int32_t count, int32_t number, const void* data, size_t n);

  int32_t GetState() const { return m_nState; }
  uint32_t GetServiceCode() const { return m_nServiceCode; }
  uint32_t GetComponentId() const { return m_nComponentId; }
  // The chunk buffer (zero-terminated text), or null.
  const char* GetBuffer() const { return m_pBuffer; }
  size_t GetUsed() const { return m_nUsed; }
  // True when a complete script was received (state 2 with a buffer).
  bool HasScript() const { return m_nState == kScriptReceived && m_pBuffer != nullptr; }
  // The complete script, or null when there is none.
  const char* GetScript() const { return HasScript() ? m_pBuffer : nullptr; }

 private:
  void Invalidate();

  int32_t m_nState = kNoAnswer;
  uint32_t m_nServiceCode;
  uint32_t m_nComponentId;
  char* m_pBuffer = nullptr;
  size_t m_nUsed = 0;
  size_t m_nCapacity = 0;     // bytes that chunks may fill (terminator excluded)
  int32_t m_nChunkCount = 0;  // count announced by chunk 1
  int32_t m_nNextChunk = 1;   // the chunk number expected next
};

class CVersionUpdateInfoList {
 public:
  CVersionUpdateInfoList() = default;
  ~CVersionUpdateInfoList();
  CVersionUpdateInfoList(const CVersionUpdateInfoList&) = delete;
  CVersionUpdateInfoList& operator=(const CVersionUpdateInfoList&) = delete;

  // Removes every entry, then appends one entry (state 0, no buffer) per
  // row in row order.  True when the list is not empty afterwards.
  bool Build(uint32_t serviceCode, const CCheckVerInfo* rows, size_t count);
  bool Build(uint32_t serviceCode, const std::vector<CCheckVerInfo>& rows);
  // The first entry with both keys equal, or null.
  CVersionUpdateInfo* Find(uint32_t serviceCode, uint32_t componentId) const;
  // The largest state of all entries (0 for an empty list); anyPending is
  // set to 1 when some entry is still in state 0, else 0.
  int32_t GetMaxState(int32_t& anyPending) const;
  // Frees every entry's buffer, deletes the entries, empties the list.
  void RemoveAllInfo();

  size_t GetCount() const { return m_entries.size(); }
  bool IsEmpty() const { return m_entries.empty(); }
  CVersionUpdateInfo* GetAt(size_t i) const { return i < m_entries.size() ? m_entries[i] : nullptr; }

 private:
  std::vector<CVersionUpdateInfo*> m_entries;  // owned
};

// The version table of the launcher's version check.
extern CVersionUpdateInfoList g_versionUpdateInfoList;
