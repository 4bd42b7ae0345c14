// The one formatter of string-table texts.  Neutral.
#pragma once

#include "framework/cstring.h"

// Formats a string-table text without printf: "%s" becomes text (every one
// of them; kept as it stands when text is null), "%d" the next of ints in
// order ("0" once they run out), "%Nd" the same right-aligned in a field of
// N characters (N from 1 to 99, padded with spaces), "%%" one '%', and any
// other '%' stays as it is.  A changed string can therefore never make the
// formatting read past its arguments or take a number for a text.
CString FormatTableText(const char* format, const char* text, const int* ints = nullptr, int count = 0);
