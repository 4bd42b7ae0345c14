// Arbitrary bytes through the engine's record reader into the launcher's
// socket and every message decoder.  Byte 0 chooses the receive piece size,
// the rest is the stream from the server; the stream is also given to each
// decoder directly as one message body.
#include <cstddef>
#include <cstdint>

#include "net/login_messages.h"
#include "net/quorl_socket.h"
#include "net/version_update_info.h"
#include "tests/net/memory_transport.h"

namespace {

// Feeds every version answer into an update-info entry, as the launcher does.
class CFuzzSocket : public CQuorlSocket {
public:
    int Notify(int nType, int nA, int nB, int nP, intptr_t nQ) override
    {
        if (nType == kNotifyMessage && (nA == kMsgVersionNotify || nA == kMsgVersionNotifyShort) && nQ != 0) {
            const auto* v = reinterpret_cast<const CVersionNotifyObj*>(nQ);
            if (v->m_nChunkNumber > 0)
                entry.AddScriptChunk(v->m_nChunkCount, v->m_nChunkNumber, v->m_data.data(), v->m_data.size());
            // Touch the terminator: it must lie inside the block.
            if (entry.HasScript() && *static_cast<const volatile char*>(entry.GetScript() + entry.GetUsed()) != '\0')
                __builtin_trap();
        }
        return 0;
    }
    CVersionUpdateInfo entry{1, 10000};
};

class CNullSink : public CLoginNotifySink {
public:
    int Notify(int, int, int, int, intptr_t) override { return 0; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const int piece = 1 + data[0] % 97;
    const uint8_t* stream = data + 1;
    const int n = static_cast<int>(size - 1);

    // Each decoder on its own, whatever the id byte says.
    CNullSink sink;
    DispatchLoginMessage(stream, n, sink);
    ParseWorldStatus(stream, n, sink);
    ParseWorldId(stream, n, sink);
    ParseVersionNotify(stream, n, sink);
    ParseVersionNotifyShort(stream, n, sink);
    ParseWorldSiteList(stream, n, sink);
    ParseByteNotify(stream, n, sink);
    ParseFlagNotify(stream, n, sink);

    // The whole path: engine framing, socket, dispatcher.
    memory_transport::Install();
    memory_transport::SetInput(stream, static_cast<size_t>(n), piece);
    {
        CFuzzSocket socket;
        if (socket.Initialize() && socket.Connect("127.0.0.1", 9070, 1) == 0) {
            // Each pass reads at most one piece; stop once the stream ended
            // and the close was seen, with a bound for safety.
            for (int i = 0; i < n + 16 && socket.GetState() != CNteSocket::kClosed; ++i)
                socket.Poll(1);
        }
        socket.Close();
    }
    memory_transport::Uninstall();
    return 0;
}
