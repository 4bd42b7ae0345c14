#include "update/download_outcome.h"

#include "framework/afxfile.h"
#include "framework/text_format.h"

namespace {

// Removes a file that must not stay; a failure changes nothing about the
// download's result.
void RemoveQuietly(const char* path) {
  try {
    CFile::Remove(path);
  } catch (CFileException* e) {
    e->Delete();
  }
}

}  // namespace

unsigned DownloadEndMessageId(int endCode) {
  switch (endCode) {
    case kDownloadNoSession:
    case kDownloadRefused:
    case kDownloadRequestError:
      return IDS_ERR_DOWNLOAD_CONNECT;
    case kDownloadFileError:
    case kDownloadReadError:
    case kDownloadOtherError:
      return IDS_ERR_DOWNLOAD_FAILED;
    case kDownloadStalled:
      return IDS_ERR_DOWNLOAD_TIMEOUT;
    default:
      return 0;
  }
}

DownloadResult CheckDownloadedFile(const char* path, uint32_t size, uint32_t crc, CDownloadQuestions& questions,
                                   const FileCrcFunction& crcOfFile) {
  for (;;) {
    CFileStatus status;
    // A status that cannot be read leaves the verdict to the CRC.
    if (CFile::GetStatus(path, status) && static_cast<uint32_t>(status.m_size) != size)
      return questions.AskRetry(questions.LoadText(IDS_ERR_FILE_CORRUPT)) ? kDownloadAgainReload : kDownloadGiveUp;
    uint32_t value = 0;
    if (!crcOfFile(path, &value)) {
      // The file may be held by another program for a moment: look again
      // without downloading it again.
      if (questions.AskRetry(questions.LoadText(IDS_ERR_FILE_UNREADABLE))) continue;
      return kDownloadGiveUp;
    }
    if (value == crc) return kDownloadVerified;
    return questions.AskRetry(questions.LoadText(IDS_ERR_FILE_CORRUPT)) ? kDownloadAgainReload : kDownloadGiveUp;
  }
}

DownloadResult ResolveDownloadEnd(int endCode, uint32_t endValue, const char* path, uint32_t size, uint32_t crc,
                                  CDownloadQuestions& questions, const FileCrcFunction& crcOfFile) {
  if (endCode == kDownloadDone) {
    const DownloadResult result = CheckDownloadedFile(path, size, crc, questions, crcOfFile);
    if (result == kDownloadGiveUp) RemoveQuietly(path);
    return result;
  }
  if (endCode == kDownloadWrongLength) {
    // The same question and the same Retry as a file of the wrong size.
    if (questions.AskRetry(questions.LoadText(IDS_ERR_FILE_CORRUPT))) return kDownloadAgainReload;
    RemoveQuietly(path);
    return kDownloadGiveUp;
  }
  if (endCode == kDownloadStopped) {
    RemoveQuietly(path);
    return kDownloadGiveUp;
  }
  const unsigned id = DownloadEndMessageId(endCode);
  if (id == 0) return kDownloadGiveUp;
  // The texts carry "%d" for the end code and its value (the value as the
  // signed number the string table was written for).
  const int args[2] = {endCode, static_cast<int>(endValue)};
  const CString text = FormatTableText(questions.LoadText(id), nullptr, args, 2);
  if (questions.AskRetry(text)) return kDownloadAgain;
  RemoveQuietly(path);
  return kDownloadGiveUp;
}

BOOL RunDownloadAttempts(const std::function<int(BOOL reload)>& attempt) {
  int number = 1;
  for (;;) {
    switch (attempt(number >= 2 ? TRUE : FALSE)) {
      case kDownloadVerified:
        return TRUE;
      case kDownloadAgain:
        break;
      case kDownloadAgainReload:
        if (number < 2) ++number;
        break;
      default:
        return FALSE;
    }
  }
}
