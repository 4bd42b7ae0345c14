#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/login_messages.h"
#include "net/version_update_info.h"
#include "tests/net/recording_sink.h"
#include "tests/net/wire_builder.h"

namespace {

const CCheckVerInfo kRows[] = {{10100, 5}, {10000, 7}};

}  // namespace

TEST(VersionUpdateInfoList, BuildFindAndRemove) {
  CVersionUpdateInfoList list;
  EXPECT_FALSE(list.Build(441397, kRows, 0));
  ASSERT_TRUE(list.Build(441397, kRows, 2));
  ASSERT_EQ(2u, list.GetCount());
  EXPECT_EQ(10100u, list.GetAt(0)->GetComponentId());
  EXPECT_EQ(10000u, list.GetAt(1)->GetComponentId());
  EXPECT_EQ(list.GetAt(1), list.Find(441397, 10000));
  EXPECT_EQ(nullptr, list.Find(441398, 10000));
  EXPECT_EQ(nullptr, list.Find(441397, 10001));
  EXPECT_EQ(0, list.GetAt(0)->GetState());
  EXPECT_EQ(nullptr, list.GetAt(0)->GetBuffer());

  // A rebuild drops the old entries and their buffers.
  ASSERT_TRUE(list.GetAt(0)->AllocChunks(1));
  ASSERT_TRUE(list.Build(1, kRows + 1, 1));
  EXPECT_EQ(1u, list.GetCount());
  EXPECT_EQ(nullptr, list.Find(441397, 10000));
  list.RemoveAllInfo();
  EXPECT_TRUE(list.IsEmpty());
}

TEST(VersionUpdateInfoList, MaxStateAndPending) {
  CVersionUpdateInfoList list;
  int32_t pending = 7;
  EXPECT_EQ(0, list.GetMaxState(pending));
  EXPECT_EQ(0, pending);
  ASSERT_TRUE(list.Build(1, kRows, 2));
  EXPECT_EQ(0, list.GetMaxState(pending));
  EXPECT_EQ(1, pending);
  list.GetAt(0)->SetState(4);
  EXPECT_EQ(4, list.GetMaxState(pending));
  EXPECT_EQ(1, pending);
  list.GetAt(1)->SetState(2);
  EXPECT_EQ(4, list.GetMaxState(pending));
  EXPECT_EQ(0, pending);
}

TEST(VersionUpdateInfo, SetStateAcceptsOneToSeven) {
  CVersionUpdateInfo e(1, 2);
  for (int s : {0, 8, -1, 100}) {
    e.SetState(s);
    EXPECT_EQ(0, e.GetState()) << s;
  }
  for (int s = 1; s <= 7; ++s) {
    e.SetState(s);
    EXPECT_EQ(s, e.GetState());
  }
  e.SetState(8);
  EXPECT_EQ(7, e.GetState());
}

TEST(VersionUpdateInfo, AppendDataStaysInsideTheBlock) {
  CVersionUpdateInfo e(1, 2);
  const std::string big(2048, 'x');
  EXPECT_FALSE(e.AppendData(big.data(), 1));  // no buffer yet
  ASSERT_TRUE(e.AllocChunks(1));
  EXPECT_FALSE(e.AppendData(nullptr, 1));
  ASSERT_TRUE(e.AppendData("a", 1));
  EXPECT_FALSE(e.AppendData(big.data(), big.size()));  // 2049 > 2048
  EXPECT_EQ(1u, e.GetUsed());
  ASSERT_TRUE(e.AppendData(big.data(), 2047));
  EXPECT_EQ(2048u, e.GetUsed());
  // The block keeps its terminator however full the chunks are.
  EXPECT_EQ(2048u, std::string(e.GetBuffer()).size());
  EXPECT_FALSE(e.AppendData("b", 1));
}

TEST(VersionUpdateInfo, AllocChunksRefusesBadCounts) {
  CVersionUpdateInfo e(1, 2);
  for (int n : {0, -1, -128, 0x7FFFFFFF}) {
    EXPECT_FALSE(e.AllocChunks(n)) << n;
    EXPECT_EQ(nullptr, e.GetBuffer());
  }
  EXPECT_TRUE(e.AllocChunks(255));
  ASSERT_NE(nullptr, e.GetBuffer());
  EXPECT_EQ('\0', e.GetBuffer()[0]);
}

