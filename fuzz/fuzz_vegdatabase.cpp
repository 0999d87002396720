// The database pair: the header, every relevé (up to a bound) with its species, a scan with
// species conditions and the insertion of what it selects into a table, which is then saved.
#include "database/extraction.h"
#include "database/synonymdictionary.h"
#include "database/vegdatabase.h"
#include "table/headeritems.h"
#include "table/tablefile.h"
#include "table/tablemodel.h"

#include "fuzzinput.h"

using namespace Zelkor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto [zki, zkd] = Fuzz::splitPair(data, size);
    const QString name = Fuzz::writeFile("db.zki", zki);
    Fuzz::writeFile("db.zkd", zkd);

    VegDatabase db;
    if (!db.openDataFile(name))
        return 0;
    DataHeader header = db.readDataHeader();
    QString title;
    HeaderItems items;
    int k = 5;
    int d = 2;
    applyDataHeader(header, name, &title, &items, &k, &d);
    const int last = std::min(db.recordCount(), 2000);
    for (int i = 1; i <= last; ++i) {
        if (db.readReleve(i)) {
            for (int item = 2; item <= 30; ++item)
                (void)db.itemText(item);
        }
    }

    SynonymDictionary dict;
    Extraction extraction;
    RetrievalQuery query;
    query.lastRecord = last;
    query.conditions[0] = SpeciesCondition{QStringLiteral("Poa annua"), 0, ConditionJoin::Or};
    query.conditions[1] = SpeciesCondition{QStringLiteral("Bellis perennis"), 2, ConditionJoin::Not};
    extraction.scan(db, dict, query, true);
    query.conditions = {};
    extraction.scan(db, dict, query, false);
    TableModel model;
    model.clearTable(items);
    model.setCapacityLimit(4096);
    extraction.insert(db, dict, model, items);
    model.recomputeFrequencies();
    TableFile file;
    file.write(model, title, Fuzz::folder().filePath(QStringLiteral("out.vtb")));
    return 0;
}
