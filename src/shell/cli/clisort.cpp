// zelkor-cli sort: the species or the relevés of a table file sorted as the tool menu sorts them.
#include "analysis/tablesort.h"
#include "platform/fileaccess.h"
#include "shell/cli/clicommands.h"
#include "shell/cli/commandline.h"
#include "table/headeritems.h"
#include "table/tablefile.h"
#include "table/tablemodel.h"

#include <QHash>
#include <QRegularExpression>

namespace Zelkor::Cli {

namespace {

// The range after "--species" or "--releves" is optional, which the parser cannot express: it
// is taken out here ("--species 3-8", "--species=3-8"), leaving the switch. *ranges receives
// the ranges by option name; false with *message for a range that is not one.
bool takeRanges(const QStringList &args, QStringList *rest, QHash<QString, QString> *ranges, QString *message)
{
    static const QRegularExpression rangeLike(QStringLiteral("^[\\d\\s-]+$"));
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == QLatin1String("--")) {
            *rest += args.mid(i);
            break;
        }
        bool matched = false;
        for (const QString &name : {QStringLiteral("species"), QStringLiteral("releves")}) {
            const QString option = QStringLiteral("--") + name;
            QString range;
            if (arg.startsWith(option + QLatin1Char('='))) {
                range = arg.mid(option.size() + 1);
            } else if (arg == option) {
                if (i + 1 < args.size() && !args[i + 1].startsWith(QLatin1Char('-')) && rangeLike.match(args[i + 1]).hasMatch())
                    range = args[++i];
            } else {
                continue;
            }
            int first = 0;
            int last = 0;
            if (!range.isEmpty() && !parseRange(range, &first, &last)) {
                *message = QStringLiteral("範囲が正しくありません（A-B）: %1").arg(range);
                return false;
            }
            ranges->insert(name, range);
            *rest << option;
            matched = true;
            break;
        }
        if (!matched)
            *rest << arg;
    }
    return true;
}

} // namespace

CommandSpec sortCommand()
{
    return {QStringLiteral("sort"),
            QStringLiteral("IN.vtb -o OUT.vtb (--species [A-B] | --releves [A-B]) [--ascending]"),
            QStringLiteral("植物を頻度順に、または測定を種数順に並べ替えて表ファイルに書き出す。\n"
                           "範囲は表の位置（既定: 表全体）、既定の順は多順。同じ値の行・列は元の順を保つ。"),
            {{{QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("OUT.vtb"), QStringLiteral("書き出す表ファイル")},
             {{QStringLiteral("species")}, {}, QStringLiteral("植物（行）を頻度順に並べ替える。後ろに範囲 A-B を置ける")},
             {{QStringLiteral("releves")}, {}, QStringLiteral("測定（列）を種数順に並べ替える。後ろに範囲 A-B を置ける")},
             {{QStringLiteral("ascending")}, {}, QStringLiteral("少順（少ないものから）に並べる")}},
            1,
            1};
}

int runSort(const QStringList &args, QTextStream &out, QTextStream &err)
{
    CommandLine cmd(sortCommand());
    QStringList rest;
    QHash<QString, QString> ranges;
    QString message;
    if (!takeRanges(args, &rest, &ranges, &message))
        return cmd.usageError(err, message);
    int status = Success;
    if (!cmd.parse(rest, out, err, &status))
        return status;
    const QString output = cmd.value(QStringLiteral("output"));
    if (output.isEmpty())
        return cmd.usageError(err, QStringLiteral("出力ファイル（-o）を指定して下さい"));
    const bool species = cmd.isSet(QStringLiteral("species"));
    if (species == cmd.isSet(QStringLiteral("releves")))
        return cmd.usageError(err, QStringLiteral("--species と --releves のどちらか一つを指定して下さい"));
    // The table written must not replace the table read, nor anything that is no regular file.
    QString outputError;
    if (!checkOutputFile(output, {cmd.positional().at(0)}, &outputError))
        return cmd.userError(err, outputError);

    TableModel model;
    HeaderItems items;
    QString title;
    TableFile file;
    if (!file.read(cmd.positional().at(0), &model, &items, &title))
        return cmd.userError(err, file.errorString());
    int first = 1;
    int last = species ? model.speciesCount() : model.releveCount();
    const QString range = ranges.value(species ? QStringLiteral("species") : QStringLiteral("releves"));
    if (!range.isEmpty()) {
        const int count = last;
        parseRange(range, &first, &last);
        if (first > last)
            return cmd.usageError(err, QStringLiteral("範囲「%1」は逆向きです（A-B の A を B 以下にして下さい）").arg(range));
        if (last > count)
            return cmd.userError(err, QStringLiteral("%1の範囲「%2」が表の外です（表の%1は %3）")
                                          .arg(species ? QStringLiteral("植物") : QStringLiteral("測定"), range,
                                               QString::number(count)));
    }
    const bool descending = !cmd.isSet(QStringLiteral("ascending"));
    if (species)
        TableSort::sortPlants(model, first, last, descending);
    else
        TableSort::sortReleve(model, first, last, descending);
    if (!file.write(model, title, output))
        return cmd.userError(err, file.errorString());
    return Success;
}

} // namespace Zelkor::Cli
