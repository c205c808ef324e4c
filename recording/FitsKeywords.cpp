#include "FitsKeywords.h"

#include "recording/UtcTime.h"

#include <cstdio>
#include <cstring>

namespace orbicap {

namespace {

constexpr std::size_t kCardBytes = 80;
constexpr std::size_t kValueColumn = 10;   // the value starts in column 11
constexpr std::size_t kCommentColumn = 31; // "/ " in columns 32-33, after a fixed value

void PutKeyword(char* card, const char* keyword) {
    std::memcpy(card, keyword, std::strlen(keyword));
    card[8] = '=';
}

// A comment after the value, where the card still has room for it.
void PutComment(char* card, std::size_t from, const char* comment) {
    const std::size_t at = from < kCommentColumn ? kCommentColumn : from + 1;
    const std::size_t length = std::strlen(comment);
    if (at + 2 + length > kCardBytes)
        return;
    card[at] = '/';
    std::memcpy(card + at + 2, comment, length);
}

// Fixed-format number: right-aligned so that it ends in column 30.
void PutNumberCard(char* card, const char* keyword, const char* value, const char* comment) {
    PutKeyword(card, keyword);
    const std::size_t length = std::strlen(value);
    std::memcpy(card + 30 - length, value, length);
    PutComment(card, 30, comment);
}

// Fixed-format string: a quote in column 11, the text with its quotes doubled,
// blanks up to at least column 19, and the closing quote.
void PutStringCard(char* card, const char* keyword, const std::string& text, const char* comment) {
    PutKeyword(card, keyword);
    std::size_t at = kValueColumn;
    card[at++] = '\'';
    const std::size_t last = kCardBytes - 1; // room for the closing quote
    for (const char raw : text) {
        const char c = raw >= 32 && raw <= 126 ? raw : '?';
        const std::size_t needed = c == '\'' ? 2 : 1;
        if (at + needed > last)
            break;
        card[at++] = c;
        if (c == '\'')
            card[at++] = '\'';
    }
    if (at < kValueColumn + 9)
        at = kValueColumn + 9; // strings are at least 8 characters, blank padded
    card[at++] = '\'';
    PutComment(card, at, comment);
}

} // namespace

FitsObservation ObservationOf(const ImageLst& frame, int exposureMs, int gain,
                              const std::string& instrument, std::int64_t utcOffset100ns) {
    FitsObservation o;
    o.DateObs = IsoUtc(UtcMsFromLocalDayCount(frame.TimeStamp, utcOffset100ns), false);
    o.ExposureSeconds = exposureMs / 1000.0;
    o.Gain = gain;
    o.Instrument = instrument;
    o.Software = std::string("Orbicap ") + ORBICAP_VERSION;
    return o;
}

void PutObservationCards(char* cards, const FitsObservation& observation) {
    char number[32];
    PutStringCard(cards, "DATE-OBS", observation.DateObs, "UTC start of the exposure");
    std::snprintf(number, sizeof number, "%.3f", observation.ExposureSeconds);
    PutNumberCard(cards += kCardBytes, "EXPTIME", number, "[s] exposure time");
    std::snprintf(number, sizeof number, "%d", observation.Gain);
    PutNumberCard(cards += kCardBytes, "GAIN", number, "camera gain setting, 0 to 100");
    PutStringCard(cards += kCardBytes, "INSTRUME", observation.Instrument, "camera");
    PutStringCard(cards += kCardBytes, "SWCREATE", observation.Software,
                  "program that wrote the file");
}

} // namespace orbicap
