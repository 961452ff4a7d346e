// The system's string type and the string helpers of the memory manager.
//
// MEM_STRING is the standard string whose blocks come from the manager's
// container allocator. The formatting and case helpers also take a plain
// std::string (whose blocks reach the manager through the replaced global new).
#pragma once

#include "mem_manager.h"

#include <cstdarg>
#include <iosfwd>
#include <string>

using MEM_STRING = std::basic_string<char, std::char_traits<char>, MEM_STL_ALLOCATOR<char>>;

// Replaces `*out` with the formatted text (C printf formats). A null `out` or
// `format`, or a formatting error, leaves `*out` as it was.
void stl_sprintf(MEM_STRING* out, char const* format, ...) __attribute__((format(printf, 2, 3)));
void stl_sprintf(std::string* out, char const* format, ...) __attribute__((format(printf, 2, 3)));
void stl_vsprintf(MEM_STRING* out, char const* format, va_list args);
void stl_vsprintf(std::string* out, char const* format, va_list args);

// Change the ASCII letters in place; every other byte stays.
MEM_STRING& stl_toupper(MEM_STRING& s);
MEM_STRING& stl_tolower(MEM_STRING& s);
std::string& stl_toupper(std::string& s);
std::string& stl_tolower(std::string& s);

// Bounded copies; `size` (at least 1) counts the terminator, which is always
// written. Each returns the length it tried to make: a result of `size` or more
// means the text was cut.
// Copies at most size - 1 characters; returns strlen(src).
unsigned stl_strlcpy(char* dst, char const* src, unsigned size);
// Keeps dst up to size - 1 characters and appends src while it fits; returns the
// kept length plus strlen(src).
unsigned stl_strlcat(char* dst, char const* src, unsigned size);
// As stl_strlcat, appending at most `count` characters of src.
unsigned stl_strlncat(char* dst, char const* src, unsigned count, unsigned size);

// Writes the text up to its first zero character.
std::ostream& operator<<(std::ostream& stream, MEM_STRING const& s);
// Reads one blank-separated word into `s` (up to its first zero character).
void mem_stl_extract_operator(std::istream& stream, MEM_STRING& s);
