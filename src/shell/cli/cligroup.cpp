// zelkor-cli group: the relevés of a table file grouped by a header item's value, with an empty
// column between two groups, as the tool menu groups them.
#include "platform/fileaccess.h"
#include "shell/cli/clicommands.h"
#include "shell/cli/commandline.h"
#include "table/headeritems.h"
#include "table/tablefile.h"
#include "table/tablegrouping.h"
#include "table/tablemodel.h"

namespace Zelkor::Cli {

CommandSpec groupCommand()
{
    return {QStringLiteral("group"),
            QStringLiteral("IN.vtb --by ITEM -o OUT.vtb"),
            QStringLiteral("測定を見出し項目の値で群に分けて表ファイルに書き出す。群は値が左から初めて現れる順、\n"
                           "群の中の測定は元の順で、群と群の間に空の列を一つ置く（前からある空の列は除く）。\n"
                           "常在度表や適合度はこの群ごとに求められる。"),
            {{{QStringLiteral("by")}, QStringLiteral("ITEM"), QStringLiteral("見出し項目の番号（1～29）か、表の見出しの名前")},
             {{QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("OUT.vtb"), QStringLiteral("書き出す表ファイル")}},
            1,
            1};
}

int runGroup(const QStringList &args, QTextStream &out, QTextStream &err)
{
    CommandLine cmd(groupCommand());
    int status = Success;
    if (!cmd.parse(args, out, err, &status))
        return status;
    const QString input = cmd.positional().at(0);
    const QString output = cmd.value(QStringLiteral("output"));
    const QString by = cmd.value(QStringLiteral("by"));
    if (output.isEmpty())
        return cmd.usageError(err, QStringLiteral("出力ファイル（-o）を指定して下さい"));
    if (by.isEmpty())
        return cmd.usageError(err, QStringLiteral("群に分ける見出し項目（--by）を指定して下さい"));
    // The table written must not replace the table read, nor anything that is no regular file.
    QString outputError;
    if (!checkOutputFile(output, {input}, &outputError))
        return cmd.userError(err, outputError);

    TableModel model;
    HeaderItems items;
    QString title;
    TableFile file;
    if (!file.read(input, &model, &items, &title))
        return cmd.userError(err, file.errorString());
    const int item = TableGrouping::findItem(model, by);
    int groups = 0;
    if (item == 0 || !TableGrouping::regroup(model, item, &groups))
        return cmd.userError(err, TableGrouping::noSuchItemMessage(by));
    if (!file.write(model, title, output))
        return cmd.userError(err, file.errorString());
    out << QStringLiteral("群の数＝%1").arg(groups) << Qt::endl;
    return Success;
}

} // namespace Zelkor::Cli
