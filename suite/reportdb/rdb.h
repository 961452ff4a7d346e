// Prefix rdb: the report database.
// The suite's report database: reports made of folders holding tables,
// summaries, legal texts and message panels, kept per revision and report type,
// and written to report files of the suite's own text format.
//
// A report file starts with the line "TESSALY-REPORT 1" and the title, followed
// by the objects of its contents, one per line, folders and their objects
// nested between a line naming them and the line "end". Every text is written as
// its length, a colon and its bytes, so that any text reads back exactly.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// Names of the report library's standard summary rows and legal text.
extern char const* const RDB_LEGAL_STR;             // "Legal Notice"
extern char const* const RDB_REVISION_NAME;         // "Revision Name"
extern char const* const RDB_TOP_LEVEL_ENTITY_NAME; // "Top-level Entity Name"
extern char const* const RDB_FAMILY;                // "Family"
// The extension of report files (the suite's file type 110), with its dot.
extern char const* const RDB_REPORT_FILE_EXTENSION; // ".rpt"

enum RDB_OBJECT_KIND { RDB_FOLDER, RDB_TABLE, RDB_SUMMARY, RDB_LEGAL_TEXT, RDB_MESSAGES };

class RDB_OBJECT {
public:
    RDB_OBJECT(RDB_OBJECT_KIND kind, std::string name) : m_kind(kind), m_name(std::move(name)) {}
    virtual ~RDB_OBJECT() = default;
    RDB_OBJECT(RDB_OBJECT const&) = delete;
    RDB_OBJECT& operator=(RDB_OBJECT const&) = delete;

    RDB_OBJECT_KIND get_kind() const { return m_kind; }
    std::string const& get_name() const { return m_name; }

private:
    RDB_OBJECT_KIND m_kind;
    std::string m_name;
};

class RDB_FOLDER_OBJECT : public RDB_OBJECT {
public:
    explicit RDB_FOLDER_OBJECT(std::string name) : RDB_OBJECT(RDB_FOLDER, std::move(name)) {}

    // Takes ownership; returns the added object.
    RDB_OBJECT* add(std::unique_ptr<RDB_OBJECT> object);
    // The first object of that name directly in this folder, or null.
    RDB_OBJECT* find(std::string const& name) const;
    // The first object of that name in this folder or below it (depth first,
    // in order), or null.
    RDB_OBJECT* find_below(std::string const& name) const;
    // Removes (and deletes) the first object of that name in this folder.
    bool remove(std::string const& name);
    std::vector<std::unique_ptr<RDB_OBJECT>> const& objects() const { return m_objects; }

private:
    std::vector<std::unique_ptr<RDB_OBJECT>> m_objects;
};

class RDB_TABLE_OBJECT : public RDB_OBJECT {
public:
    explicit RDB_TABLE_OBJECT(std::string name, int colour = 0)
        : RDB_OBJECT(RDB_TABLE, std::move(name)), m_colour(colour) {}

    void add_row(std::vector<std::string> row) { m_rows.push_back(std::move(row)); }
    // Removes, in one pass, every row whose number `drop` answers true for;
    // the others keep their order.
    void remove_rows_if(std::function<bool(unsigned row)> const& drop);
    unsigned get_row_count() const { return static_cast<unsigned>(m_rows.size()); }
    // The cell's text; false when the row or column does not exist.
    bool get_cell(unsigned row, unsigned column, std::string& text) const;
    std::vector<std::vector<std::string>> const& rows() const { return m_rows; }
    int get_colour() const { return m_colour; }

private:
    int m_colour;
    std::vector<std::vector<std::string>> m_rows;
};

class RDB_SUMMARY_OBJECT : public RDB_OBJECT {
public:
    explicit RDB_SUMMARY_OBJECT(std::string name) : RDB_OBJECT(RDB_SUMMARY, std::move(name)) {}
    using ROW = std::pair<std::string, std::string>;

    // Sets the value of the row of that name, appending the row when new.
    void set_data(std::string const& name, std::string const& value);
    std::vector<ROW> const& rows() const { return m_rows; }

private:
    std::vector<ROW> m_rows;
};

class RDB_LEGAL_TEXT_OBJECT : public RDB_OBJECT {
public:
    RDB_LEGAL_TEXT_OBJECT(std::string text, bool is_html)
        : RDB_OBJECT(RDB_LEGAL_TEXT, RDB_LEGAL_STR), m_text(std::move(text)), m_is_html(is_html) {}
    std::string const& get_text() const { return m_text; }
    bool is_html() const { return m_is_html; }

private:
    std::string m_text;
    bool m_is_html;
};

// The messages of a run, each as the console shows it, attributed to a source.
class RDB_MESSAGES_OBJECT : public RDB_OBJECT {
public:
    RDB_MESSAGES_OBJECT(std::string name, std::string source, std::vector<std::string> lines)
        : RDB_OBJECT(RDB_MESSAGES, std::move(name)), m_source(std::move(source)),
          m_lines(std::move(lines)) {}
    std::string const& get_source() const { return m_source; }
    std::vector<std::string> const& lines() const { return m_lines; }

private:
    std::string m_source;
    std::vector<std::string> m_lines;
};

class RDB_REPORT {
public:
    RDB_REPORT() = default;
    RDB_REPORT(RDB_REPORT const&) = delete;
    RDB_REPORT& operator=(RDB_REPORT const&) = delete;

    RDB_FOLDER_OBJECT* get_main_folder() const { return m_main_folder.get(); }
    void set_main_folder(std::unique_ptr<RDB_FOLDER_OBJECT> folder);
    // The summary directly in `folder` (with `recursive`, also below it), or null.
    static RDB_SUMMARY_OBJECT* find_summary(RDB_FOLDER_OBJECT const* folder, bool recursive);

    // The report of a revision and type, kept for the life of the process. On
    // first request it is read from the revision's report store when one was
    // written; otherwise, with `create`, a new empty one is made; else null.
    static RDB_REPORT* get_report(std::string const& revision, int type, bool create);
    // Writes the revision's report of that type to its report store (the
    // folder "db" of the current directory); false when there is no such report
    // or it cannot be written.
    static bool write_report(std::string const& revision, int type);
    // The path of that report store, from the current directory.
    static std::string get_store_path(std::string const& revision, int type);
    // Forgets every report of the process (the stores on disk stay).
    static void forget_reports();

    // The report's text in the report-file format, and the reverse; reading
    // fails, leaving the report unchanged, on any text not of that format.
    std::string to_text(std::string const& title) const;
    bool from_text(std::string const& text, std::string* title = nullptr);

private:
    std::unique_ptr<RDB_FOLDER_OBJECT> m_main_folder;
};

// Writes the file of a report under a title.
class RDB_REPORT_GEN {
public:
    RDB_REPORT_GEN(RDB_REPORT const* report, std::string title)
        : m_report(report), m_title(std::move(title)) {}
    // Writes the report file at `path` atomically; false when it cannot.
    bool write_report_files(std::string const& path) const;

private:
    RDB_REPORT const* m_report;
    std::string m_title;
};

// Reads a report file into `report`; false (report unchanged) when the file is
// missing or not a report file.
bool rdb_read_report_file(std::string const& path, RDB_REPORT& report, std::string* title);

// Sets a summary row.
void rdb_set_summary_data(RDB_SUMMARY_OBJECT* summary, std::string const& name,
                          std::string const& value);
// Adds to `folder` the panel `name` of the messages posted in the process since
// the previous panel was made, attributed to `source`.
RDB_MESSAGES_OBJECT* rdb_add_messages(RDB_FOLDER_OBJECT* folder, std::string const& name,
                                      std::string const& source);
