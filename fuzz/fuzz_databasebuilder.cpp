// The site, species and header-item lists that mkdb reads, and the database pair it writes.
#include "database/databasebuilder.h"

#include "fuzzinput.h"

using namespace Zelkor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto [sites, species] = Fuzz::splitPair(data, size);
    const QString sitesName = Fuzz::writeFile("sites.csv", sites);
    const QString speciesName = Fuzz::writeFile("species.csv", species);
    DatabaseBuilder items;
    items.readHeaderItemsCsv(sitesName);
    DatabaseBuilder builder;
    if (builder.readSitesCsv(sitesName) && builder.readSpeciesCsv(speciesName))
        builder.write(Fuzz::folder().filePath(QStringLiteral("out.zki")));
    return 0;
}
