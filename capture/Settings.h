#pragma once

#include "platform/SettingsStore.h"

#include <QString>

namespace orbicap {

// Where the program keeps its values: "Pellix_32" for the program,
// "Pellix" for the on-screen keyboard layout.
inline const QString kProgramSettings = QStringLiteral("Pellix_32");
inline const QString kKeyboardSettings = QStringLiteral("Pellix");

// The values read at start-up, already converted. A stored number that is
// not a decimal integer (an empty one included) reads as its default, and so
// does a count the count field could not hold.
struct StartupSettings {
    bool Expert = false;  // only the exact text "TRUE" counts
    int ExpoLength = 100; // exposure slider position
    int ExpoCount = 1;    // frame count field
    QString FileName;     // capture folder + "/" + base name
    int Gain = 10;
};

// The largest frame count the count field can hold (five digits).
inline constexpr int kMaxStoredCount = 99999;

// Reads EXPERT, EXPOLENGTH, EXPOCOUNT, FILENAME and GAIN, in that order.
StartupSettings ReadStartupSettings(const SettingsStore& store);

// The four strings written back at exit, in the order EXPOLENGTH, EXPOCOUNT,
// FILENAME, GAIN.
struct SavedSettings {
    QString SavedExpoLength;
    QString SavedExpoCount;
    QString SavedFileName;
    QString SavedGain;
};

void WriteExitSettings(const SettingsStore& store, const SavedSettings& saved);

// Written at once when "Expert Mode" is chosen.
void WriteExpertSetting(const SettingsStore& store, bool expert);

// A decimal integer (optional sign), or fallback for anything else.
int ParseStoredInteger(const QString& text, int fallback);

} // namespace orbicap
