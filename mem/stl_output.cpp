#include "mem/stl_output.h"

#include "mem/mem_export.h"

#include <array>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <vector>

namespace {

// Conversion flags.
enum : unsigned {
    FL_SIGN = 0x01,
    FL_BLANK = 0x02,
    FL_LEFT = 0x04,
    FL_ZERO = 0x08,
    FL_LONG = 0x10,
    FL_SHORT = 0x20,
    FL_SIGNED = 0x40,
    FL_ALTERNATE = 0x80,
    FL_NEGATIVE = 0x100,
    FL_FORCE_OCTAL = 0x200,
    FL_WIDE = 0x800,
    FL_I64 = 0x8000,
};

// Character classes and parser states.
enum CHAR_CLASS {
    CL_OTHER,
    CL_PERCENT,
    CL_DOT,
    CL_STAR,
    CL_ZERO,
    CL_DIGIT,
    CL_FLAG,
    CL_SIZE,
    CL_TYPE
};
enum STATE { ST_NORMAL, ST_PERCENT, ST_FLAG, ST_WIDTH, ST_DOT, ST_PRECISION, ST_SIZE, ST_TYPE };

constexpr char FIRST_CLASSIFIED = ' ';
constexpr char LAST_CLASSIFIED = 'x';
constexpr int LOOKUP_SIZE = LAST_CLASSIFIED - FIRST_CLASSIFIED + 1; // 89

constexpr bool is_one_of(char c, char const* set) {
    for (; *set != '\0'; ++set) {
        if (*set == c) {
            return true;
        }
    }
    return false;
}

constexpr CHAR_CLASS classify(char c) {
    if (c == '%') {
        return CL_PERCENT;
    }
    if (c == '.') {
        return CL_DOT;
    }
    if (c == '*') {
        return CL_STAR;
    }
    if (c == '0') {
        return CL_ZERO;
    }
    if (c >= '1' && c <= '9') {
        return CL_DIGIT;
    }
    if (is_one_of(c, " #+-")) {
        return CL_FLAG;
    }
    if (is_one_of(c, "FILNhlw")) {
        return CL_SIZE;
    }
    if (is_one_of(c, "BCEGSXZcdefginopsux")) {
        return CL_TYPE;
    }
    return CL_OTHER;
}

// Next state by class (rows) and current state (columns).
constexpr uint8_t NEXT_STATE[9][8] = {
    {0, 0, 0, 0, 0, 0, 0, 0}, // other
    {1, 0, 0, 0, 0, 0, 0, 1}, // percent
    {0, 4, 4, 4, 0, 0, 0, 0}, // dot
    {0, 3, 3, 0, 5, 0, 0, 0}, // star
    {0, 2, 2, 3, 5, 5, 0, 0}, // zero
    {0, 3, 3, 3, 5, 5, 0, 0}, // digit
    {0, 2, 2, 0, 0, 0, 0, 0}, // flag
    {0, 6, 6, 6, 6, 6, 6, 0}, // size
    {0, 7, 7, 7, 7, 7, 7, 0}, // type
};

// Both tables packed into one byte per character from ' ' to 'x': the low four
// bits of byte i hold the class of character ' ' + i, the high four bits of byte
// (class * 8 + state) hold the next state.
constexpr std::array<uint8_t, LOOKUP_SIZE> make_lookup() {
    std::array<uint8_t, LOOKUP_SIZE> table{};
    for (int i = 0; i < LOOKUP_SIZE; ++i) {
        table[i] = static_cast<uint8_t>(classify(static_cast<char>(FIRST_CLASSIFIED + i)));
    }
    for (int cls = 0; cls < 9; ++cls) {
        for (int state = 0; state < 8; ++state) {
            table[cls * 8 + state] |= static_cast<uint8_t>(NEXT_STATE[cls][state] << 4);
        }
    }
    return table;
}
constexpr std::array<uint8_t, LOOKUP_SIZE> LOOKUP = make_lookup();

int next_state(char c, int state) {
    int cls = (c < FIRST_CLASSIFIED || c > LAST_CLASSIFIED) ? CL_OTHER
                                                            : LOOKUP[c - FIRST_CLASSIFIED] & 0x0F;
    return LOOKUP[cls * 8 + state] >> 4;
}

// Adds `digit` to a width or precision, saturating instead of overflowing.
int accumulate(int value, char digit) {
    return value > (INT_MAX - 9) / 10 ? INT_MAX : value * 10 + (digit - '0');
}

// One call's output: the 512-character buffer in front of the target string.
struct SINK {
    explicit SINK(MEM_STRING* target) : out(target) {}
    MEM_STRING* out;
    char buffer[STL_OUTPUT_BUFFER_SIZE + 1];
    int position = 0;
    int count = 0;

