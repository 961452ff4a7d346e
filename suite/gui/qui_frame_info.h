// The kinds of window the host shows (its frame descriptions), one table of
// data (qui_frame_infos.def).
#pragma once

#include "suite/fileio/fio.h"

#include <vector>

enum : unsigned { QUI_FRAME_INFO_NEW_DOCUMENT = 2 };

struct QUI_FRAME_INFO {
    char const* name;
    unsigned flags;          // QUI_FRAME_INFO_NEW_DOCUMENT
    FIO_FILE_TYPE file_type; // the document type it edits; 0 for none
};

// Every frame description, in the host's order.
std::vector<QUI_FRAME_INFO const*> const& qui_get_frame_infos();
