#include "RecordOptions.h"

#include "capture/IndiOption.h"

#include <QFile>
#include <QFileInfo>

#include <climits>
#include <utility>

namespace orbicap {

namespace {

std::optional<int> ParseInt(const QString& text, int min, int max) {
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    if (!ok || v < min || v > max)
        return std::nullopt;
    return v;
}

// The --out value as FOLDER/NAME: an error in words, or empty. The folder
// may be missing (the recording start reports that), but a name must follow
// it, and the longest file made from it must fit the system's limits.
QString CheckOut(const QString& out) {
    const QFileInfo info(out);
    if (out.endsWith('/') || info.isDir() || info.fileName().isEmpty() || info.fileName() == "." ||
        info.fileName() == "..")
        return QStringLiteral("--out needs a base name after the folder: FOLDER/NAME");
    for (const QChar c : info.fileName())
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("--out: the base name must not contain control characters");
    // The longest name a recording makes: NAME_00000-PART1.AVI, and six
    // digits or more past 99999 recordings.
    constexpr int kLongestSuffix = 20;
    const QByteArray name = QFile::encodeName(info.fileName());
    const QByteArray path = QFile::encodeName(out);
    if (name.size() + kLongestSuffix > NAME_MAX || path.size() + kLongestSuffix >= PATH_MAX)
        return QStringLiteral("--out: the name is longer than the system allows");
    return {};
}

// Options that take a value, as --name VALUE or --name=VALUE.
bool TakesValue(const QString& option) {
    static const char* const kNames[] = {"--out",         "--format", "--frames",      "--seconds",
                                         "--exposure",    "--gain",   "--resolution",  "--driver",
                                         "--queue-limit", "--indi",   "--frames-ahead"};
    for (const char* name : kNames)
        if (option == QLatin1String(name))
            return true;
    return false;
}

// Options that only switch something on: the member they set, or null.
bool RecordOptions::*FlagOption(const QString& option) {
    static const std::pair<const char*, bool RecordOptions::*> kFlags[] = {
        {"--ten-bit", &RecordOptions::TenBit},  {"--color", &RecordOptions::Color},
        {"--overlay", &RecordOptions::Overlay}, {"--stats", &RecordOptions::Stats},
        {"--no-log", &RecordOptions::NoLog},    {"--fits-keywords", &RecordOptions::FitsKeywords}};
    for (const auto& [name, member] : kFlags)
        if (option == QLatin1String(name))
            return member;
    return nullptr;
}

} // namespace

const char* RecordUsage() {
    return "Usage: orbicap-record --out FOLDER/BASE [options]\n"
           "Records frames from the camera without a window.\n"
           "\n"
           "  --out FOLDER/BASE       capture folder and base name (files BASE_00000.SER, ...)\n"
           "  --format ser|avi|fit|bmp  output format (default ser)\n"
           "  --frames N              stop after N frames; 0 records until interrupted (default "
           "1)\n"
           "  --seconds S             stop after S seconds instead\n"
           "  --exposure MS           exposure in milliseconds, 1..10000 (default 100)\n"
           "  --gain G                gain 0..100 (default 10)\n"
           "  --resolution WxH        752x480, 376x240 or 400x400 (default 752x480)\n"
           "  --ten-bit               10-bit samples (16-bit SER and FITS)\n"
           "  --color                 the camera delivers a colour mosaic\n"
           "  --overlay               stamp the date and time into AVI and BMP frames\n"
           "  --driver PATH           camera driver library (default: ORBICAP_DRIVER, else the\n"
           "                          simulator)\n"
           "  --indi HOST[:PORT][/DEVICE]  a camera on an INDI server (default port 7624,\n"
           "                          default device the first camera)\n"
           "  --queue-limit MB        end the recording when frames waiting for the disk take\n"
           "                          more than MB megabytes (default: half the memory)\n"
           "  --frames-ahead N        start an exposure only while fewer than N frames wait\n"
           "                          for the disk: the frame rate falls to what the disk\n"
           "                          takes instead of the queue filling memory\n"
           "  --stats                 print resident memory before and at the peak of the\n"
           "                          recording (bytes)\n"
           "  --no-log                no capture log NAME.txt beside the recording\n"
           "  --fits-keywords         DATE-OBS, EXPTIME, GAIN, INSTRUME and SWCREATE in FITS\n"
           "                          headers\n"
           "  --help                  this text\n"
           "\n"
           "Ctrl+C ends the recording at the next frame and keeps the file complete.\n";
}

ParseResult ParseRecordOptions(const QStringList& arguments) {
    ParseResult result;
    RecordOptions o;
    bool framesGiven = false;
    auto fail = [&](const QString& why) {
        result.Error = why.toStdString();
        return result;
    };
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& typed = arguments[i];
        // --name=VALUE gives the value in the same argument.
        const qsizetype equals = typed.startsWith("--") ? typed.indexOf('=') : -1;
        const QString a = equals > 0 ? typed.left(equals) : typed;
        std::optional<QString> inlineValue;
        if (equals > 0)
            inlineValue = typed.mid(equals + 1);
        auto value = [&]() -> std::optional<QString> {
            if (inlineValue)
                return inlineValue->isEmpty() ? std::nullopt : inlineValue;
            if (i + 1 >= arguments.size())
                return std::nullopt;
            return arguments[++i];
        };
        if (inlineValue && !TakesValue(a))
            return fail(QStringLiteral("unknown option '%1'").arg(typed));
        if (a == "--help" || a == "-h") {
            result.HelpRequested = true;
            return result;
        }
        if (bool RecordOptions::*flag = FlagOption(a)) {
            o.*flag = true;
            continue;
        }
        if (!TakesValue(a))
            return fail(QStringLiteral("unknown option '%1'").arg(typed));
        const std::optional<QString> v = value();
        if (!v)
            return fail(QStringLiteral("%1 needs a value").arg(a));
        if (a == "--out") {
            if (const QString why = CheckOut(*v); !why.isEmpty())
                return fail(why);
            o.Out = QFile::encodeName(*v).toStdString();
        } else if (a == "--format") {
            const QString f = v->toLower();
            if (f != "ser" && f != "avi" && f != "fit" && f != "bmp")
                return fail(QStringLiteral("unknown format '%1'").arg(*v));
            o.Format = f.toStdString();
        } else if (a == "--frames") {
            const auto n = ParseInt(*v, 0, 99999);
            if (!n)
                return fail(QStringLiteral("--frames takes a number from 0 to 99999"));
            o.Frames = *n;
            framesGiven = true;
        } else if (a == "--seconds") {
            const auto n = ParseInt(*v, 0, 99999);
            if (!n)
                return fail(QStringLiteral("--seconds takes a number from 0 to 99999"));
            o.Seconds = *n;
        } else if (a == "--exposure") {
            const auto n = ParseInt(*v, 1, 10000);
            if (!n)
                return fail(QStringLiteral("--exposure takes milliseconds from 1 to 10000"));
            o.ExposureMs = *n;
        } else if (a == "--gain") {
            const auto n = ParseInt(*v, 0, 100);
            if (!n)
                return fail(QStringLiteral("--gain takes a number from 0 to 100"));
            o.Gain = *n;
        } else if (a == "--resolution") {
            if (*v == "752x480") {
                o.Width = 752, o.Height = 480;
            } else if (*v == "376x240") {
                o.Width = 376, o.Height = 240;
            } else if (*v == "400x400") {
                o.Width = 400, o.Height = 400;
            } else {
                return fail(QStringLiteral("--resolution is 752x480, 376x240 or 400x400"));
            }
        } else if (a == "--queue-limit") {
            const auto n = ParseInt(*v, 1, 16'777'216);
            if (!n)
                return fail(QStringLiteral("--queue-limit takes megabytes from 1 to 16777216"));
            o.QueueLimitMb = *n;
        } else if (a == "--frames-ahead") {
            const auto n = ParseInt(*v, 1, 99999);
            if (!n)
                return fail(QStringLiteral("--frames-ahead takes a number from 1 to 99999"));
            o.FramesAhead = *n;
        } else if (a == "--driver") {
            o.Driver = v->toStdString();
        } else if (a == "--indi") {
            if (!ParseIndiTarget(v->toStdString()))
                return fail(QStringLiteral("--indi takes HOST[:PORT][/DEVICE]"));
            o.Indi = v->toStdString();
        }
    }
    if (o.Out.empty())
        return fail(QStringLiteral("--out FOLDER/BASE is required"));
    if (framesGiven && o.Seconds)
        return fail(QStringLiteral("give either --frames or --seconds, not both"));
    result.Options = o;
    return result;
}

} // namespace orbicap
