// The system's cryptographic random generator (getrandom natively,
// RtlGenRandom on Windows); the key exchange's exponents draw on it.
#pragma once

// Fills n bytes: 0, or -1 when the generator fails.
int nte_os_random(void* out, int n);
