#include "ipman/ipman_utils.h"

#include "mem_manager.h"

#include <algorithm>

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

namespace {

bool is_white_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool is_quote(char c) {
    return c == '"' || c == '\'';
}

// The end of the first name at or after `from` and its start in `start`; npos
// when there is none. A quote once found without a partner has none later
// either, which `unpaired` remembers across calls.
size_t find_name(std::string const& text, size_t from, size_t& start, bool unpaired[2]) {
    for (size_t at = from; at < text.size(); ++at) {
        char c = text[at];
        if (is_white_space(c)) {
            continue;
        }
        start = at;
        if (!is_quote(c)) {
            size_t end = at;
            while (end < text.size() && !is_white_space(text[end]) && !is_quote(text[end])) {
                ++end;
            }
            return end;
        }
        bool& no_partner = unpaired[c == '"' ? 0 : 1];
        size_t close = no_partner ? std::string::npos : text.find(c, at + 1);
        if (close != std::string::npos) {
            return close + 1;
        }
        no_partner = true;
    }
    return std::string::npos;
}

} // namespace

void IPMAN_UTILS::split_file_list(std::string const& text, std::vector<std::string>& out) {
    bool unpaired[2] = {false, false};
    size_t from = 0;
    for (;;) {
        size_t start = 0;
        size_t end = find_name(text, from, start, unpaired);
        if (end == std::string::npos) {
            return;
        }
        out.push_back(text.substr(start, end - start));
        from = std::min(text.size(), end + 1);
        if (text.find_first_not_of(' ', from) == std::string::npos) {
            return;
        }
    }
}
