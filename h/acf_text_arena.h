// A block arena for many small texts and nodes.
#pragma once

#include "suite/fileio/fio.h"

#include <cstddef>
#include <memory>
#include <vector>

// Texts kept in large blocks freed together, so that a text allocates nothing of
// its own (the reader's fields and arguments, the collection's nodes). Pointers
// stay valid until clear; blocks start 16-byte aligned, and pieces follow each
// other without padding.
class ACF_MGR_TEXT_ARENA {
public:
    // `size` bytes, uninitialised.
    char* allocate(size_t size);
    // A NUL-terminated copy of `length` characters of `text`.
    char const* copy(char const* text, size_t length);
    void clear();

private:
    static constexpr size_t BLOCK_SIZE = 256 * 1024;
    std::vector<std::unique_ptr<char[]>> m_blocks;
    char* m_next = nullptr;
    size_t m_left = 0;
};

// The texts a reader's records point into: the files' texts and the arena.
struct ACF_MGR_READ_TEXTS {
    std::vector<FIO_FILE_BUFFER> files;
    ACF_MGR_TEXT_ARENA arena;
};
