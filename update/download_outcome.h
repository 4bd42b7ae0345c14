// What one download of the update screen comes to once the transfer has
// ended: the size and CRC-32 check of the file, the retry questions, and
// the loop of attempts.  Platform-neutral; the screen supplies the string
// table and the Retry/Cancel dialog.
#pragma once

#include <cstdint>
#include <functional>

#include "framework/cstring.h"
#include "res/resource.h"
#include "update/download_end.h"

// Results of one download attempt.
enum DownloadResult {
  kDownloadVerified = 0,     // the file is there and checks out
  kDownloadAgain = 1,        // after an error: the same request again
  kDownloadAgainReload = 2,  // after a failed check: again, past every cache
  kDownloadGiveUp = 3,
};

// The questions of this stage, asked by the screen (tests answer them).
class CDownloadQuestions {
 public:
  virtual ~CDownloadQuestions() = default;
  // The text of string id with the application title for its %s; empty
  // when there is no such string.
  virtual CString LoadText(unsigned id) = 0;
  // Shows the Retry/Cancel question; TRUE for Retry.
  virtual BOOL AskRetry(const char* text) = 0;
};

// The CRC-32 of a whole file; FALSE when it cannot be read.
typedef std::function<BOOL(const char* path, uint32_t* crc)> FileCrcFunction;

// The message asked after end code endCode (update/download_end.h):
// IDS_ERR_DOWNLOAD_CONNECT (no session, refused, request error) and
// IDS_ERR_DOWNLOAD_FAILED (file, read and other errors) with "(%d:%d)" for
// end code and value, IDS_ERR_DOWNLOAD_TIMEOUT (stalled) with "(%d)"; 0 for
// none (done checks the file, stopped and anything unknown give up without
// a question).
unsigned DownloadEndMessageId(int endCode);

// Turns the end of a transfer into a result: checks the file after
// kDownloadDone, asks IDS_ERR_FILE_CORRUPT after kDownloadWrongLength (as
// for a wrong size), deletes the file after kDownloadStopped, asks the end
// code's question otherwise.
// A file that is given up on (failed transfer or failed check, the user
// answering Cancel) is deleted, so that nothing that looks downloaded is
// left behind.
DownloadResult ResolveDownloadEnd(int endCode, uint32_t endValue, const char* path, uint32_t size, uint32_t crc,
                                  CDownloadQuestions& questions, const FileCrcFunction& crcOfFile);

// The check of a finished file: size (the low 32 bits), then CRC-32.  An
// unreadable file asks IDS_ERR_FILE_UNREADABLE and is examined again on
// Retry; a wrong size or CRC asks IDS_ERR_FILE_CORRUPT.  Returns
// kDownloadVerified, kDownloadAgainReload or kDownloadGiveUp.
DownloadResult CheckDownloadedFile(const char* path, uint32_t size, uint32_t crc, CDownloadQuestions& questions,
                                   const FileCrcFunction& crcOfFile);

// The attempts of one file: attempt(reload), a DownloadResult, until it
// verifies (TRUE) or is given up (FALSE; also for a value that is none).  Reload is set from the first attempt after a
// failed check on and stays set.  There is no limit on the attempts: each one waited for a Retry.
BOOL RunDownloadAttempts(const std::function<int(BOOL reload)>& attempt);
