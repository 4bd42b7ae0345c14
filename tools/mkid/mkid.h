// Command-line core of the mkid tool, kept apart from main() for the tests.
#pragma once

#include <cstdint>
#include <string>

#include "app/localize.h"

struct MkidOptions {
  uint32_t codePage = 0;
  bool hasCodePage = false;
  std::string profileName;
  bool hasProfileName = false;
  uint32_t key = kLocalizeInfoServiceId;
  uint32_t seed = 0;
  bool hasSeed = false;    // without --seed the clock seeds the scrambler
  bool textForm = false;   // --text: the two-line text form
  bool appendNul = false;  // --nul: the RCDATA resource is read as NUL-terminated text
  std::string outputPath;
  bool help = false;
};

// Usage text, one option per line.
const char* MkidUsage();

// Parses argv[1..argc-1]. False with a one-line reason in *error on bad or
// missing options (--help alone is valid and sets help).
bool ParseMkidArgs(int argc, const char* const* argv, MkidOptions* options, std::string* error);

// The bytes of the output file. False with a reason when the record cannot be
// built (e.g. a name the text form cannot hold).
bool BuildMkidOutput(const MkidOptions& options, std::string* bytes, std::string* error);

// Writes bytes to path through a temporary file renamed into place, so that a
// failed run leaves no partial file behind. False with a reason on failure.
bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* error);

// The whole tool: returns the process exit code (0 done, 1 failed, 2 usage),
// with messages on stderr.
int MkidMain(int argc, const char* const* argv);
