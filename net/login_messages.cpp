#include "net/login_messages.h"

#include "framework/byte_order.h"
#include "net/field_reader.h"
#include "net/login_events.h"
#include "net/nte/nte_framing.h"

namespace {

// Bytes of the [u8][u32][u32][u32] block inside message 30's extra string.
constexpr size_t kExtraBlockSize = 13;

}  // namespace

int BuildVersionRequest(uint32_t serviceCode, const CCheckVerInfo* rows, int count, uint8_t* out, int capacity) {
  if (count <= 0 || rows == nullptr) return 0;
  if (out == nullptr || capacity < 1) return -2;
  out[0] = static_cast<uint8_t>(kMsgVersionRequest);
  int off = nte_binary_push_u32(out, 1, capacity, static_cast<uint32_t>(count));
  for (int i = 0; i < count && off >= 0; ++i) {
    off = nte_binary_push_u32(out, off, capacity, serviceCode);
    if (off >= 0) off = nte_binary_push_u32(out, off, capacity, rows[i].m_nComponentId);
    if (off >= 0) off = nte_binary_push_u32(out, off, capacity, rows[i].m_nVersion);
  }
  return off < 0 ? -2 : off;
}

int BuildKeepAlive(uint32_t tick, uint8_t* out) {
  out[0] = static_cast<uint8_t>(kMsgKeepAlive);
  nte_binary_push_u32(out, 1, kKeepAliveSize, tick);
  return kKeepAliveSize;
}

int DecodeWorldStatus(const uint8_t* data, int length, CWorldNotifyObj& out) {
  CFieldReader r(data, length, 1);
  CWorldStatusInfo s;
  s.m_nField1 = r.I16();
  s.m_nField2 = r.I16();
  r.U32();  // not kept
  s.m_strName = r.Utf8Text(kWorldNameMax);
  r.U8();  // not kept
  s.m_strText = r.Text(kWorldTextMax);
  s.m_nField3 = r.I16();
  s.m_nField4 = r.I8();
  s.m_nField5 = r.I16();
  const std::string extra = r.Bytes(kWorldExtraMax);
  if (!r.Ok()) return r.Error();
  // The tail byte is optional; without it the server means -1 - field1.
  s.m_nTail = r.Remaining() >= 1 ? r.I8() : -1 - s.m_nField1;
  // The extra block counts only when it is complete; bytes beyond it are
  // the server's own.
  if (extra.size() >= kExtraBlockSize) {
    const auto* e = reinterpret_cast<const uint8_t*>(extra.data());
    s.m_nExtra0 = static_cast<int8_t>(e[0]);
    s.m_nExtra1 = GetBe32(e + 1);
    s.m_nExtra2 = static_cast<int64_t>(GetBe32(e + 5));
    s.m_nExtra3 = static_cast<int64_t>(GetBe32(e + 9));
  }
  s.m_bValid = 1;
  out.m_nWorldId = 0;
  out.m_status = s;
  return 0;
}

int DecodeWorldId(const uint8_t* data, int length, CWorldNotifyObj& out) {
  CFieldReader r(data, length, 1);
  const int32_t id = r.I16();
  if (!r.Ok()) return r.Error();
  out.m_nWorldId = id;
  out.m_status = CWorldStatusInfo();
  return 0;
}

int DecodeVersionNotify(const uint8_t* data, int length, bool shortForm, CVersionNotifyObj& out, int32_t& result) {
  CFieldReader r(data, length, 1);
  const uint32_t service = r.U32();
  const uint32_t component = r.U32();
  const uint32_t res = r.U32();
  const uint8_t count = r.U8();
  const uint8_t number = r.U8();
  const uint8_t* chunk = nullptr;
  const int chunkLength = r.View(kVersionDataMax, chunk);
  CString text1 = r.Text(kVersionText1Max);
  CString text2;
  if (!shortForm) text2 = r.Text(kVersionText2Max);
  if (!r.Ok()) return r.Error();

  out.m_nServiceCode = service;
  out.m_nComponentId = component;
  // The long answer's counts are signed bytes, the short one's unsigned.
  if (shortForm) {
    out.m_nChunkCount = count;
    out.m_nChunkNumber = number;
  } else {
    out.m_nChunkCount = static_cast<int8_t>(count);
    out.m_nChunkNumber = static_cast<int8_t>(number);
  }
  // The view points into the received record, which outlives this call.
  out.m_data.assign(chunk, chunk + chunkLength);
  out.m_strText1 = text1;
  out.m_strText2 = text2;
  result = static_cast<int32_t>(res);
  return 0;
}

