#include "acf_manager_reader.h"

#include "acf_file_categories.h"
#include "acf_internal_error.h"
#include "acf_msgs.h"
#include "acf_table.h"
#include "acf_utils.h"
#include "catalogue/acf_legality.h"
#include "formats/acf_file_checks.h"
#include "mem_manager.h"
#include "suite/fileio/fio.h"
#include "suite/general/gen.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

MEM_UNIT_INITIALIZER(ACF);

static_assert(sizeof(ACF_MGR_ASGN_LINE) == 32, "a record stays small: one per line");
static_assert(ACF_ARGUMENT_TYPE_MAX_ARGUMENT_TYPE < 256, "an argument's type is packed as a byte");

namespace {

// The characters that separate words: a line's tail field starts after the
// last of them.
inline bool is_blank_or_break(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

ACF_MGR_ASGN_LINE::ACF_MGR_ASGN_LINE(int32_t file_index, int32_t line_number, uint8_t flags,
                                     char const* text, char const* packed, uint8_t field_mask,
                                     uint8_t argument_count, uint8_t tail_field)
    : m_text(text), m_packed(packed), m_file_index(file_index), m_line_number(line_number),
      m_flags(flags), m_field_mask(field_mask), m_argument_count(argument_count),
      m_tail_field(tail_field) {}

char const* ACF_MGR_ASGN_LINE::get_field(FIELD field) const {
    if (!has_field(field)) {
        return nullptr;
    }
    if (field == m_tail_field) {
        char const* start = m_text + std::strlen(m_text);
        while (start > m_text && !is_blank_or_break(start[-1])) {
            --start;
        }
        return start;
    }
    char const* text = m_packed;
    for (int f = 0; f < field; ++f) {
        if (is_packed(f)) {
            text += std::strlen(text) + 1;
        }
    }
    return text;
}

char const* ACF_MGR_ASGN_LINE::packed_arguments() const {
    char const* at = m_packed;
    for (int f = 0; f < FIELD_COUNT; ++f) {
        if (is_packed(f)) {
            at += std::strlen(at) + 1;
        }
    }
    return at;
}

std::vector<ACF_MGR_ASGN_LINE::ARGUMENT> ACF_MGR_ASGN_LINE::get_arguments() const {
    std::vector<ARGUMENT> arguments;
    if (m_argument_count == 0) {
        return arguments;
    }
    arguments.reserve(m_argument_count);
    char const* at = packed_arguments();
    for (int i = 0; i < m_argument_count; ++i) {
        auto type = static_cast<ACF_ARGUMENT_TYPE_ENUM>(static_cast<unsigned char>(*at));
        arguments.push_back({type, at + 1});
        at += 1 + std::strlen(at + 1) + 1;
    }
    return arguments;
}

void ACF_MANAGER_READER::LINE_BUILDER::reset(uint8_t line_flags) {
    flags = line_flags;
    std::fill(std::begin(fields), std::end(fields), nullptr);
    argument_count = 0;
}

void ACF_MANAGER_READER::LINE_BUILDER::set(ACF_MGR_ASGN_LINE::FIELD field, char const* text,
                                           size_t length) {
    fields[field] = text;
    lengths[field] = length;
}

void ACF_MANAGER_READER::LINE_BUILDER::add_argument(ACF_ARGUMENT_TYPE_ENUM type, char const* value,
                                                    size_t length) {
    argument_types[argument_count] = type;
    argument_values[argument_count] = value;
    argument_lengths[argument_count] = length;
    ++argument_count;
}

namespace {

// One character as the tokeniser sees it. A backslash before a double quote or a
// backslash makes that character plain text, so an escaped quote never opens or
// closes a quoted group; before any other character the backslash is dropped and
// the character keeps its meaning (an escaped blank still separates words). A
// lone backslash at the end of the line stays.
struct SCANNED_CHAR {
    char c;
    bool plain;
    int width;
};

// An escaped quote or backslash is plain text, and so is an escaped line break
// (\n, \r), which stays inside its word.
SCANNED_CHAR scan_escape(char const* buffer, size_t at) {
    char next = buffer[at + 1];
    if (next == '\0') {
        return {'\\', false, 1};
    }
    char c = acf_unescaped_character(next);
    return {c, next == '"' || next == '\\' || c != next, 2};
}

inline SCANNED_CHAR scan_at(char const* buffer, size_t at) {
    char c = buffer[at];
    return c != '\\' ? SCANNED_CHAR{c, false, 1} : scan_escape(buffer, at);
}

// A line is tokenised from text followed by at least this many readable bytes
// past its terminating NUL, into a token buffer with as many bytes to spare,
// so that runs are searched and copied 16 bytes at a time.
constexpr size_t LINE_PADDING = 16;

// The characters that end a plain run: the line's end, a backslash, the
// delimiters and, when `QUOTE_IS_SPECIAL`, a double quote.
template <bool QUOTE_IS_SPECIAL> bool is_special(char c) {
    return c == '\0' || c == '\\' || c == ' ' || c == '\t' || c == '\r' || c == '\n' ||
           (QUOTE_IS_SPECIAL && c == '"');
}

// The length of the run at `from` of characters that are copied as they are:
// every character but the special ones. The run is copied to `to` on the way,
// with up to 15 bytes after it, which the caller writes over or ignores. Most
// of a line is such runs.
template <bool QUOTE_IS_SPECIAL> size_t copy_plain_run(char const* from, char* to) {
#if defined(__SSE2__)
    __m128i const nul = _mm_setzero_si128();
    __m128i const backslash = _mm_set1_epi8('\\');
    __m128i const blank = _mm_set1_epi8(' ');
    __m128i const tab = _mm_set1_epi8('\t');
    __m128i const carriage_return = _mm_set1_epi8('\r');
    __m128i const line_feed = _mm_set1_epi8('\n');
    __m128i const quote = _mm_set1_epi8('"');
    for (size_t at = 0;; at += 16) {
        __m128i chunk = _mm_loadu_si128(reinterpret_cast<__m128i const*>(from + at));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + at), chunk);
        __m128i found =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(chunk, nul), _mm_cmpeq_epi8(chunk, backslash)),
                         _mm_or_si128(_mm_cmpeq_epi8(chunk, blank), _mm_cmpeq_epi8(chunk, tab)));
        found = _mm_or_si128(found, _mm_or_si128(_mm_cmpeq_epi8(chunk, carriage_return),
                                                 _mm_cmpeq_epi8(chunk, line_feed)));
        if (QUOTE_IS_SPECIAL) {
            found = _mm_or_si128(found, _mm_cmpeq_epi8(chunk, quote));
        }
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(found));
        if (mask != 0) {
            return at + static_cast<size_t>(__builtin_ctz(mask));
        }
    }
