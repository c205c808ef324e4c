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

#include <cstdio>

int main(int argc, char** argv) {
    orbicap::PreferQtEventDispatcher();
    QApplication app(argc, argv);
    QApplication::setApplicationName(orbicap::kApplicationTitle);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Capture program for astronomy video cameras"));
    parser.addHelpOption();
    const QCommandLineOption driver(QStringLiteral("driver"),
                                    QStringLiteral("Camera driver library to load."),
                                    QStringLiteral("PATH"));
    parser.addOption(driver);
    const QCommandLineOption indi(
        QStringLiteral("indi"),
        QStringLiteral("Camera on an INDI server (port 7624 unless given; "
                       "the first camera unless DEVICE is given)."),
        QStringLiteral("HOST[:PORT][/DEVICE]"));
    parser.addOption(indi);
    const QCommandLineOption tools(
        QStringLiteral("tools"),
        QStringLiteral("Show the Tools menu: solar mode, Roddier tool, focus tool, measure mode."));
    parser.addOption(tools);
    parser.process(app);

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
    options.DriverPath = orbicap::ChooseDriverPath(
        parser.value(driver).toStdString(), QApplication::applicationDirPath().toStdString());
    if (parser.isSet(indi)) {
        const auto target = orbicap::ParseIndiTarget(parser.value(indi).toStdString());
        if (!target) {
            std::fprintf(stderr, "orbicap: --indi takes HOST[:PORT][/DEVICE]\n");
            return 2;
        }
        options.DriverPath =
            orbicap::UseIndiTarget(*target, QApplication::applicationDirPath().toStdString());
    }
    options.ShowTools = parser.isSet(tools);
    orbicap::TForm1 window(context, options, &splash);
    const orbicap::SignalBridge signalBridge([&window] { window.close(); });
    if (window.Startup() != orbicap::TForm1::StartResult::Running)
        return 1;
    const int result = QApplication::exec();
    window.SaveAndStop();
    return result;
}
