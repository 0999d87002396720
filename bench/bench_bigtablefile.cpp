// The table file at the size of the largest tables: the generated 50,000-relevé × 5,000-species
// table with 3 % of its cells filled (150 species in each relevé, 7.5 million cells), a file of
// about 2 GB. Run each step in a process of its own under `/usr/bin/time -f %M` for its peak
// memory:
//   bench_bigtablefile prepare DIR   writes DIR/big.vtb, and DIR/sites.csv and DIR/species.csv
//                                    (7.5 million lines) for `zelkor-cli mkdb`
//   bench_bigtablefile read FILE [N] reads the table file N times (default 3): each time and
//                                    the speed
//   bench_bigtablefile write FILE [N] reads it once, then writes it N times (default 3) beside
//                                    it and checks that the bytes are those of FILE
// The other steps of the big table are timed through zelkor-cli (`search`, `sort --species`,
// `mkdb`, `extract`) on the files prepare writes.
#include "generatedtable.h"

#include "table/headeritems.h"
#include "table/tablefile.h"
#include "table/tablemodel.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <cstdio>
#include <cstring>

using namespace Zelkor;

namespace {

constexpr int kReleves = 50000;
constexpr int kSpecies = 5000;
constexpr int kPerReleve = 150;

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double>(b - a).count();
}

double gigabytes(qint64 bytes)
{
    return double(bytes) / 1e9;
}

// The cover code of the generated herb layer as the species list writes it.
const char *codeText(int code)
{
    switch (code) {
    case 1: return "+";
    case 10: return "1";
    case 20: return "2";
    case 30: return "3";
    case 40: return "4";
    default: return "5";
    }
}

bool writeLists(const TableModel &model, const QString &dir)
{
    QFile sites(QDir(dir).filePath(QStringLiteral("sites.csv")));
    QFile species(QDir(dir).filePath(QStringLiteral("species.csv")));
    if (!sites.open(QIODevice::WriteOnly) || !species.open(QIODevice::WriteOnly))
        return false;
    sites.write("id,2,8\n");
    species.write("id,species,layer,code\n");
    QByteArray text;
    for (int k = 1; k <= model.releveCount(); ++k) {
        const QByteArray id = "R" + QByteArray::number(k);
        sites.write(id + ",Site" + QByteArray::number(k % 997) + "," + QByteArray::number(100 + k % 900) + "\n");
        text.clear();
        model.coverData().forEachInReleve(model.releveIndexAt(TableModel::releveColumn(k)), [&](int s, const ByteDataSet &codes) {
            if (s == 0)
                return;
            text += id + ",Species number " + QByteArray::number(s) + ",H1," + codeText(codes[4]) + "\n";
        });
        if (species.write(text) != text.size())
            return false;
    }
    return sites.flush() && species.flush();
}

int prepare(const QString &dir)
{
    QDir().mkpath(dir);
    TableModel model;
    const auto t0 = Clock::now();
    if (!Bench::makeGeneratedTable(model, kReleves, kSpecies, kPerReleve))
        return 1;
    const auto t1 = Clock::now();
    const QString path = QDir(dir).filePath(QStringLiteral("big.vtb"));
    TableFile file;
    if (!file.write(model, QStringLiteral("大きな表"), path)) {
        std::fprintf(stderr, "%s\n", qPrintable(file.errorString()));
        return 1;
    }
    const auto t2 = Clock::now();
    if (!writeLists(model, dir)) {
        std::fprintf(stderr, "cannot write the lists\n");
        return 1;
    }
    std::printf("generated %d × %d (%zu cells) in %.1f s; %s: %.2f GB written in %.2f s; lists written\n", kReleves,
                kSpecies, model.coverData().entryCount(), seconds(t0, t1), qPrintable(path),
                gigabytes(QFileInfo(path).size()), seconds(t1, t2));
    return 0;
}

bool readTable(const QString &path, TableModel *model, double *took)
{
    HeaderItems items;
    model->clearTable(items);
    QString title;
    TableFile file;
    const auto t0 = Clock::now();
    const bool ok = file.read(path, model, &items, &title);
    *took = seconds(t0, Clock::now());
    if (!ok)
        std::fprintf(stderr, "%s\n", qPrintable(file.errorString()));
    return ok;
}

int read(const QString &path, int runs)
{
    const qint64 size = QFileInfo(path).size();
    double best = 1e300;
    for (int run = 0; run < runs; ++run) {
        TableModel model;
        double took = 0;
        if (!readTable(path, &model, &took))
            return 1;
        best = std::min(best, took);
        std::printf("read %.2f GB (%d relevés × %d species, %zu cells): %.2f s, %.2f GB/s\n", gigabytes(size),
                    model.releveCount(), model.speciesCount(), model.coverData().entryCount(), took,
                    gigabytes(size) / took);
    }
    std::printf("read best of %d: %.2f s, %.2f GB/s\n", runs, best, gigabytes(size) / best);
    return 0;
}

// Whether two files hold the same bytes.
bool sameBytes(const QString &a, const QString &b)
{
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly) || fa.size() != fb.size())
        return false;
    constexpr qint64 kPiece = qint64(8) << 20;
    QByteArray pa(kPiece, Qt::Uninitialized), pb(kPiece, Qt::Uninitialized);
    for (;;) {
        const qint64 na = fa.read(pa.data(), kPiece);
        const qint64 nb = fb.read(pb.data(), kPiece);
        if (na != nb || na < 0)
            return false;
        if (na == 0)
            return true;
        if (std::memcmp(pa.constData(), pb.constData(), size_t(na)) != 0)
            return false;
    }
}

int write(const QString &path, int runs)
{
    TableModel model;
    double took = 0;
    if (!readTable(path, &model, &took))
        return 1;
    const QString out = path + QStringLiteral(".written.vtb");
    const qint64 size = QFileInfo(path).size();
    double best = 1e300;
    for (int run = 0; run < runs; ++run) {
        TableFile file;
        const auto t0 = Clock::now();
        if (!file.write(model, QStringLiteral("大きな表"), out)) {
            std::fprintf(stderr, "%s\n", qPrintable(file.errorString()));
            return 1;
        }
        const double t = seconds(t0, Clock::now());
        best = std::min(best, t);
        std::printf("write %.2f GB: %.2f s, %.2f GB/s\n", gigabytes(size), t, gigabytes(size) / t);
    }
    const bool same = sameBytes(path, out);
    QFile::remove(out);
    std::printf("write best of %d: %.2f s, %.2f GB/s; the bytes %s\n", runs, best, gigabytes(size) / best,
                same ? "are those read" : "DIFFER from those read");
    return same ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString step = args.value(1);
    const int runs = args.size() > 3 ? std::max(1, args.at(3).toInt()) : 3;
    if (step == QLatin1String("prepare") && args.size() == 3)
        return prepare(args.at(2));
    if (step == QLatin1String("read") && args.size() >= 3)
        return read(args.at(2), runs);
    if (step == QLatin1String("write") && args.size() >= 3)
        return write(args.at(2), runs);
    std::fprintf(stderr, "usage: bench_bigtablefile prepare DIR | read FILE [RUNS] | write FILE [RUNS]\n");
    return 2;
}
