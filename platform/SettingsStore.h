#pragma once

#include <QString>

namespace orbicap {

// String settings under one organisation in the user's configuration
// (QSettings, native format; the folder follows XDG_CONFIG_HOME). Every
// failure reads as the default or writes nothing; nothing is ever reported.
class SettingsStore {
public:
    // With no application name the store is one file per organisation,
    // $XDG_CONFIG_HOME/<organisation>.conf.
    explicit SettingsStore(QString organisation, QString application = {});

    QString ReadSetting(const QString& name, const QString& defaultValue) const;
    void WriteSetting(const QString& name, const QString& value) const;

private:
    QString organisation_;
    QString application_;
};

} // namespace orbicap
