// zelkor-cli ra: reciprocal averaging of a table file, its score table and the reordered table.
#include "analysis/freqtablecsvfile.h"
#include "analysis/freqtablemodel.h"
#include "analysis/recipcommand.h"
#include "platform/feedback.h"
#include "platform/fileaccess.h"
#include "platform/safesavefile.h"
#include "platform/textfile.h"
#include "shell/cli/clicommands.h"
#include "shell/cli/commandline.h"
#include "table/headeritems.h"
#include "table/tablefile.h"
#include "table/tablemodel.h"


namespace Zelkor::Cli {

CommandSpec raCommand()
{
    return {QStringLiteral("ra"),
            QStringLiteral("IN.vtb [--presence] [--scores SCORES.csv] [--scores-long LONG.csv] [-o OUT.vtb] [--encoding utf-8]"),
            QStringLiteral("反復平均法で植物と測定のスコアを求め、反復回数を示す。スコア表を第二窓の CSV 形式で\n"
                           "書き出し、表をスコアの順に並べ替えて表ファイルに書き出せる。出現のない行・列\n"
                           "（コメント行、群の区切りの空列など）はスコアを持たず、並べ替えでは後ろに元の順で残る。"),
            {{{QStringLiteral("presence")}, {}, QStringLiteral("優占度を考慮せず、在・不在（1, 0）で計算する")},
             {{QStringLiteral("scores")}, QStringLiteral("SCORES.csv"), QStringLiteral("スコア表を書き出す CSV ファイル")},
             {{QStringLiteral("scores-long")}, QStringLiteral("LONG.csv"),
              QStringLiteral("スコアを縦長の CSV に書き出す（見出し kind,position,label,score、植物・測定ごとに 1 行。\n"
                             "R の read.csv や Python の csv でそのまま読める。スコアのない行・列は書かない）")},
             encodingOptionSpec(),
             {{QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("OUT.vtb"),
              QStringLiteral("スコアの順に並べ替えた表を書き出す表ファイル")}},
            1,
            1};
}

int runRa(const QStringList &args, QTextStream &out, QTextStream &err)
{
    CommandLine cmd(raCommand());
    int status = Success;
    if (!cmd.parse(args, out, err, &status))
        return status;
    const QString scoresFile = cmd.value(QStringLiteral("scores"));
    const QString longFile = cmd.value(QStringLiteral("scores-long"));
    const QString output = cmd.value(QStringLiteral("output"));
    if (cmd.isSet(QStringLiteral("scores")) && scoresFile.isEmpty())
        return cmd.usageError(err, QStringLiteral("--scores の書き出し先を指定して下さい"));
    if (cmd.isSet(QStringLiteral("scores-long")) && longFile.isEmpty())
        return cmd.usageError(err, QStringLiteral("--scores-long の書き出し先を指定して下さい"));
    TextEncoding encoding = TextEncoding::Cp932;
    if (!encodingOption(cmd, &encoding))
        return cmd.usageError(err, encodingOptionError());
    if (cmd.isSet(QStringLiteral("output")) && output.isEmpty())
        return cmd.usageError(err, QStringLiteral("-o の書き出し先を指定して下さい"));

    // The score table must not replace the table read or written; the reordered table may replace
    // the table it comes from (it is written whole or not at all), but nothing that is no file.
    const QString input = cmd.positional().at(0);
    QString outputError;
    const auto same = [](const QString &a, const QString &b) {
        return !a.isEmpty() && !b.isEmpty() && sameFile(a, b);
    };
    if (same(scoresFile, output) || same(longFile, output) || same(scoresFile, longFile))
        return cmd.usageError(err, QStringLiteral("--scores、--scores-long と -o には別々のファイルを指定して下さい"));
    if (!checkOutputFiles({scoresFile, longFile}, {input}, &outputError)
        || !checkOutputFiles({output}, {}, &outputError))
        return cmd.userError(err, outputError);

    TableModel model;
    HeaderItems items;
    QString title;
    TableFile table;
    if (!table.read(input, &model, &items, &title))
        return cmd.userError(err, table.errorString());

    const ReciprocalAveraging::Result scores =
        RecipCommand::computeScores(model, !cmd.isSet(QStringLiteral("presence")));
    if (scores.canceled)
        return cmd.userError(err, Feedback::canceledMessage());
    if (scores.iterations == 0)
        return cmd.userError(err, RecipCommand::nothingToScoreMessage().replace(QLatin1Char('\n'), QString()));
    out << QStringLiteral("反復回数＝%1").arg(scores.iterations) << Qt::endl;

    // Every output is replaced together with the others, or none is.
    SafeSaveGroup together;
    if (!scoresFile.isEmpty()) {
        FreqTableModel scoreTable;
        RecipCommand::buildScoreTable(model, scores, &scoreTable);
        FreqTableCsvFile csv;
        csv.setEncoding(encoding);
        if (!csv.write(scoreTable, scoresFile))
            return cmd.userError(err, csv.errorString());
    }
    if (!longFile.isEmpty()) {
        QString error;
        if (!writeTextFile(longFile, RecipCommand::scoreLongLines(model, scores), &error, encoding))
            return cmd.userError(err, error);
    }
    if (!output.isEmpty()) {
        RecipCommand::reorderTable(model, scores);
        if (!table.write(model, title, output))
            return cmd.userError(err, table.errorString());
    }
    QString error;
    if (!together.commit(&error))
        return cmd.userError(err, error);
    return Success;
}

} // namespace Zelkor::Cli
