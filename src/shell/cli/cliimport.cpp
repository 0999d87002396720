// zelkor-cli import: a table from a spreadsheet's CSV or a Cornell condensed file, saved as a
// table file.
#include "database/coverscale.h"
#include "database/tableimport.h"
#include "platform/feedback.h"
#include "platform/fileaccess.h"
#include "shell/cli/clicommands.h"
#include "shell/cli/commandline.h"
#include "table/headeritems.h"
#include "table/settings.h"
#include "table/tablefile.h"
#include "table/tablemodel.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace Zelkor::Cli {

CommandSpec importCommand()
{
    return {QStringLiteral("import"),
            QStringLiteral("IN.csv|IN.cep -o OUT.vtb [--settings FILE.ini] [--title TEXT] [--scale SCALE]"),
            QStringLiteral("表計算の表（CSV）か Cornell 形式のファイルを読み、組成表ファイルに書き出す。\n"
                           "CSV: 1 行目に標題、見出し項目の行（A 列に項目名）、種の行（A 列に種名、B 列に階層、\n"
                           "     C 列から測定ごとの優占度）。文字コード（UTF-8／シフトJIS）と区切り（, ; タブ）は自動。\n"
                           "Cornell 形式（.cep .cc .dat）: 種は草本層 H1 に、測定の名前は識別記号に入る。\n"
                           "SCALE = codes（優占度の記号、CSV の既定）| percent（百分率、Cornell 形式の既定）|\n"
                           "        ordinal（van der Maarel の 1～9）| classes（被度階級 1～5）| presence（在・不在）\n"
                           "誤りがあれば行と列を示し、何も書き出さない。"),
            {{{QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("OUT.vtb"), QStringLiteral("書き出す組成表ファイル")},
             {{QStringLiteral("settings")}, QStringLiteral("FILE.ini"), QStringLiteral("見出し項目の名称・表組みと階層名（既定: 設定ファイルがないときの値）")},
             {{QStringLiteral("title")}, QStringLiteral("TEXT"), QStringLiteral("表の標題（既定: ファイルの標題、なければファイル名）")},
             {{QStringLiteral("scale")}, QStringLiteral("SCALE"), QStringLiteral("値の読み方")}},
            1,
            1};
}

int runImport(const QStringList &args, QTextStream &out, QTextStream &err)
{
    CommandLine cmd(importCommand());
    int status = Success;
    if (!cmd.parse(args, out, err, &status))
        return status;
    const QString input = cmd.positional().at(0);
    const QString output = cmd.value(QStringLiteral("output"));
    if (output.isEmpty())
        return cmd.usageError(err, QStringLiteral("出力ファイル（-o）を指定して下さい"));
    const bool cornell = TableImport::isCornell(input);
    CoverScale scale = cornell ? CoverScale::Percent : CoverScale::Codes;
    if (cmd.isSet(QStringLiteral("scale")) && !coverScaleFromName(cmd.value(QStringLiteral("scale")), &scale))
        return cmd.usageError(err, QStringLiteral("--scale は codes、percent、ordinal、classes、presence のどれかです: %1")
                                       .arg(cmd.value(QStringLiteral("scale"))));
    const std::vector<CoverScale> scales = TableImport::scalesFor(input);
    if (std::find(scales.begin(), scales.end(), scale) == scales.end())
        return cmd.usageError(err, QStringLiteral("Cornell 形式の値は数です: --scale は percent、ordinal、classes、presence のどれかにして下さい"));

    const QString settingsFile = cmd.value(QStringLiteral("settings"));
    QString outputError;
    if (!checkOutputFile(output, {input, settingsFile}, &outputError))
        return cmd.userError(err, outputError);
    Settings settings;
    HeaderItems items;
    if (!settingsFile.isEmpty()) {
        if (const QString problem = settingsFileProblem(settingsFile); !problem.isEmpty())
            return cmd.userError(err, problem);
        QString error;
        if (!readIniFile(settingsFile, &settings, &items, &error))
            return cmd.userError(err, error);
    }

    TableModel model;
    model.setTableFont(settings.tableFont);
    QString title;
    TableImport import;
    Feedback feedback;
    if (!import.readTable(input, scale, &model, &items, settings.layerNames, &title, &feedback))
        return cmd.userError(err, import.errorString());
    if (cmd.isSet(QStringLiteral("title")))
        title = cmd.value(QStringLiteral("title"));
    TableFile file;
    if (!file.write(model, title, output))
        return cmd.userError(err, file.errorString());
    out << QDir::toNativeSeparators(output) << " を書き出しました（測定 " << model.relevesWithSpecies() << "、種 "
        << model.speciesWithEntries();
    if (!import.description().isEmpty())
        out << "、" << import.description();
    out << "）\n";
    return Success;
}

} // namespace Zelkor::Cli
