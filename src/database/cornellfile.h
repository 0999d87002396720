#pragma once

#include "database/coverscale.h"
#include "database/importedtable.h"

#include <QByteArray>
#include <QString>

namespace Zelkor {

class Feedback;

/// A table in the Cornell condensed format of DECORANA, TWINSPAN and CANOCO:
///   one to three title lines;
///   the Fortran format of a data record ("(I5,1X,4(I6,F5.1))"), and the number of couplets a
///   record holds (after the format on its line, or on the next line);
///   the data records: a relevé number, then couplets of a species number and a value; a relevé
///   may take several records one after another; a record whose relevé number is 0 (or blank)
///   ends the data;
///   the species names, ten of 8 characters a line (10A8), for species 1 to the highest number
///   used, then the relevé names the same way, in the order the relevés came.
/// The values become cover codes by the chosen scale (a value of 0 is no entry); every species
/// goes into the herb layer H1, the relevé names into the identification item (item 2). Every
/// fault is reported with its line, and then nothing is read.
class CornellFile
{
public:
    /// The file type of the open and save dialogs ("label|pattern").
    static QString nameFilter() { return QStringLiteral("Cornell 形式 (*.cep;*.cc;*.dat)|*.cep;*.cc;*.dat"); }
    static QString extension() { return QStringLiteral(".cep"); }
    /// Whether a file name is that of a Cornell condensed file (by its extension).
    static bool isCornellFileName(const QString &fileName);
    /// The layer (0-based, T1 first) the species go into: H1.
    static constexpr int Layer = 4;
    /// The header item of the relevé names.
    static constexpr int NameItem = 2;
    /// Files larger than this are refused.
    static constexpr qint64 MaxBytes = qint64(1) << 30;

    explicit CornellFile(CoverScale scale) : m_scale(scale) {}

    /// Reads fileName into *table (replaced only on success); false with errorString().
    bool read(const QString &fileName, ImportedTable *table, Feedback *feedback = nullptr);
    /// The same for the file's bytes; shownName names the file in messages.
    bool readData(const QByteArray &data, const QString &shownName, ImportedTable *table,
                  Feedback *feedback = nullptr);

    QString errorString() const { return m_error; }

private:
    CoverScale m_scale;
    QString m_error;
};

} // namespace Zelkor
