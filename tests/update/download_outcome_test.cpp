#include "update/download_outcome.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "update/download_bound.h"

namespace {

namespace fs = std::filesystem;

// The string table of this stage, and the answers the user gives.
class ScriptedQuestions : public CDownloadQuestions {
 public:
  explicit ScriptedQuestions(std::vector<bool> answers) : m_answers(answers.begin(), answers.end()) {}

  CString LoadText(unsigned id) override {
    m_loaded.push_back(id);
    switch (id) {
      case IDS_ERR_FILE_UNREADABLE:
        return "unreadable";
      case IDS_ERR_FILE_CORRUPT:
        return "corrupt";
      case IDS_ERR_DOWNLOAD_CONNECT:
        return "connect(%d:%d)";
      case IDS_ERR_DOWNLOAD_FAILED:
        return "error(%d:%d)";
      case IDS_ERR_DOWNLOAD_TIMEOUT:
        return "timeout(%d)";
      default:
        return "";
    }
  }
  BOOL AskRetry(const char* text) override {
    m_asked.push_back(text);
    if (m_answers.empty()) {
      ADD_FAILURE() << "an unexpected question: " << text;
      return FALSE;
    }
    const bool answer = m_answers.front();
    m_answers.pop_front();
    return answer;
  }

  std::deque<bool> m_answers;
  std::vector<unsigned> m_loaded;
  std::vector<std::string> m_asked;
};

// A scratch file in a folder of its own.
class ScratchFile {
 public:
  explicit ScratchFile(const std::string& bytes) {
    m_folder = fs::temp_directory_path() / ("quorl-outcome-" + std::to_string(reinterpret_cast<uintptr_t>(this)) + "-" +
                                            std::to_string(++s_counter));
    fs::create_directories(m_folder);
    m_path = (m_folder / "patch.bin").string();
    std::ofstream(m_path, std::ios::binary) << bytes;
  }
  ~ScratchFile() {
    std::error_code ec;
    fs::remove_all(m_folder, ec);
  }
  const char* Path() const { return m_path.c_str(); }
  bool Exists() const { return fs::exists(m_path); }

