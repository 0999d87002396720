#pragma once

#include <QString>
#include <QStringView>

#include <vector>

namespace Zelkor {

/// One field of a record as a Fortran format lays it out.
struct FortranField
{
    enum Kind {
        Integer, ///< Iw
        Real,    ///< Fw.d (Ew.d is read the same way)
        Text,    ///< Aw
        Skip,    ///< nX
    };
    Kind kind = Skip;
    int width = 1;
    int decimals = 0;
};

/// A Fortran format for reading fixed-column records, as the data files of the ordination and
/// classification programs give it on a line of their own: "(I5,1X,4(I6,F5.1))". The edit
/// descriptors I, F (and E), A and X are read, with repeat counts and groups in parentheses to
/// any depth; blanks are insignificant, commas between items may be left out. The format is
/// unrolled into the list of its fields.
class FortranFormat
{
public:
    /// A format unrolls into at most this many fields.
    static constexpr int MaxFields = 100000;
    static constexpr int MaxWidth = 1000;

    /// Reads the format that starts at the first "(" of text; false with *error (in Japanese)
    /// when it is no format this reader takes. *end (if given) receives the position after the
    /// closing parenthesis.
    bool parse(QStringView text, QString *error, qsizetype *end = nullptr);

    const std::vector<FortranField> &fields() const { return m_fields; }
    /// The fields that carry numbers (I and F), in order.
    int numberFields() const;

private:
    std::vector<FortranField> m_fields;
};

/// The value of a numeric field as Fortran reads it: blanks are nothing (a blank field is 0);
/// for an F field without a decimal point the last d digits are decimals. The text of the
/// number, with its point, is put in *number ("12.3" for "  123" in F5.1; "" for a blank field).
/// False, with *why, for a field that is no number, or whose digits are split by blanks (a
/// format that does not fit the columns).
bool fortranNumberText(QStringView field, const FortranField &descriptor, QString *number, QString *why);

} // namespace Zelkor
