#pragma once
// Conversions between elapsed milliseconds and the protocol's time texts.
#include <cstdint>
#include <QChar>
#include <QString>

enum TTimeFormat { tfSeconds = 0, tfMinutes = 1 }; // "SSSS,ss" and "MM:SS,ss"

// What ParseTime gives for a seconds text that is not a number.
constexpr std::int32_t UnreadableSeconds = 1073741823;

// Any stored format other than 0 reads as the minutes format, so a bad setting never
// selects a third behaviour (or a zero divisor).
inline TTimeFormat NormalizedTimeFormat(int format) {
    return format == 0 ? tfSeconds : tfMinutes;
}

// The digit divisor of the display: 100 for seconds, 60 for minutes.
inline int DigitDivisor(int format) {
    return NormalizedTimeFormat(format) == tfSeconds ? 100 : 60;
}

// The locale's decimal separator (used only by the seconds format).
QChar SystemDecimalSeparator();

QString FormatTime(std::int32_t ms, int format, QChar decimalSeparator);
std::int32_t ParseTime(const QString& text, int format, QChar decimalSeparator);

inline QString FormatTime(std::int32_t ms, int format) {
    return FormatTime(ms, format, SystemDecimalSeparator());
}
inline std::int32_t ParseTime(const QString& text, int format) {
    return ParseTime(text, format, SystemDecimalSeparator());
}

// A reaction to the thousandth with a comma, "0,143"; negative for a pad left before START.
QString FormatReaction(std::int32_t ms);
