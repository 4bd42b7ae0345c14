#pragma once
#define IDB_TEST_PALETTE 101
#define IDB_TEST_MISSING 102
