// Prefix pjc: project control.
// Project control: the revisions' descriptions and the copy of a revision's
// SDC file.
//
// Descriptions live in one file of our own beside the project file,
// "revision_descriptions.trd", holding every revision's entry: a list of
// texts, each kept byte for byte (line breaks, blanks and any other
// character included). A rewrite is atomic and keeps the other revisions'
// entries; a file that cannot be read (damaged, or of a later format) is
// never overwritten.
#pragma once

#include <list>
#include <map>
#include <string>

class PJC_PROJECT {
public:
    using STRING_LIST = std::list<std::string>;

    // The project in `project_dir`.
    explicit PJC_PROJECT(std::string project_dir);

    // The description texts of `revision` of the project in `project_dir`,
    // appended to `lines`; nothing when it has none. False when the
    // descriptions file exists but cannot be read.
    static bool get_description(char const* revision, char const* project_dir, STRING_LIST* lines);
    // Every revision's description texts at once, by revision name (the first
    // entry of a name, as get_description reads it), for callers that show
    // many revisions: the file is read once. False when the descriptions file
    // exists but cannot be read.
    static bool get_descriptions(char const* project_dir,
                                 std::map<std::string, STRING_LIST>* descriptions);
    // Records `lines` as the description of `revision`; an empty list drops
    // the revision's entry. False, with the file as it was, when the file
    // cannot be read or written.
    static bool set_description(char const* revision, char const* project_dir,
                                STRING_LIST const& lines);
    // The descriptions file of the project in `project_dir`.
    static std::string description_file(char const* project_dir);

    // Copies "<base>.sdc" to "<revision>.sdc" in the project directory. A
    // missing base file copies nothing; an existing target is left as it is.
    // False, naming the file that could not be written in `failed`, when the
    // copy failed.
    bool copy_sdc_file(char const* revision, char const* base, std::string* failed) const;

private:
    std::string m_dir;
};
