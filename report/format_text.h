// printf-style formatting into a fixed-capacity text.
#pragma once

#include <cstddef>

// Never writes past `capacity` bytes and always leaves the text terminated:
// output that does not fit is cut at capacity - 1 characters. Returns the
// length of what the text now holds.
size_t FormatText(char* text, size_t capacity, const char* format, ...) __attribute__((format(printf, 3, 4)));
