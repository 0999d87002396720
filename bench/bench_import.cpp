// Importing a 5,000-relevé × 2,000-species table (1 % filled, the size of the workbook
// benchmark): as the CSV a spreadsheet saves from our workbook (every absent cell " . ", about
// 50 MB), and as a Cornell condensed file. Prints the best of three reads with the table built,
// and with the table file written as "zelkor-cli import" does.
#include "analysis/cornellwriter.h"
#include "database/cornellfile.h"
#include "database/importedtable.h"
#include "database/widetablecsv.h"
#include "generatedtable.h"
#include "table/covercode.h"
#include "table/tablefile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>

using namespace Zelkor;

namespace {

constexpr int kReleves = 5000;
constexpr int kSpecies = 2000;

template<typename F>
double bestOfThree(F run)
{
    double best = 1e300;
    for (int k = 0; k < 3; ++k) {
        const auto t0 = std::chrono::steady_clock::now();
        if (!run())
            return -1;
        const auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    return best;
}

// The table as a spreadsheet saves our workbook of it: title, header rows with their labels,
// the species numbers under item 30's label, then one row per species, " . " where it is absent.
QByteArray spreadsheetCsv(const TableModel &model)
{
    const CellGrid &grid = model.grid();
    QByteArray out = "Generated" + QByteArray(kReleves + 1, ',') + "\r\n";
    for (int q = TableModel::LabelRow; q < model.headerRows(); ++q) {
        if (TableModel::indexFromText(grid.cell(TableModel::IndexColumn, q)) == HeaderItems::Count)
            continue;
        out += grid.cell(TableModel::NameColumn, q).toUtf8() + ',';
        for (int i = 1; i <= kReleves; ++i)
            out += ',' + grid.cell(TableModel::releveColumn(i), q).trimmed().toUtf8();
        out += "\r\n";
    }
    out += HeaderItems::defaultLabel(HeaderItems::Count).toUtf8() + ',';
    for (int i = 1; i <= kReleves; ++i)
        out += ',' + QByteArray::number(model.releveSpCount(i));
    out += "\r\n";
    for (int j = 1; j <= kSpecies; ++j) {
        out += grid.cell(TableModel::NameColumn, model.speciesRow(j)).toUtf8() + ",H1";
        const int s = model.speciesIndexAt(model.speciesRow(j));
        for (int i = 1; i <= kReleves; ++i) {
            const quint8 code = model.coverData().at(model.releveIndexAt(TableModel::releveColumn(i)), s)[4];
            out += ',' + coverPrintText(code, 2).toLatin1();
        }
        out += "\r\n";
    }
    return out;
}

} // namespace

int main()
{
    TableModel model;
    if (!Bench::makeGeneratedTable(model, kReleves, kSpecies, kSpecies / 100))
        return 1;
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("big.csv"));
    {
        QFile file(csv);
        if (!file.open(QIODevice::WriteOnly) || file.write(spreadsheetCsv(model)) < 0)
            return 1;
    }
    const QString cep = dir.filePath(QStringLiteral("big.cep"));
    {
        MatrixOutputOptions options = MatrixOutputOptions::wholeTable(model);
        options.title = QStringLiteral("Generated");
        options.method = 3;
        CornellWriter writer;
        if (!writer.write(model, options, cep)) {
            std::fprintf(stderr, "%s\n", qPrintable(writer.errorString()));
            return 1;
        }
    }
    const QString vtb = dir.filePath(QStringLiteral("big.vtb"));

    auto importCsv = [&](bool save) {
        WideTableCsv reader(HeaderItems(), QStringLiteral("T1T2S1S2H1H2 M"), {});
        ImportedTable table;
        TableModel built;
        HeaderItems items;
        QString error;
        if (!reader.read(csv, &table) || !table.build(&built, &items, &error)) {
            std::fprintf(stderr, "%s%s\n", qPrintable(reader.errorString()), qPrintable(error));
            return false;
        }
        return !save || TableFile().write(built, table.title, vtb);
    };
    auto importCornell = [&](bool save) {
        CornellFile reader(CoverScale::Classes);
        ImportedTable table;
        TableModel built;
        HeaderItems items;
        items[CornellFile::NameItem].layout = true;
        QString error;
        if (!reader.read(cep, &table) || !table.build(&built, &items, &error)) {
            std::fprintf(stderr, "%s%s\n", qPrintable(reader.errorString()), qPrintable(error));
            return false;
        }
        return !save || TableFile().write(built, table.title, vtb);
    };

    const double csvRead = bestOfThree([&] { return importCsv(false); });
    const double csvAll = bestOfThree([&] { return importCsv(true); });
    if (csvRead < 0 || csvAll < 0)
        return 1;
    std::printf("wide CSV of %d relevés x %d species (%.1f MiB): read and built %.0f ms, with the table file %.0f ms\n",
                kReleves, kSpecies, QFileInfo(csv).size() / 1048576.0, csvRead, csvAll);
    const double cepRead = bestOfThree([&] { return importCornell(false); });
    const double cepAll = bestOfThree([&] { return importCornell(true); });
    if (cepRead < 0 || cepAll < 0)
        return 1;
    std::printf("Cornell file of the same table (%.1f MiB): read and built %.0f ms, with the table file %.0f ms\n",
                QFileInfo(cep).size() / 1048576.0, cepRead, cepAll);
    return 0;
}
