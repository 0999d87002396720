// Synonym dictionary: loading a 50,000-line dictionary and 1,000,000 look-ups of species names
// (half of them synonyms in another letter case, half names that are no synonym).
#include "database/synonymdictionary.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace Zelkor;

namespace {

constexpr int kLines = 50000;
constexpr int kLookUps = 1000000;

QString synonym(int i)
{
    return QStringLiteral("Genus%1 species%2 var. form%3").arg(i % 997).arg(i).arg(i % 13);
}

// The dictionary file: one "synonym,standard name" line each, Shift-JIS (ASCII here), CR LF.
QString writeDictionary(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("bench.dic"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    QByteArray all;
    for (int i = 0; i < kLines; ++i)
        all += synonym(i).toLatin1() + ",Standard name " + QByteArray::number(i / 3) + "\r\n";
    f.write(all);
    return path;
}

QStringList probes()
{
    QStringList names;
    names.reserve(4096);
    for (int i = 0; i < 4096; ++i) {
        const int n = (i * 7919) % kLines;
        names << (i % 2 ? synonym(n).toUpper() : QStringLiteral("Unlisted name %1").arg(n));
    }
    return names;
}

void BM_LoadDictionary(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = writeDictionary(dir);
    for (auto _ : state) {
        SynonymDictionary dict;
        benchmark::DoNotOptimize(dict.load(path));
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_LoadDictionary)->Unit(benchmark::kMillisecond);

void BM_MillionLookUps(benchmark::State &state)
{
    QTemporaryDir dir;
    SynonymDictionary dict;
    dict.load(writeDictionary(dir));
    const QStringList names = probes();
    for (auto _ : state) {
        qsizetype hits = 0;
        for (int i = 0; i < kLookUps; ++i) {
            const QString &name = names.at(i & 4095);
            hits += dict.synToCommonName(name).size() != name.size();
        }
        benchmark::DoNotOptimize(hits);
    }
    state.SetItemsProcessed(state.iterations() * kLookUps);
}
BENCHMARK(BM_MillionLookUps)->Unit(benchmark::kMillisecond);

// Load and look-ups together: the figure the program meets at an extraction.
void BM_LoadAndMillionLookUps(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = writeDictionary(dir);
    const QStringList names = probes();
    for (auto _ : state) {
        SynonymDictionary dict;
        dict.load(path);
        qsizetype total = 0;
        for (int i = 0; i < kLookUps; ++i)
            total += dict.synToCommonName(names.at(i & 4095)).size();
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_LoadAndMillionLookUps)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
