#include "WriterTestSupport.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orbicap::test {

TempFolder::TempFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "orbicap-writers-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void TempFolder::Touch(const std::string& name) const {
    std::ofstream(File(name)).put('x');
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

ToolRun RunTool(const std::string& commandLine) {
    ToolRun run;
    std::FILE* pipe = ::popen((commandLine + " 2>&1").c_str(), "r");
    if (!pipe) {
        return run;
    }
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        run.Output.append(buffer, got);
    }
    const int status = ::pclose(pipe);
    run.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

bool ToolAvailable(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

std::string PythonWithAstropy() {
    // The system interpreter carries the distribution's astropy even when a
    // different python3 comes first on PATH.
    for (const char* candidate : {"/usr/bin/python3", "python3"}) {
        const std::string probe = std::string(candidate) + " -c 'import astropy' >/dev/null 2>&1";
        if (std::system(probe.c_str()) == 0) {
            return candidate;
        }
    }
    return {};
}

LimitedRun RunWithFileSizeLimit(std::uint64_t maxFileBytes,
                                const std::function<std::string()>& body) {
    int channel[2];
    if (::pipe(channel) != 0) {
        return {};
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{maxFileBytes, maxFileBytes};
        std::string report = ::setrlimit(RLIMIT_FSIZE, &limit) == 0 ? body() : "setrlimit failed";
        const char* at = report.data();
        std::size_t left = report.size();
        while (left > 0) {
            const ssize_t done = ::write(channel[1], at, left);
            if (done <= 0) {
                break;
            }
            at += done;
            left -= static_cast<std::size_t>(done);
        }
        ::_exit(0);
    }
    ::close(channel[1]);
    LimitedRun run;
    char buffer[1024];
    ssize_t got;
    while ((got = ::read(channel[0], buffer, sizeof buffer)) > 0) {
        run.Report.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    run.Exited = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

} // namespace orbicap::test
