#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace Zelkor {

/// How the cells of a table brought in from another program are read: as the cover codes our
/// outputs write, or as numbers that are turned into Braun-Blanquet codes.
enum class CoverScale {
    Codes,    ///< "r", "+", "1".."5", "2.3", "23", "+.2", "+2", "*", "e", "?"; "" or "." for none
    Percent,  ///< cover in percent, 0..100
    Ordinal,  ///< van der Maarel's ordinal scale 1..9
    Classes,  ///< the cover class itself, 1..5 (below 1: "+")
    Presence, ///< any value above 0 is present
};

/// The scale's name on the command line ("codes", "percent", "ordinal", "classes",
/// "presence"), and back; false for an unknown name.
QString coverScaleName(CoverScale scale);
bool coverScaleFromName(const QString &name, CoverScale *scale);
/// What the scale reads, in Japanese, for the choice in the window.
QString coverScaleCaption(CoverScale scale);

/// A decimal number exactly as written: digits / 10^decimals, negative or not. At most 12
/// digits before the point are taken; digits after the sixth decimal are dropped (which never
/// moves a value across an edge of one decimal), but a value whose only digits were dropped
/// still counts as above zero.
struct DecimalText
{
    quint64 digits = 0;
    int decimals = 0;
    bool negative = false;
    bool nonZero = false;
    bool truncated = false; ///< digits other than 0 were dropped after the sixth decimal

    /// Reads "12", "0.5", "-3", "+7.25", ".5", "12%" (a percent sign after the number is
    /// allowed when percentSign), and with decimalComma "2,5". Blanks around are ignored.
    /// False for anything else.
    static bool parse(QStringView text, DecimalText *out, bool decimalComma = false, bool percentSign = false);
    /// Compares the value with tenths / 10, exactly.
    int compareTenths(qint64 tenths) const;
    /// Whether the value is a whole number.
    bool isWhole() const;
    /// The whole part (the value must be at most 12 digits before the point).
    qint64 wholePart() const;
};

/// The cover code (the table's byte) of a number on a scale other than Codes; 0 for a value of
/// zero (no entry). False, with *why in Japanese, for a value outside the scale.
///   Percent:  r below 0.1, + from 0.1 to below 1, 1 from 1 to below 5, 2 from 5 to below 25,
///             3 from 25 to below 50, 4 from 50 to below 75, 5 from 75 to 100.
///   Ordinal:  1 r, 2 +, 3 1, 4..6 2, 7 3, 8 4, 9 5 (whole numbers only).
///   Classes:  below 1 +, then the whole part 1..5 (below 6).
///   Presence: "+" for any value above 0.
bool scaleValueToCode(CoverScale scale, const DecimalText &value, quint8 *code, QString *why);

/// The cover code of one layer's text as our outputs write it ("r", "+", "+.2", "+2", "1",
/// "2.3", "23", "10", "*", "(", "e", "?"; "", "." for none, blanks around ignored). False, with
/// *why, for any other text.
bool coverTextToCode(QStringView text, quint8 *code, QString *why);

/// The code as the database's two-character field writes it ("+", "+2", "r", "*", "e", "?",
/// "1", "23"); empty for a code no field holds.
QString coverCodeField(quint8 code);

} // namespace Zelkor