#else
    size_t at = 0;
    for (; !is_special<QUOTE_IS_SPECIAL>(from[at]); ++at) {
        to[at] = from[at];
    }
    return at;
#endif
}

bool is_delimiter(SCANNED_CHAR const& s) {
    return !s.plain && is_blank_or_break(s.c);
}

bool is_quote(SCANNED_CHAR const& s) {
    return !s.plain && s.c == '"';
}

// The word equals the lower-case literal, ignoring ASCII case.
bool same_word(char const* word, char const* literal) {
    for (; *literal != '\0'; ++word, ++literal) {
        if (gen_fold_char(*word) != *literal) {
            return false;
        }
    }
    return *word == '\0';
}

// The option words of set commands that are no arguments.
enum OPTION_KIND { TEXT_OPTION, DISABLE_OPTION, REMOVE_OPTION };
struct OPTION_WORD {
    char const* word;
    OPTION_KIND kind;
    ACF_MGR_ASGN_LINE::FIELD field; // the field a text option sets
};

// The option the word names, or null. The words differ in their first letter
// after the dash, so one comparison decides.
OPTION_WORD const* find_option_word(char const* word) {
    static OPTION_WORD const words[] = {
        {"-name", TEXT_OPTION, ACF_MGR_ASGN_LINE::NAME},
        {"-from", TEXT_OPTION, ACF_MGR_ASGN_LINE::FROM},
        {"-to", TEXT_OPTION, ACF_MGR_ASGN_LINE::TO},
        {"-value", TEXT_OPTION, ACF_MGR_ASGN_LINE::VALUE},
        {"-entity", TEXT_OPTION, ACF_MGR_ASGN_LINE::ENTITY},
        {"-section_id", TEXT_OPTION, ACF_MGR_ASGN_LINE::SECTION_ID},
        {"-comment", TEXT_OPTION, ACF_MGR_ASGN_LINE::COMMENT},
        {"-disable", DISABLE_OPTION, ACF_MGR_ASGN_LINE::FIELD_COUNT},
        {"-remove", REMOVE_OPTION, ACF_MGR_ASGN_LINE::FIELD_COUNT},
    };
    char const first = word[0] == '-' ? gen_fold_char(word[1]) : '\0';
    for (OPTION_WORD const& option : words) {
        if (option.word[1] == first) {
            return same_word(word, option.word) ? &option : nullptr;
        }
    }
    return nullptr;
}

