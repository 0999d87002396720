// A CSV file of the constancy window: reading it into a blank window or one holding a table (the
// first byte chooses), saving what was read and reading that back, which must give the same
// table; a refused file must leave the window as it was. The fields of each line are also
// counted and split, which must agree.
#include "analysis/freqtablecsvfile.h"
#include "analysis/freqtablemodel.h"
#include "platform/csv.h"
#include "platform/texthelpers.h"

#include "freqtablecompare.h"
#include "fuzzinput.h"

#include <cstdlib>

using namespace Zelkor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray bytes = Fuzz::bytes(data + 1, size - 1);
    for (const QByteArray &line : bytes.split('\n')) {
        const QString text = QString::fromLatin1(line);
        if (Csv::fieldCount(text) != Csv::splitLine(text).size())
            std::abort();
    }

    FreqTableModel model;
    if (data[0] & 1) {
        CellGrid &g = model.grid();
        g.setCell(0, 0, QStringLiteral("群落区分"));
        g.setCell(1, 1, QStringLiteral("Ⅴ"));
        model.setShadedCells({{1, 1}});
    }
    const FreqTableModel before = model;
    FreqTableCsvFile file;
    if (!file.read(Fuzz::writeFile("in.csv", bytes), &model)) {
        // A refused file leaves the window as it was.
        if (!Fuzz::sameTable(model, before))
            std::abort();
        return 0;
    }
    const QString out = Fuzz::folder().filePath(QStringLiteral("out.csv"));
    if (!file.write(model, out))
        return 0;
    // The title is written on one line, its control characters as blanks.
    model.setCaption(oneLine(model.caption()));
    FreqTableModel again;
    if (!file.read(out, &again) || !Fuzz::sameTable(again, model))
        std::abort();
    return 0;
}
