// zelkor-cli search: the marks of the table search for a table file.
#include "shell/cli/clicommands.h"
#include "shell/cli/commandline.h"
#include "table/headeritems.h"
#include "table/tablefile.h"
#include "table/tablemodel.h"
#include "table/tablesearch.h"

namespace Zelkor::Cli {

CommandSpec searchCommand()
{
    return {QStringLiteral("search"),
            QStringLiteral("IN.vtb TEXT [--exact] [--ignore-case]"),
            QStringLiteral("表の中で TEXT に合う升目を探し、印の付いた升目を「列,行」（表の座標）で\n"
                           "探した順に最大 20 個表示する。"),
            {{{QStringLiteral("exact")}, {}, QStringLiteral("完全一致で探す（既定は部分一致）")},
             {{QStringLiteral("ignore-case")}, {},
              QStringLiteral("大文字・小文字を区別しない。全角の英字・数字は半角と同じに見る（既定は区別する）")}},
            2,
            2};
}

int runSearch(const QStringList &args, QTextStream &out, QTextStream &err)
{
    CommandLine cmd(searchCommand());
    int status = Success;
    if (!cmd.parse(args, out, err, &status))
        return status;
    const QStringList positional = cmd.positional();
    const bool exact = cmd.isSet(QStringLiteral("exact"));
    const bool ignoreCase = cmd.isSet(QStringLiteral("ignore-case"));

    TableModel model;
    HeaderItems items;
    QString title;
    TableFile file;
    if (!file.read(positional[0], &model, &items, &title))
        return cmd.userError(err, file.errorString());
    TableSearch::search(model, positional[1], exact, ignoreCase);
    for (const GridCell &hit : model.searchHits())
        out << hit.col << ',' << hit.row << "\n";
    return Success;
}

} // namespace Zelkor::Cli
