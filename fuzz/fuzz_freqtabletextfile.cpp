// A text file of the constancy window: adding its groups to a blank window or to one holding a
// table (the first byte chooses), then saving the table as text and as CSV. A refused file must
// leave the window as it was.
#include "analysis/freqtablecsvfile.h"
#include "analysis/freqtablemodel.h"
#include "analysis/freqtabletextfile.h"

#include "freqtablecompare.h"
#include "fuzzinput.h"

#include <cstdlib>

using namespace Zelkor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    FreqTableModel model;
    if (data[0] & 1) {
        CellGrid &g = model.grid();
        g.setCell(0, 0, QStringLiteral("　群落区分"));
        g.setCell(1, 0, QStringLiteral("A"));
        g.setCell(0, 3, QStringLiteral("Festuca rubra"));
        g.setCell(1, 3, QStringLiteral("Ⅴ"));
        g.setCell(2, 4, QStringLiteral("42.0"));
    }
    const FreqTableModel before = model;
    FreqTableTextFile file;
    if (!file.read(Fuzz::writeFile("in.txt", Fuzz::bytes(data + 1, size - 1)), &model)) {
        // A refused file leaves the window as it was.
        if (!Fuzz::sameTable(model, before))
            std::abort();
        return 0;
    }
    file.write(model, QStringLiteral("2024/01/01"), Fuzz::folder().filePath(QStringLiteral("out.txt")));
    FreqTableCsvFile().write(model, Fuzz::folder().filePath(QStringLiteral("out.csv")));
    return 0;
}
