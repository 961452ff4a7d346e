#include "suite/fileio/fio.h"

#include <climits>
#include <cstring>
#include <filesystem>

namespace {
size_t name_start(std::string const& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

// Position of the extension's dot within the file name, or npos. A leading dot
// (".hidden") starts the name, not an extension.
size_t extension_start(std::string const& path) {
    size_t start = name_start(path);
    size_t dot = path.rfind('.');
    return dot == std::string::npos || dot <= start ? std::string::npos : dot;
}
} // namespace

FIO_PATH::FIO_PATH(std::string path) : m_path(std::move(path)) {}

FIO_PATH::FIO_PATH(std::string const& directory, std::string const& file) {
    m_path = directory;
    if (!m_path.empty() && m_path.back() != '/') {
        m_path += '/';
    }
    m_path += file;
}

std::string FIO_PATH::full_path() const {
    if (m_path.empty()) {
        return m_path;
    }
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(m_path, ec);
    return ec ? m_path : absolute.lexically_normal().string();
}

std::string FIO_PATH::directory() const {
    return m_path.substr(0, name_start(m_path));
}

std::string FIO_PATH::base() const {
    size_t start = name_start(m_path);
    size_t dot = extension_start(m_path);
    return m_path.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
}

void FIO_PATH::base(std::string const& name) {
    m_path = directory() + name + extension();
}

std::string FIO_PATH::filename() const {
    return m_path.substr(name_start(m_path));
}

void FIO_PATH::filename(std::string const& name) {
    m_path = directory() + name;
}

std::string FIO_PATH::extension() const {
    size_t dot = extension_start(m_path);
    return dot == std::string::npos ? std::string() : m_path.substr(dot);
}

void FIO_PATH::extension(int type, int /*position*/) {
    std::string wanted = FIO_EXTENSION_TYPE_INFO::get_extension_string(type);
    if (wanted.empty()) {
        return;
    }
    size_t dot = extension_start(m_path);
    m_path = (dot == std::string::npos ? m_path : m_path.substr(0, dot)) + wanted;
}

bool FIO_PATH::is_path_length_within_operating_system_limits() const {
    std::string full = full_path();
    if (full.size() >= PATH_MAX) {
        return false;
    }
    size_t start = 0;
    while (start < full.size()) {
        size_t slash = full.find('/', start);
        size_t end = slash == std::string::npos ? full.size() : slash;
        if (end - start > NAME_MAX) {
            return false;
        }
        start = end + 1;
    }
    return true;
}

bool FIO_PATH::os_specific_comparison(char const* a, char const* b) {
    if (a == nullptr || b == nullptr) {
        return false;
    }
    return std::strcmp(a, b) == 0 || FIO_PATH(a).full_path() == FIO_PATH(b).full_path();
}
