// The table file: reading it, and saving what was read.
#include "table/headeritems.h"
#include "table/tablefile.h"
#include "table/tablemodel.h"

#include "fuzzinput.h"

using namespace Zelkor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString name = Fuzz::writeFile("in.vtb", Fuzz::bytes(data, size));
    TableModel model;
    HeaderItems items;
    model.clearTable(items);
    QString title;
    TableFile file;
    if (file.read(name, &model, &items, &title))
        file.write(model, title, Fuzz::folder().filePath(QStringLiteral("out.vtb")));
    return 0;
}
