#pragma once

#include "platform/SettingsStore.h"

namespace orbicap {

// The two choices of the "Capture Files" menu that survive a restart, kept
// as "TRUE" or "FALSE" like EXPERT and written at once when chosen:
// CAPTURELOG (on at the first start) and FITSKEYS (off at the first start).
struct RecordingSettings {
    bool CaptureLog = true;
    bool FitsKeywords = false;
};

RecordingSettings ReadRecordingSettings(const SettingsStore& store);
void WriteCaptureLogSetting(const SettingsStore& store, bool on);
void WriteFitsKeywordsSetting(const SettingsStore& store, bool on);

} // namespace orbicap