// At most the physical lines of the text (one more than its line breaks),
// room enough for the records; false when the text holds a NUL byte.
bool count_lines(char const* text, size_t size, size_t* lines) {
    size_t breaks = 0;
    size_t at = 0;
#if defined(__SSE2__)
    // Each line feed adds one to its byte's counter, which is added up before
    // it can overflow, after at most 255 steps.
    __m128i const nul = _mm_setzero_si128();
    __m128i const line_feed = _mm_set1_epi8('\n');
    while (size - at >= 16) {
        size_t const stop = at + std::min<size_t>((size - at) / 16, 255) * 16;
        __m128i counters = nul;
        __m128i nuls = nul;
        for (; at < stop; at += 16) {
            __m128i chunk = _mm_loadu_si128(reinterpret_cast<__m128i const*>(text + at));
            counters = _mm_sub_epi8(counters, _mm_cmpeq_epi8(chunk, line_feed));
            nuls = _mm_or_si128(nuls, _mm_cmpeq_epi8(chunk, nul));
        }
        if (_mm_movemask_epi8(nuls) != 0) {
            return false;
        }
        __m128i sums = _mm_sad_epu8(counters, nul);
        breaks += static_cast<size_t>(_mm_cvtsi128_si32(sums)) +
                  static_cast<size_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(sums, sums)));
    }
#endif
    for (; at < size; ++at) {
        if (text[at] == '\0') {
            return false;
        }
        breaks += text[at] == '\n' ? 1 : 0;
    }
    *lines = breaks + 1;
    return true;
}

// Gives the memory pages that lie wholly within bytes [from, to) of a block
// back to the system (they read as zeros if touched again): what is around the
// block and its bytes from `to` on stay; a page partly before `from`, whose
// earlier part went before, goes now.
void release_pages(void const* block, size_t from, size_t to) {
    if (to <= from) {
        return;
    }
    uintptr_t const page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    uintptr_t const start = reinterpret_cast<uintptr_t>(block);
    uintptr_t const first =
        std::max((start + page - 1) / page * page, (start + from) / page * page);
    uintptr_t const last = (start + to) / page * page;
    if (last > first) {
        madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
    }
}

// A `source` name made absolute against the directory of the file naming it.
std::string resolve_source_name(std::string const& directory, std::string const& name) {
    if (!name.empty() && name[0] == '/') {
        return FIO_PATH(name).full_path();
    }
    return FIO_PATH(directory, name).full_path();
}

} // namespace

ACF_MANAGER_READER::ACF_MANAGER_READER() = default;

ACF_MANAGER_READER::~ACF_MANAGER_READER() {
    clear_assignments();
    get_post_messages(nullptr);
}