 private:
  static int s_counter;
  fs::path m_folder;
  std::string m_path;
};
int ScratchFile::s_counter = 0;

const std::string kBody = "the patch file's bytes";

uint32_t Crc(const std::string& bytes) {
  return static_cast<uint32_t>(
      crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

// The real CRC of the file, after failing the first `failures` reads.
FileCrcFunction CrcFailing(int failures, int* calls) {
  return [failures, calls](const char* path, uint32_t* crc) -> BOOL {
    ++*calls;
    if (*calls <= failures) return FALSE;
    std::ifstream in(path, std::ios::binary);
    if (!in) return FALSE;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    *crc = Crc(bytes);
    return TRUE;
  };
}

struct EndCase {
  const char* name;
  int endCode;
  uint32_t endValue;
  uint32_t size;    // expected size
  bool goodCrc;     // the expected CRC is the file's
  int crcFailures;  // reads of the file that fail first
  std::vector<bool> answers;
  int result;
  std::vector<std::string> asked;
  bool fileKept;
};

class DownloadEnd : public ::testing::TestWithParam<EndCase> {};

TEST_P(DownloadEnd, GivesTheResultAndAsksTheRightQuestions) {
  const EndCase& c = GetParam();
  ScratchFile file(kBody);
  ScriptedQuestions questions(c.answers);
  int crcCalls = 0;
  const uint32_t crc = c.goodCrc ? Crc(kBody) : Crc(kBody) ^ 1u;
  EXPECT_EQ(c.result, ResolveDownloadEnd(c.endCode, c.endValue, file.Path(), c.size, crc, questions,
                                         CrcFailing(c.crcFailures, &crcCalls)));
  EXPECT_EQ(c.asked, questions.m_asked);
  EXPECT_TRUE(questions.m_answers.empty()) << "questions left unasked";
  EXPECT_EQ(c.fileKept, file.Exists());
}

const uint32_t kSize = static_cast<uint32_t>(kBody.size());

const EndCase kEndCases[] = {
    {"Verified", 0, kSize, kSize, true, 0, {}, kDownloadVerified, {}, true},
    {"WrongSizeRetry", 0, kSize, kSize + 1, true, 0, {true}, kDownloadAgainReload, {"corrupt"}, true},
    {"WrongSizeCancel", 0, kSize, kSize + 1, true, 0, {false}, kDownloadGiveUp, {"corrupt"}, false},
    {"WrongCrcCancel", 0, kSize, kSize, false, 0, {false}, kDownloadGiveUp, {"corrupt"}, false},
    {"WrongCrcRetry", 0, kSize, kSize, false, 0, {true}, kDownloadAgainReload, {"corrupt"}, true},
    {"UnreadableThenReadable",
     0,
     kSize,
     kSize,
     true,
     2,
     {true, true},
     kDownloadVerified,
     {"unreadable", "unreadable"},
     true},
    {"UnreadableThenWrongCrc",
     0,
     kSize,
     kSize,
     false,
     1,
     {true, true},
     kDownloadAgainReload,
     {"unreadable", "corrupt"},
     true},
    {"UnreadableCancel", 0, kSize, kSize, true, 1, {false}, kDownloadGiveUp, {"unreadable"}, false},
    {"StoppedDeletesThePartialFile", 4, 0, kSize, true, 0, {}, kDownloadGiveUp, {}, false},
    {"SessionFailedRetry", 5, 12007, kSize, true, 0, {true}, kDownloadAgain, {"connect(5:12007)"}, true},
    {"ProxyRefusedCancel", 6, 407, kSize, true, 0, {false}, kDownloadGiveUp, {"connect(6:407)"}, false},
    {"RequestFailed", 11, 12029, kSize, true, 0, {true}, kDownloadAgain, {"connect(11:12029)"}, true},
    {"FileWriteFailed", 7, 13, kSize, true, 0, {true}, kDownloadAgain, {"error(7:13)"}, true},
    {"ReadFailed", 8, 12002, kSize, true, 0, {false}, kDownloadGiveUp, {"error(8:12002)"}, false},
    {"OtherFailure", 10, 0, kSize, true, 0, {true}, kDownloadAgain, {"error(10:0)"}, true},
    {"Stalled", kDownloadStalled, 0, kSize, true, 0, {true}, kDownloadAgain, {"timeout(-2)"}, true},
    {"StalledCancel", kDownloadStalled, 0, kSize, true, 0, {false}, kDownloadGiveUp, {"timeout(-2)"}, false},
    {"UnknownEndCode", 9, 0, kSize, true, 0, {}, kDownloadGiveUp, {}, true},
    // A Content-Length other than the announced size is a wrong size.
    {"WrongLengthRetry", kDownloadWrongLength, 17, kSize, true, 0, {true}, kDownloadAgainReload, {"corrupt"}, true},
    {"WrongLengthCancel", kDownloadWrongLength, 17, kSize, true, 0, {false}, kDownloadGiveUp, {"corrupt"}, false},
};

INSTANTIATE_TEST_SUITE_P(Table, DownloadEnd, ::testing::ValuesIn(kEndCases),
                         [](const ::testing::TestParamInfo<EndCase>& info) { return info.param.name; });

TEST(DownloadEnd, MissingFileIsExaminedByItsCrc) {
  ScratchFile file(kBody);
  const std::string missing = std::string(file.Path()) + ".none";
  ScriptedQuestions questions({true, false});
  int calls = 0;
  EXPECT_EQ(kDownloadGiveUp, CheckDownloadedFile(missing.c_str(), kSize, Crc(kBody), questions, CrcFailing(0, &calls)));
  EXPECT_EQ(2, calls);
  EXPECT_EQ((std::vector<std::string>{"unreadable", "unreadable"}), questions.m_asked);
}

struct AttemptCase {
  const char* name;
  std::vector<int> results;
  BOOL outcome;
  std::vector<BOOL> reloads;
};

TEST(DownloadAttempts, ReloadFromTheFirstFailedCheckOn) {
  const AttemptCase cases[] = {
      {"first verifies", {0}, TRUE, {FALSE}},
      {"errors keep the cache", {1, 1, 0}, TRUE, {FALSE, FALSE, FALSE}},
      {"failed check reloads", {2, 0}, TRUE, {FALSE, TRUE}},
      {"reload stays set", {2, 1, 2, 2, 0}, TRUE, {FALSE, TRUE, TRUE, TRUE, TRUE}},
      {"give up at once", {3}, FALSE, {FALSE}},
      {"give up later", {1, 2, 3}, FALSE, {FALSE, FALSE, TRUE}},
      {"unknown result gives up", {7}, FALSE, {FALSE}},
  };
  for (const AttemptCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<BOOL> reloads;
    size_t next = 0;
    const BOOL outcome = RunDownloadAttempts([&](BOOL reload) {
      reloads.push_back(reload);
      return next < c.results.size() ? c.results[next++] : kDownloadGiveUp;
    });
    EXPECT_EQ(c.outcome, outcome);
    EXPECT_EQ(c.reloads, reloads);
  }
}

TEST(DownloadAttempts, HaveNoLimit) {
  int calls = 0;
  EXPECT_TRUE(RunDownloadAttempts([&](BOOL) { return ++calls < 1000 ? kDownloadAgainReload : 0; }));
  EXPECT_EQ(1000, calls);
}

// ---- the bound of a download at its announced size ---------------------------

// Bytes a download keeps of a body of bodyLength bytes, read 4,096 at a
// time as the session reads it, when the answer carries length (or none),
// and the end code it comes to: a length that disagrees ends before the
// body.
struct Kept {
  uint64_t bytes;
  int endCode;
};
Kept BytesKept(CDownloadBound bound, bool lengthKnown, uint32_t length, uint64_t bodyLength) {
  if (!bound.Agrees(lengthKnown, length)) return {0, kDownloadWrongLength};
  uint64_t kept = 0;
  for (uint64_t left = bodyLength; left > 0;) {
    uint32_t got = static_cast<uint32_t>(left < 4096 ? left : 4096);
    left -= got;
    const bool full = bound.Take(got);
    kept += got;
    if (full) break;
  }
  return {kept, kDownloadDone};
}

// The body a server sends: the announced file is its first bytes.
std::string BodyBytes(size_t n) {
  std::string b(n, '\0');
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<char>((i * 131 + 7) % 251);
  return b;
}

struct BoundCase {
  const char* name;
  uint32_t announced;
  bool lengthKnown;
  uint32_t length;
  uint64_t body;
  uint64_t written;
  int result;  // after the update screen's check, Retry refused
};

TEST(DownloadBound, AnnouncedSizeBoundsTheFileAndTheCheckRefusesTheRest) {
  constexpr uint64_t kMiB = 1024 * 1024;
  const BoundCase cases[] = {
      {"exact, no length", 1000, false, 0, 1000, 1000, kDownloadVerified},
      {"exact, with length", 1000, true, 1000, 1000, 1000, kDownloadVerified},
      {"no length, runs on for tens of MiB", 1000, false, 0, 48 * kMiB, 1001, kDownloadGiveUp},
      {"no length, one byte too many", 1000, false, 0, 1001, 1001, kDownloadGiveUp},
      {"no length, one byte short", 1000, false, 0, 999, 999, kDownloadGiveUp},
      {"length one over: no body read", 1000, true, 1001, 1001, 0, kDownloadGiveUp},
      {"length one under: no body read", 1000, true, 999, 999, 0, kDownloadGiveUp},
      {"cut inside a read", 4096, false, 0, 3 * 4096, 4097, kDownloadGiveUp},
      {"announced 0, empty body", 0, false, 0, 0, 0, kDownloadVerified},
      {"announced 0, a body without length", 0, false, 0, 5000, 1, kDownloadGiveUp},
      // Nothing of the body is read, and the empty file that an announced 0
      // would accept is not taken for it.
      {"announced 0, length given", 0, true, 17, 17, 0, kDownloadGiveUp},
      {"announced 0, length 0", 0, true, 0, 0, 0, kDownloadVerified},
  };
  for (const BoundCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Kept kept = BytesKept(CDownloadBound(c.announced), c.lengthKnown, c.length, c.body);
    const uint64_t written = kept.bytes;
    EXPECT_EQ(c.written, written);
    // What the update screen makes of that file.
    const std::string body = BodyBytes(static_cast<size_t>(c.written));
    ScratchFile file(body);
    ScriptedQuestions questions(c.result == kDownloadVerified ? std::vector<bool>{} : std::vector<bool>{false});
    int calls = 0;
    EXPECT_EQ(c.result, ResolveDownloadEnd(kept.endCode, static_cast<uint32_t>(written), file.Path(), c.announced,
                                           Crc(BodyBytes(c.announced)), questions, CrcFailing(0, &calls)));
    if (c.result != kDownloadVerified) {
      EXPECT_EQ((std::vector<std::string>{"corrupt"}), questions.m_asked);
    }
  }
}

TEST(DownloadBound, EdgesOfTheCount) {
  // No announced size: nothing is cut and every length agrees.
  EXPECT_EQ(5 * 1024 * 1024u, BytesKept(CDownloadBound(), true, 1, 5 * 1024 * 1024).bytes);
  EXPECT_FALSE(CDownloadBound().IsBounded());
  // The largest announced size: its one extra byte is byte 2^32, which a
  // 32-bit count would wrap to 0.
  CDownloadBound largest(0xFFFFFFFFu);
  uint32_t got = 0xFFFFFFFFu;
  EXPECT_FALSE(largest.Take(got));
  EXPECT_EQ(0xFFFFFFFFu, got);
  got = 4096;
  EXPECT_TRUE(largest.Take(got));
  EXPECT_EQ(1u, got);
}

}  // namespace
