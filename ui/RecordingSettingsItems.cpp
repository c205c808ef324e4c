#include "RecordingSettingsItems.h"

#include "recording/RecordingSettings.h"

#include <functional>

namespace orbicap {

namespace {

void AddItem(QMenu* menu, const QString& caption, const QString& name, bool checked,
             std::function<void(bool)> chosen) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(name);
    item->setCheckable(true);
    item->setChecked(checked);
    QObject::connect(item, &QAction::triggered, menu, std::move(chosen));
}

} // namespace

void AddRecordingSettingsItems(QMenu* menu, TAVIExport& recorder, const SettingsStore& store) {
    const RecordingSettings settings = ReadRecordingSettings(store);
    recorder.WriteCaptureLog = settings.CaptureLog;
    recorder.FitsObservationKeywords = settings.FitsKeywords;
    menu->addSeparator();
    AddItem(menu, QStringLiteral("Write Capture Log"), QStringLiteral("WriteCaptureLog1"),
            settings.CaptureLog, [&recorder, &store](bool on) {
                recorder.WriteCaptureLog = on;
                WriteCaptureLogSetting(store, on);
            });
    AddItem(menu, QStringLiteral("FITS Observation Keywords"),
            QStringLiteral("FitsObservationKeywords1"), settings.FitsKeywords,
            [&recorder, &store](bool on) {
                recorder.FitsObservationKeywords = on;
                WriteFitsKeywordsSetting(store, on);
            });
}

} // namespace orbicap
