// The manager's own printf-style engine: appends formatted text to a string of
// the manager's string type. It parses the format and formats integers, texts
// and padding itself; only the digits of floating-point values come from the C
// library.
//
// Conversions: d i u o x X p c C s S Z e E f g G n (B prints only padding);
// flags "-+ #0"; width and precision, also as "*"; sizes h, l, ll, I64, w
// (F, L and N are accepted and ignored). Every floating conversion prints
// fixed-point text and always keeps the decimal point; there is no exponent
// form. An "I" size not followed by "64" ends the conversion and is printed as
// an ordinary character.
#pragma once

#include "stl_string.h"

#include <cstdarg>
#include <cstdint>

// The record a "%Z" conversion prints: a counted string. `length` is in bytes;
// with a wide size ("%wZ") the characters are wide and `length` / 4 of them print.
struct STL_COUNTED_STRING {
    uint16_t length;
    uint16_t maximum_length;
    void* buffer;
};

// Appends the formatted text to `out` and returns the number of characters
// appended, or -1 when the text would exceed INT_MAX characters (what was
// formatted up to then stays appended). `arguments` is advanced past every
// argument used, so the caller may go on reading from it.
int stl_output(MEM_STRING* out, char const* format, va_list& arguments);

// Buffered writers of the engine: characters collect in `buffer` (512 characters)
// and go to `out` whenever it fills. `count` grows by the characters written; a
// write that would take it past INT_MAX writes nothing and sets it to -1.
constexpr int STL_OUTPUT_BUFFER_SIZE = 512;
void write_string_a(char const* text, int length, char* buffer, int* position, MEM_STRING* out,
                    int* count);
void write_multi_char_a(char c, int repeat, char* buffer, int* position, MEM_STRING* out,
                        int* count);
