// Whole files for tests: what a program under test wrote, and inputs made
// on the spot.  Neutral.
#pragma once

#include <string>

namespace test_support {

// The file's bytes; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);
// Writes bytes as the whole file (made or truncated); false on any failure.
bool WriteWholeFile(const std::string& path, const std::string& bytes);

}  // namespace test_support
