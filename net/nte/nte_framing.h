// Record framing, big-endian wire integers and length-coded byte strings.
//
// Framings by index (the socket layer selects them by these numbers):
//   0  [u16 BE length][body]  body <= 65,535
//   1  [u32 BE length][body]  body <= 0x40000000
//   2  [body][LF]             a line ended by LF or CR LF on receipt
//   3  raw                    every buffered byte is one record
// Received records are never trusted: a declared length that can never fit
// the connection's read buffer (or a line that fills it without an end) is a
// protocol error at once; an empty length-prefixed record is skipped.
#pragma once

#include <cstdint>

#include "net/nte/nte_tcp.h"

enum nte_framing : int {
  NTE_FRAMING_U16_LENGTH = 0,
  NTE_FRAMING_U32_LENGTH = 1,
  NTE_FRAMING_TEXT_LINE = 2,
  NTE_FRAMING_RAW = 3,
};
constexpr int NTE_FRAMING_COUNT = 4;
// Header bytes a sender adds to a body, by framing index: {2, 4, 1, 0}.
extern const int nte_framing_header_bytes[NTE_FRAMING_COUNT];
constexpr int NTE_U16_BODY_MAX = 65535;
constexpr int NTE_U32_BODY_MAX = 0x40000000;

// Record parsers, run by the I/O step on the connection's plain read buffer.
// Each delivers at most one record: 0 when no complete record is buffered
// (nothing consumed), else the record callback's result after the record
// and its framing were consumed (0 when the context has no callback or the
// record was empty and skipped).  Negative: protocol error (-6 invalid
// handle, -24 a 32-bit length above the framing's limit, -2 a record that
// can never fit the read buffer); the I/O step then closes the connection
// with NTE_CLOSE_PROTOCOL_ERROR.
int nte_parser_u16_length(conn_t* conn, uint32_t serial);
int nte_parser_u32_length(conn_t* conn, uint32_t serial);
int nte_parser_text_line(conn_t* conn, uint32_t serial);
int nte_parser_raw(conn_t* conn, uint32_t serial);

// Senders: frame the body into the plain write buffer; whole records only.
// Body + header bytes, or -6 invalid, -45 body too long for the framing,
// -44 no room for the whole record (nothing queued), or nte_conn_writable's
// negative result.  The raw sender returns nte_conn_write's result.
typedef int (*nte_sender_fn)(conn_t* conn, uint32_t serial, const void* data, int length);
int nte_send_u16_length(conn_t* conn, uint32_t serial, const void* data, int length);
int nte_send_u32_length(conn_t* conn, uint32_t serial, const void* data, int length);
int nte_send_text_line(conn_t* conn, uint32_t serial, const void* data, int length);
int nte_send_raw(conn_t* conn, uint32_t serial, const void* data, int length);

// Parser and sender of a framing index, or null outside 0..3.
nte_parser_fn nte_framing_parser(int framing);
nte_sender_fn nte_framing_sender(int framing);

// Wire integers.  Each returns the offset after the item, or -2 when the
// item does not lie inside the buffer (negative offsets included).
int nte_binary_push_u32(uint8_t* buffer, int offset, int capacity, uint32_t value);
int nte_binary_push_u16(uint8_t* buffer, int offset, int capacity, uint16_t value);
int nte_binary_push_u8(uint8_t* buffer, int offset, int capacity, uint8_t value);
// Writes the shortest length code of value then the n bytes:
// offset after, -2 when it does not fit.
int nte_binary_push_bytes(uint8_t* buffer, int offset, int capacity, const void* data, int n);
int nte_binary_pop_u8(const uint8_t* buffer, int length, int offset, uint8_t* out);
int nte_binary_pop_u16(const uint8_t* buffer, int length, int offset, uint16_t* out);
int nte_binary_pop_u32(const uint8_t* buffer, int length, int offset, uint32_t* out);

// Length codes: 0-252 one byte; 253 + u32 BE; 254 + u32 BE high + u32 BE low;
// 255 refused.  Returns the bytes used (1, 5 or 9), -46 when fewer are
// available, -26 for 255 (high = low = 0).
int nte_read_length_code(const uint8_t* data, int available, uint32_t* high, uint32_t* low);
// Bytes a length code for value takes (1 or 5).
int nte_length_code_size(uint32_t value);
// Reads a length-coded byte string at offset into out (capacity bytes).  On
// success *capacity becomes the string's length and the result is the
// offset after it.  -46/-26 from the length code, -26 high word not 0, -46
// string runs past length, -2 longer than *capacity (nothing copied), -2 for
// a negative offset.  A string of exactly *capacity bytes is accepted (not
// terminated).
int nte_binary_pop_bytes(const uint8_t* buffer, int length, int offset, uint8_t* out, int* capacity);

// A bounded reader over one record.  Reads past the end fail, leave the
// output zeroed and set a sticky error (the first failure's code) checked
// once at the end; a reader never reads outside [data, data + length).
// Codes: -2 an integer (or skipped bytes) past the end or a string over its
// maximum, -46 a string running past the end, -26 a length code of more than
// 32 bits.
struct nte_reader {
  const uint8_t* data;
  int length;
  int offset;
  int error;  // 0, or the first failure's code
};
void nte_reader_init(nte_reader* r, const void* data, int length);
uint8_t nte_reader_u8(nte_reader* r);
uint16_t nte_reader_u16(nte_reader* r);
uint32_t nte_reader_u32(nte_reader* r);
// A length-coded string into out (capacity bytes); its length, or 0 on failure.
int nte_reader_bytes(nte_reader* r, uint8_t* out, int capacity);
// A length-coded string in place: *out points into the record; its length,
// or 0 (*out null) on failure.  max limits the accepted length (-2 above it).
int nte_reader_bytes_view(nte_reader* r, const uint8_t** out, int max);
// Skips n raw bytes (-2 when fewer remain).
void nte_reader_skip(nte_reader* r, int n);
// Bytes left after the offset (0 once an error occurred).
int nte_reader_remaining(const nte_reader* r);
// 0, or the first failure's code (also stored as the engine's last error).
int nte_reader_error(const nte_reader* r);
