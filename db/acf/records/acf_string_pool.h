// ACF_STRING_POOL interns texts: one owned copy per distinct text (compared
// byte for byte), shared by every holder of that text. It counts its misses
// (texts added), hits (texts found) and "same" hits (the caller passed the
// pooled string's own buffer), and prints them as debug lines.
//
// One thread at a time uses a pool; pointers it hands out stay valid until the
// next reset() or its destruction.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

class ACF_STRING_POOL {
public:
    // An empty pool named `name` ("UNNAMED_POOL" for null).
    explicit ACF_STRING_POOL(char const* name);
    // Prints "IS BEING DESTROYED" and the statistics when "acf_debug_string_pool"
    // is on, then frees every pooled string.
    ~ACF_STRING_POOL();
    ACF_STRING_POOL(ACF_STRING_POOL const&) = delete;
    ACF_STRING_POOL& operator=(ACF_STRING_POOL const&) = delete;

    // The pooled string equal to `text`, added first when missing; null for a
    // null or empty text (no counter changes then).
    std::string const* get_or_add_to_pool(char const* text);

    // The statistics as debug lines: name and address, misses, hits, same, size,
    // and every pooled string when "ACF_STRING_POOL_MASSIVE_DUMP" is on.
    void print_stats() const;
    // Prints the statistics when "acf_debug_string_pool" is on, then frees every
    // pooled string and zeroes the counters; the name stays.
    void reset();

    std::string const& get_name() const { return m_name; }
    unsigned get_misses() const { return m_misses; }
    unsigned get_hits() const { return m_hits; }
    unsigned get_same() const { return m_same; }
    size_t size() const { return m_strings.size(); }

private:
    // h = h * 17 + byte over the text's bytes read as signed characters.
    struct TEXT_HASH {
        size_t operator()(std::string_view text) const;
    };

    // Keys view the owned strings they map to.
    std::unordered_map<std::string_view, std::string*, TEXT_HASH> m_strings;
    std::string m_name;
    unsigned m_misses = 0;
    unsigned m_hits = 0;
    unsigned m_same = 0;
};
