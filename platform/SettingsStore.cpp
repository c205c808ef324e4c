#include "SettingsStore.h"

#include <QSettings>

namespace orbicap {

SettingsStore::SettingsStore(QString organisation, QString application)
    : organisation_(std::move(organisation)), application_(std::move(application)) {}

QString SettingsStore::ReadSetting(const QString& name, const QString& defaultValue) const {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, organisation_, application_);
    if (settings.status() != QSettings::NoError)
        return defaultValue;
    const QVariant value = settings.value(name);
    if (!value.isValid() || !value.canConvert<QString>())
        return defaultValue;
    return value.toString();
}

void SettingsStore::WriteSetting(const QString& name, const QString& value) const {
    if (name.isEmpty())
        return;
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, organisation_, application_);
    settings.setValue(name, value);
    settings.sync();
}

} // namespace orbicap
