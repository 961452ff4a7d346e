#include "suite/errors/err_stackwalker.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cxxabi.h>
#include <dlfcn.h>
#include <execinfo.h>
#include <link.h>

namespace {

// Copies `text` into `out` (size > 0), cut and terminated.
void copy_text(char* out, size_t size, char const* text) {
    if (size == 0) {
        return;
    }
    size_t n = std::min(std::strlen(text), size - 1);
    std::memcpy(out, text, n);
    out[n] = '\0';
}

// The symbol of `address`: its demangled name (C++) or its plain name into
// `name`; false when no named symbol holds it.
bool symbol_name(void const* address, Dl_info const& info, char* name, size_t size) {
    copy_text(name, size, "");
    if (info.dli_sname == nullptr) {
        return false;
    }
    int status = 0;
    // The demangler allocates with the C runtime, which the manager leaves alone.
    char* demangled = abi::__cxa_demangle(info.dli_sname, nullptr, nullptr, &status);
    copy_text(name, size, status == 0 && demangled != nullptr ? demangled : info.dli_sname);
    std::free(demangled);
    return true;
}

// Finds the module and the exported symbol holding `address`. The loader names
// the nearest exported symbol below an address even when the address lies past
// that symbol's end (in a function the module does not export): such an
// address gets no symbol.
bool find_symbol(void const* address, Dl_info* info) {
    void* entry = nullptr;
    if (dladdr1(address, info, &entry, RTLD_DL_SYMENT) == 0) {
        return false;
    }
    auto const* symbol = static_cast<ElfW(Sym) const*>(entry);
    if (symbol != nullptr && info->dli_saddr != nullptr && symbol->st_size != 0 &&
        static_cast<char const*>(address) >=
            static_cast<char const*>(info->dli_saddr) + symbol->st_size) {
        info->dli_sname = nullptr;
        info->dli_saddr = nullptr;
    }
    return true;
}

} // namespace

__attribute__((noinline)) int ERR_STACKWALKER::get_stack_trace(void** frames, int max_frames,
                                                               int skip, void* context) {
    if (context != nullptr || frames == nullptr || max_frames <= 0) {
        return 0;
    }
    // Room for the frames asked for, plus this function's and the few that may
    // stand between it and the unwinder.
    constexpr int OWN_FRAMES = 8;
    void* captured[MAX_FRAMES];
    int n = backtrace(captured, std::min(MAX_FRAMES, OWN_FRAMES + std::max(skip, 0) + max_frames));
    // The caller's frame is the one this function returns to; frames in front of
    // it belong to this function and to whatever stands between it and the
    // unwinder (a sanitizer's interceptor, for one).
    void* const caller = __builtin_return_address(0);
    int first = 0;
    while (first < n && captured[first] != caller) {
        ++first;
    }
    if (first == n) {
        first = std::min(n, 1);
    }
    first = std::min(n, first + std::max(skip, 0));
    int stored = std::min(n - first, max_frames);
    std::copy(captured + first, captured + first + stored, frames);
    return stored;
}

bool ERR_STACKWALKER::get_address_info(void const* address, char* name, size_t size) {
    Dl_info info{};
    if (!find_symbol(address, &info)) {
        copy_text(name, size, "");
        return false;
    }
    return symbol_name(address, info, name, size);
}

void ERR_STACKWALKER::get_location_string(void const* address, char* text, size_t size) {
    Dl_info info{};
    if (!find_symbol(address, &info) || info.dli_fname == nullptr) {
        std::snprintf(text, size, "%p", address);
        return;
    }
    char function[1024];
    if (symbol_name(address, info, function, sizeof function)) {
        auto offset = static_cast<char const*>(address) - static_cast<char const*>(info.dli_saddr);
        std::snprintf(text, size, "%s+0x%tx (%s)", function, offset, info.dli_fname);
    } else {
        std::snprintf(text, size, "%p (%s)", address, info.dli_fname);
    }
}
