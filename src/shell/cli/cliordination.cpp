// zelkor-cli ordination: correspondence analysis or detrended correspondence analysis of a table
// file, its eigenvalues, the scores as CSV and the diagram as an image.
#include "analysis/ordinationcommand.h"
#include "analysis/plot/ordinationplot.h"
#include "platform/feedback.h"
#include "platform/fileaccess.h"
#include "platform/safesavefile.h"
#include "shell/cli/clicommands.h"
#include "shell/cli/commandline.h"
#include "table/headeritems.h"
#include "table/tablefile.h"
#include "table/tablemodel.h"

#include <QFont>
#include <QGuiApplication>
#include <QLocale>

#include <cmath>

namespace Zelkor::Cli {

namespace {

// The size of a diagram written as PNG or SVG, in pixels.
const QSize kPlotSize(1200, 900);

// v with 7 significant digits, trailing zeros kept ("0.4067240").
QString sevenDigits(double v)
{
    if (!(v != 0.0) || !std::isfinite(v))
        return QString::number(v + 0.0, 'g', 7);
    int decimals = 6 - int(std::floor(std::log10(std::fabs(v))));
    QString text = QString::number(v, 'f', std::max(decimals, 0));
    // Rounding up to the next power of ten adds a digit.
    if (decimals > 0 && std::fabs(text.toDouble()) >= std::pow(10.0, 7 - decimals))
        text = QString::number(v, 'f', --decimals);
    return text;
}

} // namespace

CommandSpec ordinationCommand()
{
    return {QStringLiteral("ordination"),
            QStringLiteral("IN.vtb --method ca|dca [--axes K] [--conversion N|presence] [--scaling 1|2] [--downweight]\n"
                           "        [--scores OUT.csv] [--plot OUT.svg|OUT.png|OUT.pdf] [--color-by ITEM] [--axes-shown A,B]\n"
                           "        [--species]"),
            QStringLiteral("表の対応分析（CA）または除歪対応分析（DCA）を行い、軸ごとに軸名と固有値（有効数字 7 桁。\n"
                           "DCA では続けて軸の長さ）を一行ずつ示す。値のない測定列・植物行（群の区切りの空列、\n"
                           "コメント行など）は除かれる。スコアを CSV に（kind,label,CA1,… の見出しと測定・植物ごとの行）、\n"
                           "序列図を画像に書き出せる。CA のスコアは vegan の cca() の尺度 1 または 2（既定）。\n"
                           "各軸は最初の測定のスコアが正になる向きに揃える。"),
            {{{QStringLiteral("method")}, QStringLiteral("ca|dca"), QStringLiteral("ca: 対応分析、dca: 除歪対応分析")},
             {{QStringLiteral("axes")}, QStringLiteral("K"), QStringLiteral("求める軸の数（既定 4。DCA は 1～4）")},
             {{QStringLiteral("conversion")}, QStringLiteral("N|presence"),
              QStringLiteral("被度の数値化の方法 0～6（既定 1: 級値・相対）。presence は 6（在・不在）")},
             {{QStringLiteral("scaling")}, QStringLiteral("1|2"),
              QStringLiteral("CA のスコアの尺度。1: 測定を固有値で伸縮、2: 植物を伸縮（既定）")},
             {{QStringLiteral("downweight")}, {}, QStringLiteral("DCA で稀な種の重みを下げる")},
             {{QStringLiteral("scores")}, QStringLiteral("OUT.csv"), QStringLiteral("スコアを書き出す CSV ファイル")},
             {{QStringLiteral("plot")}, QStringLiteral("OUT"), QStringLiteral("序列図を書き出す画像（拡張子 .svg、.png、.pdf）")},
             {{QStringLiteral("color-by")}, QStringLiteral("ITEM"),
              QStringLiteral("測定の色分け: 見出し項目の番号か名前（既定: 空列で区切られた群）")},
             {{QStringLiteral("axes-shown")}, QStringLiteral("A,B"), QStringLiteral("序列図の横軸と縦軸（既定 1,2）")},
             {{QStringLiteral("species")}, {}, QStringLiteral("序列図に植物名を示す")},
             encodingOptionSpec()},
            1,
            1};
}

int runOrdination(const QStringList &args, QTextStream &out, QTextStream &err)
{
    CommandLine cmd(ordinationCommand());
    int status = Success;
    if (!cmd.parse(args, out, err, &status))
        return status;

    OrdinationOptions options;
    const QString method = cmd.value(QStringLiteral("method")).toLower();
    if (method == QLatin1String("ca"))
        options.method = OrdinationMethod::Correspondence;
    else if (method == QLatin1String("dca"))
        options.method = OrdinationMethod::Detrended;
    else if (method.isEmpty())
        return cmd.usageError(err, QStringLiteral("--method に ca か dca を指定して下さい"));
    else
        return cmd.usageError(err, QStringLiteral("--method は ca か dca です: %1").arg(cmd.value(QStringLiteral("method"))));
    const bool detrended = options.method == OrdinationMethod::Detrended;
    if (cmd.isSet(QStringLiteral("axes"))) {
        bool ok = false;
        options.axes = cmd.value(QStringLiteral("axes")).toInt(&ok);
        const int most = detrended ? 4 : 100;
        if (!ok || options.axes < 1 || options.axes > most)
            return cmd.usageError(err, QStringLiteral("--axes は 1～%1 の数です: %2").arg(most).arg(cmd.value(QStringLiteral("axes"))));
    }
    int conversion = 1;
    if (cmd.isSet(QStringLiteral("conversion"))) {
        const QString text = cmd.value(QStringLiteral("conversion"));
        bool ok = false;
        conversion = text == QLatin1String("presence") ? 6 : text.toInt(&ok);
        if (text != QLatin1String("presence") && (!ok || conversion < 0 || conversion > 6))
            return cmd.usageError(err, QStringLiteral("--conversion は 0～6 か presence です: %1").arg(text));
    }
    if (cmd.isSet(QStringLiteral("scaling"))) {
        if (detrended)
            return cmd.usageError(err, QStringLiteral("--scaling は --method ca にだけ使えます"));
        const QString text = cmd.value(QStringLiteral("scaling"));
        if (text != QLatin1String("1") && text != QLatin1String("2"))
            return cmd.usageError(err, QStringLiteral("--scaling は 1 か 2 です: %1").arg(text));
        options.scaling = text.toInt();
    }
    if (cmd.isSet(QStringLiteral("downweight"))) {
        if (!detrended)
            return cmd.usageError(err, QStringLiteral("--downweight は --method dca にだけ使えます"));
        options.downweight = true;
    }
    int shownX = 0;
    int shownY = 1;
    if (cmd.isSet(QStringLiteral("axes-shown"))) {
        const QStringList parts = cmd.value(QStringLiteral("axes-shown")).split(QLatin1Char(','));
        bool okX = false;
        bool okY = false;
        if (parts.size() == 2) {
            shownX = parts[0].trimmed().toInt(&okX) - 1;
            shownY = parts[1].trimmed().toInt(&okY) - 1;
        }
        if (!okX || !okY || shownX < 0 || shownY < 0 || shownX == shownY)
            return cmd.usageError(err, QStringLiteral("--axes-shown は異なる二つの軸番号です（例 1,2）: %1")
                                           .arg(cmd.value(QStringLiteral("axes-shown"))));
    }
    TextEncoding encoding = TextEncoding::Cp932;
    if (!encodingOption(cmd, &encoding))
        return cmd.usageError(err, encodingOptionError());
    const QString scoresFile = cmd.value(QStringLiteral("scores"));
    const QString plotFile = cmd.value(QStringLiteral("plot"));
    if (cmd.isSet(QStringLiteral("scores")) && scoresFile.isEmpty())
        return cmd.usageError(err, QStringLiteral("--scores の書き出し先を指定して下さい"));
    if (cmd.isSet(QStringLiteral("plot")) && plotFile.isEmpty())
        return cmd.usageError(err, QStringLiteral("--plot の書き出し先を指定して下さい"));
    const OrdinationPlot::Format format = OrdinationPlot::formatOf(plotFile);
    if (!plotFile.isEmpty() && format == OrdinationPlot::Format::Unknown)
        return cmd.usageError(err, QStringLiteral("--plot の拡張子は .svg、.png か .pdf にして下さい: %1").arg(plotFile));
    if (!plotFile.isEmpty() && !qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return cmd.userError(err, QStringLiteral("序列図を描くには画面の描画系が要ります"));
    if (!scoresFile.isEmpty() && !plotFile.isEmpty() && sameFile(scoresFile, plotFile))
        return cmd.usageError(err, QStringLiteral("--scores と --plot に同じファイルは指定できません"));

    // Neither output may replace the table read, nor anything that is no regular file.
    const QString input = cmd.positional().at(0);
    QString outputError;
    for (const QString &file : {scoresFile, plotFile}) {
        if (!file.isEmpty() && !checkOutputFile(file, {input}, &outputError))
            return cmd.userError(err, outputError);
    }

    TableModel model;
    HeaderItems items;
    QString title;
    TableFile table;
    if (!table.read(input, &model, &items, &title))
        return cmd.userError(err, table.errorString());

    bool canceled = false;
    const OrdinationData data = OrdinationCommand::compute(model, conversion, options, nullptr, &canceled);
    if (canceled)
        return cmd.userError(err, Feedback::canceledMessage());
    const OrdinationResult &result = data.result;
    if (result.axisCount() == 0)
        return cmd.userError(err, OrdinationCommand::nothingToOrdinateMessage().replace(QLatin1Char('\n'), QString()));

    int item = -1;
    if (cmd.isSet(QStringLiteral("color-by"))) {
        const QString wanted = cmd.value(QStringLiteral("color-by"));
        if (wanted != QLatin1String("group") && wanted != QStringLiteral("群")) {
            item = data.findItem(wanted);
            if (item < 0)
                return cmd.userError(err, QStringLiteral("表に見出し項目がありません: %1").arg(wanted));
        }
    }
    if (!plotFile.isEmpty() && (shownX >= result.axisCount() || shownY >= result.axisCount()))
        return cmd.userError(err, QStringLiteral("--axes-shown の軸がありません（軸は %1 本です）").arg(result.axisCount()));

    for (int k = 0; k < result.axisCount(); ++k) {
        QString line = result.axisName(k) + QLatin1Char(' ') + sevenDigits(result.eigenvalues[std::size_t(k)]);
        if (std::size_t(k) < result.axisLengths.size())
            line += QLatin1Char(' ') + sevenDigits(result.axisLengths[std::size_t(k)]);
        out << line << Qt::endl;
    }
    if (!result.converged)
        err << cmd.prefix() << QStringLiteral("固有値の計算が許容誤差に届きませんでした（最後の近似値を示します）") << Qt::endl;

    // The scores and the diagram are replaced together, or neither is.
    SafeSaveGroup together;
    if (!scoresFile.isEmpty()) {
        QString error;
        Feedback feedback;
        if (!data.writeScores(scoresFile, &error, &feedback, encoding))
            return cmd.userError(err, error);
    }
    if (!plotFile.isEmpty()) {
        OrdinationPlot plot(&data);
        plot.setAxes(shownX, shownY);
        plot.setColouring(item >= 0 ? OrdinationColouring::byItem(data, item) : OrdinationColouring::byGroup(data));
        plot.setShowSpecies(cmd.isSet(QStringLiteral("species")));
        QFont font = QGuiApplication::font();
        font.setPointSizeF(11.0);
        plot.setFont(font);
        QString error;
        if (!plot.write(plotFile, format, kPlotSize, &error))
            return cmd.userError(err, error);
    }
    QString error;
    if (!together.commit(&error))
        return cmd.userError(err, error);
    return Success;
}

} // namespace Zelkor::Cli
