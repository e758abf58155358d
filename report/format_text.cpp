#include "report/format_text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

size_t FormatText(char* text, size_t capacity, const char* format, ...)
{
    if (capacity == 0)
        return 0;
    va_list args;
    va_start(args, format);
#ifdef _WIN32
    // The system C runtime's own formatter, so the program carries no printf
    // of its own. It leaves a text cut at its count unterminated: the last
    // byte is kept for the terminator and set here.
    _vsnprintf(text, capacity - 1, format, args);
    text[capacity - 1] = '\0';
#else
    vsnprintf(text, capacity, format, args);
#endif
    va_end(args);
    return strlen(text);
}
