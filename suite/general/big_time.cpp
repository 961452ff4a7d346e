#include "suite/general/big_time.h"

#include "suite/general/gen.h"

#include <climits>
#include <cstring>

namespace {

struct UNIT_INFO {
    BIG_TIME_UNIT unit;
    char const* spelling;
    int digits; // decimal places from this unit down to the resolution
};

// Time units count down to 1 fs, frequency units to 1 mHz.
UNIT_INFO const UNITS[] = {
    {BIG_TIME_UNIT_FS, "fs", 0},    {BIG_TIME_UNIT_PS, "ps", 3},    {BIG_TIME_UNIT_NS, "ns", 6},
    {BIG_TIME_UNIT_US, "us", 9},    {BIG_TIME_UNIT_MS, "ms", 12},   {BIG_TIME_UNIT_S, "s", 15},
    {BIG_TIME_UNIT_HZ, "Hz", 3},    {BIG_TIME_UNIT_KHZ, "kHz", 6},  {BIG_TIME_UNIT_MHZ, "MHz", 9},
    {BIG_TIME_UNIT_GHZ, "GHz", 12}, {BIG_TIME_UNIT_THZ, "THz", 15},
};

UNIT_INFO const* find_unit(BIG_TIME_UNIT unit) {
    for (UNIT_INFO const& info : UNITS) {
        if (info.unit == unit) {
            return &info;
        }
    }
    return nullptr;
}

UNIT_INFO const* find_unit(char const* text, size_t length) {
    for (UNIT_INFO const& info : UNITS) {
        if (std::strlen(info.spelling) == length &&
            gen_strnicmp(info.spelling, text, length) == 0) {
            return &info;
        }
    }
    return nullptr;
}

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// value * 10 + digit without overflow; false when it does not fit.
bool push_digit(int64_t* value, int digit) {
    if (*value > (INT64_MAX - digit) / 10) {
        return false;
    }
    *value = *value * 10 + digit;
    return true;
}

int64_t power_of_ten(int digits) {
    int64_t p = 1;
    while (digits-- > 0) {
        p *= 10;
    }
    return p;
}

} // namespace

bool BIG_TIME::set_time(char const* text) {
    if (text == nullptr) {
        return false;
    }
    char const* p = text;
    while (is_blank(*p)) {
        ++p;
    }
    bool negative = *p == '-';
    if (negative) {
        ++p;
    }
    char const* whole = p;
    while (is_digit(*p)) {
        ++p;
    }
    char const* whole_end = p;
    char const* fraction = p;
    char const* fraction_end = p;
    if (*p == '.') {
        fraction = ++p;
        while (is_digit(*p)) {
            ++p;
        }
        fraction_end = p;
    }
    if (whole == whole_end && fraction == fraction_end) {
        return false;
    }
    while (is_blank(*p)) {
        ++p;
    }
    char const* unit_text = p;
    while (*p != '\0' && !is_blank(*p)) {
        ++p;
    }
    UNIT_INFO const* unit = find_unit(unit_text, static_cast<size_t>(p - unit_text));
    while (is_blank(*p)) {
        ++p;
    }
    if (unit == nullptr || *p != '\0') {
        return false;
    }
    // The number scaled to the resolution: the whole digits, then exactly
    // unit->digits fraction digits (missing ones are zeros, further ones dropped).
    int64_t value = 0;
    for (char const* d = whole; d < whole_end; ++d) {
        if (!push_digit(&value, *d - '0')) {
            return false;
        }
    }
    for (int i = 0; i < unit->digits; ++i) {
        char const* d = fraction + i;
        if (!push_digit(&value, d < fraction_end ? *d - '0' : 0)) {
            return false;
        }
    }
    m_value = negative ? -value : value;
    m_unit = unit->unit;
    return true;
}

bool BIG_TIME::is_legal(char const* text) {
    BIG_TIME probe;
    return probe.set_time(text);
}

int BIG_TIME::get_max_precision_for(BIG_TIME_UNIT unit) {
    UNIT_INFO const* info = find_unit(unit);
    return info ? info->digits : 0;
}

std::string BIG_TIME::to_string_without_unit(int precision) const {
    UNIT_INFO const* info = find_unit(m_unit);
    int digits = info ? info->digits : 0;
    int64_t scale = power_of_ten(digits);
    uint64_t magnitude = m_value < 0 ? 0 - static_cast<uint64_t>(m_value) : m_value;
    std::string text = m_value < 0 ? "-" : "";
    text += std::to_string(magnitude / scale);
    if (precision <= 0) {
        return text;
    }
    std::string places = digits > 0 ? std::to_string(magnitude % scale) : "";
    places.insert(0, static_cast<size_t>(digits) - places.size(), '0');
    places.resize(static_cast<size_t>(precision), '0');
    size_t last = places.find_last_not_of('0');
    places.resize(last == std::string::npos ? 1 : last + 1);
    return text + "." + places;
}

char const* BIG_TIME::get_time_unit_string(BIG_TIME_UNIT unit) {
    UNIT_INFO const* info = find_unit(unit);
    return info ? info->spelling : "";
}

int32_t BIG_TIME::get_delay_in_ps() const {
    int64_t ps;
    if (is_frequency()) {
        // period in ps = 1e12 / Hz = 1e15 / mHz
        if (m_value == 0) {
            return DELAY_OVERFLOW;
        }
        ps = 1000000000000000LL / m_value;
    } else {
        ps = m_value / 1000;
    }
    if (ps >= DELAY_OVERFLOW) {
        return DELAY_OVERFLOW;
    }
    if (ps <= DELAY_UNDERFLOW) {
        return DELAY_UNDERFLOW;
    }
    return static_cast<int32_t>(ps);
}
