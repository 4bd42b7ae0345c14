// A drive letter of the test prefix of the kind the test asks for, as Wine
// keeps its drives: a dosdevices link to a folder and the letter's type in
// HKLM\Software\Wine\Drives, both made by Wine's mount manager (as its
// configuration tool makes them).  The destructor takes the letter away
// again.
#pragma once

#include <windows.h>

#include <string>

// A letter from Y: down to M: that names no drive now (GetDriveTypeA
// answers DRIVE_NO_ROOT_DIR), lower case; 0 when there is none.
char UnusedDriveLetter();

class CWineDrive {
 public:
  // type: a GetDriveTypeA kind (DRIVE_REMOVABLE, DRIVE_CDROM, DRIVE_REMOTE,
  // DRIVE_RAMDISK); folder: an existing folder the letter shows.
  CWineDrive(UINT type, const std::string& folder);
  ~CWineDrive();
  CWineDrive(const CWineDrive&) = delete;
  CWineDrive& operator=(const CWineDrive&) = delete;

  bool Ok() const { return m_letter != 0; }
  // "X:\" of the drive (empty when it could not be made).
  std::string Root() const;

 private:
  char m_letter = 0;
};
