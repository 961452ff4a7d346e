#include "stl_string.h"

#include "mem/mem_export.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <istream>
#include <ostream>

namespace {

// Formats into a tracked buffer: one pass for text of up to 256 characters, a
// second, exactly sized pass (on a fresh copy of the arguments) for longer text.
template <class STRING> void format_into(STRING* out, char const* format, va_list args) {
    if (out == nullptr || format == nullptr) {
        return;
    }
    size_t limit = 256;
    char* buffer = MEM_NEW_ARRAY(MEM, char, limit + 1);
    va_list first;
    va_copy(first, args);
    int n = std::vsnprintf(buffer, limit + 1, format, first);
    va_end(first);
    if (n >= 0 && static_cast<size_t>(n) > limit) {
        delete[] buffer;
        limit = static_cast<size_t>(n);
        buffer = MEM_NEW_ARRAY(MEM, char, limit + 1);
        va_list second;
        va_copy(second, args);
        n = std::vsnprintf(buffer, limit + 1, format, second);
        va_end(second);
    }
    if (n >= 0 && static_cast<size_t>(n) <= limit) {
        out->assign(buffer, static_cast<size_t>(n));
    }
    delete[] buffer;
}

template <class STRING> STRING& change_case(STRING& s, char from, char to) {
    for (char& c : s) {
        if (c >= from && c <= from + ('z' - 'a')) {
            c = static_cast<char>(c - from + to);
        }
    }
    return s;
}

} // namespace

MEM_EXPORT void stl_vsprintf(MEM_STRING* out, char const* format, va_list args) {
    format_into(out, format, args);
}
MEM_EXPORT void stl_vsprintf(std::string* out, char const* format, va_list args) {
    format_into(out, format, args);
}

MEM_EXPORT void stl_sprintf(MEM_STRING* out, char const* format, ...) {
    va_list args;
    va_start(args, format);
    format_into(out, format, args);
    va_end(args);
}
MEM_EXPORT void stl_sprintf(std::string* out, char const* format, ...) {
    va_list args;
    va_start(args, format);
    format_into(out, format, args);
    va_end(args);
}

MEM_EXPORT MEM_STRING& stl_toupper(MEM_STRING& s) {
    return change_case(s, 'a', 'A');
}
MEM_EXPORT MEM_STRING& stl_tolower(MEM_STRING& s) {
    return change_case(s, 'A', 'a');
}
MEM_EXPORT std::string& stl_toupper(std::string& s) {
    return change_case(s, 'a', 'A');
}
MEM_EXPORT std::string& stl_tolower(std::string& s) {
    return change_case(s, 'A', 'a');
}

MEM_EXPORT unsigned stl_strlcpy(char* dst, char const* src, unsigned size) {
    size_t length = std::strlen(src);
    if (size == 0) {
        return static_cast<unsigned>(length);
    }
    size_t copied = length < size ? length : size - 1;
    std::memcpy(dst, src, copied);
    dst[copied] = '\0';
    return static_cast<unsigned>(length);
}

MEM_EXPORT unsigned stl_strlncat(char* dst, char const* src, unsigned count, unsigned size) {
    size_t kept = 0;
    while (kept + 1 < size && dst[kept] != '\0') {
        ++kept;
    }
    size_t length = std::strlen(src);
    size_t appended = 0;
    while (appended < count && appended < length && kept + appended + 1 < size) {
        dst[kept + appended] = src[appended];
        ++appended;
    }
    if (size > 0) {
        dst[kept + appended] = '\0';
    }
    return static_cast<unsigned>(kept + length);
}

MEM_EXPORT unsigned stl_strlcat(char* dst, char const* src, unsigned size) {
    return stl_strlncat(dst, src, ~0u, size);
}

MEM_EXPORT std::ostream& operator<<(std::ostream& stream, MEM_STRING const& s) {
    return stream.write(s.c_str(), static_cast<std::streamsize>(std::strlen(s.c_str())));
}

MEM_EXPORT void mem_stl_extract_operator(std::istream& stream, MEM_STRING& s) {
    std::string word;
    stream >> word;
    s.assign(word.c_str());
}