bool ACF_MANAGER_READER::read_file(char const* file_name, bool quiet,
                                   std::list<std::string>* include_list, bool keep_this_file_out,
                                   bool keep_included_out) {
    if (!ACF_REQUIRE(file_name != NULL)) {
        return false;
    }
    std::string full_path = FIO_PATH(file_name).full_path();
    if (!m_files_read.insert(full_path).second) {
        return true; // read already, or a `source` cycle
    }
    if (!acf_file_exists(full_path)) {
        return true;
    }
    // A file read in part would pass for a shorter one, and its lost lines would
    // be gone for good at the next commit.
    FIO_FILE_BUFFER text(1 + LINE_PADDING);
    std::string reason;
    if (!FIO_FILE_SYSTEM::read_file(FIO_PATH(full_path), text, &reason)) {
        m_read_error = full_path + ": " + reason;
        return false;
    }
    size_t lines = 0;
    if (!count_lines(text.data(), text.size(), &lines)) {
        char const* const start = text.data();
        char const* nul = static_cast<char const*>(std::memchr(start, '\0', text.size()));
        long line = 1 + std::count(start, nul, '\n');
        m_read_error = full_path + ": line " + std::to_string(line) + " holds a NUL byte";
        return false;
    }
    m_file_names.push_back(full_path);
    ++m_file_index;
    m_line_number = 0;
    // Every line gives at most one record: room for all of them in one block.
    reserve_records(lines);
    size_t const block = m_records.size() - 1;
    size_t const first = m_records[block].size();
    read_lines(text.data(), text.size(), quiet);
    m_file_texts.push_back(std::move(text));
    size_t const end = m_records[block].size();
    m_kept_lines.reserve(m_kept_lines.size() + (keep_this_file_out ? 0 : end - first));

    std::string directory = FIO_PATH(full_path).directory();
    for (size_t i = first; i < end; ++i) {
        // Sourced files append records behind `end` (or to new blocks); no
        // record moves.
        ACF_MGR_ASGN_LINE* line = &m_records[block][i];
        if (!keep_this_file_out) {
            line->set_kept_position(static_cast<uint32_t>(m_kept_lines.size()));
            m_kept_lines.push_back(line);
        }
        if (!line->test_flag(ACF_MGR_ASGN_LINE::FLAG_SOURCE) ||
            !line->has_field(ACF_MGR_ASGN_LINE::SOURCE_FILE)) {
            continue;
        }
        std::string sourced = resolve_source_name(directory, line->get_source_file());
        if (include_list != nullptr) {
            include_list->push_back(sourced);
        }
        if (!read_file(sourced.c_str(), quiet, include_list, keep_included_out,
                       keep_included_out)) {
            return false;
        }
    }
    return true;
}

void ACF_MANAGER_READER::read_lines(char* text, size_t size, bool quiet) {
    if (size == 0) {
        return; // no line, not one empty line
    }
    char* start = text;
    char* const end = start + size;
    for (;;) {
        ++m_line_number;
        char* line_end =
            static_cast<char*>(std::memchr(start, '\n', static_cast<size_t>(end - start)));
        char* stop = line_end != nullptr ? line_end : end;
        *stop = '\0'; // the buffer's padding at the end
        process_line(start, static_cast<size_t>(stop - start), quiet);
        // The line break that ends the file ends its last line: no empty line
        // follows it (the writer ends every line with one).
        if (line_end == nullptr || line_end + 1 == end) {
            break;
        }
        start = line_end + 1;
    }
}

void ACF_MANAGER_READER::process_one_line_from_file(char const* buffer, bool quiet) {
    if (!ACF_REQUIRE(buffer != NULL)) {
        return;
    }
    size_t length = std::strlen(buffer);
    process_line(keep_line(buffer, length), length, quiet);
}

void ACF_MANAGER_READER::process_line(char const* text, size_t length, bool quiet) {
    tokenize(text, length);
    if (m_token_overflow) {
        append_line(ACF_MGR_ASGN_LINE::FLAG_ERROR, text);
        return;
    }
    if (m_token_count == 0) {
        return;
    }

    // Empty tokens before the command add nothing to it.
    int32_t command = 0;
    while (command < m_token_count && m_tokens[command][0] == '\0') {
        ++command;
    }
    static COMMAND_INFO const no_command = {NOT_A_SET_COMMAND, 0, nullptr};
    COMMAND_INFO const& info = command < m_token_count
                                   ? look_up_command({m_tokens[command], m_token_lengths[command]})
                                   : no_command;
    if (info.kind == NOT_A_SET_COMMAND) {
        if (same_word(m_tokens[0], "source")) {
            if (m_token_count != 2) {
                append_line(ACF_MGR_ASGN_LINE::FLAG_ERROR, text);
                return;
            }
            LINE_BUILDER& line = m_builder;
            line.reset(ACF_MGR_ASGN_LINE::FLAG_SOURCE | ACF_MGR_ASGN_LINE::FLAG_VERBATIM);
            line.set(ACF_MGR_ASGN_LINE::SOURCE_FILE, m_tokens[1], m_token_lengths[1]);
            append_built_line(line, text);
        } else if (!quiet) {
            append_line(ACF_MGR_ASGN_LINE::FLAG_ERROR, text);
        }
        return;
    }

    LINE_BUILDER& line = m_builder;
    line.reset(info.flags);
    if (info.name != nullptr) {
        line.set(ACF_MGR_ASGN_LINE::NAME, info.name, std::strlen(info.name));
    }
    bool error = !read_options(&line, command + 1);
    if (!error && check_assignment_line(line, quiet, &error)) {
        append_built_line(line, text);
    } else if (error) {
        append_line(ACF_MGR_ASGN_LINE::FLAG_ERROR, text);
    }
}