    void text(char const* s, int length) {
        write_string_a(s, length, buffer, &position, out, &count);
    }
    void repeat(char c, int n) { write_multi_char_a(c, n, buffer, &position, out, &count); }
    void finish() { out->append(buffer, static_cast<size_t>(position)); }
};

// A conversion being parsed and its text.
struct CONVERSION {
    unsigned flags = 0;
    int width = 0;
    int precision = -1;
    char prefix[3] = {};
    int prefix_length = 0;
    bool suppressed = false;
    int leading_zeros = 0; // zeros in front of `text` (integer precision)
    char const* text = "";
    int text_length = 0;
    // Storage behind `text`.
    char digits[24] = {};
    std::vector<char> owned;
};

void set_text(CONVERSION& c, std::vector<char> text) {
    c.owned = std::move(text);
    c.text = c.owned.data();
    c.text_length = static_cast<int>(c.owned.size());
}

// Appends the multibyte form of wide characters, stopping at the first that the
// current locale cannot convert; `count` < 0 means up to the terminating zero.
void append_wide(std::vector<char>& text, wchar_t const* wide, long count) {
    std::mbstate_t state{};
    char bytes[MB_LEN_MAX];
    for (long i = 0; count < 0 || i < count; ++i) {
        if (count < 0 && wide[i] == L'\0') {
            break;
        }
        size_t n = std::wcrtomb(bytes, wide[i], &state);
        if (n == static_cast<size_t>(-1)) {
            break;
        }
        text.insert(text.end(), bytes, bytes + n);
    }
}

void convert_integer(CONVERSION& c, char type, va_list& arguments) {
    int radix = 10;
    char const* letters = "0123456789ABCDEF";
    switch (type) {
    case 'd':
    case 'i':
        c.flags |= FL_SIGNED;
        break;
    case 'u':
        break;
    case 'o':
        radix = 8;
        if (c.flags & FL_ALTERNATE) {
            c.flags |= FL_FORCE_OCTAL;
        }
        break;
    case 'p':
        // Pointers print as all their hexadecimal digits, capital letters.
        c.precision = 2 * static_cast<int>(sizeof(void*));
        radix = 16;
        break;
    case 'x':
        letters = "0123456789abcdef";
        radix = 16;
        break;
    default: // 'X'
        radix = 16;
        break;
    }

    uint64_t value = 0;
    bool const is_signed = (c.flags & FL_SIGNED) != 0;
    if (type == 'p') {
        value = reinterpret_cast<uintptr_t>(va_arg(arguments, void*));
    } else if (c.flags & FL_I64) {
        long long v = va_arg(arguments, long long);
        value = static_cast<uint64_t>(v);
        if (is_signed && v < 0) {
            c.flags |= FL_NEGATIVE;
        }
    } else if (c.flags & FL_LONG) {
        // "long" is as wide as a pointer here.
        long v = va_arg(arguments, long);
        value = is_signed ? static_cast<uint64_t>(static_cast<int64_t>(v))
                          : static_cast<uint64_t>(static_cast<unsigned long>(v));
        if (is_signed && v < 0) {
            c.flags |= FL_NEGATIVE;
        }
    } else {
        int v = va_arg(arguments, int);
        int64_t widened = 0;
        if (c.flags & FL_SHORT) {
            widened = is_signed ? static_cast<int16_t>(v) : static_cast<uint16_t>(v);
        } else {
            widened = is_signed ? static_cast<int64_t>(v) : static_cast<unsigned>(v);
        }
        value = static_cast<uint64_t>(widened);
        if (widened < 0) {
            c.flags |= FL_NEGATIVE;
        }
    }
    if (c.flags & FL_NEGATIVE) {
        value = 0 - value;
    }

    if (c.precision < 0) {
        c.precision = 1;
    } else {
        c.flags &= ~FL_ZERO;
    }

    if (radix == 16 && (c.flags & FL_ALTERNATE) && value != 0) {
        c.prefix[0] = '0';
        c.prefix[1] = type == 'x' ? 'x' : 'X';
        c.prefix_length = 2;
    }

    int n = 0;
    char* end = c.digits + sizeof c.digits;
    for (uint64_t v = value; v != 0; v /= radix) {
        *--end = letters[v % radix];
        ++n;
    }
    c.text = end;
    c.text_length = n;
    c.leading_zeros = c.precision > n ? c.precision - n : 0;
    if ((c.flags & FL_FORCE_OCTAL) && c.leading_zeros == 0 && (n == 0 || *end != '0')) {
        c.leading_zeros = 1;
    }
}

void convert_float(CONVERSION& c, char type, va_list& arguments) {
    double value = va_arg(arguments, double);
    c.flags |= FL_SIGNED;
    if (c.precision < 0) {
        c.precision = 6;
    }
    if (type == 'g' && c.precision == 0) {
        c.precision = 1;
    }
    if (std::signbit(value) && !std::isnan(value)) {
        c.flags |= FL_NEGATIVE;
    }
    // Fixed-point digits with the decimal point always written ("inf" and "nan"
    // for values without digits). They come from the C library's exact
    // conversion: fcvt stops after 17 fraction digits, which would cut a longer
    // precision short.
    double const magnitude = std::fabs(value);
    int length = std::snprintf(nullptr, 0, "%#.*f", c.precision, magnitude);
    std::vector<char> text(static_cast<size_t>(length) + 1);
    std::snprintf(text.data(), text.size(), "%#.*f", c.precision, magnitude);
    text.pop_back();
    set_text(c, std::move(text));
}

void convert_character(CONVERSION& c, char type, va_list& arguments) {
    if (type == 'C' && !(c.flags & (FL_SHORT | FL_LONG | FL_WIDE))) {
        c.flags |= FL_WIDE;
    }
    if (c.flags & (FL_LONG | FL_WIDE)) {
        wint_t wide = va_arg(arguments, wint_t);
        std::mbstate_t state{};
        size_t n = std::wcrtomb(c.digits, static_cast<wchar_t>(wide), &state);
        if (n == static_cast<size_t>(-1)) {
            c.suppressed = true;
            return;
        }
        c.text = c.digits;
        c.text_length = static_cast<int>(n);
    } else {
        c.digits[0] = static_cast<char>(va_arg(arguments, int));
        c.text = c.digits;
        c.text_length = 1;
    }
}

void convert_string(CONVERSION& c, char type, va_list& arguments) {
    if (type == 'S' && !(c.flags & (FL_SHORT | FL_LONG | FL_WIDE))) {
        c.flags |= FL_WIDE;
    }
    if (c.flags & (FL_LONG | FL_WIDE)) {
        wchar_t const* wide = va_arg(arguments, wchar_t const*);
        if (wide == nullptr) {
            wide = L"(null)";
        }
        long count = -1;
        if (c.precision >= 0) {
            count = static_cast<long>(wcsnlen(wide, static_cast<size_t>(c.precision)));
        }
        std::vector<char> text;
        append_wide(text, wide, count);
        set_text(c, std::move(text));
        return;
    }
    char const* s = va_arg(arguments, char const*);
    if (s == nullptr) {
        s = "(null)";
    }
    size_t limit = c.precision >= 0 ? static_cast<size_t>(c.precision) : SIZE_MAX;
    c.text = s;
    c.text_length = static_cast<int>(std::min<size_t>(strnlen(s, limit), INT_MAX));
}

void convert_counted_string(CONVERSION& c, va_list& arguments) {
    auto const* record = va_arg(arguments, STL_COUNTED_STRING const*);
    if (record == nullptr || record->buffer == nullptr) {
        c.text = "(null)";
        c.text_length = 6;
        return;
    }
    if (c.flags & (FL_LONG | FL_WIDE)) {
        std::vector<char> text;
        append_wide(text, static_cast<wchar_t const*>(record->buffer),
                    record->length / static_cast<long>(sizeof(wchar_t)));
        set_text(c, std::move(text));
        return;
    }
    c.text = static_cast<char const*>(record->buffer);
    c.text_length = record->length;
}

void store_count(CONVERSION& c, int count, va_list& arguments) {
    c.suppressed = true;
    if (c.flags & FL_SHORT) {
        *va_arg(arguments, short*) = static_cast<short>(count);
    } else if (c.flags & FL_I64) {
        *va_arg(arguments, long long*) = count;
    } else if (c.flags & FL_LONG) {
        *va_arg(arguments, long*) = count;
    } else {
        *va_arg(arguments, int*) = count;
    }
}

void emit(CONVERSION& c, SINK& sink) {
    if (c.suppressed) {
        return;
    }
    if (c.flags & FL_SIGNED) {
        if (c.flags & FL_NEGATIVE) {
            c.prefix[0] = '-';
            c.prefix_length = 1;
        } else if (c.flags & FL_SIGN) {
            c.prefix[0] = '+';
            c.prefix_length = 1;
        } else if (c.flags & FL_BLANK) {
            c.prefix[0] = ' ';
            c.prefix_length = 1;
        }
    }
    int64_t padding = int64_t{c.width} - c.leading_zeros - c.text_length - c.prefix_length;
    int pad = padding > INT_MAX ? INT_MAX : static_cast<int>(padding);
    bool const left = (c.flags & FL_LEFT) != 0;
    bool const zero = (c.flags & FL_ZERO) != 0;
    if (!left && !zero) {
        sink.repeat(' ', pad);
    }
    sink.text(c.prefix, c.prefix_length);
    if (zero && !left) {
        sink.repeat('0', pad);
    }
    sink.repeat('0', c.leading_zeros);
    sink.text(c.text, c.text_length);
    if (left) {
        sink.repeat(' ', pad);
    }
}

} // namespace

