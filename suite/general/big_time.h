// Time and frequency values of the suite: a number with a unit ("10 ns",
// "2.5MHz"), held exactly in the finest resolution of its kind (1 fs for times,
// 1 mHz for frequencies). Units are matched ignoring case and written in their
// own spelling.
#pragma once

#include <cstdint>
#include <string>

enum BIG_TIME_UNIT {
    BIG_TIME_UNIT_NONE = 0,
    BIG_TIME_UNIT_FS = 1,
    BIG_TIME_UNIT_PS = 2,
    BIG_TIME_UNIT_NS = 3, // the default unit of a time
    BIG_TIME_UNIT_US = 4,
    BIG_TIME_UNIT_MS = 5,
    BIG_TIME_UNIT_S = 6,
    BIG_TIME_UNIT_HZ = 7,
    BIG_TIME_UNIT_KHZ = 8,
    BIG_TIME_UNIT_MHZ = 9, // the default unit of a frequency
    BIG_TIME_UNIT_GHZ = 10,
    BIG_TIME_UNIT_THZ = 11,
};

class BIG_TIME {
public:
    // Delays that do not fit the timing model's 32-bit picoseconds.
    static constexpr int32_t DELAY_OVERFLOW = 0x7FFFFFFF;
    static constexpr int32_t DELAY_UNDERFLOW = -0x7FFFFFFF; // 0x80000001

    // Parses "<number> <unit>": an optional '-', digits with an optional fraction,
    // optional blanks, a unit. Digits below the kind's resolution are dropped.
    // False, with the value unchanged, for anything else (a number without unit,
    // an unknown unit, a value too large to hold).
    bool set_time(char const* text);
    static bool is_legal(char const* text);

    // The unit of the last parsed text; BIG_TIME_UNIT_NONE before any.
    BIG_TIME_UNIT get_unit() const { return m_unit; }
    bool is_frequency() const { return m_unit >= BIG_TIME_UNIT_HZ; }

    // Decimal places that reach the kind's resolution from `unit` (ns: 6).
    static int get_max_precision_for(BIG_TIME_UNIT unit);
    // The number in the parsed unit with `precision` decimal places, trailing
    // zeros dropped but one decimal kept ("10.0", "2.5"); no point for precision 0.
    std::string to_string_without_unit(int precision) const;
    // The unit's own spelling ("ns", "MHz"); "" for BIG_TIME_UNIT_NONE.
    static char const* get_time_unit_string(BIG_TIME_UNIT unit);

    // The value as a delay in whole picoseconds (a frequency as its period),
    // DELAY_OVERFLOW or DELAY_UNDERFLOW when it does not fit, DELAY_OVERFLOW for
    // a zero frequency.
    int32_t get_delay_in_ps() const;

private:
    int64_t m_value = 0; // in fs for times, in mHz for frequencies
    BIG_TIME_UNIT m_unit = BIG_TIME_UNIT_NONE;
};
