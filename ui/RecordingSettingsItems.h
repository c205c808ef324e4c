#pragma once

#include "platform/SettingsStore.h"
#include "recording/AVIExport.h"

#include <QMenu>

namespace orbicap {

// Adds "Write Capture Log" and "FITS Observation Keywords" to the "Capture
// Files" menu, checked as the settings say, and gives the recorder their
// state now and whenever they are chosen (which also stores it).
void AddRecordingSettingsItems(QMenu* menu, TAVIExport& recorder, const SettingsStore& store);

} // namespace orbicap