bool ACF_MANAGER_READER::read_options(LINE_BUILDER* line, int32_t first) {
    int32_t i = first;
    while (i < m_token_count) {
        char const* token = m_tokens[i];
        bool has_next = i + 1 < m_token_count;
        if (token[0] == '\0') {
            ++i;
            continue;
        }
        if (token[0] != '-') {
            if (line->has(ACF_MGR_ASGN_LINE::VALUE)) {
                return false; // a second bare word
            }
            line->set(ACF_MGR_ASGN_LINE::VALUE, token, m_token_lengths[i]);
            ++i;
            continue;
        }
        OPTION_WORD const* option = find_option_word(token);
        if (option != nullptr && option->kind == DISABLE_OPTION) {
            line->flags |= ACF_MGR_ASGN_LINE::FLAG_DISABLED;
            ++i;
            continue;
        }
        if (option != nullptr && option->kind == REMOVE_OPTION) {
            line->flags |= ACF_MGR_ASGN_LINE::FLAG_REMOVE;
            ++i;
            continue;
        }
        if (option != nullptr && has_next) {
            if (line->has(option->field)) {
                return false; // given twice
            }
            line->set(option->field, m_tokens[i + 1], m_token_lengths[i + 1]);
            i += 2;
            continue;
        }
        ACF_ARGUMENT_TYPE_ENUM argument = acf_convert_argument_string_to_enum(token + 1);
        if (argument != ACF_ARGUMENT_TYPE_NONE) {
            if (!acf_does_argument_require_value(argument)) {
                line->add_argument(argument, "", 0);
                ++i;
            } else if (has_next) {
                line->add_argument(argument, m_tokens[i + 1], m_token_lengths[i + 1]);
                i += 2;
            } else {
                return false; // the argument's value is missing
            }
            continue;
        }
        // A word that names no option, such as a negative number, is the value.
        if (line->has(ACF_MGR_ASGN_LINE::VALUE)) {
            return false;
        }
        line->set(ACF_MGR_ASGN_LINE::VALUE, token, m_token_lengths[i]);
        ++i;
    }
    return true;
}

