#include "capture/IndiOption.h"
#include "cli/HeadlessRecorder.h"
#include "cli/RecordOptions.h"
#include "platform/EventDispatcher.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <memory>

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
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

    orbicap::PreferQtEventDispatcher();
    std::unique_ptr<QCoreApplication> app;
    if (parsed.Options->Overlay) {
        // The overlay measures and draws text, which needs a QGuiApplication;
        // the offscreen platform gives it one without a display. A platform
        // the user chose is left alone.
        if (!std::getenv("QT_QPA_PLATFORM"))
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    orbicap::RecordOptions options = *parsed.Options;
    const std::string executableDir = QCoreApplication::applicationDirPath().toStdString();
    if (!options.Indi.empty())
        options.Driver =
            orbicap::UseIndiTarget(*orbicap::ParseIndiTarget(options.Indi), executableDir);
    return orbicap::RunHeadlessRecording(options, executableDir);
}
