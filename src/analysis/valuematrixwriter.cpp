#include "analysis/valuematrixwriter.h"

#include "analysis/matrixvalues.h"
#include "platform/csv.h"
#include "platform/feedback.h"
#include "platform/textfile.h"
#include "platform/texthelpers.h"
#include "table/tablemodel.h"

namespace Zelkor {

bool ValueMatrixWriter::write(const TableModel &model, const MatrixOutputOptions &options,
                              const QString &fileName, Feedback *feedback)
{
    m_error.clear();
    const CellGrid &grid = model.grid();
    const std::vector<int> releves = options.listedReleves(model);
    const std::vector<int> species = options.listedSpecies(model);
    std::vector<int> releveIndex;
    releveIndex.reserve(releves.size());
    for (int i : releves)
        releveIndex.push_back(model.releveIndexAt(TableModel::releveColumn(i)));
    std::vector<int> speciesIndex;
    speciesIndex.reserve(species.size());
    for (int j : species)
        speciesIndex.push_back(model.speciesIndexAt(model.speciesRow(j)));

    TextFileWriter out(fileName);
    out.setEncoding(m_encoding);
    if (!out.open()) {
        m_error = out.errorString();
        return false;
    }
    const bool speciesRows = options.direction == MatrixOutputOptions::SpeciesRows;
    const MatrixValues values(model, options.method, releveIndex, speciesIndex, speciesRows);
    QString header;
    QByteArray line;
    if (speciesRows) {
        for (int i : releves)
            header += QLatin1Char(',') + Csv::field(grid.cell(TableModel::releveColumn(i), TableModel::LabelRow));
        out.writeLine(header);
        std::size_t next = 0;
        for (int j = options.firstSpeciesIn(model); j <= options.lastSpeciesIn(model); ++j) {
            if (!Feedback::advance(feedback, j))
                break;
            if (next >= species.size() || species[next] != j)
                continue;
            out.write(Csv::quoted(trimBlanks(grid.cell(TableModel::NameColumn, model.speciesRow(j)))));
            line.clear();
            values.appendSpeciesLine(line, next++);
            out.writeBytes(line + "\r\n");
        }
    } else {
        for (int j : species)
            header += QLatin1Char(',') + Csv::quoted(trimBlanks(grid.cell(TableModel::NameColumn, model.speciesRow(j))));
        out.writeLine(header);
        std::size_t next = 0;
        for (int i = options.firstReleveIn(model); i <= options.lastReleveIn(model); ++i) {
            if (!Feedback::advance(feedback, i))
                break;
            if (next >= releves.size() || releves[next] != i)
                continue;
            out.write(Csv::field(grid.cell(TableModel::releveColumn(i), TableModel::LabelRow)));
            line.clear();
            values.appendReleveLine(line, next++);
            out.writeBytes(line + "\r\n");
        }
    }
    if (Feedback::canceled(feedback)) {
        out.cancel();
        m_error = Feedback::canceledMessage();
        return false;
    }
    if (!out.commit()) {
        m_error = out.errorString();
        return false;
    }
    return true;
}

} // namespace Zelkor
