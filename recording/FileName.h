#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orbicap {

// Output names: folder + "/" + base name form the capture file name (no
// extension); each recording or per-frame file adds "_" and a number of at
// least five digits, then an upper-case extension (".SER", "-PART1.AVI",
// ".FIT", ".BMP"). Numbers are chosen so that no existing file is replaced.
//
// Existence is a plain test of the exact name. On a case-insensitive file
// system (FAT, exFAT) that test is itself case-insensitive, so a file in
// other letter cases blocks its number too and nothing is overwritten.

// n in decimal with leading zeros up to 5 digits; 6 or more digits in full.
std::string Pad5(int n);

bool FileExists(const std::string& path);

// captureFileName + "_" + Pad5(n) + ext, e.g. ext ".SER".
std::string RecordingFileName(std::string_view captureFileName, int n, std::string_view ext);

// The file of AVI part `part` of a recording name ending in ".AVI":
// the name less its last four characters + "-PART<part>.AVI".
std::string AviPartFileName(std::string_view recordingFileName, int part);

// Whether any part 0..99 of the recording name exists.
bool AviPartsExist(std::string_view name);

// Number for a new SER or AVI recording; name is the capture file name plus
// ".SER" or ".AVI". Searched from 0 every time, so gaps are reused. A SER
// number is never one that an AVI recording's parts carry.
int NextRecordingNumber(std::string_view name);

// Next per-frame file name; name is the capture file name plus ".FIT" or
// ".BMP". frameFileNumber is the counter FIT and BMP share: it starts the
// search and is left at the number returned.
std::string NextFrameFileName(std::string_view name, int& frameFileNumber);

// Joins a folder and a name with exactly one "/" ("/" + "A" gives "/A").
std::string JoinPath(std::string_view folder, std::string_view name);

// Folder and base name behind the capture file name. The folder never ends in
// "/" except when it is the root itself, so names in the root stay valid.
struct CaptureNaming {
    std::string CaptureFolder;
    std::string BaseName;

    // Splits the capture file name (blanks trimmed) at its last "/";
    // an empty name changes nothing.
    void PrepareNameWindow(std::string_view captureFileName);
    // The capture file name to use, once both folder and base name are set.
    std::optional<std::string> ApplyCaptureName() const;
    // Takes a chosen folder (empty: the chooser was cancelled, nothing
    // changes); returns the new capture file name if a base name is set.
    std::optional<std::string> SetCaptureLocation(std::string_view path);
};

} // namespace orbicap
