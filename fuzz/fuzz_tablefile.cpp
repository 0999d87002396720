// The table file: reading it, and saving what was read. The file is read a second time through
// a window of a few bytes, which must give the same table or the same message; a saved table
// read and saved again gives the same bytes.
#include "table/headeritems.h"
#include "table/tablefile.h"
#include "table/tablemodel.h"

#include "fuzzinput.h"

#include <QFile>

#include <cstdlib>

using namespace Zelkor;

namespace {

struct Outcome
{
    bool ok = false;
    QString error;
    QStringList cells;
    QByteArray cover;
};

Outcome read(const QString &name, qsizetype window, TableModel *model, QString *title)
{
    HeaderItems items;
    model->clearTable(items);
    TableFile file;
    if (window > 0)
        file.setWindowBytes(window);
    Outcome out;
    out.ok = file.read(name, model, &items, title);
    out.error = file.errorString();
    for (int r = 0; r < model->grid().rowCount(); ++r)
        model->grid().forEachInRow(r, [&](int c, const QString &t) { out.cells << QString::number(c) + QLatin1Char(',') + QString::number(r) + QLatin1Char('=') + t; });
    const CoverTable &cover = model->coverData();
    for (int r = 0; r <= cover.maxReleves(); ++r)
        cover.forEachInReleve(r, [&](int s, const ByteDataSet &codes) {
            out.cover += QByteArray::number(r) + ',' + QByteArray::number(s) + '='
                + QByteArray(reinterpret_cast<const char *>(codes.data()), int(codes.size())) + ';';
        });
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString name = Fuzz::writeFile("in.vtb", Fuzz::bytes(data, size));
    TableModel model;
    QString title;
    const Outcome whole = read(name, 0, &model, &title);
    if (whole.ok) {
        const QString saved = Fuzz::folder().filePath(QStringLiteral("out.vtb"));
        TableFile file;
        if (file.write(model, title, saved)) {
            TableModel reread;
            QString rereadTitle;
            if (!read(saved, 0, &reread, &rereadTitle).ok)
                std::abort();
            const QString savedAgain = Fuzz::folder().filePath(QStringLiteral("out2.vtb"));
            if (!file.write(reread, rereadTitle, savedAgain))
                std::abort();
            QFile a(saved), b(savedAgain);
            if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly) || a.readAll() != b.readAll())
                std::abort();
        }
    }
    TableModel again;
    QString againTitle;
    const Outcome pieces = read(name, qsizetype(1 + size % 11), &again, &againTitle);
    if (pieces.ok != whole.ok || pieces.error != whole.error || pieces.cells != whole.cells
        || pieces.cover != whole.cover || againTitle != title)
        std::abort();
    return 0;
}
