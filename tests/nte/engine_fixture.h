// A started engine over the fake transport with a fake clock, one client
// context and recorders for records and closes.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "net/nte/nte.h"
#include "net/nte/nte_records.h"
#include "tests/nte/engine_start.h"
#include "tests/nte/fake_transport.h"

namespace nte_test {

// A record's bytes on the wire: the body behind its big-endian 16-bit
// (u16) or 32-bit (u32) length.
std::string u16(const std::string& body);
std::string u32(const std::string& body);

// Runs engine passes, a millisecond apart, until cond holds or ms passed;
// cond's last answer.  For the engines over the system's sockets.
bool pump_until(const std::function<bool()>& cond, int ms = 5000);

struct Close {
  uint32_t serial;
  int reason;
};

// Shared by the C callbacks below; reset by the fixture.
struct Recorder {
  std::vector<std::string> records;
  std::vector<Close> closes;
  int record_result = 0;           // what the record callback returns
  bool close_in_callback = false;  // the record callback closes its connection
  bool cleanup_in_callback = false;
  bool finalize_in_callback = false;
  tcpcontext* ctx = nullptr;
  std::vector<std::string> log;
};
Recorder& rec();

int on_record(conn_t* c, uint32_t serial, const uint8_t* data, int length);
int on_close(conn_t* c, uint32_t serial, int reason);
void on_log(void* user, const char* line);
void fake_clock(int64_t* seconds, int* ms);
void advance_clock(int seconds);

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // A client context with this framing and buffer sizes.
  tcpcontext* make_context(int framing, int read_size = 256, int write_size = 256, int timeout = 600,
                           int records_per_pass = 1);
  // Connects and runs passes until the connect completed.
  nte_conn_handle connect(tcpcontext* ctx);
  void pass(int n = 1) {
    for (int i = 0; i < n; ++i) nte_heartbeat();
  }
  tcpcontext* ctx_ = nullptr;
};

}  // namespace nte_test
