// Comma text, the form of the table file's grid rows: splitting bytes and text, and joining
// what was split.
#include "platform/cp932.h"
#include "table/commatext.h"

#include "fuzzinput.h"

using namespace Zelkor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray line = Fuzz::bytes(data, size);
    QByteArray quoted;
    CommaText::splitBytes(line, 64, [&](qsizetype, QByteArrayView field) { CommaText::appendQuoted(&quoted, field); });
    const QStringList cells = CommaText::split(Cp932::decodeLossy(line));
    (void)CommaText::join(cells);
    for (const QString &cell : cells)
        (void)CommaText::quoted(cell);
    return 0;
}
