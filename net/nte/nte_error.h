// Status codes of the network engine.
//
// Every engine operation that can fail returns one of these negative values
// and also leaves it as the engine's last error; success is 0 (or a count).
// The table is the only list of codes: nte_strerror() gives each a readable
// text.  A failed socket call comes back as the status of the step that
// failed (NTE_ERR_CONNECT, NTE_IO_FAILED, ...), never as its WSAE* value:
// the Winsock transport only tells "would block" and "in progress" apart,
// and names the WSAE* value for the log in one switch (wsa_name in
// nte_transport_win.cpp).
#pragma once

#include <cstdint>

enum nte_status : int {
  NTE_OK = 0,
  NTE_ERR_CIPHER_SETUP = -1,          // cipher set-up failed; socket-buffer option not applied
  NTE_ERR_NO_ROOM = -2,               // allocation failed, pool or buffer full, outside a buffer
  NTE_ERR_DOUBLE_FREE = -3,           // element released twice; bad key-exchange value
  NTE_ERR_INVALID = -6,               // bad argument, bad pool index, null or stale handle
  NTE_ERR_STARTUP_ALLOC = -7,         // start-up allocation failed
  NTE_ERR_NO_HASH_TABLE = -8,         // no free hash table
  NTE_ERR_SOCKET = -10,               // socket() failed
  NTE_ERR_BIND = -11,                 // bind() failed
  NTE_ERR_RESOLVE = -12,              // host-name resolution failed
  NTE_ERR_LISTEN = -13,               // listen() failed
  NTE_ERR_NONBLOCK = -16,             // switching the socket to non-blocking failed
  NTE_ERR_CONNECT = -17,              // connect failed (at once, or later while pending)
  NTE_ERR_KEYEX_KEY_LENGTH = -18,     // key exchange: bad key length / no room for the reply
  NTE_ERR_KEYEX_PUBLIC_LENGTH = -19,  // key exchange: bad public-value length
  NTE_ERR_NOT_CONNECTED = -20,        // write before the connect completed
  NTE_ERR_NOT_KEYED = -21,            // write before the key exchange completed
  NTE_ERR_BAD_CIPHER_RECORD = -22,    // malformed encrypted record
  NTE_ERR_BAD_CIPHER_PADDING = -23,   // malformed encrypted record
  NTE_ERR_RECORD_TOO_LONG = -24,      // received record length beyond the framing's limit
  NTE_ERR_TOO_WIDE = -26,             // value needs more than 32 bits; cipher not supported
  NTE_ERR_STALE = -28,                // stale connection handle (serial mismatch) on write
  NTE_ERR_UNALIGNED = -32,            // pointer not on an element boundary
  NTE_ERR_NO_CONN_POOL = -36,         // no connection pool (max connections 0)
  NTE_ERR_KEY_LENGTH = -37,           // secret key length not allowed for the cipher
  NTE_ERR_ACCEPT = -38,               // accept() failed
  NTE_ERR_SOCKOPT = -39,              // setsockopt() failed
  NTE_ERR_WINSOCK = -41,              // the socket stack did not start (start-up goes on)
  NTE_ERR_WRITE_ROOM = -44,           // no room in the write buffer for the whole record
  NTE_ERR_BODY_TOO_LONG = -45,        // record body too long for its framing
  NTE_ERR_TRUNCATED = -46,            // input ends inside a length code or string; short address
  NTE_ERR_CLOSING = -62,              // connection already closing
  NTE_ERR_FINALIZE = -63,             // a finalize step failed
  NTE_ERR_WRITE_CLOSING = -64,        // write on a closing connection
  NTE_ERR_POOL_CREATE = -79,          // creating the pool for connections, contexts or task worlds failed
};

// The engine's last error: 0 after a successful operation, else its code.
int nte_get_last_error();
// Stores code as the last error and returns it (used by every engine module).
int nte_set_last_error(int code);

// Readable text of a status code; never null ("unknown error" for others).
const char* nte_strerror(int code);
