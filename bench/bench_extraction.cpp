// Extraction speed on a generated database: 100,000 relevés of 30 species each (3,000 names,
// a third of them written as synonyms), a 10,000-line synonym dictionary, three species
// conditions. Times the scan (warm cache, best of three; with and without regard to case) and
// the insertion of 10,000 relevés.
#include "database/extraction.h"
#include "database/synonymdictionary.h"
#include "database/vegdatabase.h"
#include "platform/feedback.h"
#include "table/headeritems.h"
#include "table/tablemodel.h"

#include <QDir>
#include "generateddatabase.h"

#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <random>

using namespace Zelkor;
using namespace Zelkor::Bench;

namespace {

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
    const QString dicFile = dir.filePath(QStringLiteral("big.dic"));
    writeDictionary(dicFile);
    SynonymDictionary dict;
    dict.load(dicFile);

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
    Feedback feedback;
    feedback.setWatcher([&](Feedback &) { ++calls; });
    for (int run = 0; run < 3; ++run) {
        auto t0 = std::chrono::steady_clock::now();
        extraction.scan(db, dict, q, true, &feedback);
        best = std::min(best, ms(std::chrono::steady_clock::now() - t0));
    }
    std::printf("scan of %d relevés, 3 conditions, 10,000-line dictionary: %.0f ms (best of 3), %d selected\n",
                db.recordCount(), best, extraction.fitCount());

    // The same conditions typed in capitals, compared without regard to case.
    RetrievalQuery folded = q;
    folded.ignoreCase = true;
    for (SpeciesCondition &c : folded.conditions)
        c.name = c.name.toUpper();
    double bestFolded = 1e9;
    for (int run = 0; run < 3; ++run) {
        auto t0 = std::chrono::steady_clock::now();
        extraction.scan(db, dict, folded, true, &feedback);
        bestFolded = std::min(bestFolded, ms(std::chrono::steady_clock::now() - t0));
    }
    std::printf("the same scan ignoring case: %.0f ms (best of 3), %d selected\n", bestFolded,
                extraction.fitCount());

    // Insert the first 10,000 relevés.
    q.conditions = {};
    q.lastRecord = 10000;
    extraction.scan(db, dict, q, true);
    TableModel model;
    HeaderItems items;
    model.clearTable(items);
    // As the commands insert: cancellable, so the table from before is kept aside first.
    Feedback insertion;
    auto t0 = std::chrono::steady_clock::now();
    const int inserted = extraction.insert(db, dict, model, items, &insertion);
    const auto t1 = std::chrono::steady_clock::now();
    model.recomputeFrequencies();
    const auto t2 = std::chrono::steady_clock::now();
    std::printf("insertion of %d relevés (%d species rows): %.0f ms, frequencies %.0f ms\n", inserted,
                model.speciesCount(), ms(t1 - t0), ms(t2 - t1));
    return 0;
}
