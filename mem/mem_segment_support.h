// What the own heap takes from the rest of the memory manager: its fatal report,
// the out-of-memory road, the free-pattern switch and the process-wide lock.
#pragma once

#include "mem/mem_config.h"
#include "mem/mem_debug.h"
#include "mem/mem_utils.h"
#include "mem_manager.h"

// A broken heap invariant: an internal error naming the condition.
#define MEM_ASSERT(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            mem_internal_error(__FILE__, __LINE__, "%s\n", #condition);                            \
        }                                                                                          \
    } while (0)
