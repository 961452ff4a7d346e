// Any bytes as regentool's "--files" list: the split must end, on lists of any
// length, and on short lists give the names that the list's regular expression
// finds.
#include "ipman/ipman_utils.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

namespace {

// The names by the regular expression, each followed by one skipped separator.
std::vector<std::string> split_by_regex(std::string const& text) {
    static std::regex const pattern(R"re([^\s"']+|"([^"]*)"|'([^']*)')re");
    std::vector<std::string> names;
    size_t start = 0;
    std::smatch match;
    while (std::regex_search(text.begin() + static_cast<std::ptrdiff_t>(start), text.end(), match,
                             pattern)) {
        names.push_back(match.str(0));
        start = std::min(text.size(),
                         start + static_cast<size_t>(match.position(0) + match.length(0)) + 1);
        if (text.find_first_not_of(' ', start) == std::string::npos) {
            break;
        }
    }
    return names;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    std::string const text(reinterpret_cast<char const*>(data), size);
    std::vector<std::string> names;
    IPMAN_UTILS::split_file_list(text, names);
    // The regular expression recurses per character: only short lists, and
    // only the character set on which both agree what white space is.
    bool plain = std::none_of(text.begin(), text.end(), [](char c) { return c == '\0'; });
    if (size <= 2000 && plain && names != split_by_regex(text)) {
        std::abort();
    }
    return 0;
}