void write_string_a(char const* text, int length, char* buffer, int* position, MEM_STRING* out,
                    int* count) {
    if (length <= 0 || *count < 0) {
        return;
    }
    if (length > INT_MAX - *count) {
        *count = -1;
        return;
    }
    *count += length;
    while (length > 0) {
        int n = std::min(length, STL_OUTPUT_BUFFER_SIZE - *position);
        std::memcpy(buffer + *position, text, static_cast<size_t>(n));
        *position += n;
        text += n;
        length -= n;
        if (*position == STL_OUTPUT_BUFFER_SIZE) {
            out->append(buffer, STL_OUTPUT_BUFFER_SIZE);
            *position = 0;
        }
    }
}

void write_multi_char_a(char c, int repeat, char* buffer, int* position, MEM_STRING* out,
                        int* count) {
    if (repeat <= 0 || *count < 0) {
        return;
    }
    if (repeat > INT_MAX - *count) {
        *count = -1;
        return;
    }
    *count += repeat;
    while (repeat > 0) {
        int n = std::min(repeat, STL_OUTPUT_BUFFER_SIZE - *position);
        std::memset(buffer + *position, c, static_cast<size_t>(n));
        *position += n;
        repeat -= n;
        if (*position == STL_OUTPUT_BUFFER_SIZE) {
            out->append(buffer, STL_OUTPUT_BUFFER_SIZE);
            *position = 0;
        }
    }
}

