// Encrypted records through the engine pass over the fake transport, byte
// for byte against libcrypto's Blowfish and AES.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/nte/crypto_fixture.h"

namespace nte_test {
namespace {

using oracle::Bytes;
using oracle::Cipher;

// One secret for every keyed connection here: 64 digits, 32 key bytes.
const std::string kSecret = "AF09C3D4E5F60718293A4B5C6D7E8F90A1B2C3D4E5F60718293A4B5C6D7E8F90";

std::string Joined() {
  std::string all;
  for (const std::string& r : rec().records) all += r;
  return all;
}

Bytes Pattern(size_t n) {
  Bytes b(n, '\0');
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<char>((i * 131 + 7) & 0xFF);
  return b;
}

class RecordTest : public CryptoTest {
 protected:
  // A keyed connection of a new context, connected, nothing queued.
  conn_t* keyed(int flags, int key_length, int read_size, int write_size) {
    tcpcontext* ctx = cipher_context(flags, key_length, read_size, write_size);
    if (!ctx) return nullptr;
    conn_t* c = attach(ctx, 0);
    key_directly(c, kSecret);
    return c;
  }
  fake::Socket* sock(conn_t* c) { return fake::find(c->sock); }
  void drain(conn_t* c) {
    for (int i = 0; i < 1000 && nte_conn_pending_output(c, c->serial) > 0; ++i) pass();
  }
};

struct EncodeCase {
  const char* name;
  Cipher cipher;
  int write_size;
  size_t length;
  bool u16_framed;              // sent through the 16-bit sender
  std::vector<size_t> records;  // plain bytes of each record
  uint32_t first_l;             // padded length of the first record
};

TEST_F(RecordTest, EncodedRecordsTable) {
  const EncodeCase cases[] = {
      {"Blowfish 5", Cipher::kBlowfish, 36864, 5, false, {5}, 8},
      {"Blowfish 8", Cipher::kBlowfish, 36864, 8, false, {8}, 16},
      {"Blowfish 16", Cipher::kBlowfish, 36864, 16, false, {16}, 24},
      {"Blowfish largest record", Cipher::kBlowfish, 36864, 32752, false, {32752}, 32760},
      {"Blowfish one more splits", Cipher::kBlowfish, 36864, 32753, false, {32752, 1}, 32760},
      {"Blowfish full 4096 buffer", Cipher::kBlowfish, 4096, 4094, true, {4095, 1}, 4096},
      {"Rijndael 5", Cipher::kRijndael, 36864, 5, false, {5}, 16},
      {"Rijndael 16", Cipher::kRijndael, 36864, 16, false, {16}, 32},
      // 8168 bytes pad to 16 x 511: the largest L the encoder makes is 8176.
      {"Rijndael largest record", Cipher::kRijndael, 36864, 8168, false, {8168}, 8176},
      {"Rijndael one more splits", Cipher::kRijndael, 36864, 8169, false, {8168, 1}, 8176},
      {"Rijndael full 4096 buffer", Cipher::kRijndael, 4096, 4094, true, {4095, 1}, 4096},
  };
  for (const EncodeCase& c : cases) {
    SCOPED_TRACE(c.name);
    const bool bf = c.cipher == Cipher::kBlowfish;
    conn_t* conn = keyed(bf ? NTE_CIPHER_BLOWFISH : NTE_CIPHER_RIJNDAEL, bf ? 32 : 16, 4096, c.write_size);
    ASSERT_NE(nullptr, conn);
    const Bytes body = Pattern(c.length);
    Bytes plain = body;
    if (c.u16_framed) {
      ASSERT_EQ(static_cast<int>(c.length) + 2,
                nte_send_u16_length(conn, conn->serial, body.data(), static_cast<int>(c.length)));
      plain = oracle::Be32(static_cast<uint32_t>(c.length)).substr(2) + body;
      EXPECT_EQ(0, nte_conn_writable(conn, conn->serial)) << "the application filled its buffer";
    } else {
      ASSERT_EQ(static_cast<int>(c.length),
                nte_conn_write(conn, conn->serial, body.data(), static_cast<int>(c.length)));
    }
    drain(conn);
    const oracle::Encoder enc(c.cipher, oracle::KeyFromSecret(kSecret, 32));
    Bytes expect;
    size_t at = 0;
    for (size_t n : c.records) {
      expect += enc.Record(plain.substr(at, n));
      at += n;
    }
    ASSERT_EQ(plain.size(), at);
    EXPECT_EQ(oracle::ToHex(expect), oracle::ToHex(sock(conn)->outbox));
    ASSERT_GE(sock(conn)->outbox.size(), 8u);
    EXPECT_EQ(c.first_l, oracle::ReadBe32(sock(conn)->outbox, 0));
    EXPECT_EQ(c.records[0], oracle::ReadBe32(sock(conn)->outbox, 4));
    EXPECT_EQ(1, nte_conn_is_valid(conn, conn->serial));
    nte_tcpcontext_cleanup(conn->ctx);
  }
}

TEST_F(RecordTest, DecodedRecordsJoinIntoTheStream) {
  struct Case {
    const char* name;
    Cipher cipher;
    std::vector<size_t> records;
  } cases[] = {
      {"Blowfish", Cipher::kBlowfish, {5, 0, 8, 16, 32752, 1}},
      {"Rijndael", Cipher::kRijndael, {5, 0, 16, 8168, 1}},
  };
  for (const Case& c : cases) {
    for (int chunk : {1, 7, 100000}) {
      SCOPED_TRACE(std::string(c.name) + " read size " + std::to_string(chunk));
      rec().records.clear();
      const bool bf = c.cipher == Cipher::kBlowfish;
      conn_t* conn = keyed(bf ? NTE_CIPHER_BLOWFISH : NTE_CIPHER_RIJNDAEL, bf ? 32 : 16, 36864, 4096);
      const oracle::Encoder enc(c.cipher, oracle::KeyFromSecret(kSecret, 32));
      Bytes wire, plain;
      for (size_t n : c.records) {
        const Bytes piece = Pattern(n + plain.size()).substr(plain.size());
        wire += enc.Record(piece);
        plain += piece;
      }
      fake::Socket* s = sock(conn);
      s->recv_chunk = chunk;
      s->inbox = wire;
      for (int i = 0; i < 200000 && !s->inbox.empty(); ++i) pass();
      pass(3);
      EXPECT_EQ(plain.size(), Joined().size());
      EXPECT_TRUE(plain == Joined());
      EXPECT_TRUE(rec().closes.empty());
      nte_tcpcontext_cleanup(conn->ctx);
    }
  }
}

TEST_F(RecordTest, EmptyRecordDoesNotEndThePassDecoding) {
  conn_t* conn = keyed(NTE_CIPHER_BLOWFISH, 16, 4096, 4096);
  const oracle::Encoder enc(Cipher::kBlowfish, oracle::KeyFromSecret(kSecret, 16));
  sock(conn)->inbox = enc.Record("") + enc.Record("ab");
  pass();
  EXPECT_EQ("ab", Joined()) << "both records in one pass";
}

TEST_F(RecordTest, BadHeadersTable) {
  struct Case {
    const char* name;
    Cipher cipher;
    int read_size;
    uint32_t l, p;
    size_t body;  // bytes after the header
    int code;
  } cases[] = {
      {"L 12", Cipher::kBlowfish, 4096, 12, 4, 12, -23},
      {"L 40000", Cipher::kBlowfish, 36864, 40000, 1, 0, -2},
      {"L 0x80000000", Cipher::kBlowfish, 4096, 0x80000000u, 1, 0, -22},
      {"P = L + 1", Cipher::kBlowfish, 4096, 16, 17, 16, -24},
      {"P negative", Cipher::kBlowfish, 4096, 16, 0xFFFFFFFFu, 16, -24},
      {"never fits the read buffer", Cipher::kBlowfish, 256, 4096, 5, 0, -2},
      {"Blowfish L 32760 is taken", Cipher::kBlowfish, 36864, 32760, 32760, 32760, 32760},
      {"Blowfish L 32768", Cipher::kBlowfish, 36864, 32768, 1, 0, -2},
      {"Rijndael L 24", Cipher::kRijndael, 4096, 24, 4, 24, -23},
      {"Rijndael L 8176 is taken", Cipher::kRijndael, 36864, 8176, 3, 8176, 3},
      // Within the limit, but not a whole number of blocks.
      {"Rijndael L 8184", Cipher::kRijndael, 36864, 8184, 3, 8184, -23},
      {"Rijndael L 8192", Cipher::kRijndael, 36864, 8192, 3, 0, -2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const bool bf = c.cipher == Cipher::kBlowfish;
    conn_t* conn = keyed(bf ? NTE_CIPHER_BLOWFISH : NTE_CIPHER_RIJNDAEL, 16, c.read_size, 4096);
    put(&conn->erbuf, oracle::Be32(c.l) + oracle::Be32(c.p) + Bytes(c.body, '\0'));
    EXPECT_EQ(c.code, conn->decoder(conn));
    if (c.code < 0) {
      EXPECT_EQ(c.code, nte_get_last_error());
    }
    nte_tcpcontext_cleanup(conn->ctx);
  }
  // Through the pass: the connection is released with reason 4.
  conn_t* conn = keyed(NTE_CIPHER_BLOWFISH, 16, 4096, 4096);
  const uint32_t serial = conn->serial;
  sock(conn)->inbox = oracle::Be32(12) + oracle::Be32(4) + Bytes(12, '\0');
  pass(2);
  ASSERT_EQ(1u, rec().closes.size());
  EXPECT_EQ(serial, rec().closes[0].serial);
  EXPECT_EQ(NTE_CLOSE_DECODER_FAILED, rec().closes[0].reason);
}

TEST_F(RecordTest, EveryCutOfAGoodRecordWaits) {
  for (Cipher cipher : {Cipher::kBlowfish, Cipher::kRijndael}) {
    const bool bf = cipher == Cipher::kBlowfish;
    conn_t* conn = keyed(bf ? NTE_CIPHER_BLOWFISH : NTE_CIPHER_RIJNDAEL, 16, 4096, 4096);
    const oracle::Encoder enc(cipher, oracle::KeyFromSecret(kSecret, 16));
    const Bytes record = enc.Record(Pattern(37));
    for (size_t cut = 0; cut < record.size(); ++cut) {
      clear(&conn->erbuf);
      put(&conn->erbuf, record.substr(0, cut));
      ASSERT_EQ(0, conn->decoder(conn)) << cut;
      ASSERT_EQ(cut, held(conn->erbuf).size()) << cut;
      ASSERT_EQ("", held(conn->rbuf)) << cut;
    }
    put(&conn->erbuf, record.substr(record.size() - 1));
    EXPECT_EQ(37, conn->decoder(conn));
    EXPECT_EQ(Pattern(37), held(conn->rbuf));
    nte_tcpcontext_cleanup(conn->ctx);
  }
}

TEST_F(RecordTest, RecordWaitsForRoomInThePlainReadBuffer) {
  conn_t* conn = keyed(NTE_CIPHER_BLOWFISH, 16, 64, 4096);
  const oracle::Encoder enc(Cipher::kBlowfish, oracle::KeyFromSecret(kSecret, 16));
  put(&conn->rbuf, Bytes(40, 'r'));
  const Bytes record = enc.Record(Pattern(30));
  put(&conn->erbuf, record);
  EXPECT_EQ(0, conn->decoder(conn)) << "30 bytes, 24 free";
  EXPECT_EQ(record, held(conn->erbuf));
  nte_sbuf_shift(&conn->rbuf, nullptr, 10);
  EXPECT_EQ(30, conn->decoder(conn));
  EXPECT_EQ(Bytes(30, 'r') + Pattern(30), held(conn->rbuf));
  nte_tcpcontext_cleanup(conn->ctx);
}

TEST_F(RecordTest, EachDirectionIsSetUpOnce) {
  nte_set_log_level(1);
  struct Case {
    Cipher cipher;
    const char* encoder_note;
    const char* decoder_note;
  } cases[] = {
      {Cipher::kBlowfish, "Note:10011 init blowfish encoder on fd:", "Note:10010 init blowfish decoder on fd:"},
      {Cipher::kRijndael, "Note:10013 init rijndael encoder on fd:", "Note:10012 init rijindael decoder on fd:"},
  };
  for (const Case& c : cases) {
    rec().log.clear();
    rec().records.clear();
    const bool bf = c.cipher == Cipher::kBlowfish;
    conn_t* conn = keyed(bf ? NTE_CIPHER_BLOWFISH : NTE_CIPHER_RIJNDAEL, 16, 4096, 4096);
    const oracle::Encoder enc(c.cipher, oracle::KeyFromSecret(kSecret, 16));
    for (int i = 0; i < 3; ++i) {
      ASSERT_EQ(3, nte_conn_write(conn, conn->serial, "abc", 3));
      drain(conn);
      sock(conn)->inbox += enc.Record("xyz");
      pass(2);
    }
    EXPECT_EQ(enc.Record("abc") + enc.Record("abc") + enc.Record("abc"), sock(conn)->outbox);
    EXPECT_EQ("xyzxyzxyz", Joined());
    int encoders = 0, decoders = 0;
    for (const std::string& line : rec().log) {
      encoders += line.rfind(c.encoder_note, 0) == 0;
      decoders += line.rfind(c.decoder_note, 0) == 0;
    }
    EXPECT_EQ(1, encoders);
    EXPECT_EQ(1, decoders);
    nte_tcpcontext_cleanup(conn->ctx);
  }
}

TEST_F(RecordTest, RijndaelKeyLengthsGiveOneKeyAndTheKeyMapping) {
  // 24- and 32-byte contexts use the first 16 key bytes: identical records.
  std::string first;
  for (int key_length : {16, 24, 32}) {
    SCOPED_TRACE(key_length);
    conn_t* conn = keyed(NTE_CIPHER_RIJNDAEL, key_length, 4096, 4096);
    ASSERT_EQ(12, nte_conn_write(conn, conn->serial, "same records", 12));
    drain(conn);
    EXPECT_EQ(16, conn->key_length) << "lowered at the first record";
    if (first.empty()) first = sock(conn)->outbox;
    EXPECT_EQ(first, sock(conn)->outbox);
    nte_tcpcontext_cleanup(conn->ctx);
  }
  // Key byte 0xAF enters the cipher as 0x16, 0x09 stays, 0xFF becomes 0x66.
  conn_t* conn = keyed(NTE_CIPHER_RIJNDAEL, 16, 4096, 4096);
  const uint8_t key[16] = {0xAF, 0x09, 0xFF, 0x00, 0xA0, 0x0A, 0x99, 0x5C,
                           0xAF, 0x09, 0xFF, 0x00, 0xA0, 0x0A, 0x99, 0x5C};
  const uint8_t mapped[16] = {0x16, 0x09, 0x66, 0x00, 0x10, 0x01, 0x99, 0x53,
                              0x16, 0x09, 0x66, 0x00, 0x10, 0x01, 0x99, 0x53};
  std::memcpy(conn->send_key, key, 16);
  ASSERT_EQ(1, nte_conn_write(conn, conn->serial, "k", 1));
  drain(conn);
  AES_KEY aes;
  AES_set_encrypt_key(mapped, 128, &aes);
  unsigned char block[16] = {'k'};
  AES_encrypt(block, block, &aes);
  EXPECT_EQ(oracle::ToHex(oracle::Be32(16) + oracle::Be32(1) + Bytes(reinterpret_cast<char*>(block), 16)),
            oracle::ToHex(sock(conn)->outbox));
}

TEST_F(RecordTest, OneWayFlagsKeepTheOtherDirectionPlain) {
  struct Case {
    const char* name;
    int flags;
    bool send_encrypted, receive_encrypted;
  } cases[] = {
      {"receive only", NTE_CIPHER_BLOWFISH | NTE_BLOCK_CIPHER_ONLY_RECV, false, true},
      {"send only", NTE_CIPHER_BLOWFISH | NTE_BLOCK_CIPHER_ONLY_SEND, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    rec().records.clear();
    conn_t* conn = keyed(c.flags, 16, 4096, 4096);
    const oracle::Encoder enc(Cipher::kBlowfish, oracle::KeyFromSecret(kSecret, 16));
    ASSERT_EQ(5, nte_conn_write(conn, conn->serial, "plain", 5));
    drain(conn);
    EXPECT_EQ(c.send_encrypted ? enc.Record("plain") : Bytes("plain"), sock(conn)->outbox);
    sock(conn)->inbox = c.receive_encrypted ? enc.Record("back") : Bytes("back");
    pass(2);
    EXPECT_EQ("back", Joined());
    nte_tcpcontext_cleanup(conn->ctx);
  }
}

TEST_F(RecordTest, PlainHooksMoveWhatFitsUpTo8192Bytes) {
  tcpcontext* ctx = cipher_context(0, 0, 20000, 20000);
  conn_t* conn = attach(ctx, 0);
  put(&conn->wbuf, Pattern(10000));
  EXPECT_EQ(0, nte_plain_encoder(conn));
  EXPECT_EQ(8192u, held(conn->ewbuf).size());
  EXPECT_EQ(10000u - 8192u, held(conn->wbuf).size());
  put(&conn->erbuf, Pattern(9000));
  put(&conn->rbuf, Bytes(20000 - 100, 'r'));
  EXPECT_EQ(0, nte_plain_decoder(conn));
  EXPECT_EQ(20000u, held(conn->rbuf).size()) << "only the free space";
  EXPECT_EQ(8900u, held(conn->erbuf).size());
}

}  // namespace
}  // namespace nte_test
