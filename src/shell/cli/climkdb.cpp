// zelkor-cli mkdb: builds a database pair from site and species CSV files.
#include "shell/cli/clicommands.h"
#include "shell/cli/climkdbwide.h"
#include "shell/cli/commandline.h"

#include "database/databasebuilder.h"
#include "platform/fileaccess.h"

#include <QDir>

namespace Zelkor::Cli {

namespace {

bool digitOption(const QString &value, int *digit)
{
    if (value.size() != 1 || value.at(0) < QLatin1Char('0') || value.at(0) > QLatin1Char('9'))
        return false;
    *digit = value.at(0).unicode() - u'0';
    return true;
}

} // namespace

CommandSpec mkdbCommand()
{
    return {QStringLiteral("mkdb"),
            QStringLiteral("SITES.csv SPECIES.csv -o DB.zki [--title TEXT] [--header-items ITEMS.csv] [--k DIGIT] [--d DIGIT]"),
            QStringLiteral("サイトと種の CSV ファイルからデータベース（DB.zki と DB.zkd）を作る。\n"
                           "SITES.csv   （UTF-8 またはシフトJIS）見出し行に列の名前: 最初に測定の ID、続いて\n"
                           "            見出し項目 2～30（番号または名称）、必要なら K と D。1 行に 1 測定。\n"
                           "SPECIES.csv 見出し行、続いて各行に 測定 ID、種名、階層（T1 T2 S1 S2 H1 H2 M）、\n"
                           "            優占度（r + +1～+5 1～5 10～55 * ( e ?）。\n"
                           "ITEMS.csv   見出し行、続いて各行に 項目番号 1～30、表組み 1/0、名称。\n"
                           "入力のどれかが受け付けられないときは何も書き出さない。\n"
                           "--wide TABLE.csv: 表計算の表（import と同じ形）から作る。測定の列がレコード、\n"
                           "            見出しの行が見出し項目になる（SITES.csv と SPECIES.csv は指定しない）。"),
            {{{QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("DB.zki"), QStringLiteral("作るデータベースの .zki ファイル")},
             {{QStringLiteral("title")}, QStringLiteral("TEXT"), QStringLiteral("データベースのタイトル")},
             {{QStringLiteral("header-items")}, QStringLiteral("ITEMS.csv"), QStringLiteral("見出し項目の表組みと名称")},
             {{QStringLiteral("k")}, QStringLiteral("DIGIT"), QStringLiteral("K の値（0～9、既定 5）")},
             {{QStringLiteral("d")}, QStringLiteral("DIGIT"), QStringLiteral("D の値（0～9、既定 2）")},
             {{QStringLiteral("wide")}, QStringLiteral("TABLE.csv"), QStringLiteral("表計算の表から作る")},
             {{QStringLiteral("scale")}, QStringLiteral("codes|percent"), QStringLiteral("--wide の升目の読み方（既定 codes）")},
             {{QStringLiteral("settings")}, QStringLiteral("FILE.ini"), QStringLiteral("--wide の見出し項目の名称と階層名")}},
            0,
            2};
}

int runMkdb(const QStringList &args, QTextStream &out, QTextStream &err)
{
    CommandLine cmd(mkdbCommand());
    int status = Success;
    if (!cmd.parse(args, out, err, &status))
        return status;
    const QStringList positional = cmd.positional();
    if (cmd.isSet(QStringLiteral("wide")) != positional.isEmpty() || (!positional.isEmpty() && positional.size() != 2))
        return cmd.usageError(err, QStringLiteral("SITES.csv と SPECIES.csv か、--wide TABLE.csv のどちらかを指定して下さい"));
    const QString output = cmd.value(QStringLiteral("output"));
    const QString title = cmd.value(QStringLiteral("title"));
    const QString headerItems = cmd.value(QStringLiteral("header-items"));
    const QString kText = cmd.value(QStringLiteral("k"));
    const QString dText = cmd.value(QStringLiteral("d"));
    const bool hasTitle = cmd.isSet(QStringLiteral("title"));
    if (output.isEmpty())
        return cmd.usageError(err, QStringLiteral("出力ファイル（-o）を指定して下さい"));
    if (!output.endsWith(QLatin1String(".zki"), Qt::CaseInsensitive))
        return cmd.usageError(err, QStringLiteral("出力ファイルの拡張子は .zki にして下さい: %1").arg(output));
    if (cmd.isSet(QStringLiteral("wide")))
        return runMkdbWide(cmd, out, err);
    int k = 5;
    int d = 2;
    if ((!kText.isEmpty() && !digitOption(kText, &k)) || (!dText.isEmpty() && !digitOption(dText, &d)))
        return cmd.usageError(err, QStringLiteral("--k と --d は 0～9 の数字 1 桁で指定して下さい"));

    // Neither file of the pair may replace an input, nor anything that is no regular file.
    {
        const QString zkdName = output.left(output.size() - 4)
                                + (output.endsWith(QLatin1String(".ZKI")) ? QStringLiteral(".ZKD") : QStringLiteral(".zkd"));
        const QStringList inputs{positional.at(0), positional.at(1), headerItems};
        QString error;
        if (!checkOutputFiles({output, zkdName}, inputs, &error)) {
            err << cmd.prefix() << error << "\n";
            return UserError;
        }
    }

    DatabaseBuilder builder;
    builder.setScales(k, d);
    if (hasTitle)
        builder.setTitle(title);
    const bool ok = (headerItems.isEmpty() || builder.readHeaderItemsCsv(headerItems))
                    && builder.readSitesCsv(positional.at(0)) && builder.readSpeciesCsv(positional.at(1))
                    && builder.write(output);
    for (const QString &w : builder.warnings())
        err << cmd.prefix() << "警告: " << w << "\n";
    if (!ok)
        return cmd.userError(err, builder.errorString());
    const QString zkd = output.left(output.size() - 4)
                        + (output.endsWith(QLatin1String(".ZKI")) ? QStringLiteral(".ZKD") : QStringLiteral(".zkd"));
    out << QDir::toNativeSeparators(output) << " と " << QDir::toNativeSeparators(zkd) << " を書き出しました（測定 "
        << builder.siteCount() << " 件、種 " << builder.speciesEntryCount() << " 件）\n";
    return Success;
}

} // namespace Zelkor::Cli
