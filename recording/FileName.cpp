#include "FileName.h"

#include <cstdio>
#include <sys/stat.h>

namespace orbicap {

namespace {

constexpr int kAviPartsTested = 100;

struct SplitName {
    std::string_view Base; // the name less its extension
    std::string Ext;       // the last four characters, upper case
};

SplitName SplitExtension(std::string_view name) {
    const std::size_t cut = name.size() >= 4 ? name.size() - 4 : 0;
    SplitName split{name.substr(0, cut), std::string(name.substr(cut))};
    for (char& c : split.Ext) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return split;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') {
        text.remove_suffix(1);
    }
    return text;
}

// Drops trailing "/" but keeps a lone "/" (the root).
std::string_view StripFolderSlashes(std::string_view folder) {
    while (folder.size() > 1 && folder.back() == '/') {
        folder.remove_suffix(1);
    }
    return folder;
}

} // namespace

std::string Pad5(int n) {
    char text[16];
    std::snprintf(text, sizeof text, "%05d", n);
    return text;
}

bool FileExists(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

std::string RecordingFileName(std::string_view captureFileName, int n, std::string_view ext) {
    std::string name(captureFileName);
    name += '_';
    name += Pad5(n);
    name += ext;
    return name;
}

std::string AviPartFileName(std::string_view recordingFileName, int part) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "-PART%d.AVI", part);
    return std::string(SplitExtension(recordingFileName).Base) + suffix;
}

bool AviPartsExist(std::string_view name) {
    for (int part = 0; part < kAviPartsTested; ++part) {
        if (FileExists(AviPartFileName(name, part))) {
            return true;
        }
    }
    return false;
}

int NextRecordingNumber(std::string_view name) {
    const SplitName split = SplitExtension(name);
    int n = 0;
    for (;;) {
        const std::string candidate = RecordingFileName(split.Base, n, split.Ext);
        if (!FileExists(candidate) && !AviPartsExist(candidate)) {
            return n;
        }
        ++n;
    }
}

std::string NextFrameFileName(std::string_view name, int& frameFileNumber) {
    const SplitName split = SplitExtension(name);
    std::string candidate = RecordingFileName(split.Base, frameFileNumber, split.Ext);
    while (FileExists(candidate)) {
        candidate = RecordingFileName(split.Base, ++frameFileNumber, split.Ext);
    }
    return candidate;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    path += name;
    return path;
}

void CaptureNaming::PrepareNameWindow(std::string_view captureFileName) {
    const std::string_view name = Trim(captureFileName);
    if (name.empty()) {
        return;
    }
    const std::size_t slash = name.rfind('/');
    if (slash == std::string_view::npos) {
        CaptureFolder.clear();
        BaseName = std::string(name);
        return;
    }
    CaptureFolder = std::string(StripFolderSlashes(name.substr(0, slash + 1)));
    BaseName = std::string(name.substr(slash + 1));
}

std::optional<std::string> CaptureNaming::ApplyCaptureName() const {
    if (BaseName.empty() || CaptureFolder.empty()) {
        return std::nullopt;
    }
    return JoinPath(CaptureFolder, BaseName);
}

std::optional<std::string> CaptureNaming::SetCaptureLocation(std::string_view path) {
    if (path.empty()) {
        return std::nullopt;
    }
    CaptureFolder = std::string(StripFolderSlashes(path));
    if (BaseName.empty()) {
        return std::nullopt;
    }
    return JoinPath(CaptureFolder, BaseName);
}

} // namespace orbicap
