// zelkor-cli mkdb: builds a database pair from site and species CSV files.
#include "shell/cli/clicommands.h"

#include "database/databasebuilder.h"
#include "platform/fileaccess.h"

#include <QDir>

namespace Zelkor::Cli {

namespace {

const char kMkdbUsage[] =
    "usage: zelkor-cli mkdb SITES.csv SPECIES.csv -o DB.zki [--title TEXT] [--header-items ITEMS.csv]\n"
    "                       [--k DIGIT] [--d DIGIT]\n"
    "  SITES.csv   (UTF-8 or Shift-JIS) a header line naming the columns: the relevé id first, then\n"
    "              header items by number 2..30 (or caption), optionally K and D; one row per relevé.\n"
    "  SPECIES.csv a header line, then rows: relevé id, species name, layer (T1 T2 S1 S2 H1 H2 M),\n"
    "              code (r + +1..+5 1..5 10..55 * ( e ?).\n"
    "  ITEMS.csv   a header line, then rows: item number 1..30, layout flag 1/0, caption.\n"
    "  Writes DB.zki and DB.zkd; nothing is written when an input is refused.\n";

bool digitOption(const QString &value, int *digit)
{
    if (value.size() != 1 || value.at(0) < QLatin1Char('0') || value.at(0) > QLatin1Char('9'))
        return false;
    *digit = value.at(0).unicode() - u'0';
    return true;
}

} // namespace

int runMkdb(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QStringList positional;
    QString output;
    QString title;
    QString headerItems;
    QString kText;
    QString dText;
    bool hasTitle = false;

    for (qsizetype i = 0; i < args.size(); ++i) {
        QString a = args.at(i);
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            out << kMkdbUsage;
            return Success;
        }
        if (!a.startsWith(QLatin1Char('-')) || a == QLatin1String("-")) {
            positional << a;
            continue;
        }
        QString value;
        bool hasValue = false;
        const qsizetype eq = a.indexOf(QLatin1Char('='));
        if (a.startsWith(QLatin1String("--")) && eq > 0) {
            value = a.mid(eq + 1);
            a = a.left(eq);
            hasValue = true;
        }
        static const QStringList known{QStringLiteral("-o"), QStringLiteral("--output"), QStringLiteral("--title"),
                                       QStringLiteral("--header-items"), QStringLiteral("--k"), QStringLiteral("--d")};
        if (!known.contains(a)) {
            err << "zelkor-cli mkdb: 不明なオプションです: " << a << "\n" << kMkdbUsage;
            return BadUsage;
        }
        if (!hasValue) {
            if (i + 1 >= args.size()) {
                err << "zelkor-cli mkdb: " << a << " に値がありません\n" << kMkdbUsage;
                return BadUsage;
            }
            value = args.at(++i);
        }
        if (a == QLatin1String("-o") || a == QLatin1String("--output"))
            output = value;
        else if (a == QLatin1String("--title")) {
            title = value;
            hasTitle = true;
        } else if (a == QLatin1String("--header-items"))
            headerItems = value;
        else if (a == QLatin1String("--k"))
            kText = value;
        else
            dText = value;
    }
    if (positional.size() != 2 || output.isEmpty()) {
        err << kMkdbUsage;
        return BadUsage;
    }
    if (!output.endsWith(QLatin1String(".zki"), Qt::CaseInsensitive)) {
        err << "zelkor-cli mkdb: 出力ファイルの拡張子は .zki にして下さい: " << output << "\n";
        return BadUsage;
    }
    int k = 5;
    int d = 2;
    if ((!kText.isEmpty() && !digitOption(kText, &k)) || (!dText.isEmpty() && !digitOption(dText, &d))) {
        err << "zelkor-cli mkdb: --k と --d は 0～9 の数字 1 桁で指定して下さい\n";
        return BadUsage;
    }

    // Neither file of the pair may replace an input, nor anything that is no regular file.
    {
        const QString zkdName = output.left(output.size() - 4)
                                + (output.endsWith(QLatin1String(".ZKI")) ? QStringLiteral(".ZKD") : QStringLiteral(".zkd"));
        const QStringList inputs{positional.at(0), positional.at(1), headerItems};
        QString error;
        if (!checkOutputFile(output, inputs, &error) || !checkOutputFile(zkdName, inputs, &error)) {
            err << "zelkor-cli mkdb: " << error << "\n";
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
        err << "zelkor-cli mkdb: 警告: " << w << "\n";
    if (!ok) {
        err << "zelkor-cli mkdb: " << builder.errorString() << "\n";
        return UserError;
    }
    const QString zkd = output.left(output.size() - 4)
                        + (output.endsWith(QLatin1String(".ZKI")) ? QStringLiteral(".ZKD") : QStringLiteral(".zkd"));
    out << QDir::toNativeSeparators(output) << " と " << QDir::toNativeSeparators(zkd) << " を書き出しました（測定 "
        << builder.siteCount() << " 件、種 " << builder.speciesEntryCount() << " 件）\n";
    return Success;
}

} // namespace Zelkor::Cli
