// Any bytes for the child-process command line: splitting must end without
// fault, and quoting must round-trip: each word quoted and joined by blanks
// splits back into exactly the words.
#include "suite/threads/thr.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    // A command line is a C string: it ends at the first NUL byte.
    std::string const text(reinterpret_cast<char const*>(data), size);
    std::string const line = text.substr(0, text.find('\0'));
    std::vector<std::string> words = thr_process_split_command_line(line.c_str());

    // The input's pieces between NUL bytes as words of any content.
    std::vector<std::string> pieces;
    for (size_t start = 0; start <= text.size();) {
        size_t end = text.find('\0', start);
        pieces.push_back(text.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    for (std::vector<std::string> const* list : {&words, &pieces}) {
        std::string joined;
        for (std::string const& word : *list) {
            joined += (joined.empty() ? "" : " ") + thr_process_quote_argument(word);
        }
        if (thr_process_split_command_line(joined.c_str()) != *list) {
            std::abort();
        }
    }
    return 0;
}
