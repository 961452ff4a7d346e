// User preferences: one INI file, "tessaly/preferences.ini" under
// $XDG_CONFIG_HOME (else ~/.config), read and written through QSettings,
// which replaces the file atomically. A key is a numbered group of named
// values.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

// Sub-keys of the preferences.
enum CFGQ_SUB_KEY_ENUM {
    CFGQ_SUB_KEY_GENERATE_TCL_FILE = 38, // the Tcl-script generator's options
    CFGQ_SUB_KEY_TOOLBARS = 59,          // the frame windows' saved toolbar layout
    CFGQ_SUB_KEY_COLUMN_VISIBILITY = 60, // hidden columns of the tables, by table name
};

// Value names of the Tcl-script generator's options (sub-key 38).
inline constexpr char CFGQ_GTFQ_OPEN_GENERATED_FILE_STR[] = "GTF_open_generated_file";

class CFGQ_REGISTRY_KEY {
public:
    explicit CFGQ_REGISTRY_KEY(int sub_key);

    bool has_value(QString const& name) const;
    QVariant get_value(QString const& name, QVariant const& fallback = QVariant()) const;
    // False when the file could not be written.
    bool set_value(QString const& name, QVariant const& value);
    // A list of texts kept as one value. An empty list is stored as an empty
    // value rather than as Qt's "@Invalid()", and read back as an empty list.
    QStringList get_list(QString const& name) const;
    bool set_list(QString const& name, QStringList const& list);

    // The preferences file.
    static QString file_path();

private:
    QString m_group;
};
