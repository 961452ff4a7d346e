#include "suite/gui/cfgq.h"

#include "suite/fileio/fio.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdlib>
#include <string>

namespace {
CFGQ_PREFERENCES* s_open = nullptr;

FIO_PATH local_path(QString const& path) {
    return FIO_PATH(path.toLocal8Bit().toStdString());
}
} // namespace

QString CFGQ_REGISTRY_KEY::file_path() {
    char const* config = std::getenv("XDG_CONFIG_HOME");
    QString base = config != nullptr && config[0] == '/'
                       ? QString::fromLocal8Bit(config)
                       : QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/tessaly/preferences.ini");
}

CFGQ_PREFERENCES::CFGQ_PREFERENCES() : m_outer(s_open) {
    s_open = this;
    FIO_PATH file = local_path(CFGQ_REGISTRY_KEY::file_path());
    std::string content;
    FIO_PRESENCE found = FIO_FILE_SYSTEM::presence(file);
    if (found == FIO_PRESENCE::UNKNOWN ||
        (found == FIO_PRESENCE::PRESENT && !FIO_FILE_SYSTEM::read_file(file, content))) {
        return;
    }
    auto scratch = std::make_unique<QTemporaryDir>();
    QFile copy(scratch->filePath(QStringLiteral("preferences.ini")));
    if (!scratch->isValid() || !copy.open(QIODevice::WriteOnly) ||
        copy.write(content.data(), static_cast<qint64>(content.size())) !=
            static_cast<qint64>(content.size()) ||
        !copy.flush()) {
        return;
    }
    copy.close();
    auto settings = std::make_unique<QSettings>(copy.fileName(), QSettings::IniFormat);
    if (settings->status() != QSettings::NoError) {
        return; // not a preferences file: saving over it would lose it
    }
    m_scratch = std::move(scratch);
    m_settings = std::move(settings);
}

CFGQ_PREFERENCES::~CFGQ_PREFERENCES() {
    // The working copy's settings go before the folder holding it.
    m_settings.reset();
    s_open = m_outer;
}

CFGQ_PREFERENCES* CFGQ_PREFERENCES::get_open() {
    return s_open;
}

bool CFGQ_PREFERENCES::commit() {
    if (!is_read()) {
        return false;
    }
    if (!m_changed) {
        return true;
    }
    m_settings->sync();
    std::string content;
    if (m_settings->status() != QSettings::NoError ||
        !FIO_FILE_SYSTEM::read_file(local_path(m_settings->fileName()), content)) {
        return false;
    }
    QString path = CFGQ_REGISTRY_KEY::file_path();
    QDir().mkpath(QFileInfo(path).path());
    // A file replaced whose folder alone could not be flushed holds the new
    // preferences: they are what the user sees, and are saved.
    FIO_REWRITE done;
    if (!FIO_FILE_SYSTEM::write_file_atomically(local_path(path), content, nullptr, &done) &&
        !done.replaced) {
        return false;
    }
    m_changed = false;
    return true;
}

bool CFGQ_PREFERENCES::has_value(QString const& key) const {
    return is_read() && m_settings->contains(key);
}

QVariant CFGQ_PREFERENCES::get_value(QString const& key, QVariant const& fallback) const {
    return is_read() ? m_settings->value(key, fallback) : fallback;
}

void CFGQ_PREFERENCES::set_value(QString const& key, QVariant const& value) {
    if (is_read()) {
        m_settings->setValue(key, value);
        m_changed = true;
    }
}

CFGQ_REGISTRY_KEY::CFGQ_REGISTRY_KEY(int sub_key) : m_group(QString::number(sub_key)) {}

bool CFGQ_REGISTRY_KEY::has_value(QString const& name) const {
    if (CFGQ_PREFERENCES* open = CFGQ_PREFERENCES::get_open()) {
        return open->has_value(key(name));
    }
    return CFGQ_PREFERENCES().has_value(key(name));
}

QVariant CFGQ_REGISTRY_KEY::get_value(QString const& name, QVariant const& fallback) const {
    if (CFGQ_PREFERENCES* open = CFGQ_PREFERENCES::get_open()) {
        return open->get_value(key(name), fallback);
    }
    return CFGQ_PREFERENCES().get_value(key(name), fallback);
}

bool CFGQ_REGISTRY_KEY::set_value(QString const& name, QVariant const& value) {
    if (CFGQ_PREFERENCES* open = CFGQ_PREFERENCES::get_open()) {
        open->set_value(key(name), value);
        return open->is_read();
    }
    CFGQ_PREFERENCES preferences;
    preferences.set_value(key(name), value);
    return preferences.commit();
}

QStringList CFGQ_REGISTRY_KEY::get_list(QString const& name) const {
    QVariant value = get_value(name);
    if (value.typeId() == QMetaType::QString && value.toString().isEmpty()) {
        return {};
    }
    return value.toStringList();
}

bool CFGQ_REGISTRY_KEY::set_list(QString const& name, QStringList const& list) {
    return set_value(name, list.isEmpty() ? QVariant(QString()) : QVariant(list));
}
