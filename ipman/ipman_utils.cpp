#include "ipman/ipman_utils.h"

#include "mem_manager.h"

MEM_UNIT_INITIALIZER(IPMAN);

bool IPMAN_UTILS::split_string(std::string const& text, std::string const& delimiter,
                               std::vector<std::string>& out, bool) {
    if (text.empty() || delimiter.empty()) {
        return false;
    }
    if (text.find(delimiter) == std::string::npos) {
        out.push_back(text);
        return true;
    }
    size_t start = 0;
    for (;;) {
        size_t end = text.find(delimiter, start);
        std::string piece = text.substr(start, end == std::string::npos ? end : end - start);
        if (piece.find_first_not_of(' ') != std::string::npos) {
            out.push_back(piece);
        }
        if (end == std::string::npos) {
            return true;
        }
        start = end + delimiter.size();
    }
}
