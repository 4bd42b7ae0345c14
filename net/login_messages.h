// The login server's messages: the two the launcher sends, and the decoders
// of the seven the server sends.  Every message is the body of one record of
// the 16-bit length framing; byte 0 is the message id, integers are
// big-endian, and strings are length-coded byte strings with a maximum.
#pragma once

#include <cstddef>
#include <cstdint>

#include "net/check_ver_info.h"
#include "net/login_notify.h"
#include "net/notify_objects.h"

// The login server's port when its address names none.
constexpr uint16_t kDefaultLoginPort = 9070;

enum LoginMessageId : int {
  kMsgVersionRequest = 21,
  kMsgKeepAlive = 29,
  kMsgWorldStatus = 30,
  kMsgWorldId = 31,
  kMsgSignal = 32,
  kMsgVersionNotify = 34,
  kMsgVersionNotifyShort = 36,
  kMsgWorldSiteList = 37,
  kMsgByteNotify = 38,
};

// The version request is built in a buffer of this size (42 rows at most).
constexpr int kVersionRequestBufferSize = 512;
constexpr int kKeepAliveSize = 5;

// String maxima of the server messages.
constexpr int kWorldNameMax = 64;
constexpr int kWorldTextMax = 64;
constexpr int kWorldExtraMax = 1024;
constexpr int kVersionDataMax = 8192;
constexpr int kVersionText1Max = 256;
constexpr int kVersionText2Max = 259;
constexpr int kSiteNameMax = 128;

// Message 21: [21][u32 n] then per row [u32 service code][u32 component id]
// [u32 version].  Returns the body length (5 + 12 n), 0 when count <= 0
// (nothing built), or -2 when the rows do not fit capacity.
int BuildVersionRequest(uint32_t serviceCode, const CCheckVerInfo* rows, int count, uint8_t* out, int capacity);
// Message 29: [29][u32 tick].  out must hold kKeepAliveSize bytes; returns 5.
int BuildKeepAlive(uint32_t tick, uint8_t* out);

// Decoders: data and length are the whole body, id byte included.  Each
// returns 0, or the negative code of the first field that failed (-2 an
// integer past the end or a string over its maximum, -46 a string running
// past the end, -26 a length that needs more than 32 bits).  Nothing is read
// beyond length.
int DecodeWorldStatus(const uint8_t* data, int length, CWorldNotifyObj& out);
int DecodeWorldId(const uint8_t* data, int length, CWorldNotifyObj& out);
// Message 34 (shortForm false) or 36 (true); result receives the answer's
// result code.
int DecodeVersionNotify(const uint8_t* data, int length, bool shortForm, CVersionNotifyObj& out, int32_t& result);
int DecodeWorldSiteList(const uint8_t* data, int length, CWorldSiteListNotifyObj& out);

// Parsers: decode one message and, on success, pass it to sink.Notify with
// the notify object on the stack (result of Notify ignored); 0 after Notify
// or the decoder's negative code (no Notify then).
int ParseWorldStatus(const uint8_t* data, int length, CLoginNotifySink& sink);
int ParseWorldId(const uint8_t* data, int length, CLoginNotifySink& sink);
int ParseSignal(const uint8_t* data, int length, CLoginNotifySink& sink);
int ParseVersionNotify(const uint8_t* data, int length, CLoginNotifySink& sink);
int ParseVersionNotifyShort(const uint8_t* data, int length, CLoginNotifySink& sink);
int ParseWorldSiteList(const uint8_t* data, int length, CLoginNotifySink& sink);
int ParseByteNotify(const uint8_t* data, int length, CLoginNotifySink& sink);
// [id][u8 value] -> Notify(7, id, 0, 0, value != 0).  Not reached by the
// dispatcher.
int ParseFlagNotify(const uint8_t* data, int length, CLoginNotifySink& sink);

// Selects the parser by the id byte.  -1 for an empty body or an id that is
// not one of 30, 31, 32, 34, 36, 37, 38; else the parser's result.  A
// negative result means the connection must close as a protocol error.
int DispatchLoginMessage(const uint8_t* data, int length, CLoginNotifySink& sink);
