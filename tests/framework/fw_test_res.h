// Resource ids of the framework's test programs.
#pragma once
#define IDS_TEST_ASCII 101
#define IDS_TEST_KOREAN 102
#define IDS_TEST_LONG 103
#define IDS_TEST_MISSING 199
