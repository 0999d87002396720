#include "database/cornellfile.h"

#include "database/fortranformat.h"
#include "database/textdetection.h"
#include "platform/feedback.h"
#include "platform/fileaccess.h"
#include "platform/texthelpers.h"
#include "table/tablemodel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <cerrno>

namespace Zelkor {

namespace {

constexpr int kNameWidth = 8;
constexpr int kNamesPerLine = 10;
constexpr int kMaxCouplets = 10000;
constexpr qint64 kMaxReleveNumber = 999999999;

// The lines of the bytes (LF, CR LF or CR ends a line), read one after another; the first few
// are kept, for the title and the format, so that a file is never split into all its lines at
// once.
class Lines
{
public:
    static constexpr qsizetype Kept = 6;

    explicit Lines(const QByteArray &data) : m_data(data)
    {
        QByteArrayView line;
        while (qsizetype(m_head.size()) < Kept && pull(&line))
            m_head.push_back(line);
    }

    /// Line i (0-based): one of the kept lines, or the next one after the last asked for.
    bool at(qsizetype i, QByteArrayView *line)
    {
        if (i < qsizetype(m_head.size())) {
            *line = m_head[std::size_t(i)];
            return true;
        }
        return pull(line);
    }
    qsizetype keptCount() const { return qsizetype(m_head.size()); }

private:
    bool pull(QByteArrayView *line)
    {
        const char *d = m_data.constData();
        const qsizetype n = m_data.size();
        if (m_pos >= n)
            return false;
        qsizetype i = m_pos;
        while (i < n && d[i] != '\n' && d[i] != '\r')
            ++i;
        *line = QByteArrayView(d + m_pos, i - m_pos);
        if (i < n)
            i += (d[i] == '\r' && i + 1 < n && d[i + 1] == '\n') ? 2 : 1;
        m_pos = i;
        return true;
    }

