#include "tests/net/memory_transport.h"

#include <algorithm>
#include <cstring>

namespace memory_transport {
namespace {

std::string g_input;
size_t g_read = 0;
int g_piece = 1;
std::string g_sent;
nte_sock_t g_next = 100;

int Startup() { return 0; }
void Cleanup() {}
int Create(nte_sock_t* out)
{
    *out = g_next++;
    return 0;
}
int NonBlock(nte_sock_t) { return 0; }
int SetOption(nte_sock_t, int, int) { return 0; }
int GetOption(nte_sock_t, int option, int* value)
{
    // Report what the engine asked for, so that it logs nothing.
    *value = option == NTE_SOCKOPT_SNDBUF ? 32768 : 16384;
    return 0;
}
int Resolve(const char*, nte_address* out)
{
    std::memset(out, 0, sizeof *out);
    out->bytes[0] = 127;
    out->bytes[3] = 1;
    out->length = 4;
    return 0;
}
int Bind(nte_sock_t, const nte_address*, int) { return 0; }
int Listen(nte_sock_t, int) { return 0; }
int Connect(nte_sock_t, const nte_address*, int) { return NTE_CONNECT_STARTED; }
int LocalAddress(nte_sock_t, nte_address* out) { return Resolve(nullptr, out); }
int Accept(nte_sock_t, nte_sock_t*, nte_address*) { return NTE_IO_AGAIN; }
int Recv(nte_sock_t, void* buf, int n)
{
    if (g_read >= g_input.size())
        return 0;
    const size_t k = std::min({static_cast<size_t>(n), static_cast<size_t>(g_piece), g_input.size() - g_read});
    std::memcpy(buf, g_input.data() + g_read, k);
    g_read += k;
    return static_cast<int>(k);
}
int Send(nte_sock_t, const void* buf, int n)
{
    g_sent.append(static_cast<const char*>(buf), static_cast<size_t>(n));
    return n;
}
void Shutdown(nte_sock_t) {}
void Close(nte_sock_t) {}
int Select(nte_pollset* set)
{
    int ready = 0;
    for (int i = 0; i < set->count; ++i) {
        nte_poll_entry& e = set->entries[i];
        e.ready = static_cast<uint8_t>(e.want & (NTE_POLL_READ | NTE_POLL_WRITE));
        ready += e.ready != 0 ? 1 : 0;
    }
    return ready;
}
void ErrorText(char* out, int cap)
{
    if (cap > 0) {
        std::strncpy(out, "memory transport", static_cast<size_t>(cap) - 1);
        out[cap - 1] = '\0';
    }
}

const nte_transport kTransport = {
    "memory", Startup, Cleanup, Create, NonBlock, SetOption, GetOption, Resolve, Bind, Listen,
    Connect, LocalAddress, Accept, Recv, Send, Shutdown, Close, Select, ErrorText,
};

}  // namespace

void Install()
{
    nte_set_transport(&kTransport);
}

void Uninstall()
{
    nte_set_transport(nullptr);
}

void SetInput(const uint8_t* data, size_t n, int piece)
{
    g_input.assign(reinterpret_cast<const char*>(data), n);
    g_read = 0;
    g_piece = piece > 0 ? piece : 1;
    g_sent.clear();
}

const std::string& Sent()
{
    return g_sent;
}

bool Drained()
{
    return g_read >= g_input.size();
}

}  // namespace memory_transport
