#pragma once

// Helpers shared by the AVI tests: a scratch folder, pictures that show
// their orientation, and the FFmpeg command-line tools as independent readers.

#include "pipeline/PictureRows.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace orbicap::test {

// A fresh folder under the system's temporary folder, removed afterwards.
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "orbicap-avi-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr)
            path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    bool Ok() const { return !path_.empty(); }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline bool ToolPresent(const char* tool) {
    const std::string command = std::string("command -v ") + tool + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// Runs a shell command and returns its standard output (binary-safe).
inline std::string RunCapture(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return out;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    pclose(pipe);
    return out;
}

inline std::string Quote(const std::string& path) {
    return "'" + path + "'";
}

// Stream properties of the first video stream as ffprobe reports them, with
// the frames actually counted by reading the file.
inline std::map<std::string, std::string> Probe(const std::string& file) {
    const std::string text =
        RunCapture("ffprobe -v error -select_streams v:0 -count_frames -show_entries "
                   "stream=width,height,pix_fmt,codec_tag_string,nb_read_frames,avg_frame_rate "
                   "-of default=noprint_wrappers=1 " +
                   Quote(file));
    std::map<std::string, std::string> fields;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const auto eq = line.find('=');
        if (eq != std::string::npos)
            fields[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return fields;
}

// Every frame of the file decoded by ffmpeg, rows top first, in pixFmt.
inline std::string DecodeAll(const std::string& file, const char* pixFmt) {
    return RunCapture("ffmpeg -v error -i " + Quote(file) + " -f rawvideo -pix_fmt " + pixFmt +
                      " -");
}

// A bottom-up 24-bit picture (3 x width bytes per row) whose every pixel
// differs from its neighbours: blue from x, green from the picture row
// counted from the top, red from the frame number.
inline std::vector<std::uint8_t> TestPicture(int width, int height, int frame) {
    std::vector<std::uint8_t> bits(3u * width * height);
    for (int memoryRow = 0; memoryRow < height; ++memoryRow) {
        const int top = PictureRowOfBufferRow(memoryRow, height);
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = &bits[3u * (static_cast<std::size_t>(memoryRow) * width + x)];
            p[0] = static_cast<std::uint8_t>(x * 3 + top);
            p[1] = static_cast<std::uint8_t>(top * 5 + x / 7);
            p[2] = static_cast<std::uint8_t>(frame * 11 + 1);
        }
    }
    return bits;
}

// The same picture with its rows top first, as a decoder hands it out.
inline std::string TopDown(const std::vector<std::uint8_t>& bottomUp, int width, int height) {
    std::string rows;
    const std::size_t row = 3u * width;
    for (int top = 0; top < height; ++top)
        rows.append(reinterpret_cast<const char*>(bottomUp.data()) +
                        BufferRowOfPictureRow(top, height) * row,
                    row);
    return rows;
}

} // namespace orbicap::test
