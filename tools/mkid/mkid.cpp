#include "tools/mkid/mkid.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

// Strict decimal u32: digits only, no sign, no trailing text, no overflow.
bool ParseU32(const char* text, uint32_t* value) {
  if (text == nullptr || *text == '\0') return false;
  uint64_t v = 0;
  for (const char* p = text; *p; ++p) {
    if (*p < '0' || *p > '9') return false;
    v = v * 10 + static_cast<uint64_t>(*p - '0');
    if (v > 0xFFFFFFFFull) return false;
  }
  *value = static_cast<uint32_t>(v);
  return true;
}

}  // namespace

const char* MkidUsage() {
  return "usage: mkid --codepage N --profile NAME [--key N] [--seed N] [--text] [--nul] -o FILE\n"
         "  --codepage N   code page stored in the record (decimal)\n"
         "  --profile NAME registry profile name\n"
         "  --key N        scrambling key (default 418762)\n"
         "  --seed N       scrambler seed instead of the current time (reproducible output)\n"
         "  --text         write the two-line text form instead of the scrambled record\n"
         "  --nul          end the output with a NUL (for the RCDATA resource) instead of a line end\n"
         "  -o FILE        output file\n";
}

bool ParseMkidArgs(int argc, const char* const* argv, MkidOptions* options, std::string* error) {
  MkidOptions o;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    // Options that take a value read the next argument.
    auto value = [&](const char** out) -> bool {
      if (i + 1 >= argc) {
        *error = arg + " needs a value";
        return false;
      }
      *out = argv[++i];
      return true;
    };
    const char* v = nullptr;
    if (arg == "--help" || arg == "-h") {
      o.help = true;
    } else if (arg == "--codepage") {
      if (!value(&v)) return false;
      if (!ParseU32(v, &o.codePage)) {
        *error = std::string("bad code page: ") + v;
        return false;
      }
      o.hasCodePage = true;
    } else if (arg == "--profile") {
      if (!value(&v)) return false;
      o.profileName = v;
      o.hasProfileName = true;
    } else if (arg == "--key") {
      if (!value(&v)) return false;
      if (!ParseU32(v, &o.key)) {
        *error = std::string("bad key: ") + v;
        return false;
      }
    } else if (arg == "--seed") {
      if (!value(&v)) return false;
      if (!ParseU32(v, &o.seed)) {
        *error = std::string("bad seed: ") + v;
        return false;
      }
      o.hasSeed = true;
    } else if (arg == "--text") {
      o.textForm = true;
    } else if (arg == "--nul") {
      o.appendNul = true;
    } else if (arg == "-o") {
      if (!value(&v)) return false;
      o.outputPath = v;
    } else {
      *error = "unknown argument: " + arg;
      return false;
    }
  }
  if (o.help) {
    *options = o;
    return true;
  }
  if (!o.hasCodePage) {
    *error = "--codepage is required";
    return false;
  }
  if (!o.hasProfileName) {
    *error = "--profile is required";
    return false;
  }
  if (o.outputPath.empty()) {
    *error = "-o FILE is required";
    return false;
  }
  *options = o;
  return true;
}

bool BuildMkidOutput(const MkidOptions& options, std::string* bytes, std::string* error) {
  std::string out;
  if (options.textForm) {
    if (!CLocalizeInfo::EncodeTextRecord(options.codePage, options.profileName, &out)) {
      *error = "the text form cannot hold a profile name with a line break";
      return false;
    }
    if (options.appendNul) out.push_back('\0');
  } else {
    uint32_t seed = options.hasSeed ? options.seed : static_cast<uint32_t>(std::time(nullptr));
    out = CLocalizeInfo::EncodeRecord(options.codePage, options.profileName, options.key, seed);
    if (out.empty()) {
      *error = "cannot build the record (profile name too long)";
      return false;
    }
    // The id file's record is its first line; the resource is read up to its NUL.
    if (options.appendNul)
      out.push_back('\0');
    else
      out += "\r\n";
  }
  *bytes = out;
  return true;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* error) {
  std::string tmp = path + ".tmp";
  FILE* f = std::fopen(tmp.c_str(), "wb");
  if (f == nullptr) {
    *error = "cannot create " + tmp + ": " + std::strerror(errno);
    return false;
  }
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = (std::fclose(f) == 0) && ok;
  if (!ok) {
    *error = "cannot write " + tmp;
    std::remove(tmp.c_str());
    return false;
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    *error = "cannot rename " + tmp + " to " + path + ": " + std::strerror(errno);
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}

int MkidMain(int argc, const char* const* argv) {
  MkidOptions options;
  std::string error;
  if (!ParseMkidArgs(argc, argv, &options, &error)) {
    std::fprintf(stderr, "mkid: %s\n%s", error.c_str(), MkidUsage());
    return 2;
  }
  if (options.help) {
    std::fputs(MkidUsage(), stdout);
    return 0;
  }
  std::string bytes;
  if (!BuildMkidOutput(options, &bytes, &error) || !WriteFileAtomically(options.outputPath, bytes, &error)) {
    std::fprintf(stderr, "mkid: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