int DecodeWorldSiteList(const uint8_t* data, int length, CWorldSiteListNotifyObj& out) {
  CFieldReader r(data, length, 1);
  const uint32_t n = r.U32();
  if (!r.Ok()) return r.Error();
  std::vector<CWorldSiteInfo> sites;
  const int32_t count = static_cast<int32_t>(n);
  // The count comes from the peer: the loop ends at the first field that
  // runs out of bytes, and memory grows only with sites actually read.
  for (int32_t i = 0; i < count; ++i) {
    CWorldSiteInfo site;
    site.m_nId1 = r.U32();
    site.m_nId2 = r.U32();
    site.m_strName1 = r.Utf8Text(kSiteNameMax);
    site.m_strName2 = r.Text(kSiteNameMax);
    site.m_nKind = r.I8();
    site.m_nValue = r.U32();
    r.U32();  // not kept
    if (!r.Ok()) return r.Error();
    sites.push_back(std::move(site));
  }
  out.m_nCount = count;
  out.m_sites = std::move(sites);
  return 0;
}

int ParseWorldStatus(const uint8_t* data, int length, CLoginNotifySink& sink) {
  CWorldNotifyObj obj;
  const int r = DecodeWorldStatus(data, length, obj);
  if (r < 0) return r;
  RaiseLoginMessage(sink, kMsgWorldStatus, 0, &obj);
  return 0;
}

int ParseWorldId(const uint8_t* data, int length, CLoginNotifySink& sink) {
  CWorldNotifyObj obj;
  const int r = DecodeWorldId(data, length, obj);
  if (r < 0) return r;
  RaiseLoginMessage(sink, kMsgWorldId, 0, &obj);
  return 0;
}

int ParseSignal(const uint8_t* data, int length, CLoginNotifySink& sink) {
  // No fields; whatever follows the id is ignored.
  RaiseLoginMessage(sink, kMsgSignal, 0, nullptr);
  return 0;
}

int ParseVersionNotify(const uint8_t* data, int length, CLoginNotifySink& sink) {
  CVersionNotifyObj obj;
  int32_t result = 0;
  const int r = DecodeVersionNotify(data, length, false, obj, result);
  if (r < 0) return r;
  RaiseLoginMessage(sink, kMsgVersionNotify, result, &obj);
  return 0;
}

int ParseVersionNotifyShort(const uint8_t* data, int length, CLoginNotifySink& sink) {
  CVersionNotifyObj obj;
  int32_t result = 0;
  const int r = DecodeVersionNotify(data, length, true, obj, result);
  if (r < 0) return r;
  RaiseLoginMessage(sink, kMsgVersionNotifyShort, result, &obj);
  return 0;
}

int ParseWorldSiteList(const uint8_t* data, int length, CLoginNotifySink& sink) {
  CWorldSiteListNotifyObj obj;
  const int r = DecodeWorldSiteList(data, length, obj);
  if (r < 0) return r;
  RaiseLoginMessage(sink, kMsgWorldSiteList, 0, &obj);
  return 0;
}

int ParseByteNotify(const uint8_t* data, int length, CLoginNotifySink& sink) {
  CFieldReader r(data, length, 1);
  uint8_t value = r.U8();
  if (!r.Ok()) return r.Error();
  RaiseLoginMessage(sink, kMsgByteNotify, 0, &value);
  return 0;
}

int ParseFlagNotify(const uint8_t* data, int length, CLoginNotifySink& sink) {
  CFieldReader r(data, length, 0);
  const int32_t id = r.I8();
  const uint8_t value = r.U8();
  if (!r.Ok()) return r.Error();
  sink.Notify(kNotifyFlag, id, 0, 0, value != 0 ? 1 : 0);
  return 0;
}

int DispatchLoginMessage(const uint8_t* data, int length, CLoginNotifySink& sink) {
  if (data == nullptr || length < 1) return -1;
  switch (static_cast<int8_t>(data[0])) {
    case kMsgWorldStatus:
      return ParseWorldStatus(data, length, sink);
    case kMsgWorldId:
      return ParseWorldId(data, length, sink);
    case kMsgSignal:
      return ParseSignal(data, length, sink);
    case kMsgVersionNotify:
      return ParseVersionNotify(data, length, sink);
    case kMsgVersionNotifyShort:
      return ParseVersionNotifyShort(data, length, sink);
    case kMsgWorldSiteList:
      return ParseWorldSiteList(data, length, sink);
    case kMsgByteNotify:
      return ParseByteNotify(data, length, sink);
    default:
      // 33 and every id not listed is a protocol error.
      return -1;
  }
}
