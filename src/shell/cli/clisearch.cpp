// zelkor-cli search: the marks of the table search for a table file.
#include "database/tablefile.h"
#include "shell/cli/clicommands.h"
#include "table/headeritems.h"
#include "table/tablemodel.h"
#include "table/tablesearch.h"

namespace Zelkor::Cli {

int runSearch(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const QString usage = QStringLiteral("usage: zelkor-cli search IN.vtb TEXT [--exact]\n");
    bool exact = false;
    bool optionsEnded = false;
    QStringList positional;
    for (const QString &arg : args) {
        if (!optionsEnded && arg == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && arg == QLatin1String("--exact")) {
            exact = true;
        } else if (!optionsEnded && arg.startsWith(QLatin1String("--"))) {
            err << "zelkor-cli search: 不明なオプションです: " << arg << "\n" << usage;
            return BadUsage;
        } else {
            positional << arg;
        }
    }
    if (positional.size() != 2) {
        err << usage;
        return BadUsage;
    }

    TableModel model;
    HeaderItems items;
    QString title;
    TableFile file;
    if (!file.read(positional[0], &model, &items, &title)) {
        err << "zelkor-cli search: " << file.errorString() << "\n";
        return UserError;
    }
    TableSearch::search(model, positional[1], exact);
    for (const GridCell &hit : model.searchHits())
        out << hit.col << ',' << hit.row << "\n";
    return Success;
}

} // namespace Zelkor::Cli