    const QByteArray &m_data;
    qsizetype m_pos = 0;
    std::vector<QByteArrayView> m_head;
};

// A whole number alone on a line (blanks around); -1 when the line is not one.
qint64 lineNumber(QStringView text)
{
    const QString t = text.trimmed().toString();
    if (t.isEmpty() || t.size() > 9)
        return -1;
    bool ok = false;
    const qint64 v = t.toLongLong(&ok);
    return ok && v >= 0 ? v : -1;
}

// The field of a record at [pos, pos + width): blanks beyond the end of the line.
QString fieldAt(const QString &record, qsizetype pos, int width)
{
    if (pos >= record.size())
        return QString();
    return record.mid(pos, width);
}

} // namespace

bool CornellFile::isCornellFileName(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    return suffix == QLatin1String("cep") || suffix == QLatin1String("cc") || suffix == QLatin1String("dat");
}

bool CornellFile::read(const QString &fileName, ImportedTable *table, Feedback *feedback)
{
    m_error.clear();
    QByteArray data;
    if (!readWholeFile(fileName, MaxBytes, &data, &m_error))
        return false;
    return readData(data, QDir::toNativeSeparators(fileName), table, feedback);
}

bool CornellFile::readData(const QByteArray &raw, const QString &shownName, ImportedTable *table, Feedback *feedback)
{
    m_error.clear();
    auto failFile = [&](const QString &text) {
        m_error = QStringLiteral("ファイル「%1」%2").arg(shownName, text);
        return false;
    };
    auto failLine = [&](qsizetype line, const QString &text) {
        m_error = QStringLiteral("ファイル「%1」の %2 行目: %3").arg(shownName, QString::number(line), text);
        return false;
    };
    if (m_scale == CoverScale::Codes)
        return failFile(QStringLiteral("の値の尺度（百分率、順序尺度、被度階級、在・不在）を指定して下さい"));

    TextBytes text;
    if (!TextBytes::detect(raw, &text, &m_error))
        return failFile(m_error);
    Lines lines(text.bytes);
    auto decodeLine = [&](qsizetype index, QString *out) {
        QString why;
        QByteArrayView line;
        lines.at(index, &line);
        if (!text.decode(line, out, &why))
            return failLine(index + 1, why);
        return true;
    };

    // The format line: the first of the first four lines that reads as a format.
    FortranFormat format;
    qsizetype formatLine = -1;
    qsizetype formatEnd = 0;
    QString formatText;
    QString firstError;
    qsizetype firstErrorLine = -1;
    for (qsizetype i = 0; i < lines.keptCount() && i < 4; ++i) {
        QString t;
        if (!decodeLine(i, &t))
            return false;
        const QString trimmed = t.trimmed();
        qsizetype k = 0;
        while (k < trimmed.size() && trimmed[k].unicode() >= u'0' && trimmed[k].unicode() <= u'9')
            ++k;
        while (k < trimmed.size() && trimmed[k] == QLatin1Char(' '))
            ++k;
        if (k >= trimmed.size() || trimmed[k] != QLatin1Char('('))
            continue;
        QString error;
        qsizetype end = 0;
        if (format.parse(trimmed, &error, &end)) {
            formatLine = i;
            formatEnd = end;
            formatText = trimmed;
            break;
        }
        if (firstErrorLine < 0) {
            firstError = error;
            firstErrorLine = i + 1;
        }
    }
    if (formatLine < 0) {
        if (firstErrorLine > 0)
            return failLine(firstErrorLine, firstError);
        return failFile(QStringLiteral("には 1～4 行目に書式の行（「(I5,1X,4(I6,F5.1))」など）がありません"));
    }

    // The number of couplets: after the format, before it, or on the next line.
    qint64 couplets = -1;
    qsizetype dataStart = formatLine + 1;
    {
        const QString after = formatText.mid(formatEnd).trimmed();
        const QString before = formatText.left(formatText.indexOf(QLatin1Char('('))).trimmed();
        if (!after.isEmpty()) {
            couplets = lineNumber(after);
            if (couplets < 0)
                return failLine(formatLine + 1, QStringLiteral("書式の後の「%1」は組の数として読めません").arg(after.left(20)));
        } else if (!before.isEmpty()) {
            couplets = lineNumber(before);
        } else if (formatLine + 1 < lines.keptCount()) {
            QString next;
            if (!decodeLine(formatLine + 1, &next))
                return false;
            couplets = lineNumber(next);
            if (couplets < 0)
                return failLine(formatLine + 2, QStringLiteral("1 記録の組（種番号と値）の数がありません"));
            dataStart = formatLine + 2;
        }
    }
    if (couplets < 1 || couplets > kMaxCouplets)
        return failLine(formatLine + 1, QStringLiteral("1 記録の組の数は 1～%1 で書いて下さい").arg(kMaxCouplets));

    // Where the relevé number and each couplet's species number and value are.
    struct Slot
    {
        qsizetype pos;
        FortranField field;
    };
    std::vector<Slot> slots;
    qsizetype pos = 0;
    qsizetype usedEnd = 0;
    const qsizetype needed = 1 + 2 * couplets;
    for (const FortranField &f : format.fields()) {
        if (qsizetype(slots.size()) == needed)
            break;
        if (f.kind == FortranField::Integer || f.kind == FortranField::Real)
            slots.push_back(Slot{pos, f});
        pos += f.width;
        usedEnd = pos;
    }
    if (qsizetype(slots.size()) < needed)
        return failLine(formatLine + 1, QStringLiteral("書式には測定番号と %1 組の種番号・値の欄がありません（数の欄が %2）")
                                            .arg(couplets)
                                            .arg(format.numberFields()));
    for (qsizetype k = 0; k < needed; ++k) {
        const bool value = k > 0 && k % 2 == 0;
        if (!value && slots[std::size_t(k)].field.kind != FortranField::Integer)
            return failLine(formatLine + 1, k == 0 ? QStringLiteral("書式の最初の数の欄（測定番号）が I ではありません")
                                                   : QStringLiteral("書式の %1 組目の種番号の欄が I ではありません").arg(k / 2 + 1));
    }

    // The data records.
    struct Releve
    {
        qint64 number;
        qsizetype line;
        std::vector<std::pair<int, quint8>> entries; // species number, code
    };
    std::vector<Releve> releves;
    QHash<qint64, qsizetype> lineOfReleve;
    QHash<int, qsizetype> firstLineOfSpecies;
    QHash<int, qsizetype> lineInReleve; // species of the current relevé → its line
    int maxSpecies = 0;
    qsizetype end = -1;
    QString why;
    QString number;
    QByteArrayView dataLine;
    for (qsizetype i = dataStart; lines.at(i, &dataLine); ++i) {
        if ((i & 255) == 0 && !Feedback::advance(feedback, int(i))) {
            m_error = Feedback::canceledMessage();
            return false;
        }
        const qsizetype lineNo = i + 1;
        const QString record = QString::fromLatin1(dataLine.data(), dataLine.size());
        if (!fortranNumberText(fieldAt(record, slots[0].pos, slots[0].field.width), slots[0].field, &number, &why))
            return failLine(lineNo, QStringLiteral("測定番号の") + why);
        const qint64 releveNumber = number.isEmpty() ? 0 : number.toLongLong();
        if (releveNumber < 0 || releveNumber > kMaxReleveNumber)
            return failLine(lineNo, QStringLiteral("測定番号 %1 は 1～%2 で書いて下さい").arg(number).arg(kMaxReleveNumber));
        if (releveNumber == 0) {
            end = i;
            break;
        }
        for (qsizetype c = usedEnd; c < record.size(); ++c) {
            if (record[c] != QLatin1Char(' ') && record[c] != QLatin1Char('\t'))
                return failLine(lineNo, QStringLiteral("%1 桁目から、宣言された %2 組を超える組（または書式の外の文字）があります")
                                            .arg(usedEnd + 1)
                                            .arg(couplets));
        }
        if (releves.empty() || releves.back().number != releveNumber) {
            const auto seen = lineOfReleve.constFind(releveNumber);
            if (seen != lineOfReleve.constEnd())
                return failLine(lineNo, QStringLiteral("測定番号 %1 は %2 行目にもあります（続きの記録でない重複です）")
                                            .arg(releveNumber)
                                            .arg(seen.value()));
            lineOfReleve.insert(releveNumber, lineNo);
            releves.push_back(Releve{releveNumber, lineNo, {}});
            lineInReleve.clear();
        }
        Releve &releve = releves.back();
        for (qint64 k = 0; k < couplets; ++k) {
            const Slot &sp = slots[std::size_t(1 + 2 * k)];
            const Slot &val = slots[std::size_t(2 + 2 * k)];
            if (!fortranNumberText(fieldAt(record, sp.pos, sp.field.width), sp.field, &number, &why))
                return failLine(lineNo, QStringLiteral("%1 組目の種番号の").arg(k + 1) + why);
            const qint64 species = number.isEmpty() ? 0 : number.toLongLong();
            if (!fortranNumberText(fieldAt(record, val.pos, val.field.width), val.field, &number, &why))
                return failLine(lineNo, QStringLiteral("%1 組目の値の").arg(k + 1) + why);
            if (species == 0)
                continue; // the padding of a relevé's last record
            if (species < 0 || species > TableModel::MaxCapacity)
                return failLine(lineNo, QStringLiteral("%1 組目の種番号 %2 は 1～%3 で書いて下さい")
                                            .arg(k + 1)
                                            .arg(species)
                                            .arg(TableModel::MaxCapacity));
            DecimalText value;
            quint8 code = 0;
            if (!number.isEmpty()) {
                if (!DecimalText::parse(number, &value))
                    return failLine(lineNo, QStringLiteral("%1 組目の値「%2」は数として読めません").arg(k + 1).arg(number));
                if (!scaleValueToCode(m_scale, value, &code, &why))
                    return failLine(lineNo, QStringLiteral("%1 組目（種番号 %2）の値 %3: %4").arg(k + 1).arg(species).arg(number, why));
            }
            const auto twice = lineInReleve.constFind(int(species));
            if (twice != lineInReleve.constEnd())
                return failLine(lineNo, QStringLiteral("種番号 %1 が測定 %2 に二度あります（%3 行目にも）")
                                            .arg(species)
                                            .arg(releveNumber)
                                            .arg(twice.value()));
            lineInReleve.insert(int(species), lineNo);
            if (code == 0)
                continue;
            releve.entries.emplace_back(int(species), code);
            if (!firstLineOfSpecies.contains(int(species)))
                firstLineOfSpecies.insert(int(species), lineNo);
            maxSpecies = std::max(maxSpecies, int(species));
        }
    }
    if (end < 0)
        return failFile(QStringLiteral("にはデータの終わりの記録（測定番号 0 の行）がありません"));

    // The names: species 1..maxSpecies, then the relevés, ten of eight characters a line.
    const qsizetype namesStart = end + 1;
    const qsizetype speciesLines = (maxSpecies + kNamesPerLine - 1) / kNamesPerLine;
    const qsizetype releveLines = (qsizetype(releves.size()) + kNamesPerLine - 1) / kNamesPerLine;
    // Only the lines the names take are read; what follows them is not looked at.
    std::vector<QByteArrayView> nameLines;
    for (qsizetype k = 0; k < speciesLines + releveLines; ++k) {
        QByteArrayView line;
        if (!lines.at(namesStart + k, &line))
            break;
        nameLines.push_back(line);
    }
    const qsizetype last = namesStart + qsizetype(nameLines.size());
    auto nameAt = [&](qsizetype lineIndex, int slot, QString *name) {
        name->clear();
        if (lineIndex >= last)
            return true;
        const QByteArrayView line = nameLines[std::size_t(lineIndex - namesStart)];
        const qsizetype from = qsizetype(slot) * kNameWidth;
        if (from >= line.size())
            return true;
        QString why;
        if (!text.decode(line.sliced(from, std::min<qsizetype>(kNameWidth, line.size() - from)), name, &why))
            return failLine(lineIndex + 1, QStringLiteral("%1 番目の名前が%2").arg(slot + 1).arg(why));
        *name = trimBlanks(*name);
        return true;
    };

    std::vector<QString> speciesNames(std::size_t(maxSpecies) + 1);
    for (int j = 1; j <= maxSpecies; ++j) {
        if (!firstLineOfSpecies.contains(j))
            continue;
        const qsizetype at = namesStart + (j - 1) / kNamesPerLine;
        if (!nameAt(at, (j - 1) % kNamesPerLine, &speciesNames[std::size_t(j)]))
            return false;
        if (speciesNames[std::size_t(j)].isEmpty())
            return failLine(firstLineOfSpecies.value(j), QStringLiteral("種番号 %1 に名前がありません（種名の %2 行目の %3 番目の欄）")
                                                             .arg(j)
                                                             .arg(at + 1)
                                                             .arg((j - 1) % kNamesPerLine + 1));
    }

    ImportedTable out;
    {
        QStringList titles;
        for (qsizetype i = 0; i < formatLine; ++i) {
            QString t;
            if (!decodeLine(i, &t))
                return false;
            t = trimBlanks(t);
            if (!t.isEmpty())
                titles << t;
        }
        out.title = titles.value(0);
    }
    out.releveCount = int(releves.size());
    std::vector<QString> &names = out.itemValues[NameItem];
    names.resize(releves.size());
    for (std::size_t k = 0; k < releves.size(); ++k) {
        const qsizetype at = namesStart + speciesLines + qsizetype(k) / kNamesPerLine;
        if (!nameAt(at, int(k % kNamesPerLine), &names[k]))
            return false;
        if (names[k].isEmpty())
            names[k] = QString::number(releves[k].number);
    }
    std::vector<int> rowOfSpecies(std::size_t(maxSpecies) + 1, -1);
    for (int j = 1; j <= maxSpecies; ++j) {
        if (!firstLineOfSpecies.contains(j))
            continue;
        rowOfSpecies[std::size_t(j)] = int(out.rows.size());
        out.rows.push_back(ImportedTable::Row{speciesNames[std::size_t(j)], {}});
    }
    for (std::size_t k = 0; k < releves.size(); ++k) {
        for (const auto &[species, code] : releves[k].entries) {
            ByteDataSet codes{};
            codes[Layer] = code;
            out.rows[std::size_t(rowOfSpecies[std::size_t(species)])].entries.push_back(
                ImportedTable::Entry{int(k) + 1, codes});
        }
    }
    *table = std::move(out);
    return true;
}

} // namespace Zelkor
