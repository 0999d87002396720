#include "analysis/cornellwriter.h"

#include "analysis/covertovalue.h"
#include "analysis/pcordmatrixwriter.h"
#include "platform/cp932.h"
#include "platform/feedback.h"
#include "platform/textfile.h"
#include "platform/texthelpers.h"
#include "table/tablemodel.h"

#include <algorithm>

namespace Zelkor {

namespace {

constexpr int kNameBytes = 8;
constexpr int kNamesPerLine = 10;
constexpr int kTitleBytes = 80;

int digits(qint64 n)
{
    int d = 1;
    while (n >= 10) {
        n /= 10;
        ++d;
    }
    return d;
}

// Ten names of eight bytes a line.
void writeNames(TextFileWriter &out, const std::vector<QByteArray> &names)
{
    QByteArray line;
    for (std::size_t k = 0; k < names.size(); ++k) {
        line += names[k].leftJustified(kNameBytes, ' ', true);
        if ((k + 1) % kNamesPerLine == 0 || k + 1 == names.size()) {
            out.writeBytes(line + "\r\n");
            line.clear();
        }
    }
}


} // namespace

bool CornellWriter::write(const TableModel &model, const MatrixOutputOptions &options, const QString &fileName,
                          Feedback *feedback)
{
    m_error.clear();
    if (options.method == 5) {
        m_error = QStringLiteral("優占度変換「%1」は級 + を「+」と書くため、数だけの Cornell 形式には出力できません。別の変換を選んで下さい")
                      .arg(QStringLiteral("無変・最大 (+-5)"));
        return false;
    }
    if (options.method < 0 || options.method >= CoverMethodCount) {
        m_error = QStringLiteral("優占度変換は 0～6 で選んで下さい");
        return false;
    }

    const std::vector<int> releves = options.listedReleves(model);
    const std::vector<int> species = options.listedSpecies(model);
    // The listed species by hidden index (an index listed twice in a damaged table keeps its
    // first row).
    std::vector<int> slotOfIndex(std::size_t(std::max(model.coverData().maxSpecies(), 0)) + 1, -1);
    for (std::size_t k = 0; k < species.size(); ++k) {
        const int s = model.speciesIndexAt(model.speciesRow(species[k]));
        if (s >= 1 && std::size_t(s) < slotOfIndex.size() && slotOfIndex[std::size_t(s)] < 0)
            slotOfIndex[std::size_t(s)] = int(k);
    }

    // The values above 0 of each listed relevé, by species slot, in tenths.
    struct Value
    {
        int slot;
        int tenths;
    };
    std::vector<std::vector<Value>> values(releves.size());
    std::vector<bool> speciesUsed(species.size(), false);
    for (std::size_t i = 0; i < releves.size(); ++i) {
        if (!Feedback::advance(feedback, releves[i])) {
            m_error = Feedback::canceledMessage();
            return false;
        }
        model.coverData().forEachInReleve(model.releveIndexAt(TableModel::releveColumn(releves[i])),
                                          [&](int s, const ByteDataSet &codes) {
                                              if (s < 1 || std::size_t(s) >= slotOfIndex.size() || slotOfIndex[std::size_t(s)] < 0)
                                                  return;
                                              const int tenths = coverToTenths(options.method, codes);
                                              if (tenths <= 0)
                                                  return;
                                              values[i].push_back(Value{slotOfIndex[std::size_t(s)], tenths});
                                              speciesUsed[std::size_t(slotOfIndex[std::size_t(s)])] = true;
                                          });
        std::sort(values[i].begin(), values[i].end(), [](const Value &a, const Value &b) { return a.slot < b.slot; });
    }

    // Species and relevés with a value, numbered from 1.
    std::vector<int> numberOfSlot(species.size(), 0);
    std::vector<QByteArray> speciesNames;
    for (std::size_t k = 0; k < species.size(); ++k) {
        if (!speciesUsed[k])
            continue;
        numberOfSlot[k] = int(speciesNames.size()) + 1;
        speciesNames.push_back(PCordMatrixWriter::shortLabel(
            oneLine(model.grid().cell(TableModel::NameColumn, model.speciesRow(species[k])))));
    }
    std::vector<std::size_t> written;
    std::vector<QByteArray> releveNames;
    for (std::size_t i = 0; i < releves.size(); ++i) {
        if (values[i].empty())
            continue;
        written.push_back(i);
        QString label = trimBlanks(oneLine(model.grid().cell(TableModel::releveColumn(releves[i]), TableModel::LabelRow)));
        if (label.isEmpty())
            label = QString::number(written.size());
        releveNames.push_back(PCordMatrixWriter::shortLabel(label));
    }
    PCordMatrixWriter::makeLabelsUnique(&speciesNames);
    PCordMatrixWriter::makeLabelsUnique(&releveNames);

    const int releveWidth = std::max(5, digits(qint64(written.size())));
    const int speciesWidth = std::max(6, digits(qint64(speciesNames.size())) + 1);
    const QByteArray format = QStringLiteral("(I%1,1X,%2(I%3,F6.1))").arg(releveWidth).arg(Couplets).arg(speciesWidth).toLatin1();

    TextFileWriter out(fileName);
    if (!out.open()) {
        m_error = out.errorString();
        return false;
    }
    out.writeBytes(Cp932::encodeLossy(Cp932::cutToBytes(oneLine(options.title), kTitleBytes)) + "\r\n");
    out.writeBytes(format + "\r\n");
    out.writeBytes(QByteArray::number(Couplets).rightJustified(5, ' ') + "\r\n");
    QByteArray line;
    for (std::size_t n = 0; n < written.size(); ++n) {
        const std::vector<Value> &row = values[written[n]];
        const QByteArray number = QByteArray::number(qint64(n) + 1).rightJustified(releveWidth, ' ') + ' ';
        for (std::size_t at = 0; at < row.size(); at += Couplets) {
            line = number;
            for (std::size_t k = at; k < row.size() && k < at + Couplets; ++k) {
                line += QByteArray::number(numberOfSlot[std::size_t(row[k].slot)]).rightJustified(speciesWidth, ' ');
                const int t = row[k].tenths;
                line += (QByteArray::number(t / 10) + '.' + char('0' + t % 10)).rightJustified(6, ' ');
            }
            out.writeBytes(line + "\r\n");
        }
    }
    out.writeBytes(QByteArray("0").rightJustified(releveWidth, ' ') + "\r\n");
    writeNames(out, speciesNames);
    writeNames(out, releveNames);
    if (!out.commit()) {
        m_error = out.errorString();
        return false;
    }
    return true;
}

} // namespace Zelkor
