// Extraction from a database at the format's limit: 333,333 relevés of 30 species in 999,999
// species blocks (85 MB relevé file, 512 MB species file), a 10,000-line synonym dictionary and
// three species conditions, as `zelkor-cli extract --cond ... --cond ... --cond ...` scans it.
// Times the scan through the workspace (open, scan, close; warm cache, best of three), then the
// rest of what `extract` does: the insertion of the selected relevés and the table file. The
// files are written to a temporary folder first (about 600 MB).
#include "database/extraction.h"
#include "platform/scripteduserinterface.h"
#include "shell/workspace.h"
#include "table/tablefile.h"

#include "generateddatabase.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>

using namespace Zelkor;
using namespace Zelkor::Bench;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString zki = dir.filePath(QStringLiteral("max.zki"));
    const auto g0 = std::chrono::steady_clock::now();
    if (!writeDatabase(zki, dir.filePath(QStringLiteral("max.zkd")), kMaxReleves)
        || !writeDictionary(dir.filePath(QStringLiteral("max.dic")))) {
        std::fprintf(stderr, "cannot write the database\n");
        return 1;
    }
    const double generated = std::chrono::duration<double>(std::chrono::steady_clock::now() - g0).count();

    ScriptedUserInterface ui;
    Workspace ws(&ui);
    ws.session().loadDictionary(dir.filePath(QStringLiteral("max.dic")));
    ws.session().setDataFile(zki);
    if (ws.session().recordCount() != kMaxReleves) {
        std::fprintf(stderr, "the database did not open (%d records)\n", ws.session().recordCount());
        return 1;
    }
    RetrievalQuery q;
    q.firstRecord = 1;
    q.lastRecord = ws.session().recordCount();
    q.conditions[0] = SpeciesCondition{QString::fromLatin1(speciesName(30, false)), 0, ConditionJoin::And};
    q.conditions[1] = SpeciesCondition{QString::fromLatin1(speciesName(31, false)), 1, ConditionJoin::Or};
    q.conditions[2] = SpeciesCondition{QString::fromLatin1(speciesName(32, false)), 0, ConditionJoin::Not};

    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        const auto t0 = std::chrono::steady_clock::now();
        ws.extraction().scanDatabase(q, true);
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    std::printf("maximal database (%d relevés, 999,999 blocks, written in %.1f s): scan with 3 conditions "
                "%.2f s (best of 3, %.2f µs per relevé), %d selected, %d unreadable\n",
                ws.session().recordCount(), generated, best, best * 1e6 / ws.session().recordCount(), ws.extraction().selection().fitCount(),
                ws.extraction().selection().unreadableCount());

    ui.setDefaultYes(true); // the title question keeps its start value
    const auto t0 = std::chrono::steady_clock::now();
    const int inserted = ws.extraction().insertSelected();
    const auto t1 = std::chrono::steady_clock::now();
    TableFile file;
    const bool written = file.write(ws.model(), ws.tableTitle(), dir.filePath(QStringLiteral("max.vtb")));
    const auto t2 = std::chrono::steady_clock::now();
    std::printf("insertion of the %d relevés selected (%d species rows): %.2f s; table file%s: %.2f s; "
                "scan, insertion and table file: %.2f s\n",
                inserted, ws.model().speciesCount(), std::chrono::duration<double>(t1 - t0).count(),
                written ? "" : " (NOT WRITTEN)", std::chrono::duration<double>(t2 - t1).count(),
                best + std::chrono::duration<double>(t2 - t0).count());
    return 0;
}