// Each case feeds chunks {count, number, text} in arrival order and names
// the final state and the script it must leave.
TEST(VersionUpdateInfo, ScriptChunkSequences) {
  struct Chunk {
    int count;
    int number;
    std::string text;
  };
  struct Case {
    const char* name;
    std::vector<Chunk> chunks;
    int state;
    const char* script;  // null: no script
  };
  const std::string full2048(2048, 'z');
  const Case cases[] = {
      {"single chunk", {{1, 1, "LATESTVER 1\n"}}, 2, "LATESTVER 1\n"},
      {"three in order", {{3, 1, "a"}, {3, 2, "b"}, {3, 3, "c"}}, 2, "abc"},
      {"waiting after two of three", {{3, 1, "a"}, {3, 2, "b"}}, 0, nullptr},
      {"out of order", {{3, 1, "a"}, {3, 3, "c"}, {3, 2, "b"}}, 6, nullptr},
      {"starts with chunk 2", {{2, 2, "b"}, {2, 1, "a"}}, 6, nullptr},
      {"duplicated chunk", {{3, 1, "a"}, {3, 2, "b"}, {3, 2, "b"}, {3, 3, "c"}}, 6, nullptr},
      {"duplicated first chunk", {{2, 1, "a"}, {2, 1, "a"}, {2, 2, "b"}}, 6, nullptr},
      {"missing chunk", {{3, 1, "a"}, {3, 3, "c"}}, 6, nullptr},
      {"repeat after completion", {{1, 1, "a"}, {1, 1, "a"}}, 6, nullptr},
      {"count 0", {{0, 1, "a"}}, 6, nullptr},
      {"negative count", {{-1, 1, "a"}}, 6, nullptr},
      {"number above count", {{2, 3, "a"}}, 6, nullptr},
      {"number 0", {{1, 0, "a"}}, 6, nullptr},
      {"count changes", {{3, 1, "a"}, {2, 2, "b"}}, 6, nullptr},
      {"chunks fill the block exactly", {{2, 1, full2048}, {2, 2, full2048}}, 2, nullptr},
      {"chunk does not fit", {{1, 1, full2048 + "!"}}, 6, nullptr},
      {"big chunk fits beside small ones", {{2, 1, std::string(3000, 'q')}, {2, 2, "end"}}, 2, nullptr},
      {"empty chunks", {{2, 1, ""}, {2, 2, ""}}, 2, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CVersionUpdateInfo e(1, 10000);
    for (const Chunk& ch : c.chunks) e.AddScriptChunk(ch.count, ch.number, ch.text.data(), ch.text.size());
    EXPECT_EQ(c.state, e.GetState());
    EXPECT_EQ(c.state == 2, e.HasScript());
    if (c.state == 2) {
      std::string expected;
      for (const Chunk& ch : c.chunks) expected += ch.text;
      EXPECT_EQ(expected, std::string(e.GetScript()));
      if (c.script != nullptr) {
        EXPECT_EQ(std::string(c.script), std::string(e.GetScript()));
      }
    } else {
      EXPECT_EQ(nullptr, e.GetScript());
    }
    if (c.state == 6) {
      EXPECT_EQ(nullptr, e.GetBuffer());
    }
  }
}

TEST(VersionUpdateInfo, FinalStateIsNotOverwrittenByAChunk) {
  CVersionUpdateInfo e(1, 10000);
  e.SetState(CVersionUpdateInfo::kNoUpdate);
  EXPECT_EQ(6, e.AddScriptChunk(1, 1, "x", 1));
  EXPECT_FALSE(e.HasScript());
}

// Version answers as they come off the wire, decoded and recorded in the
// list the way the launcher's answer handler does it.
TEST(VersionUpdateInfo, AnswersFromTheWire) {
  CVersionUpdateInfoList list;
  ASSERT_TRUE(list.Build(441397, kRows, 2));
  struct Piece {
    uint32_t component;
    int number;
    std::string text;
  };
  const std::vector<Piece> pieces = {
      {10000, 1, "HTTPGET $tmp/a http://x/a 10 123\n"},
      {10100, 1, "EXEC new.exe\n"},
      {10000, 2, "NEXTVER 2000000\n"},
  };
  CRecordingSink sink;
  for (const Piece& p : pieces) {
    const int count = p.component == 10000 ? 2 : 1;
    CWire w;
    w.U8(34).U32(441397).U32(p.component).U32(1).U8(count).U8(p.number).Str(p.text).Str("").Str("");
    ASSERT_EQ(0, DispatchLoginMessage(w.Data(), w.Size(), sink));
    const CVersionNotifyObj& v = *sink.calls.back().version;
    CVersionUpdateInfo* e = list.Find(v.m_nServiceCode, v.m_nComponentId);
    ASSERT_NE(nullptr, e);
    e->AddScriptChunk(v.m_nChunkCount, v.m_nChunkNumber, v.m_data.data(), v.m_data.size());
  }
  int32_t pending = 0;
  EXPECT_EQ(2, list.GetMaxState(pending));
  EXPECT_EQ(0, pending);
  EXPECT_STREQ("HTTPGET $tmp/a http://x/a 10 123\nNEXTVER 2000000\n", list.Find(441397, 10000)->GetScript());
  EXPECT_STREQ("EXEC new.exe\n", list.Find(441397, 10100)->GetScript());
}
