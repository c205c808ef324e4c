#include "OverlayText.h"

#include <QLocale>

#include <chrono>
#include <cstdio>
#include <ctime>

namespace orbicap {

LocalDateTime CurrentLocalDateTime() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&seconds, &tm);
    LocalDateTime t;
    t.Year = tm.tm_year + 1900;
    t.Month = tm.tm_mon + 1;
    t.Day = tm.tm_mday;
    t.Hour = tm.tm_hour;
    t.Minute = tm.tm_min;
    t.Second = tm.tm_sec;
    t.Millisecond =
        static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    return t;
}

namespace {

bool StartsWith(const std::string& s, std::size_t at, const char* token) {
    return s.compare(at, std::char_traits<char>::length(token), token) == 0;
}

void AppendNumber(std::string& out, int value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", digits, value);
    out += buffer;
}

// The first character of a format that is neither a pattern letter nor a
// quote, or fallback when there is none.
std::string FirstSeparator(const QString& format, const std::string& fallback) {
    for (const QChar c : format)
        if (!c.isLetter() && c != u'\'' && !c.isSpace())
            return QString(c).toStdString();
    return fallback;
}

} // namespace

DateTimeSeparators SeparatorsOf(const QLocale& locale) {
    DateTimeSeparators separators;
    if (locale.language() == QLocale::C)
        return separators;
    separators.Date = FirstSeparator(locale.dateFormat(QLocale::ShortFormat), separators.Date);
    separators.Time = FirstSeparator(locale.timeFormat(QLocale::ShortFormat), separators.Time);
    return separators;
}

DateTimeSeparators SystemSeparators() {
    return SeparatorsOf(QLocale::system());
}

std::string FormatDateTime(const std::string& format, const LocalDateTime& t,
                           const DateTimeSeparators& separators) {
    std::string out;
    bool afterHour = false; // "mm" right after an hour field means minutes
    for (std::size_t i = 0; i < format.size();) {
        if (StartsWith(format, i, "yyyy")) {
            AppendNumber(out, t.Year, 4);
            i += 4;
            afterHour = false;
        } else if (StartsWith(format, i, "dd")) {
            AppendNumber(out, t.Day, 2);
            i += 2;
            afterHour = false;
        } else if (StartsWith(format, i, "hh")) {
            AppendNumber(out, t.Hour, 2);
            i += 2;
            afterHour = true;
        } else if (StartsWith(format, i, "nn")) {
            AppendNumber(out, t.Minute, 2);
            i += 2;
            afterHour = false;
        } else if (StartsWith(format, i, "mm")) {
            AppendNumber(out, afterHour ? t.Minute : t.Month, 2);
            i += 2;
            afterHour = false;
        } else if (StartsWith(format, i, "ss")) {
            AppendNumber(out, t.Second, 2);
            i += 2;
            afterHour = false;
        } else if (StartsWith(format, i, "zzz")) {
            AppendNumber(out, t.Millisecond, 3);
            i += 3;
            afterHour = false;
        } else if (format[i] == '/') {
            out += separators.Date;
            ++i;
        } else if (format[i] == ':') {
            out += separators.Time;
            ++i;
        } else {
            out += format[i];
            ++i;
        }
    }
    return out;
}

namespace {

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

bool TrimmedIsEmpty(const std::string& s) {
    for (char c : s)
        if (!IsBlankOrControl(c))
            return false;
    return true;
}

} // namespace

std::string ComposeOverlayText(const std::string& dateFormat, const std::string& prefix,
                               const LocalDateTime& now, const DateTimeSeparators& separators) {
    std::string text;
    if (!dateFormat.empty())
        text = FormatDateTime(dateFormat, now, separators);
    if (!TrimmedIsEmpty(prefix))
        text = prefix + " " + text;
    return text;
}

OverlayText::OverlayText() : OverlayText(SystemSeparators()) {}

OverlayText::OverlayText(DateTimeSeparators separators) : separators_(std::move(separators)) {}

void OverlayText::SetDateFormat(std::string format) {
    std::lock_guard guard(lock_);
    dateFormat_ = std::move(format);
}

void OverlayText::SetPrefix(std::string prefix) {
    std::lock_guard guard(lock_);
    prefix_ = std::move(prefix);
}

std::string OverlayText::DateFormat() const {
    std::lock_guard guard(lock_);
    return dateFormat_;
}

std::string OverlayText::Prefix() const {
    std::lock_guard guard(lock_);
    return prefix_;
}

std::string OverlayText::Compose(const LocalDateTime& now) {
    std::lock_guard guard(lock_);
    text_ = ComposeOverlayText(dateFormat_, prefix_, now, separators_);
    return text_;
}

std::string OverlayText::Text() const {
    std::lock_guard guard(lock_);
    return text_;
}

void OverlayText::SetText(std::string text) {
    std::lock_guard guard(lock_);
    text_ = std::move(text);
}

} // namespace orbicap
