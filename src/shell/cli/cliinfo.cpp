// zelkor-cli info: the header of a database and, on request, its relevés.
#include "shell/cli/clicommands.h"

#include "database/covercode.h"
#include "database/databasebuilder.h"
#include "database/vegdatabase.h"
#include "table/headeritems.h"

#include <QDir>

namespace Zelkor::Cli {

namespace {

const char kInfoUsage[] = "usage: zelkor-cli info DB.zki [--releves A-B]\n"
                          "  Prints the database header: title, record count, the layout flag and caption\n"
                          "  of items 1..30, K and D. --releves also prints those relevés: their header\n"
                          "  items that have a value, K, D and the species with their layer codes.\n";

// "A-B" or "N" (1-based, inclusive).
bool parseRange(const QString &text, int *first, int *last)
{
    const qsizetype dash = text.indexOf(QLatin1Char('-'));
    bool ok1 = false;
    bool ok2 = false;
    if (dash < 0) {
        *first = *last = text.toInt(&ok1);
        ok2 = true;
    } else {
        *first = text.left(dash).toInt(&ok1);
        *last = text.mid(dash + 1).toInt(&ok2);
    }
    return ok1 && ok2 && *first >= 1 && *last >= *first;
}

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

int runInfo(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QString dbName;
    QString range;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            out << kInfoUsage;
            return Success;
        }
        if (a == QLatin1String("--releves") && i + 1 < args.size()) {
            range = args.at(++i);
        } else if (a.startsWith(QLatin1String("--releves="))) {
            range = a.mid(10);
        } else if (a.startsWith(QLatin1String("-")) && a.size() > 1) {
            err << "zelkor-cli info: 不明なオプションです: " << a << "\n" << kInfoUsage;
            return BadUsage;
        } else if (dbName.isEmpty()) {
            dbName = a;
        } else {
            err << "zelkor-cli info: 引数が多すぎます: " << a << "\n" << kInfoUsage;
            return BadUsage;
        }
    }
    if (dbName.isEmpty()) {
        err << kInfoUsage;
        return BadUsage;
    }
    int first = 0;
    int last = 0;
    if (!range.isEmpty() && !parseRange(range, &first, &last)) {
        err << "zelkor-cli info: 範囲「" << range << "」は A-B の形で指定して下さい\n" << kInfoUsage;
        return BadUsage;
    }

    VegDatabase db;
    if (!db.openDataFile(dbName)) {
        err << "zelkor-cli info: 正しいデータファイルを指定して下さい（" << db.errorString() << "）\n";
        return UserError;
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

    if (!range.isEmpty()) {
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
