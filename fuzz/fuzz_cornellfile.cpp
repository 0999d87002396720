// A Cornell condensed file: reading it (the first byte chooses the scale of its values, the
// format line going through the Fortran format reader), building the table from it and saving
// that.
#include "database/cornellfile.h"
#include "database/importedtable.h"
#include "table/headeritems.h"
#include "table/tablefile.h"
#include "table/tablemodel.h"

#include "fuzzinput.h"

using namespace Zelkor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    static const CoverScale scales[] = {CoverScale::Percent, CoverScale::Ordinal, CoverScale::Classes,
                                        CoverScale::Presence};
    CornellFile reader(scales[data[0] % 4]);
    ImportedTable table;
    if (!reader.readData(Fuzz::bytes(data + 1, size - 1), QStringLiteral("in.cep"), &table))
        return 0;
    TableModel model;
    HeaderItems items;
    items[CornellFile::NameItem].layout = true;
    QString error;
    if (table.build(&model, &items, &error))
        TableFile().write(model, table.title, Fuzz::folder().filePath(QStringLiteral("out.vtb")));
    return 0;
}
