#include "suite/gui/cfgq.h"

#include <QDir>
#include <QSettings>

#include <cstdlib>

QString CFGQ_REGISTRY_KEY::file_path() {
    char const* config = std::getenv("XDG_CONFIG_HOME");
    QString base = config != nullptr && config[0] == '/'
                       ? QString::fromLocal8Bit(config)
                       : QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/tessaly/preferences.ini");
}

CFGQ_REGISTRY_KEY::CFGQ_REGISTRY_KEY(int sub_key) : m_group(QString::number(sub_key)) {}

bool CFGQ_REGISTRY_KEY::has_value(QString const& name) const {
    QSettings settings(file_path(), QSettings::IniFormat);
    return settings.contains(m_group + QLatin1Char('/') + name);
}

QVariant CFGQ_REGISTRY_KEY::get_value(QString const& name, QVariant const& fallback) const {
    QSettings settings(file_path(), QSettings::IniFormat);
    return settings.value(m_group + QLatin1Char('/') + name, fallback);
}

bool CFGQ_REGISTRY_KEY::set_value(QString const& name, QVariant const& value) {
    QSettings settings(file_path(), QSettings::IniFormat);
    settings.setValue(m_group + QLatin1Char('/') + name, value);
    settings.sync();
    return settings.status() == QSettings::NoError;
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
