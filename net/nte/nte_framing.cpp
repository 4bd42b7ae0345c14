// Record parsers and senders of the four framings.
#include "net/nte/nte_framing.h"

#include <cstring>

#include "framework/byte_order.h"
#include "net/nte/nte_records.h"

const int nte_framing_header_bytes[NTE_FRAMING_COUNT] = {2, 4, 1, 0};

namespace {

// Hands one record to the callback in place, then consumes it with its
// framing.  The data stays valid for the whole call: the read buffer is
// only compacted by a later receive.
int deliver(conn_t* c, uint32_t serial, const uint8_t* data, int length, int consumed) {
  int result = 0;
  if (c->record) result = c->record(c, serial, data, length);
  nte_sbuf_shift(&c->rbuf, nullptr, consumed);
  nte_set_last_error(result < 0 ? result : NTE_OK);
  return result;
}

// The declared length can never be buffered whole: waiting would only hang
// the connection until its idle time-out, so it is a protocol error now.
// It fails with -2 (no room), apart from the framing's own limit (-24).
int never_fits(uint32_t length, uint32_t header, const nte_sbuf& buf) {
  return length > buf.size || header > buf.size - length;
}

int length_prefixed(conn_t* conn, uint32_t serial, int header) {
  if (!nte_conn_is_valid(conn, serial)) return nte_set_last_error(NTE_ERR_INVALID);
  uint8_t* p = nullptr;
  int n = 0;
  nte_sbuf_get_buffer(&conn->rbuf, &p, &n);
  if (n < header) return nte_set_last_error(NTE_OK);
  uint32_t length;
  if (header == 2) {
    length = GetBe16(p);
  } else {
    length = GetBe32(p);
    if (length > static_cast<uint32_t>(NTE_U32_BODY_MAX)) return nte_set_last_error(NTE_ERR_RECORD_TOO_LONG);
  }
  if (never_fits(length, static_cast<uint32_t>(header), conn->rbuf)) {
    return nte_set_last_error(NTE_ERR_NO_ROOM);
  }
  if (static_cast<uint32_t>(n - header) < length) return nte_set_last_error(NTE_OK);
  if (length == 0) {
    // An empty record carries nothing a message layer could read: skip it
    // and keep the connection.
    nte_sbuf_shift(&conn->rbuf, nullptr, header);
    return nte_set_last_error(NTE_OK);
  }
  return deliver(conn, serial, p + header, static_cast<int>(length), header + static_cast<int>(length));
}

int send_length_prefixed(conn_t* conn, uint32_t serial, const void* data, int length, int header, int max_body) {
  if (!nte_conn_is_valid(conn, serial)) return nte_set_last_error(NTE_ERR_INVALID);
  if (length < 0 || (length > 0 && !data)) return nte_set_last_error(NTE_ERR_INVALID);
  if (length > max_body) return nte_set_last_error(NTE_ERR_BODY_TOO_LONG);
  int room = nte_conn_writable(conn, serial);
  if (room < 0) return room;
  // Room for the whole record first: a sender never queues part of one.
  if (room < header || room - header < length) return nte_set_last_error(NTE_ERR_WRITE_ROOM);
  uint8_t head[4];
  if (header == 2)
    PutBe16(head, static_cast<uint16_t>(length));
  else
    PutBe32(head, static_cast<uint32_t>(length));
  int r = nte_conn_write(conn, serial, head, header);
  if (r < 0) return r;
  if (length > 0) {
    r = nte_conn_write(conn, serial, data, length);
    if (r < 0) return r;
  }
  nte_set_last_error(NTE_OK);
  return header + length;
}

}  // namespace

int nte_parser_u16_length(conn_t* conn, uint32_t serial) { return length_prefixed(conn, serial, 2); }

int nte_parser_u32_length(conn_t* conn, uint32_t serial) { return length_prefixed(conn, serial, 4); }

int nte_parser_text_line(conn_t* conn, uint32_t serial) {
  if (!nte_conn_is_valid(conn, serial)) return nte_set_last_error(NTE_ERR_INVALID);
  uint8_t* p = nullptr;
  int n = 0;
  nte_sbuf_get_buffer(&conn->rbuf, &p, &n);
  if (n <= 0) return nte_set_last_error(NTE_OK);
  const uint8_t* lf = static_cast<const uint8_t*>(std::memchr(p, '\n', static_cast<size_t>(n)));
  if (!lf) {
    // A full buffer without a line end can never become a line.
    if (static_cast<uint32_t>(n) >= conn->rbuf.size) return nte_set_last_error(NTE_ERR_NO_ROOM);
    return nte_set_last_error(NTE_OK);
  }
  int at = static_cast<int>(lf - p);
  int length = (at > 0 && p[at - 1] == '\r') ? at - 1 : at;
  return deliver(conn, serial, p, length, at + 1);
}

int nte_parser_raw(conn_t* conn, uint32_t serial) {
  if (!nte_conn_is_valid(conn, serial)) return nte_set_last_error(NTE_ERR_INVALID);
  uint8_t* p = nullptr;
  int n = 0;
  nte_sbuf_get_buffer(&conn->rbuf, &p, &n);
  if (n <= 0) return nte_set_last_error(NTE_OK);
  return deliver(conn, serial, p, n, n);
}

int nte_send_u16_length(conn_t* conn, uint32_t serial, const void* data, int length) {
  return send_length_prefixed(conn, serial, data, length, 2, NTE_U16_BODY_MAX);
}

int nte_send_u32_length(conn_t* conn, uint32_t serial, const void* data, int length) {
  return send_length_prefixed(conn, serial, data, length, 4, NTE_U32_BODY_MAX);
}

int nte_send_text_line(conn_t* conn, uint32_t serial, const void* data, int length) {
  int room = nte_conn_writable(conn, serial);
  if (room < 0) return room;
  if (!nte_conn_is_valid(conn, serial)) return nte_set_last_error(NTE_ERR_INVALID);
  if (length < 0 || (length > 0 && !data)) return nte_set_last_error(NTE_ERR_INVALID);
  if (room < 1 || room - 1 < length) return nte_set_last_error(NTE_ERR_WRITE_ROOM);
  int r = length > 0 ? nte_conn_write(conn, serial, data, length) : 0;
  if (r < 0) return r;
  static const uint8_t lf = '\n';
  r = nte_conn_write(conn, serial, &lf, 1);
  if (r < 0) return r;
  nte_set_last_error(NTE_OK);
  return length + 1;
}

int nte_send_raw(conn_t* conn, uint32_t serial, const void* data, int length) {
  if (!nte_conn_is_valid(conn, serial)) return nte_set_last_error(NTE_ERR_INVALID);
  return nte_conn_write(conn, serial, data, length);
}

nte_parser_fn nte_framing_parser(int framing) {
  switch (framing) {
    case NTE_FRAMING_U16_LENGTH:
      return nte_parser_u16_length;
    case NTE_FRAMING_U32_LENGTH:
      return nte_parser_u32_length;
    case NTE_FRAMING_TEXT_LINE:
      return nte_parser_text_line;
    case NTE_FRAMING_RAW:
      return nte_parser_raw;
    default:
      return nullptr;
  }
}

nte_sender_fn nte_framing_sender(int framing) {
  switch (framing) {
    case NTE_FRAMING_U16_LENGTH:
      return nte_send_u16_length;
    case NTE_FRAMING_U32_LENGTH:
      return nte_send_u32_length;
    case NTE_FRAMING_TEXT_LINE:
      return nte_send_text_line;
    case NTE_FRAMING_RAW:
      return nte_send_raw;
    default:
      return nullptr;
  }
}
