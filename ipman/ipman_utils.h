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
    // Splits a command line's file list into names and appends them to `out`:
    // from the start, the first run of characters other than white space and
    // quotes, or text between a double quote and the next one, or between a
    // single quote and the next one (a quote without its partner is passed
    // over), is the next name, quote characters included; the character after
    // it is skipped as its separator; splitting ends when only blanks remain.
    // Linear in the text's length.
    static void split_file_list(std::string const& text, std::vector<std::string>& out);
};
