#include "ui/Main.h"
#include "capture/CMOSDLL32.h"
#include "capture/IndiOption.h"
#include "platform/EventDispatcher.h"
#include "platform/SignalBridge.h"
#include "session/AppContext.h"
#include "ui/DoubleInst.h"
#include "ui/SplashScreen.h"
#include "ui/Version.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <string_view>

namespace {

struct CommandLine {
    QCommandLineOption Driver{QStringLiteral("driver"),
                              QStringLiteral("Camera driver library to load."),
                              QStringLiteral("PATH")};
    QCommandLineOption Indi{QStringLiteral("indi"),
                            QStringLiteral("Camera on an INDI server (port 7624 unless given; "
                                           "the first camera unless DEVICE is given)."),
                            QStringLiteral("HOST[:PORT][/DEVICE]")};
    QCommandLineOption Tools{
        QStringLiteral("tools"),
        QStringLiteral("Show the Tools menu: solar mode, Roddier tool, focus tool, measure mode.")};
    QCommandLineParser Parser;

    CommandLine() {
        Parser.setApplicationDescription(
            QStringLiteral("Capture program for astronomy video cameras"));
        Parser.addHelpOption();
        Parser.addOption(Driver);
        Parser.addOption(Indi);
        Parser.addOption(Tools);
    }
};

// "--help" is answered before any window system is asked for, so that it
// works on a machine without a display too.
bool AsksOnlyForHelp(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "-h" || arg == "--help")
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (AsksOnlyForHelp(argc, argv)) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(orbicap::kApplicationTitle);
        CommandLine line;
        line.Parser.process(app); // prints the help and ends the program
        return 0;
    }
    orbicap::PreferQtEventDispatcher();
    QApplication app(argc, argv);
    QApplication::setApplicationName(orbicap::kApplicationTitle);
    CommandLine line;
    line.Parser.process(app);

    orbicap::InstanceLock instance;
    if (!instance.Acquire()) {
        orbicap::MultiInstance1ForceClose();
        return 1;
    }

    orbicap::SplashScreen splash;
    splash.show();
    QApplication::processEvents();

    orbicap::AppContext context;
    orbicap::StartupOptions options;
    options.DriverPath =
        orbicap::ChooseDriverPath(line.Parser.value(line.Driver).toStdString(),
                                  QApplication::applicationDirPath().toStdString());
    if (line.Parser.isSet(line.Indi)) {
        const auto target = orbicap::ParseIndiTarget(line.Parser.value(line.Indi).toStdString());
        if (!target) {
            std::fprintf(stderr, "orbicap: --indi takes HOST[:PORT][/DEVICE]\n");
            return 2;
        }
        options.DriverPath =
            orbicap::UseIndiTarget(*target, QApplication::applicationDirPath().toStdString());
    }
    options.ShowTools = line.Parser.isSet(line.Tools);
    orbicap::TForm1 window(context, options, &splash);
    const orbicap::SignalBridge signalBridge([&window] { window.close(); });
    if (window.Startup() != orbicap::TForm1::StartResult::Running)
        return 1;
    const int result = QApplication::exec();
    window.SaveAndStop();
    return result;
}
