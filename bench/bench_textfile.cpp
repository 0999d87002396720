// Reading and writing large CP932 text files line by line (a table file of a few thousand
// relevés runs to tens of megabytes).
#include "platform/cp932.h"
#include "platform/textfile.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Zelkor;

namespace {

// About 70 MB in CP932: half the lines Japanese, half numbers and Latin names.
QStringList sampleLines()
{
    QStringList lines;
    const QString japanese = QString::fromUtf16(u"調査面積（㎡）ススキ群落　Ⅰ～Ⅹ①ｱｲｳ･─ 1234 abc, 5.5, r+ ");
    const QString ascii = QStringLiteral("12345678901234567890 Miscanthus sinensis Anderss. 3.14159, 2.71828");
    for (int i = 0; i < 1100000; ++i)
        lines << ((i % 2) ? japanese : ascii);
    return lines;
}

void BM_WriteTextFile(benchmark::State &state)
{
    QTemporaryDir dir;
    const QStringList lines = sampleLines();
    const QString name = dir.filePath(QStringLiteral("big.txt"));
    for (auto _ : state) {
        QString error;
        if (!writeTextFile(name, lines, &error))
            state.SkipWithError(error.toStdString().c_str());
    }
}
BENCHMARK(BM_WriteTextFile)->Unit(benchmark::kMillisecond);

void BM_ReadTextFile(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("big.txt"));
    writeTextFile(name, sampleLines());
    for (auto _ : state) {
        TextFileReader reader;
        if (!reader.read(name))
            state.SkipWithError(reader.errorString().toStdString().c_str());
        benchmark::DoNotOptimize(reader.lines().size());
    }
}
BENCHMARK(BM_ReadTextFile)->Unit(benchmark::kMillisecond);

void BM_DecodeJapaneseLine(benchmark::State &state)
{
    QByteArray bytes;
    Cp932::encode(QString::fromUtf16(u"調査面積（㎡）ススキ群落　Ⅰ～Ⅹ①ｱｲｳ･─ 1234"), &bytes);
    for (auto _ : state) {
        QString text;
        Cp932::decode(bytes, &text);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_DecodeJapaneseLine);

} // namespace

BENCHMARK_MAIN();
