// A table kept in a spreadsheet, saved as CSV: reading it (the first byte chooses codes or
// percentages and whether any header item is taken), building the table from it and saving that.
#include "database/importedtable.h"
#include "database/widetablecsv.h"
#include "table/headeritems.h"
#include "table/tablefile.h"
#include "table/tablemodel.h"

#include "fuzzinput.h"

using namespace Zelkor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    WideTableCsv::Options options;
    options.scale = (data[0] & 1) ? CoverScale::Percent : CoverScale::Codes;
    options.anyItem = (data[0] & 2) != 0;
    WideTableCsv reader(HeaderItems(), QStringLiteral("T1T2S1S2H1H2 M"), options);
    ImportedTable table;
    if (!reader.readData(Fuzz::bytes(data + 1, size - 1), QStringLiteral("in.csv"), &table))
        return 0;
    TableModel model;
    HeaderItems items;
    QString error;
    if (table.build(&model, &items, &error))
        TableFile().write(model, table.title, Fuzz::folder().filePath(QStringLiteral("out.vtb")));
    return 0;
}
