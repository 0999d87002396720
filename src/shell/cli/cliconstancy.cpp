// zelkor-cli constancy: the constancy table of a table file, written as the second window
// writes it.
#include "analysis/constancytable.h"
#include "analysis/freqtablecsvfile.h"
#include "analysis/freqtablemodel.h"
#include "analysis/freqtabletextfile.h"
#include "platform/feedback.h"
#include "platform/fileaccess.h"
#include "shell/cli/clicommands.h"
#include "shell/cli/commandline.h"
#include "table/headeritems.h"
#include "table/tablefile.h"
#include "table/tablegrouping.h"
#include "table/tablemodel.h"

#include <QDate>
#include <QFileInfo>
#include <QLocale>

namespace Zelkor::Cli {

CommandSpec constancyCommand()
{
    return {QStringLiteral("constancy"),
            QStringLiteral("IN.vtb -o OUT.csv|OUT.txt [--classes 5|10|count] [--no-cover] [--blank-empty] [--title TEXT] [--group-by ITEM] [--encoding utf-8]"),
            QStringLiteral("空の測定列で区切られた測定の群から常在度表を作り、出力ファイルの拡張子に\n"
                           "従って書き出す（.txt はテキスト書出の形式、.csv は CSV 書出の形式）。"),
            {{{QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("OUT"), QStringLiteral("書き出すファイル（.txt または .csv）")},
             {{QStringLiteral("classes")}, QStringLiteral("5|10|count"),
              QStringLiteral("常在度級 Ⅰ～Ⅴ（既定）、Ⅰ～Ⅹ、または出現数をそのまま示す")},
             {{QStringLiteral("no-cover")}, {}, QStringLiteral("優占度の範囲を付けない（常在度級のみ）")},
             {{QStringLiteral("blank-empty")}, {}, QStringLiteral("出現しない升目を「・」でなく空白にする")},
             {{QStringLiteral("title")}, QStringLiteral("TEXT"), QStringLiteral("常在度表の標題（既定: 表の標題と「常在度表」）")},
             groupByOptionSpec(),
             encodingOptionSpec()},
            1,
            1};
}

int runConstancy(const QStringList &args, QTextStream &out, QTextStream &err)
{
    CommandLine cmd(constancyCommand());
    int status = Success;
    if (!cmd.parse(args, out, err, &status))
        return status;
    const QString input = cmd.positional().at(0);
    const QString output = cmd.value(QStringLiteral("output"));
    if (output.isEmpty())
        return cmd.usageError(err, QStringLiteral("出力ファイル（-o）を指定して下さい"));
    const QString suffix = QFileInfo(output).suffix().toLower();
    if (suffix != QLatin1String("txt") && suffix != QLatin1String("csv"))
        return cmd.usageError(err, QStringLiteral("出力ファイルの拡張子は .txt か .csv にして下さい: %1").arg(output));
    TextEncoding encoding = TextEncoding::Cp932;
    if (!encodingOption(cmd, &encoding))
        return cmd.usageError(err, encodingOptionError());
    if (cmd.isSet(QStringLiteral("encoding")) && suffix != QLatin1String("csv"))
        return cmd.usageError(err, QStringLiteral("--encoding は .csv の出力にだけ指定できます"));
    // The output must not replace the table read (through a link, say), nor anything that is no
    // regular file.
    QString outputError;
    if (!checkOutputFile(output, {input}, &outputError))
        return cmd.userError(err, outputError);

    const bool cover = !cmd.isSet(QStringLiteral("no-cover"));
    const QString classes = cmd.isSet(QStringLiteral("classes")) ? cmd.value(QStringLiteral("classes")) : QStringLiteral("5");
    ConstancyOptions options;
    if (classes == QLatin1String("5"))
        options.content = cover ? ConstancyContent::Classes5WithCover : ConstancyContent::Classes5;
    else if (classes == QLatin1String("10"))
        options.content = cover ? ConstancyContent::Classes10WithCover : ConstancyContent::Classes10;
    else if (classes == QLatin1String("count"))
        options.content = ConstancyContent::Occurrences;
    else
        return cmd.usageError(err, QStringLiteral("--classes は 5、10、count のどれかです: %1").arg(classes));
    options.blankEmpty = cmd.isSet(QStringLiteral("blank-empty"));

    TableModel model;
    HeaderItems items;
    QString tableTitle;
    TableFile table;
    if (!table.read(input, &model, &items, &tableTitle))
        return cmd.userError(err, table.errorString());
    if (cmd.isSet(QStringLiteral("group-by"))) {
        const int item = TableGrouping::findItem(model, cmd.value(QStringLiteral("group-by")));
        if (item == 0 || !TableGrouping::regroup(model, item))
            return cmd.userError(err, TableGrouping::noSuchItemMessage(cmd.value(QStringLiteral("group-by"))));
    }
    const QString title = cmd.isSet(QStringLiteral("title")) ? cmd.value(QStringLiteral("title"))
                                                             : tableTitle + QStringLiteral("常在度表");
    FreqTableModel constancy;
    ConstancyTable::build(model, options, title, &constancy);

    Feedback feedback;
    if (suffix == QLatin1String("txt")) {
        FreqTableTextFile file;
        if (!file.write(constancy, QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat), output,
                        &feedback))
            return cmd.userError(err, file.errorString());
    } else {
        FreqTableCsvFile file;
        file.setEncoding(encoding);
        if (!file.write(constancy, output, &feedback))
            return cmd.userError(err, file.errorString());
    }
    return Success;
}

} // namespace Zelkor::Cli
