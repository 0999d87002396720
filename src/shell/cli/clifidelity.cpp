// zelkor-cli fidelity: the fidelity (phi coefficient) and Fisher's exact test of every species of
// a table file for every group of its relevés.
#include "analysis/fidelitycsvfile.h"
#include "analysis/fidelitytable.h"
#include "platform/feedback.h"
#include "platform/fileaccess.h"
#include "shell/cli/clicommands.h"
#include "shell/cli/commandline.h"
#include "table/headeritems.h"
#include "table/tablefile.h"
#include "table/tablegrouping.h"
#include "table/tablemodel.h"

namespace Zelkor::Cli {

namespace {

// The value of a fractional option within [low, high] (low itself only when lowIncluded).
bool readFraction(const QString &text, double low, bool lowIncluded, double high, double *value)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !(lowIncluded ? v >= low : v > low) || !(v <= high))
        return false;
    *value = v;
    return true;
}

} // namespace

CommandSpec fidelityCommand()
{
    return {QStringLiteral("fidelity"),
            QStringLiteral("IN.vtb -o OUT.csv [--group-by ITEM] [--no-standardize] [--phi-min 0.30] [--alpha 0.05] [--encoding utf-8]"),
            QStringLiteral("空の測定列で区切られた測定の群ごとに、各植物の適合度（φ係数）と Fisher の正確確率\n"
                           "検定（片側）の p を求め、植物と群の組ごとに 1 行の CSV ファイルに書き出す。\n"
                           "列: species,group,N,N_g,n,n_g,constancy,phi,p,diagnostic"),
            {{{QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("OUT.csv"), QStringLiteral("書き出す CSV ファイル")},
             {{QStringLiteral("no-standardize")}, {}, QStringLiteral("群の大きさを標準化せずに φ を求める")},
             {{QStringLiteral("phi-min")}, QStringLiteral("φ"), QStringLiteral("診断種とする φ の下限（0～1、既定 0.30）")},
             {{QStringLiteral("alpha")}, QStringLiteral("α"), QStringLiteral("診断種とする p の上限（p < α、0 < α ≤ 1、既定 0.05）")},
             groupByOptionSpec(),
             encodingOptionSpec()},
            1,
            1};
}

int runFidelity(const QStringList &args, QTextStream &out, QTextStream &err)
{
    CommandLine cmd(fidelityCommand());
    int status = Success;
    if (!cmd.parse(args, out, err, &status))
        return status;
    const QString input = cmd.positional().at(0);
    const QString output = cmd.value(QStringLiteral("output"));
    if (output.isEmpty())
        return cmd.usageError(err, QStringLiteral("出力ファイル（-o）を指定して下さい"));

    FidelityOptions options;
    options.standardize = !cmd.isSet(QStringLiteral("no-standardize"));
    if (cmd.isSet(QStringLiteral("phi-min"))
        && !readFraction(cmd.value(QStringLiteral("phi-min")), 0.0, true, 1.0, &options.phiThreshold))
        return cmd.usageError(err, QStringLiteral("--phi-min は 0 から 1 までの数です: %1").arg(cmd.value(QStringLiteral("phi-min"))));
    if (cmd.isSet(QStringLiteral("alpha"))
        && !readFraction(cmd.value(QStringLiteral("alpha")), 0.0, false, 1.0, &options.alpha))
        return cmd.usageError(err, QStringLiteral("--alpha は 0 より大きく 1 以下の数です: %1").arg(cmd.value(QStringLiteral("alpha"))));

    TextEncoding encoding = TextEncoding::Cp932;
    if (!encodingOption(cmd, &encoding))
        return cmd.usageError(err, encodingOptionError());
    // The output must not replace the table read (through a link, say), nor anything that is no
    // regular file.
    QString outputError;
    if (!checkOutputFile(output, {input}, &outputError))
        return cmd.userError(err, outputError);

    TableModel model;
    HeaderItems items;
    QString title;
    TableFile table;
    if (!table.read(input, &model, &items, &title))
        return cmd.userError(err, table.errorString());
    int groupNameRow = -1;
    if (cmd.isSet(QStringLiteral("group-by"))) {
        const int item = TableGrouping::findItem(model, cmd.value(QStringLiteral("group-by")));
        if (item == 0 || !TableGrouping::regroup(model, item))
            return cmd.userError(err, TableGrouping::noSuchItemMessage(cmd.value(QStringLiteral("group-by"))));
        groupNameRow = TableGrouping::itemRow(model, item);
    }

    Feedback feedback;
    FidelityTable fidelity;
    if (!fidelity.compute(model, options, &feedback))
        return cmd.userError(err, Feedback::canceledMessage());
    FidelityCsvFile file;
    file.setEncoding(encoding);
    file.setGroupNameRow(groupNameRow);
    if (!file.write(fidelity, model, output, &feedback))
        return cmd.userError(err, file.errorString());
    return Success;
}

} // namespace Zelkor::Cli
