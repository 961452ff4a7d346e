// User preferences: one INI file, "tessaly/preferences.ini" under
// $XDG_CONFIG_HOME (else ~/.config), in the format of QSettings. A key is a
// numbered group of named values.
//
// The file is read whole through the suite's file library, so that a file that
// cannot be read is never taken for an empty one, and every save replaces it
// atomically with its whole new content: a failed save leaves the old
// preferences whole.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

class QSettings;
class QTemporaryDir;

// Sub-keys of the preferences.
enum CFGQ_SUB_KEY_ENUM {
    CFGQ_SUB_KEY_GENERATE_TCL_FILE = 38, // the Tcl-script generator's options
    CFGQ_SUB_KEY_TOOLBARS = 59,          // the frame windows' saved toolbar layout
    CFGQ_SUB_KEY_COLUMN_VISIBILITY = 60, // hidden columns of the tables, by table name
};

// Value names of the Tcl-script generator's options (sub-key 38).
inline constexpr char CFGQ_GTFQ_OPEN_GENERATED_FILE_STR[] = "GTF_open_generated_file";

// The preferences read once and changed in memory, for reading many values or
// saving several changes as one. While one is open, every CFGQ_REGISTRY_KEY
// of the process reads and changes it instead of the file; the changes reach
// the file only through commit().
class CFGQ_PREFERENCES {
public:
    // Reads the file (a missing file is empty preferences).
    CFGQ_PREFERENCES();
    ~CFGQ_PREFERENCES();
    CFGQ_PREFERENCES(CFGQ_PREFERENCES const&) = delete;
    CFGQ_PREFERENCES& operator=(CFGQ_PREFERENCES const&) = delete;

    // False when the file could not be read: nothing may then be saved.
    bool is_read() const { return m_settings != nullptr; }
    // Writes the whole new content over the file in one atomic replace, when
    // anything changed. False when the file was not read or could not be
    // written: the file stays as it was.
    bool commit();

    bool has_value(QString const& key) const;
    QVariant get_value(QString const& key, QVariant const& fallback) const;
    void set_value(QString const& key, QVariant const& value);

    // The preferences open now (the innermost), or null.
    static CFGQ_PREFERENCES* get_open();

private:
    // The content is held by QSettings over a private copy of the file, so
    // that it is read and written exactly as QSettings does.
    std::unique_ptr<QTemporaryDir> m_scratch;
    std::unique_ptr<QSettings> m_settings;
    bool m_changed = false;
    CFGQ_PREFERENCES* m_outer;
};

class CFGQ_REGISTRY_KEY {
public:
    explicit CFGQ_REGISTRY_KEY(int sub_key);

    bool has_value(QString const& name) const;
    QVariant get_value(QString const& name, QVariant const& fallback = QVariant()) const;
    // False when the file could not be read or written; the file then stays
    // as it was. While preferences are open: changes them; false when they
    // could not be read.
    bool set_value(QString const& name, QVariant const& value);
    // A list of texts kept as one value. An empty list is stored as an empty
    // value rather than as Qt's "@Invalid()", and read back as an empty list.
    QStringList get_list(QString const& name) const;
    bool set_list(QString const& name, QStringList const& list);

    // The preferences file.
    static QString file_path();

private:
    QString key(QString const& name) const { return m_group + QLatin1Char('/') + name; }

    QString m_group;
};
