// Extraction speed on a generated database: 100,000 relevés of 30 species each (3,000 names,
// a third of them written as synonyms), a 10,000-line synonym dictionary, three species
// conditions. Times the scan (warm cache, best of three) and the insertion of 10,000 relevés.
#include "database/extraction.h"
#include "database/synonymdictionary.h"
#include "database/vegdatabase.h"
#include "table/headeritems.h"
#include "table/tablemodel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <random>

using namespace Zelkor;

namespace {

constexpr int kReleves = 100000;
constexpr int kSpeciesPerReleve = 30;
constexpr int kNames = 3000;

QByteArray field(const QByteArray &text, int width, bool right)
{
    QByteArray f = text.left(width);
    const QByteArray pad(width - f.size(), ' ');
    return right ? pad + f : f + pad;
}

QByteArray speciesName(int n, bool synonym)
{
    return (synonym ? "Synonymus " : "Speciesname ") + QByteArray::number(n).rightJustified(5, '0');
}

bool writeDatabase(const QString &zki, const QString &zkd)
{
    QFile fi(zki), fd(zkd);
    if (!fi.open(QIODevice::WriteOnly) || !fd.open(QIODevice::WriteOnly))
        return false;
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> pick(0, kNames - 1);
    const char *codes[] = {"+ ", "1 ", "2 ", "r ", "23", "3 "};
    fi.write(QByteArray(256, ' '));
    fd.write(QByteArray(512, '\0'));
    qint64 block = 1;
    for (int i = 1; i <= kReleves; ++i) {
        QByteArray rec(256, ' ');
        rec.replace(16, 8, field("R" + QByteArray::number(i), 8, false));
        rec.replace(24, 8, field("Site", 8, false));
        rec.replace(56, 8, field(QByteArray::number(5300 + i % 100), 8, false));
        rec.replace(152, 4, field(QByteArray::number(kSpeciesPerReleve), 4, true));
        rec[156] = '5';
        rec[157] = '2';
        rec.replace(248, 6, field(QByteArray::number(block), 6, true));
        fi.write(rec);
        const int blocks = (kSpeciesPerReleve + 11) / 12;
        for (int b = 0; b < blocks; ++b) {
            QByteArray blk(512, ' ');
            for (int k = 0; k < 12 && b * 12 + k < kSpeciesPerReleve; ++k) {
                const int n = pick(rng);
                QByteArray entry = field(speciesName(n, n % 3 == 0), 28, false);
                QByteArray code(14, ' ');
                code.replace(8, 2, codes[(n + i) % 6]);
                blk.replace(42 * k, 42, entry + code);
            }
            const qint64 next = b + 1 < blocks ? block + 1 : 0;
            blk.replace(504, 6, field(QByteArray::number(next), 6, true));
            fd.write(blk);
            ++block;
        }
    }
    return true;
}

double ms(std::chrono::steady_clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

} // namespace

int main()
{
    QTemporaryDir dir;
    const QString zki = dir.filePath(QStringLiteral("big.zki"));
    if (!writeDatabase(zki, dir.filePath(QStringLiteral("big.zkd")))) {
        std::fprintf(stderr, "cannot write the database\n");
        return 1;
    }
    // 10,000 dictionary lines: the synonyms of the database plus names it never uses.
    QByteArray dic;
    for (int n = 0; n < 10000; ++n)
        dic += (n < kNames ? speciesName(n, true) : "Nomen " + QByteArray::number(n)) + "," + speciesName(n, false) + "\r\n";
    QFile df(dir.filePath(QStringLiteral("big.dic")));
    df.open(QIODevice::WriteOnly);
    df.write(dic);
    df.close();
    SynonymDictionary dict;
    dict.setDictionary(df.fileName());

    VegDatabase db;
    if (!db.openDataFile(zki)) {
        std::fprintf(stderr, "%s\n", qPrintable(db.errorString()));
        return 1;
    }
    RetrievalQuery q;
    q.firstRecord = 1;
    q.lastRecord = db.recordCount();
    q.conditions[0] = SpeciesCondition{QString::fromLatin1(speciesName(30, false)), 0, ConditionJoin::And};
    q.conditions[1] = SpeciesCondition{QString::fromLatin1(speciesName(31, false)), 1, ConditionJoin::Or};
    q.conditions[2] = SpeciesCondition{QString::fromLatin1(speciesName(32, false)), 0, ConditionJoin::Not};

    Extraction extraction;
    double best = 1e9;
    int calls = 0;
    for (int run = 0; run < 3; ++run) {
        auto t0 = std::chrono::steady_clock::now();
        extraction.scan(db, dict, q, true, [&](int, int) { ++calls; });
        best = std::min(best, ms(std::chrono::steady_clock::now() - t0));
    }
    std::printf("scan of %d relevés, 3 conditions, 10,000-line dictionary: %.0f ms (best of 3), %d selected\n",
                db.recordCount(), best, extraction.fitCount());

    // Insert the first 10,000 relevés.
    q.conditions = {};
    q.lastRecord = 10000;
    extraction.scan(db, dict, q, true);
    TableModel model;
    HeaderItems items;
    model.clearTable(items);
    auto t0 = std::chrono::steady_clock::now();
    const int inserted = extraction.insert(db, dict, model, items);
    const auto t1 = std::chrono::steady_clock::now();
    model.recomputeFrequencies();
    const auto t2 = std::chrono::steady_clock::now();
    std::printf("insertion of %d relevés (%d species rows): %.0f ms, frequencies %.0f ms\n", inserted,
                model.speciesCount(), ms(t1 - t0), ms(t2 - t1));
    return 0;
}
