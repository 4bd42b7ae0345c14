// How a download's worker reports to the update screen (the report
// message's WPARAM), and how a download ends: the session's end codes and
// the two the screen adds of its own.  Neutral, so that the session, the
// screen and the outcome of a download switch on the same names.  The
// numbers appear in the download questions ("(%d:%d)"): keep them.
#pragma once

// Reports while a transfer runs; LPARAM carries the value.
enum DownloadReportKind : int {
  kDownloadReportLength = 1,   // the content length
  kDownloadReportBytes = 2,    // bytes so far
  kDownloadReportStarted = 3,  // the server accepted the request
};

// End codes; LPARAM carries the error value that goes with them.
enum DownloadEndCode : int {
  kDownloadStalled = -2,  // the screen's own: no report for too long
  kDownloadRunning = -1,  // the screen's own: no end yet
  kDownloadDone = 0,      // the whole body is in the file (LPARAM: its size)
  kDownloadStopped = 4,   // stopped at the user's request
  kDownloadNoSession = 5,
  kDownloadRefused = 6,
  kDownloadFileError = 7,
  kDownloadReadError = 8,
  kDownloadOtherError = 10,
  kDownloadRequestError = 11,
  // The answer's Content-Length is not the size the script announced: the
  // body was not read, and the file is refused as a wrong size is.
  kDownloadWrongLength = 12,
};