bool ACF_MANAGER_READER::check_assignment_line(LINE_BUILDER const& line, bool quiet, bool* error) {
    char const* name = line.fields[ACF_MGR_ASGN_LINE::NAME];
    if (name == nullptr) {
        return true; // the storage reports the missing name
    }
    NAME_INFO const& info = look_up_name({name, line.lengths[ACF_MGR_ASGN_LINE::NAME]});
    if (info.removed) {
        if (!quiet) {
            m_messages.push_back(MSG_ACF::I::OBSOLETED_ASSIGNMENT_REMOVED(name));
            m_flags |= FLAG_ASSIGNMENT_DROPPED;
        }
        return false;
    }
    if ((line.flags & ACF_MGR_ASGN_LINE::FLAG_PARAMETER) != 0) {
        return true;
    }
    ACF_VARIABLE_TYPE_ENUM variable = info.variable;
    if (variable == ACF_VARIABLE_TYPE_NONE) {
        *error = true;
        return false;
    }
    // IP-file arguments belong to transient assignments, never to a settings file.
    bool dropped = false;
    for (int32_t a = 0; a < line.argument_count; ++a) {
        ACF_ARGUMENT_TYPE_ENUM argument = line.argument_types[a];
        if (argument == ACF_ARGUMENT_TYPE_TIP || argument == ACF_ARGUMENT_TYPE_SIP) {
            m_messages.push_back(MSG_ACF::W::ILLEGAL_ARGUMENT_IN_CONTEXT_ASSIGNMENT_REMOVED(
                name, acf_convert_argument_to_string(argument)));
            dropped = true;
        }
    }
    if (dropped) {
        m_flags |= FLAG_ASSIGNMENT_DROPPED;
        return false;
    }
    bool has_section_id = line.has(ACF_MGR_ASGN_LINE::SECTION_ID);
    bool has_entity = line.has(ACF_MGR_ASGN_LINE::ENTITY);
    for (int32_t a = 0; a < line.argument_count; ++a) {
        ACF_ARGUMENT_TYPE_ENUM argument = line.argument_types[a];
        bool valid =
            acf_is_argument_valid_for_variable(variable, has_section_id, has_entity, argument) ||
            acf_is_argument_valid_for_variable(variable, has_section_id, true, argument);
        bool needs_value = acf_does_argument_require_value(argument);
        if (!valid || needs_value == (line.argument_lengths[a] == 0)) {
            *error = true;
            return false;
        }
    }
    return true;
}

void ACF_MANAGER_READER::tokenize_buffer(char const* buffer) {
    if (!ACF_REQUIRE(buffer != NULL)) {
        return;
    }
    size_t length = std::strlen(buffer);
    tokenize(keep_line(buffer, length), length);
}

char const* ACF_MANAGER_READER::keep_line(char const* text, size_t length) {
    char* kept = m_texts.allocate(length + 1 + LINE_PADDING);
    std::memcpy(kept, text, length);
    std::memset(kept + length, 0, 1 + LINE_PADDING);
    return kept;
}

// Tokens are written into the token buffer (escapes removed, quotes dropped),
// each ended by a NUL; they are never longer than the text they come from.
void ACF_MANAGER_READER::tokenize(char const* text, size_t length) {
    size_t needed = length + 1 + LINE_PADDING;
    if (m_token_buffer.size() < needed) {
        m_token_buffer.assign(needed, '\0');
    }
    char* buffer = m_token_buffer.data();
    m_token_count = 0;
    m_token_overflow = false;
    m_tail_token = nullptr;
    size_t read = 0;
    size_t write = 0;
    bool any_word = false;
    for (;;) {
        SCANNED_CHAR s = scan_at(text, read);
        while (s.c != '\0' && is_delimiter(s)) {
            read += s.width;
            s = scan_at(text, read);
        }
        if (s.c == '\0') {
            break;
        }
        any_word = true;
        if (s.c == '#') {
            if (m_token_count == 0) {
                // A comment line; anything after stored tokens is ignored.
                append_line(ACF_MGR_ASGN_LINE::FLAG_VERBATIM, text);
            }
            break;
        }
        char* token = buffer + write;

        if (!is_quote(s)) {
            size_t const start = read;
            for (;;) {
                size_t run = copy_plain_run<false>(text + read, buffer + write);
                read += run;
                write += run;
                s = scan_at(text, read);
                if (s.c == '\0' || is_delimiter(s)) {
                    break;
                }
                buffer[write++] = s.c;
                read += s.width;
            }
            // The line's tail: the token ends the line, stands there as it is
            // (an escape would make it shorter than its text) and starts after
            // a blank, tab or line break (not right after a closing quote),
            // which is where a record looks for it.
            if (s.c == '\0' && read - start == static_cast<size_t>(buffer + write - token) &&
                start > 0 && is_blank_or_break(text[start - 1])) {
                m_tail_token = token;
            }
        } else {
            // A quoted group. It closes at the end of its first word when that
            // word ends in a quote (two quotes give an empty token); else the
            // blank or tab after that word becomes one blank and the group runs,
            // unchanged, to the next quote or the end of the line.
            read += s.width;
            size_t content = write;
            bool ends_in_quote = false;
            for (;;) {
                size_t run = copy_plain_run<true>(text + read, buffer + write);
                if (run > 0) {
                    read += run;
                    write += run;
                    ends_in_quote = false;
                }
                s = scan_at(text, read);
                if (s.c == '\0' || is_delimiter(s)) {
                    break;
                }
                buffer[write++] = s.c;
                ends_in_quote = is_quote(s);
                read += s.width;
            }
            if (ends_in_quote) {
                --write;
            } else if (s.c == '\0') {
                if (write == content) {
                    break; // an empty group at the end of the line is no token
                }
            } else {
                read += s.width;
                buffer[write++] = ' ';
                for (;;) {
                    size_t run = copy_plain_run<true>(text + read, buffer + write);
                    read += run;
                    write += run;
                    s = scan_at(text, read);
                    if (s.c == '\0' || is_quote(s)) {
                        break;
                    }
                    buffer[write++] = s.c;
                    read += s.width;
                }
                // The closing quote is consumed like a delimiter below.
            }
        }
        if (s.c != '\0') {
            read += s.width;
        }
        size_t length = static_cast<size_t>(buffer + write - token);
        buffer[write++] = '\0';
        if (!store_token(token, length)) {
            return;
        }
        if (s.c == '\0') {
            break;
        }
    }
    if (!any_word) {
        append_line(ACF_MGR_ASGN_LINE::FLAG_VERBATIM, text);
    }
    // catch { <command> } <variable>: the command alone.
    if (m_token_count > 3 && same_word(m_tokens[0], "catch")) {
        for (int32_t i = 2; i < m_token_count - 2; ++i) {
            m_tokens[i - 2] = m_tokens[i];
            m_token_lengths[i - 2] = m_token_lengths[i];
        }
        m_token_count -= 4;
    }
}

