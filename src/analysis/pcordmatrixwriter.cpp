#include "analysis/pcordmatrixwriter.h"

#include "analysis/matrixvalues.h"
#include "platform/cp932.h"
#include "platform/csv.h"
#include "platform/feedback.h"
#include "platform/safesavefile.h"
#include "platform/textfile.h"
#include "table/tablemodel.h"

#include <QHash>
#include <QSet>

#include <set>

namespace Zelkor {

namespace {

constexpr int kLabelBytes = 8;

bool isLeadByte(uchar b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The first n bytes of a CP932 text; a two-byte character that the cut would split is left out
// rather than kept as a lone lead byte, which would run into the comma after it.
QByteArray cutBytes(const QByteArray &bytes, int n)
{
    qsizetype i = 0;
    while (i < bytes.size()) {
        const qsizetype len = isLeadByte(uchar(bytes[i])) && i + 1 < bytes.size() ? 2 : 1;
        if (i + len > n)
            break;
        i += len;
    }
    return bytes.left(i);
}

} // namespace

QString PCordMatrixWriter::numField2(int n)
{
    return QString::number(n).rightJustified(2, QLatin1Char(' ')).left(2);
}

QString PCordMatrixWriter::listFileName(const QString &fileName)
{
    const qsizetype sep = std::max(fileName.lastIndexOf(QLatin1Char('/')), fileName.lastIndexOf(QLatin1Char('\\')));
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return (dot > sep ? fileName.left(dot) : fileName) + QStringLiteral(".lst");
}

QByteArray PCordMatrixWriter::shortLabel(const QString &text)
{
    return Cp932::encodeLossy(Cp932::cutToBytes(text, kLabelBytes));
}

std::vector<QByteArray> PCordMatrixWriter::shortLabels(const TableModel &model, int firstSpecies, int lastSpecies)
{
    const int count = std::max(model.speciesCount(), 0);
    std::vector<QByteArray> labels(std::size_t(count) + 1);
    const int first = std::max(firstSpecies, 1);
    const int last = std::min(lastSpecies, count);
    std::vector<QByteArray> range;
    for (int j = first; j <= last; ++j)
        range.push_back(shortLabel(model.grid().cell(TableModel::NameColumn, model.speciesRow(j))));
    makeLabelsUnique(&range);
    for (int j = first; j <= last; ++j)
        labels[std::size_t(j)] = range[std::size_t(j - first)];
    return labels;
}

void PCordMatrixWriter::makeLabelsUnique(std::vector<QByteArray> *list)
{
    std::vector<QByteArray> &labels = *list;
    const int first = 0;
    const int last = int(labels.size()) - 1;
    // Each label numbers the later labels equal to it; a label changed so is not compared with
    // the earlier ones again. The later positions of each label are kept by label, so that a
    // label finds its equals without a pass over the rest of the list.
    QHash<QByteArray, std::set<int>> later;
    for (int p = first; p <= last; ++p)
        later[labels[std::size_t(p)]].insert(p);
    for (int i = first; i <= last; ++i) {
        auto bucket = later.find(labels[std::size_t(i)]);
        if (bucket == later.end())
            continue;
        std::set<int> &positions = *bucket;
        positions.erase(positions.begin(), positions.upper_bound(i));
        if (positions.empty())
            continue;
        const std::vector<int> equals(positions.begin(), positions.end());
        positions.clear();
        const QByteArray stem = cutBytes(labels[std::size_t(i)], 6);
        int n = 1;
        for (int p : equals) {
            ++n;
            QByteArray &label = labels[std::size_t(p)];
            label = stem + numField2(n).toLatin1();
            later[label].insert(p);
        }
    }

    // The numbering leaves a label twice where a changed label meets one that was already there
    // ("Carex  2" written so in the table) or a label occurs more than 99 times ("Carex 10"
    // again for the 100th). The list file and the package find a species by its label, so such
    // a label takes the next free number instead; tables without them are not touched.
    QSet<QByteArray> seen;
    QHash<QByteArray, int> nextNumber;
    for (int p = first; p <= last; ++p) {
        QByteArray &label = labels[std::size_t(p)];
        if (seen.contains(label)) {
            int &k = nextNumber[label];
            k = std::max(k, 2);
            QByteArray candidate;
            do {
                const QByteArray suffix = QByteArray::number(k++).rightJustified(2, ' ');
                candidate = cutBytes(label, kLabelBytes - int(suffix.size())) + suffix;
            } while (seen.contains(candidate));
            label = candidate;
        }
        seen.insert(label);
    }
}

bool PCordMatrixWriter::write(const TableModel &model, const MatrixOutputOptions &options, const QString &fileName,
                              Feedback *feedback)
{
    m_error.clear();
    const QString listName = listFileName(fileName);
    if (listName == fileName) {
        m_error = QStringLiteral("ラベル一覧ファイル「%1」が出力ファイルと同じ名前になります。拡張子 .lst 以外の名前を指定してください")
                      .arg(fileName);
        return false;
    }
    const CellGrid &grid = model.grid();
    const std::vector<int> releves = options.listedReleves(model);
    const std::vector<int> species = options.listedSpecies(model);
    const std::vector<QByteArray> labels = shortLabels(model, options.firstSpecies, options.lastSpecies);
    const qsizetype nr = qsizetype(releves.size());
    const qsizetype ns = qsizetype(species.size());
    std::vector<int> speciesIndex;
    speciesIndex.reserve(species.size());
    for (int j : species)
        speciesIndex.push_back(model.speciesIndexAt(model.speciesRow(j)));

    // The matrix and its list are replaced together: a new matrix never stands beside an old list.
    SafeSaveGroup together;
    {
        TextFileWriter out(fileName);
        out.setEncoding(m_encoding);
        if (!out.open()) {
            m_error = out.errorString();
            return false;
        }
        const QString commas(std::max<qsizetype>(ns - 1, 0), QLatin1Char(','));
        out.writeLine(QString::number(nr) + QStringLiteral(",Releve") + commas);
        out.writeLine(QString::number(ns) + QStringLiteral(",Species") + commas);
        out.writeLine(QStringLiteral(",Q").repeated(ns));
        QByteArray labelLine;
        for (int j : species)
            labelLine += ',' + Csv::field(labels[std::size_t(j)]);
        out.writeCp932Bytes(labelLine);
        out.writeLine(QString());
        std::vector<int> releveIndex;
        releveIndex.reserve(releves.size());
        for (int i : releves)
            releveIndex.push_back(model.releveIndexAt(TableModel::releveColumn(i)));
        const MatrixValues values(model, options.method, releveIndex, speciesIndex, false);
        QByteArray line;
        for (std::size_t k = 0; k < releves.size(); ++k) {
            if (!Feedback::advance(feedback, releves[k])) {
                out.cancel();
                m_error = Feedback::canceledMessage();
                return false;
            }
            out.write(Csv::field(grid.cell(TableModel::releveColumn(releves[k]), TableModel::LabelRow)));
            line.clear();
            values.appendReleveLine(line, k);
            out.writeBytes(line + "\r\n");
        }
        if (!out.commit()) {
            m_error = out.errorString();
            return false;
        }
    }

    TextFileWriter list(listName);
    list.setEncoding(m_encoding);
    if (!list.open()) {
        m_error = list.errorString();
        return false;
    }
    // The list names the matrix's species, neither comment rows nor rows outside the range.
    for (int j : species) {
        list.writeCp932Bytes(labels[std::size_t(j)] + ' ');
        list.writeLine(grid.cell(TableModel::NameColumn, model.speciesRow(j)));
    }
    if (!list.commit()) {
        m_error = list.errorString();
        return false;
    }
    if (!together.commit(&m_error)) {
        return false;
    }
    return true;
}

} // namespace Zelkor
