// The web portal's hand-off. The portal starts the launcher with one plain
// command-line parameter, the launch key, and leaves the login parameters
// enciphered under that key on the clipboard format "Sabrix_ClipFormat"
// (text form: app/portal_cipher.h). At start-up the launcher takes them off
// the clipboard and keeps them here; when it starts the game client it puts
// them back, enciphered afresh, for the client.
//
// The deciphered text is comma-separated: field 0 the login host, field 1
// its port, fields 2 to 5 opaque to the launcher except that a non-empty
// field 4 asks for the hand-off to the client.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Longest host accepted (a longer one refuses the whole record).
constexpr size_t kPortalHostMax = 16;
// Longest field 1 to 5 accepted (a longer one refuses the whole record).
constexpr size_t kPortalFieldMax = 2047;
// Longest launch key accepted (a longer argument is refused unread).
constexpr size_t kPortalKeyMax = 4095;
// The clipboard reader's buffer at start-up and the text it accepts.
constexpr size_t kPortalClipboardBufferSize = 20480;
// The client's data block: the enciphered text and its terminator must fit.
constexpr size_t kPortalClipboardBlockSize = 4096;

struct PortalRecord {
  std::string host;       // field 0, at most kPortalHostMax characters
  int32_t port = 0;       // atoi of field 1
  std::string fields[4];  // fields 2 to 5; field 5 is empty with five fields
};

// ---------------------------------------------------------------------------
// Neutral side: the record, the split and the tokenizer.

// A tokenizer over a private copy of the text: a non-null text starts anew,
// null continues. Returns the next token (valid until the next call) or null
// at the end. Two separators in a row give an empty token; a separator at
// the very end gives no further token. Not reentrant (UI thread only).
const char* TokenizeNext(const char* text, char separator);

// Splits deciphered portal text into a record: at least five and at most six
// comma-separated tokens are taken (empty ones included, later ones ignored);
// false for fewer than five, a host over kPortalHostMax or a field over
// kPortalFieldMax characters. out is written only on success.
bool SplitPortalText(const char* text, PortalRecord* out);

// The process-wide portal data.
const char* GetPortalHost();  // "" when the portal gave none
int32_t GetPortalPort();
const std::string& GetPortalText();       // the deciphered text as read
const std::string& GetPortalLaunchKey();  // the command-line argument
// True when field 4 is non-empty: the client start then appends the launch
// key to the client's command line and calls HandOffPortalData.
bool PortalHandsOffToClient();

// Empties host, port and fields (not the text and key).
void ClearPortalRecord();
// Keeps text and key as the portal text and launch key, then splits the
// text into the record. false (record left empty) for an empty text or a
// text SplitPortalText refuses.
bool AdoptPortalText(const char* text, const char* launchKey);

// ---------------------------------------------------------------------------
// Win32 side (app/portal_win.cpp): the clipboard.

// The portal's launch argument, handed over by the command-line parser for
// each plain parameter: empties the record, reads and clears the clipboard
// data, deciphers it with the argument and keeps it. false when there is no
// usable data (the launcher then uses its own login address).
bool ParseLaunchArgument(const char* argument);

// Puts the portal text back on the clipboard, enciphered with the launch
// key, for the game client. false for no text or key, or when the
// clipboard refuses it; the client start then fails with message 20006.
bool HandOffPortalData();

// Reads the portal format off the clipboard (bounded by its global block),
// deciphers it with key and copies the text with its terminator to out
// (size bytes, text at most size - 1). With clear, the format's data is
// removed afterwards. false: no data, undecipherable, or too long.
bool GetPortalClipboard(char* out, size_t size, const char* key, bool clear);

// Enciphers text with key and sets it as the portal format's data (other
// formats on the clipboard stay). false for an empty text, a text whose
// enciphered form does not fit kPortalClipboardBlockSize with its
// terminator, or a clipboard failure.
bool PutPortalClipboard(const char* text, const char* key);
