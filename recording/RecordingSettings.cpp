#include "RecordingSettings.h"

namespace orbicap {

namespace {

const QString kCaptureLog = QStringLiteral("CAPTURELOG");
const QString kFitsKeywords = QStringLiteral("FITSKEYS");

QString Flag(bool on) {
    return on ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
}

} // namespace

RecordingSettings ReadRecordingSettings(const SettingsStore& store) {
    RecordingSettings s;
    s.CaptureLog = store.ReadSetting(kCaptureLog, Flag(true)) == QStringLiteral("TRUE");
    s.FitsKeywords = store.ReadSetting(kFitsKeywords, Flag(false)) == QStringLiteral("TRUE");
    return s;
}

void WriteCaptureLogSetting(const SettingsStore& store, bool on) {
    store.WriteSetting(kCaptureLog, Flag(on));
}

void WriteFitsKeywordsSetting(const SettingsStore& store, bool on) {
    store.WriteSetting(kFitsKeywords, Flag(on));
}

} // namespace orbicap
