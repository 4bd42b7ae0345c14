// The engine's last error and the texts of its status codes.
#include "net/nte/nte_error.h"

namespace {
int g_last_error = 0;

struct CodeText {
  int code;
  const char* text;
};

// One row per code of nte_status, in the same order.
const CodeText kTexts[] = {
    {NTE_OK, "success"},
    {NTE_ERR_CIPHER_SETUP, "cipher set-up failed"},
    {NTE_ERR_NO_ROOM, "no memory or no room"},
    {NTE_ERR_DOUBLE_FREE, "element released twice or bad key-exchange value"},
    {NTE_ERR_INVALID, "invalid argument or stale connection handle"},
    {NTE_ERR_STARTUP_ALLOC, "start-up allocation failed"},
    {NTE_ERR_NO_HASH_TABLE, "no free hash table"},
    {NTE_ERR_SOCKET, "socket() failed"},
    {NTE_ERR_BIND, "bind() failed"},
    {NTE_ERR_RESOLVE, "host-name resolution failed"},
    {NTE_ERR_LISTEN, "listen() failed"},
    {NTE_ERR_NONBLOCK, "cannot make the socket non-blocking"},
    {NTE_ERR_CONNECT, "connect failed"},
    {NTE_ERR_KEYEX_KEY_LENGTH, "key exchange: bad key length"},
    {NTE_ERR_KEYEX_PUBLIC_LENGTH, "key exchange: bad public-value length"},
    {NTE_ERR_NOT_CONNECTED, "write before the connect completed"},
    {NTE_ERR_NOT_KEYED, "write before the key exchange completed"},
    {NTE_ERR_BAD_CIPHER_RECORD, "malformed encrypted record"},
    {NTE_ERR_BAD_CIPHER_PADDING, "malformed encrypted record padding"},
    {NTE_ERR_RECORD_TOO_LONG, "record length beyond the limit"},
    {NTE_ERR_TOO_WIDE, "value needs more than 32 bits or cipher not supported"},
    {NTE_ERR_STALE, "stale connection handle"},
    {NTE_ERR_UNALIGNED, "pointer not on an element boundary"},
    {NTE_ERR_NO_CONN_POOL, "no connection pool"},
    {NTE_ERR_KEY_LENGTH, "secret key length not allowed for the cipher"},
    {NTE_ERR_ACCEPT, "accept() failed"},
    {NTE_ERR_SOCKOPT, "setsockopt() failed"},
    {NTE_ERR_WINSOCK, "the socket stack did not start"},
    {NTE_ERR_WRITE_ROOM, "no room in the write buffer for the whole record"},
    {NTE_ERR_BODY_TOO_LONG, "record body too long for its framing"},
    {NTE_ERR_TRUNCATED, "input ends inside a length code or string"},
    {NTE_ERR_CLOSING, "connection already closing"},
    {NTE_ERR_FINALIZE, "a finalize step failed"},
    {NTE_ERR_WRITE_CLOSING, "write on a closing connection"},
    {NTE_ERR_POOL_CREATE, "creating an engine pool failed"},
};
}  // namespace

int nte_get_last_error() { return g_last_error; }

int nte_set_last_error(int code) {
  g_last_error = code;
  return code;
}

const char* nte_strerror(int code) {
  for (const CodeText& row : kTexts) {
    if (row.code == code) return row.text;
  }
  return "unknown error";
}
