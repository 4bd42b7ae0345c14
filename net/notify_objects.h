// The objects in which decoded login-server messages reach the socket's
// Notify.  Each lives only for the one Notify call that carries it; the
// receiver copies what it keeps.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/afxcore.h"
#include "framework/cstring.h"

// Version answer (messages 34 and 36).
class CVersionNotifyObj : public CObject {
  DECLARE_DYNAMIC(CVersionNotifyObj)
 public:
  CVersionNotifyObj() = default;
  ~CVersionNotifyObj() override = default;

  uint32_t m_nServiceCode = 0;
  uint32_t m_nComponentId = 0;
  int32_t m_nChunkCount = 0;
  int32_t m_nChunkNumber = 0;
  std::vector<uint8_t> m_data;  // the script chunk or notice fragment, zeros kept
  CString m_strText1;
  CString m_strText2;
};

// One world's status as message 30 gives it.  The meanings of the numbers
// are the server's; only widths, order and signedness are ours.
struct CWorldStatusInfo {
  int32_t m_bValid = 0;  // 1 when filled from message 30
  int32_t m_nField1 = 0;
  int32_t m_nField2 = 0;
  std::u16string m_strName;  // UTF-8 on the wire
  CString m_strText;
  int32_t m_nField3 = 0;
  int32_t m_nTail = 0;
  int32_t m_nField4 = 0;
  int32_t m_nField5 = 0;
  int8_t m_nExtra0 = 0;
  uint32_t m_nExtra1 = 0;
  int64_t m_nExtra2 = 0;  // only the low 32 bits come from the wire
  int64_t m_nExtra3 = 0;
};

// World status (message 30) or world id (message 31).
class CWorldNotifyObj : public CObject {
  DECLARE_DYNAMIC(CWorldNotifyObj)
 public:
  CWorldNotifyObj() = default;
  ~CWorldNotifyObj() override = default;

  int32_t m_nWorldId = 0;
  CWorldStatusInfo m_status;
};

// One site of message 37.
struct CWorldSiteInfo {
  int32_t m_nReserved0 = 0;  // stays 0
  uint32_t m_nId1 = 0;
  uint32_t m_nId2 = 0;
  std::u16string m_strName1;  // UTF-8 on the wire
  CString m_strName2;
  int32_t m_nKind = 0;
  uint32_t m_nValue = 0;
  int32_t m_nReserved1 = 0;  // stays 0
};

// World site list (message 37).
class CWorldSiteListNotifyObj : public CObject {
  DECLARE_DYNAMIC(CWorldSiteListNotifyObj)
 public:
  CWorldSiteListNotifyObj() = default;
  ~CWorldSiteListNotifyObj() override = default;

  int32_t m_nCount = 0;  // as received, even when it is 0 or negative
  std::vector<CWorldSiteInfo> m_sites;
};
