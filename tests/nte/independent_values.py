#!/usr/bin/env python3
# Computes the fixed values that the engine's cipher and key-exchange tests
# pin, without the engine and without libcrypto: Python's integers for the
# Diffie-Hellman arithmetic and a Blowfish of its own (its P-array and
# S-boxes from pi's hexadecimal digits by Machin's formula, checked against
# published vectors below).  Not part of the build; run it to see where the
# numbers in nte_keyex_test.cpp and nte_cipher_test.cpp come from:
#   python3 tests/nte/independent_values.py


def arctan_inv(x, one):
    total = term = one // x
    x2 = x * x
    n = 1
    sign = -1
    while term:
        term //= x2
        n += 2
        total += sign * (term // n)
        sign = -sign
    return total

def pi_hex_fraction(ndigits):
    bits = ndigits * 4 + 64
    one = 1 << bits
    pi = 16 * arctan_inv(5, one) - 4 * arctan_inv(239, one)
    frac = pi - 3 * one
    frac >>= 64
    return '%0*x' % (ndigits, frac)

N = 18 + 4 * 256
digits = pi_hex_fraction(8 * N)
words = [int(digits[8*i:8*i+8], 16) for i in range(N)]
P0 = words[:18]
S0 = [words[18 + 256*b: 18 + 256*(b+1)] for b in range(4)]
assert P0[0] == 0x243f6a88 and P0[17] == 0x8979fb1b, hex(P0[17])
assert S0[3][255] == 0x3ac372e6, hex(S0[3][255])

M = 0xffffffff
class BF:
    def __init__(self, key):
        self.p = list(P0)
        self.s = [list(b) for b in S0]
        k = 0
        for i in range(18):
            w = 0
            for _ in range(4):
                w = (w << 8) | key[k]
                k = (k + 1) % len(key)
            self.p[i] ^= w
        l = r = 0
        for i in range(0, 18, 2):
            l, r = self.enc(l, r)
            self.p[i], self.p[i+1] = l, r
        for b in range(4):
            for i in range(0, 256, 2):
                l, r = self.enc(l, r)
                self.s[b][i], self.s[b][i+1] = l, r
    def f(self, x):
        s = self.s
        return ((((s[0][x >> 24] + s[1][(x >> 16) & 255]) & M) ^ s[2][(x >> 8) & 255]) + s[3][x & 255]) & M
    def enc(self, l, r):
        for i in range(16):
            l ^= self.p[i]
            r ^= self.f(l)
            l, r = r, l
        l, r = r, l
        r ^= self.p[16]
        l ^= self.p[17]
        return l, r
    def dec(self, l, r):
        for i in range(17, 1, -1):
            l ^= self.p[i]
            r ^= self.f(l)
            l, r = r, l
        l, r = r, l
        r ^= self.p[1]
        l ^= self.p[0]
        return l, r

def be_block(bf, block, encrypt=True):
    l = int.from_bytes(block[:4], 'big'); r = int.from_bytes(block[4:], 'big')
    l, r = (bf.enc if encrypt else bf.dec)(l, r)
    return l.to_bytes(4, 'big') + r.to_bytes(4, 'big')

def le_ecb(bf, data, encrypt=True):
    out = b''
    for i in range(0, len(data), 8):
        l = int.from_bytes(data[i:i+4], 'little'); r = int.from_bytes(data[i+4:i+8], 'little')
        l, r = (bf.enc if encrypt else bf.dec)(l, r)
        out += l.to_bytes(4, 'little') + r.to_bytes(4, 'little')
    return out


def check_blowfish():
    vectors = [("0000000000000000", "0000000000000000", "4ef997456198dd78"),
               ("ffffffffffffffff", "ffffffffffffffff", "51866fd5b85ecb8a"),
               ("fedcba9876543210", "0123456789abcdef", "0aceab0fc6a0a28d"),
               ("fedcba9876543210", "ffffffffffffffff", "6b5c5a9c5d9e0a5a"),
               ("49e95d6d4ca229bf", "02fe55778117f12a", "cf9c5d7a4986adb5")]
    for k, p, c in vectors:
        bf = BF(bytes.fromhex(k))
        assert be_block(bf, bytes.fromhex(p)).hex() == c, k
        assert be_block(bf, bytes.fromhex(c), False).hex() == p, k
    bf = BF(bytes.fromhex("f0e1d2c3b4a5968778695a4b3c2d1e0f0011223344556677"))
    assert be_block(bf, bytes.fromhex("fedcba9876543210")).hex() == "05044b62fa52d080"


def record_form_values():
    print("Blowfish record form (each half little-endian):")
    bf = BF(b"Quorl key 16 byt")
    data = bytes(range(0x10, 0x10 + 40))
    print("  key 'Quorl key 16 byt'", data.hex(), "->", le_ecb(bf, data).hex())


# The exchange's group and the transcript's private exponents.
P = int("f488fd584e49dbcd20b49de49107366b336c380d451d0f7c88b31c7c5b2d8ef6"
        "f3c923c043f0a55b188d8ebb558cb85d38d334fd7c175743a31d186cde33212c"
        "b52aff3ce1b1294018118d7c84a70a72d686c40319c807297aca950cd9969fab"
        "d00a509b0246d3083d66a45d419f9c7cbd894b221926baaba25ec355e92f78c7", 16)
CLIENT_EXPONENT = "3a5f0c9e11d2b4c6a8e0f1d3b5c7e9a1c3e5f7a9"
SERVER_EXPONENT = "77b1c2d3e4f5061728394a5b6c7d8e9fa0b1c2d3"


def text(v):
    # Upper-case digits, two per byte from the most significant non-zero
    # byte, "0" for zero.
    h = '%X' % v
    return '0' + h if len(h) % 2 else h


def transcript_values():
    x, y = int(CLIENT_EXPONENT, 16), int(SERVER_EXPONENT, 16)
    X, Y = pow(2, x, P), pow(2, y, P)
    S = pow(Y, x, P)
    assert S == pow(X, y, P)
    print("X", text(X))
    print("Y", text(Y))
    print("S", text(S))
    # The key: the secret's text read as pairs of digits, 16 bytes.
    key = bytes.fromhex(text(S)[:32])
    print("key", key.hex())
    bf = BF(key)
    for plain in (b"Quorl client, first record", b"first record from the server"):
        padded = 8 * (len(plain) // 8 + 1)
        body = plain + b'\0' * (padded - len(plain))
        wire = padded.to_bytes(4, 'big') + len(plain).to_bytes(4, 'big') + le_ecb(bf, body)
        print("record", plain.decode(), wire.hex())


if __name__ == '__main__':
    check_blowfish()
    record_form_values()
    transcript_values()
