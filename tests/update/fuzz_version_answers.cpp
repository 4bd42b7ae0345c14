// Arbitrary sequences of version answers through the answer classifier, as
// the check feeds them: the version table, the notice and the server state
// must stay within their bounds whatever the server says.
//
// Input: records of [u8 component selector][i32 result as 4 bytes][u8 chunk
// count][u8 chunk number][u8 data length][data]; the table asks about the
// launcher and the game.  The table and notice live across inputs and are
// reset per input.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "framework/byte_order.h"
#include "update/version_check.h"

namespace {

constexpr uint32_t kService = 441397;

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

CVersionUpdateInfoList* g_table = nullptr;
CNoticeText* g_notice = nullptr;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (g_table == nullptr) {
    g_table = new CVersionUpdateInfoList;
    g_notice = new CNoticeText;
  }
  const CCheckVerInfo rows[] = {{10100, 2004005}, {10000, 1002003}};
  Check(g_table->Build(kService, rows, 2));
  g_notice->Clear();
  int serverState = kServerWaiting;
  CVersionNotifyObj answer;
  size_t off = 0;
  while (size - off >= 8) {
    const uint8_t selector = data[off];
    // Mostly results the check knows, sometimes any 32-bit value.
    static const int32_t kResults[] = {1, 0, 2, 3, -100, -98, -99, -2, -1, 4};
    const int32_t raw = static_cast<int32_t>(GetBe32(data + off + 1));
    const int32_t result = (selector & 0x80) ? raw : kResults[static_cast<uint32_t>(raw) % 10];
    answer.m_nServiceCode = (selector & 0x40) ? 1 : kService;
    answer.m_nComponentId = (selector & 1) ? 10000 : 10100;
    answer.m_nChunkCount = static_cast<int8_t>(data[off + 5]);
    answer.m_nChunkNumber = static_cast<int8_t>(data[off + 6]);
    const size_t n = data[off + 7];
    off += 8;
    const size_t take = n < size - off ? n : size - off;
    answer.m_data.assign(data + off, data + off + take);
    off += take;
    ClassifyVersionAnswer(answer, result, *g_table, *g_notice, serverState);

    Check(serverState >= kServerWaiting && serverState <= kServerInvalid);
    Check(g_notice->GetLength() <= CNoticeText::kCapacity);
    Check(g_notice->GetText()[g_notice->GetLength()] == '\0');
    if (g_notice->WasCut())
      Check(Utf8CompleteLength(g_notice->GetText(), g_notice->GetLength()) == g_notice->GetLength());
    for (size_t i = 0; i < g_table->GetCount(); ++i) {
      const CVersionUpdateInfo* e = g_table->GetAt(i);
      Check(e->GetState() >= 0 && e->GetState() <= 7);
      if (e->HasScript()) Check(std::memchr(e->GetScript(), '\0', e->GetUsed() + 1) != nullptr);
    }
  }
  return 0;
}
