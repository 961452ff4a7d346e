// Splitting the user library directories of an older project.
#include "convert/acf_file_user_libraries.h"

#include "mem_manager.h"

MEM_UNIT_INITIALIZER(ACF);

std::vector<std::string> acf_file_user_library_directories(std::string const& value) {
    std::vector<std::string> directories;
    size_t start = 0;
    while (start <= value.size()) {
        size_t end = value.find(';', start);
        if (end == std::string::npos) {
            end = value.size();
        }
        std::string piece = value.substr(start, end - start);
        if (!piece.empty()) {
            if (piece.back() != '/') {
                piece += '/';
            }
            directories.push_back(piece);
        }
        start = end + 1;
    }
    return directories;
}
