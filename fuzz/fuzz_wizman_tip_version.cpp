// Any bytes as an IP file (.tip) whose IP_TOOL_VERSION the wizard rewrites:
// the rewrite must end, on texts of any length, and on short texts give what
// the assignment's regular expression gives.
#include "suite/wizman/wizman.h"

#include <cstdint>
#include <cstdlib>
#include <regex>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    std::string const text(reinterpret_cast<char const*>(data), size);
    std::string const rewritten = wizman_with_tip_tool_version(text, "14.0");
    // The regular expression recurses per character: only short texts.
    if (size <= 2000) {
        static std::regex const assignment(
            R"((-name[ \t]+IP_TOOL_VERSION[ \t]+)("[^"\n]*"|[^ \t\r\n]+))");
        if (rewritten != std::regex_replace(text, assignment, "$1\"14.0\"")) {
            std::abort();
        }
    }
    return 0;
}
