// Text helpers of the IP manager.
#pragma once

#include <string>
#include <vector>

class IPMAN_UTILS {
public:
    // Cuts `text` at every occurrence of `delimiter` and appends to `out`, in
    // order and untrimmed, each piece holding a character other than a blank;
    // without any delimiter the whole text is appended. False, with nothing
    // appended, when the text or the delimiter is empty. `unused` has no effect.
    static bool split_string(std::string const& text, std::string const& delimiter,
                             std::vector<std::string>& out, bool unused = false);
};
