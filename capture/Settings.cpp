#include "Settings.h"

namespace orbicap {

int ParseStoredInteger(const QString& text, int fallback) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    // toInt accepts surrounding blanks; a stored value with them is not ours.
    if (!ok || text.trimmed() != text)
        return fallback;
    return value;
}

StartupSettings ReadStartupSettings(const SettingsStore& store) {
    StartupSettings s;
    s.Expert = store.ReadSetting(QStringLiteral("EXPERT"), QStringLiteral("FALSE")) ==
               QStringLiteral("TRUE");
    s.ExpoLength = ParseStoredInteger(
        store.ReadSetting(QStringLiteral("EXPOLENGTH"), QStringLiteral("100")), 100);
    s.ExpoCount =
        ParseStoredInteger(store.ReadSetting(QStringLiteral("EXPOCOUNT"), QStringLiteral("1")), 1);
    // The count field holds digits only, five of them: a value it
    // could not show would be shown wrong and written back wrong.
    if (s.ExpoCount < 0 || s.ExpoCount > kMaxStoredCount)
        s.ExpoCount = 1;
    s.FileName = store.ReadSetting(QStringLiteral("FILENAME"), QString());
    s.Gain =
        ParseStoredInteger(store.ReadSetting(QStringLiteral("GAIN"), QStringLiteral("10")), 10);
    return s;
}

void WriteExitSettings(const SettingsStore& store, const SavedSettings& saved) {
    store.WriteSetting(QStringLiteral("EXPOLENGTH"), saved.SavedExpoLength);
    store.WriteSetting(QStringLiteral("EXPOCOUNT"), saved.SavedExpoCount);
    store.WriteSetting(QStringLiteral("FILENAME"), saved.SavedFileName);
    store.WriteSetting(QStringLiteral("GAIN"), saved.SavedGain);
}

void WriteExpertSetting(const SettingsStore& store, bool expert) {
    store.WriteSetting(QStringLiteral("EXPERT"),
                       expert ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
}

} // namespace orbicap
