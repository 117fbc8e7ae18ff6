#pragma once

// Reads the decimal number at the start of a text, as users type values into a host's value
// field: leading blanks and a '+' are skipped, trailing text (a unit) is ignored, and digits
// read alike in every locale. A number beyond the range of doubles reads as an infinity of its
// sign, or as a zero when it is too small, so that the caller can clamp it. False, leaving
// value untouched, for text that holds no number or names no number ("nan").
bool ParseDecimal(const char* text, double* value);
