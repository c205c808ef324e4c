#include "cli/HeadlessRecorder.h"
#include "cli/RecordOptions.h"
#include "platform/EventDispatcher.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    orbicap::PreferQtEventDispatcher();
    // The overlay measures and draws text, which needs a QGuiApplication; the
    // offscreen platform gives it one without a display. A platform the user
    // chose is left alone.
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
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
    return orbicap::RunHeadlessRecording(*parsed.Options,
                                         QCoreApplication::applicationDirPath().toStdString());
}
