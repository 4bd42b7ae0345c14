#include "update/download_outcome.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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

}  // namespace
