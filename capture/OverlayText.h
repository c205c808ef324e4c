#pragma once

#include <array>
#include <mutex>
#include <string>

class QLocale;

namespace orbicap {

// What "/" and ":" in a format stand for: the user's date and time
// separators. The defaults are those of the C locale.
struct DateTimeSeparators {
    std::string Date = "/";
    std::string Time = ":";
};

// The separators of a locale's short date and time formats; the C locale
// keeps the defaults, so texts made under it stay as they always were.
DateTimeSeparators SeparatorsOf(const QLocale& locale);
DateTimeSeparators SystemSeparators();

// Broken-down local date and time, to the millisecond.
struct LocalDateTime {
    int Year = 1899, Month = 12, Day = 30, Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

LocalDateTime CurrentLocalDateTime();

// Formats with the pattern letters dd, mm (month; minutes right after hh),
// yyyy, hh, nn (minutes), ss, zzz; "/" and ":" stand for the date and time
// separators, anything else is copied.
std::string FormatDateTime(const std::string& format, const LocalDateTime& t,
                           const DateTimeSeparators& separators = {});

// The date/time formats of the overlay window, by index.
inline const std::array<std::string, 5> kOverlayFormats = {
    "", "dd/mm/yyyy", "dd/mm/yyyy hh:mm:ss", "dd/mm/yyyy hh:mm:ss.zzz", "hh:mm:ss.zzz"};

// The text stamped into frames: an optional prefix and the local date and
// time. DateFormat and Prefix are set by the window thread and read by the
// capture thread; the composed text is written by both sides. All three are
// handed over under one lock.
class OverlayText {
public:
    // Separators of the user's locale, read once: the capture thread must not
    // ask the locale for them on every frame.
    OverlayText();
    explicit OverlayText(DateTimeSeparators separators);
    const DateTimeSeparators& Separators() const { return separators_; }

    void SetDateFormat(std::string format);
    void SetPrefix(std::string prefix);
    std::string DateFormat() const;
    std::string Prefix() const;

    // Composes the text for the given moment, stores it as the current text
    // and returns it (the capture thread runs this once per pass).
    std::string Compose(const LocalDateTime& now);
    std::string Text() const;
    void SetText(std::string text);

private:
    const DateTimeSeparators separators_;
    mutable std::mutex lock_;
    std::string dateFormat_ = kOverlayFormats[3];
    std::string prefix_;
    std::string text_;
};

// The composition rule on its own: prefix (untrimmed) + " " + date text when
// the trimmed prefix is not empty, else the date text.
std::string ComposeOverlayText(const std::string& dateFormat, const std::string& prefix,
                               const LocalDateTime& now, const DateTimeSeparators& separators = {});

} // namespace orbicap
