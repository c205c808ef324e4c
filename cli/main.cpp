#include "capture/IndiOption.h"
#include "cli/HeadlessRecorder.h"
#include "cli/RecordOptions.h"
#include "platform/EventDispatcher.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    orbicap::PreferQtEventDispatcher();
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const orbicap::ParseResult parsed = orbicap::ParseRecordOptions(arguments);
    if (parsed.HelpRequested) {
        std::fputs(orbicap::RecordUsage(), stdout);
        return 0;
    }
    if (!parsed.Options) {
        std::fprintf(stderr, "orbicap-record: %s\n\n%s", parsed.Error.c_str(),
                     orbicap::RecordUsage());
        return 2;
    }
    orbicap::RecordOptions options = *parsed.Options;
    const std::string executableDir = QCoreApplication::applicationDirPath().toStdString();
    if (!options.Indi.empty())
        options.Driver =
            orbicap::UseIndiTarget(*orbicap::ParseIndiTarget(options.Indi), executableDir);
    return orbicap::RunHeadlessRecording(options, executableDir);
}