bool ACF_MANAGER_READER::store_token(char* token, size_t length) {
    if (m_token_count == MAX_TOKENS) {
        m_token_overflow = true;
        return false;
    }
    m_tokens[m_token_count] = token;
    m_token_lengths[m_token_count] = length;
    ++m_token_count;
    return true;
}

void ACF_MANAGER_READER::handle_error(char const* text) {
    if (text == nullptr) {
        text = "";
    }
    append_line(ACF_MGR_ASGN_LINE::FLAG_ERROR, m_texts.copy(text, std::strlen(text)));
}

void ACF_MANAGER_READER::reserve_records(size_t count) {
    if (m_records.empty() || m_records.back().capacity() - m_records.back().size() < count) {
        m_records.emplace_back().reserve(std::max<size_t>(count, 64));
        m_records_done.push_back(0);
    }
}

void ACF_MANAGER_READER::release_lines_before(size_t count) {
    for (size_t block = 0; block < m_records.size(); ++block) {
        std::vector<ACF_MGR_ASGN_LINE> const& records = m_records[block];
        size_t& done = m_records_done[block];
        size_t const before = done;
        // A sourced file's records may follow in the block those of the lines
        // after the `source` line, which come later: only a leading run goes.
        while (done < records.size() && (records[done].get_kept_position() < count ||
                                         records[done].get_kept_position() == UINT32_MAX)) {
            ++done;
        }
        release_pages(records.data(), before * sizeof(ACF_MGR_ASGN_LINE),
                      done * sizeof(ACF_MGR_ASGN_LINE));
    }
    size_t const kept_done = std::min(count, m_kept_lines.size());
    release_pages(m_kept_lines.data(), m_kept_lines_done * sizeof(ACF_MGR_ASGN_LINE*),
                  kept_done * sizeof(ACF_MGR_ASGN_LINE*));
    m_kept_lines_done = std::max(m_kept_lines_done, kept_done);
}

ACF_MGR_ASGN_LINE* ACF_MANAGER_READER::append_line(uint8_t flags, char const* text) {
    reserve_records(1);
    return &m_records.back().emplace_back(m_file_index, m_line_number, flags, text, nullptr, 0, 0);
}