MEM_EXPORT int stl_output(MEM_STRING* out, char const* format, va_list& arguments) {
    SINK sink(out);
    CONVERSION c;
    int state = ST_NORMAL;
    for (char const* p = format; *p != '\0' && sink.count >= 0; ++p) {
        char const ch = *p;
        state = next_state(ch, state);
        switch (state) {
        case ST_NORMAL:
            sink.text(p, 1);
            break;
        case ST_PERCENT:
            c = CONVERSION{};
            break;
        case ST_FLAG:
            c.flags |= ch == ' '   ? FL_BLANK
                       : ch == '#' ? FL_ALTERNATE
                       : ch == '+' ? FL_SIGN
                       : ch == '-' ? FL_LEFT
                                   : FL_ZERO;
            break;
        case ST_WIDTH:
            if (ch == '*') {
                int w = va_arg(arguments, int);
                if (w < 0) {
                    c.flags |= FL_LEFT;
                    w = w == INT_MIN ? INT_MAX : -w;
                }
                c.width = w;
            } else {
                c.width = accumulate(c.width, ch);
            }
            break;
        case ST_DOT:
            c.precision = 0;
            break;
        case ST_PRECISION:
            if (ch == '*') {
                int precision = va_arg(arguments, int);
                c.precision = precision < 0 ? -1 : precision;
            } else {
                c.precision = accumulate(c.precision, ch);
            }
            break;
        case ST_SIZE:
            if (ch == 'h') {
                c.flags |= FL_SHORT;
            } else if (ch == 'l') {
                if (p[1] == 'l') {
                    ++p;
                    c.flags |= FL_I64;
                } else {
                    c.flags |= FL_LONG;
                }
            } else if (ch == 'I') {
                if (p[1] == '6' && p[2] == '4') {
                    p += 2;
                    c.flags |= FL_I64;
                } else {
                    state = ST_NORMAL;
                    sink.text(p, 1);
                }
            } else if (ch == 'w') {
                c.flags |= FL_WIDE;
            }
            break;
        case ST_TYPE:
            switch (ch) {
            case 'd':
            case 'i':
            case 'u':
            case 'o':
            case 'x':
            case 'X':
            case 'p':
                convert_integer(c, ch, arguments);
                break;
            case 'e':
            case 'f':
            case 'g':
            case 'E':
            case 'G':
                convert_float(c, static_cast<char>(ch | 0x20), arguments);
                break;
            case 'c':
            case 'C':
                convert_character(c, ch, arguments);
                break;
            case 's':
            case 'S':
                convert_string(c, ch, arguments);
                break;
            case 'Z':
                convert_counted_string(c, arguments);
                break;
            case 'n':
                store_count(c, sink.count, arguments);
                break;
            default: // 'B': only the padding
                break;
            }
            emit(c, sink);
            break;
        }
    }
    sink.finish();
    return sink.count;
}
