// zelkor-cli info: the header of a database and, on request, its relevés.
#include "platform/texthelpers.h"
#include "shell/cli/clicommands.h"
#include "shell/cli/commandline.h"

#include "database/databasebuilder.h"
#include "database/vegdatabase.h"
#include "table/covercode.h"
#include "table/headeritems.h"

#include <QDir>

namespace Zelkor::Cli {

namespace {

// The database code that gives a cover byte, as it is written in species lists.
QString codeText(quint8 v)
{
    if (v == 1)
        return QStringLiteral("+");
    if (v >= 2 && v <= 5)
        return QStringLiteral("+%1").arg(v);
    switch (v) {
    case 6:
        return QStringLiteral("r");
    case 7:
        return QStringLiteral("*");
    case 8:
        return QStringLiteral("e");
    case 9:
        return QStringLiteral("?");
    default:
        break;
    }
    if (v >= 10 && v <= 55)
        return v % 10 == 0 ? QString::number(v / 10) : QString::number(v);
    // Bytes outside the scale (two-digit numbers beyond 55, 63 for a code that is no number).
    return QStringLiteral("#%1").arg(v);
}

} // namespace

CommandSpec infoCommand()
{
    return {QStringLiteral("info"),
            QStringLiteral("DB.zki [--releves A-B]"),
            QStringLiteral("データベースの見出しを表示する: タイトル、レコード数、項目 1～30 の表組みと名称、K と D。\n"
                           "--releves を付けると、その範囲の測定の値のある項目、K、D、種と階層別の優占度も表示する。"),
            {{{QStringLiteral("releves")}, QStringLiteral("A-B"), QStringLiteral("表示する測定のレコード範囲")}},
            1,
            1};
}

int runInfo(const QStringList &args, QTextStream &out, QTextStream &err)
{
    CommandLine cmd(infoCommand());
    int status = Success;
    if (!cmd.parse(args, out, err, &status))
        return status;
    const QString dbName = cmd.positional().at(0);
    const QString range = cmd.value(QStringLiteral("releves"));
    int first = 0;
    int last = 0;
    if (cmd.isSet(QStringLiteral("releves")) && (!parseRange(range, &first, &last) || first > last))
        return cmd.usageError(err, QStringLiteral("範囲「%1」は A-B の形で指定して下さい").arg(range));

    VegDatabase db;
    if (!db.openDataFile(dbName)) {
        return cmd.userError(err, QStringLiteral("正しいデータファイルを指定して下さい（%1）").arg(db.errorString()));
    }

    // The header as the program takes it with "データ埋込項目を使う": from the default items.
    const DataHeader header = db.readDataHeader();
    HeaderItems items;
    QString title;
    int k = 5;
    int d = 2;
    applyDataHeader(header, dbName, &title, &items, &k, &d);

    QString state;
    if (!header.hasMark)
        state = QStringLiteral("なし");
    else if (!header.itemCountValid)
        state = QStringLiteral("項目数が 30 でないため使いません");
    else if (header.itemsRead < 29 || !header.scaleK || !header.scaleD)
        state = QStringLiteral("途中まで");
    else
        state = QStringLiteral("あり");

    out << "ファイル\t" << QDir::toNativeSeparators(dbName) << "\n";
    out << "見出し\t" << state << "\n";
    out << "タイトル\t" << title << "\n";
    out << "レコード数\t" << db.recordCount() << "\n";
    for (int n = 1; n <= HeaderItems::Count; ++n)
        out << "項目\t" << n << "\t" << (items[n].layout ? 1 : 0) << "\t" << items[n].label << "\n";
    out << "K\t" << k << "\n";
    out << "D\t" << d << "\n";

    if (cmd.isSet(QStringLiteral("releves"))) {
        const int end = qMin(last, db.recordCount());
        for (int r = first; r <= end; ++r) {
            out << "\n測定\t" << r;
            if (!db.readReleve(r)) {
                out << "\t読めません\n";
                continue;
            }
            out << "\n";
            for (int n = 2; n <= HeaderItems::Count; ++n) {
                const QString value = db.itemText(n);
                if (!value.isEmpty())
                    out << "項目\t" << n << "\t" << value << "\n";
            }
            out << "K\t" << db.dataScaleK() << "\n";
            out << "D\t" << db.dataScaleD() << "\n";
            const auto &set = db.plantSet();
            for (int i = 1; i <= db.plantCount(); ++i) {
                const TabSp &sp = set[std::size_t(i)];
                if (trimBlanks(sp.nam).isEmpty())
                    continue;
                out << "種\t" << i << "\t" << trimBlanks(sp.nam) << "\t";
                QStringList layers;
                for (int l = 0; l < 7; ++l)
                    if (sp.dby[std::size_t(l)])
                        layers << DatabaseBuilder::layerLabels().at(l) + QLatin1Char(':') + codeText(sp.dby[std::size_t(l)]);
                out << layers.join(QLatin1Char(' ')) << "\n";
            }
        }
    }
    db.closeDataFile();
    return Success;
}

} // namespace Zelkor::Cli