void ACF_MANAGER_READER::append_built_line(LINE_BUILDER const& line, char const* text) {
    size_t size = 0;
    uint8_t mask = 0;
    uint8_t tail_field = ACF_MGR_ASGN_LINE::FIELD_COUNT;
    for (int f = 0; f < ACF_MGR_ASGN_LINE::FIELD_COUNT; ++f) {
        if (line.fields[f] == nullptr) {
            continue;
        }
        mask = static_cast<uint8_t>(mask | (1u << f));
        if (line.fields[f] == m_tail_token) {
            tail_field = static_cast<uint8_t>(f); // read from the line's text, not copied
        } else {
            size += line.lengths[f] + 1;
        }
    }
    for (int32_t a = 0; a < line.argument_count; ++a) {
        size += 1 + line.argument_lengths[a] + 1;
    }
    char* packed = size > 0 ? m_texts.allocate(size) : nullptr;
    char* at = packed;
    auto put = [&at](char const* text, size_t length) {
        std::memcpy(at, text, length);
        at[length] = '\0';
        at += length + 1;
    };
    for (int f = 0; f < ACF_MGR_ASGN_LINE::FIELD_COUNT; ++f) {
        if (line.fields[f] != nullptr && f != tail_field) {
            put(line.fields[f], line.lengths[f]);
        }
    }
    for (int32_t a = 0; a < line.argument_count; ++a) {
        *at++ = static_cast<char>(line.argument_types[a]);
        put(line.argument_values[a], line.argument_lengths[a]);
    }
    reserve_records(1);
    m_records.back().emplace_back(m_file_index, m_line_number, line.flags, text, packed, mask,
                                  static_cast<uint8_t>(line.argument_count), tail_field);
}

std::string_view ACF_MANAGER_READER::keep_key(std::string_view text) {
    return m_keys.emplace_back(text);
}

ACF_MANAGER_READER::COMMAND_INFO const& ACF_MANAGER_READER::look_up_command(std::string_view word) {
    auto found = m_commands.find(word);
    if (found == m_commands.end()) {
        std::string_view key = keep_key(word);
        bool variable_specific = false;
        COMMAND_INFO info = {NOT_A_SET_COMMAND, 0, nullptr};
        bool valid = acf_is_valid_tcl_set_command(key.data(), &variable_specific);
        if (valid) {
            info.kind = GENERIC_SET_COMMAND;
            if (same_word(key.data(), "set_parameter")) {
                info.flags = ACF_MGR_ASGN_LINE::FLAG_PARAMETER;
            }
        }
        // A command of one variable names it.
        for (ACF_TCL_SET_TO_VAR_INFO const* command = acf_tcl_set_to_var_info;
             valid && variable_specific && command->command[0] != '\0'; ++command) {
            if (same_word(key.data(), command->command)) {
                info.name = acf_get_variable_user_name(command->variable);
                break;
            }
        }
        found = m_commands.emplace(key, info).first;
    }
    return found->second;
}

ACF_MANAGER_READER::NAME_INFO const& ACF_MANAGER_READER::look_up_name(std::string_view name) {
    auto found = m_names.find(name);
    if (found == m_names.end()) {
        std::string_view key = keep_key(name);
        NAME_INFO info = {acf_is_obsolete_assignment_name(key.data()),
                          acf_user_name_to_variable_type_enum(key.data())};
        found = m_names.emplace(key, info).first;
    }
    return found->second;
}

char const* ACF_MANAGER_READER::get_file_name(int32_t index) const {
    if (index < 0 || static_cast<size_t>(index) >= m_file_names.size()) {
        return nullptr;
    }
    return m_file_names[index].c_str();
}

void ACF_MANAGER_READER::get_post_messages(std::list<MSG_POST*>* messages) {
    if (messages != nullptr) {
        messages->splice(messages->end(), m_messages);
        return;
    }
    for (MSG_POST* message : m_messages) {
        delete message;
    }
    m_messages.clear();
}

std::unique_ptr<ACF_MGR_READ_TEXTS> ACF_MANAGER_READER::take_texts() {
    auto texts = std::make_unique<ACF_MGR_READ_TEXTS>();
    texts->files = std::move(m_file_texts);
    texts->arena = std::move(m_texts);
    m_file_texts.clear();
    m_texts.clear();
    return texts;
}

void ACF_MANAGER_READER::clear_assignments() {
    m_kept_lines.clear();
    m_kept_lines_done = 0;
    m_records.clear();
    m_records_done.clear();
    m_file_texts.clear();
    m_texts.clear();
    m_file_names.clear();
    m_file_index = -1;
    m_line_number = -1;
}
