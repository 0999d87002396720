// zelkor-cli extract: relevés of a database into a table file, as the retrieval panel does.
#include "database/extraction.h"
#include "database/tablefile.h"
#include "database/vegdatabase.h"
#include "platform/fileaccess.h"
#include "platform/scripteduserinterface.h"
#include "shell/cli/clicommands.h"
#include "shell/workspace.h"
#include "table/settings.h"

#include <QFileInfo>

namespace Zelkor::Cli {

namespace {

const char kUsage[] =
    "usage: zelkor-cli extract DB.zki -o OUT.vtb [--table IN.vtb] [--settings FILE.ini] [--dict FILE.dic]...\n"
    "         [--no-data-items] [--records A-B] [--mesh PREFIX] [--cond JOIN:MIN:NAME]... [--title TEXT]\n"
    "  JOIN = or | and | not (または / そして / なし), MIN = + | 1 | 2 | 3 | 4 | 5\n";

// "A-B" or "N" as an inclusive range of positive numbers.
bool parseRange(const QString &text, int *first, int *last)
{
    const QStringList parts = text.split(QLatin1Char('-'));
    if (parts.size() > 2)
        return false;
    bool ok1 = false;
    bool ok2 = false;
    *first = parts[0].trimmed().toInt(&ok1);
    *last = parts.size() == 2 ? parts[1].trimmed().toInt(&ok2) : *first;
    if (parts.size() == 1)
        ok2 = ok1;
    // A backwards range is refused, as info refuses it.
    return ok1 && ok2 && *first >= 1 && *last >= *first;
}

bool parseCondition(const QString &text, SpeciesCondition *cond)
{
    const int c1 = text.indexOf(QLatin1Char(':'));
    const int c2 = c1 < 0 ? -1 : text.indexOf(QLatin1Char(':'), c1 + 1);
    if (c2 < 0)
        return false;
    const QString join = text.left(c1).trimmed();
    const QString min = text.mid(c1 + 1, c2 - c1 - 1).trimmed();
    cond->name = text.mid(c2 + 1);
    if (join == QLatin1String("or") || join == QStringLiteral("または"))
        cond->join = ConditionJoin::Or;
    else if (join == QLatin1String("and") || join == QStringLiteral("そして"))
        cond->join = ConditionJoin::And;
    else if (join == QLatin1String("not") || join == QStringLiteral("なし"))
        cond->join = ConditionJoin::Not;
    else
        return false;
    static const QStringList levels = {QStringLiteral("+"), QStringLiteral("1"), QStringLiteral("2"),
                                       QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5")};
    cond->level = int(levels.indexOf(min));
    return cond->level >= 0;
}

} // namespace

int runExtract(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const QString prefix = QStringLiteral("zelkor-cli extract: ");
    QString database, output, table, settingsFile, mesh, title, records;
    bool titleGiven = false;
    bool useDataItems = true;
    QStringList dictionaries;
    std::vector<SpeciesCondition> conditions;

    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        auto value = [&](QString *target) {
            if (i + 1 >= args.size())
                return false;
            *target = args[++i];
            return true;
        };
        bool ok = true;
        if (arg == QLatin1String("-o") || arg == QLatin1String("--output")) {
            ok = value(&output);
        } else if (arg == QLatin1String("--table")) {
            ok = value(&table);
        } else if (arg == QLatin1String("--settings")) {
            ok = value(&settingsFile);
        } else if (arg == QLatin1String("--dict")) {
            QString d;
            ok = value(&d);
            dictionaries << d;
        } else if (arg == QLatin1String("--no-data-items")) {
            useDataItems = false;
        } else if (arg == QLatin1String("--records")) {
            ok = value(&records);
        } else if (arg == QLatin1String("--mesh")) {
            ok = value(&mesh);
        } else if (arg == QLatin1String("--title")) {
            ok = value(&title);
            titleGiven = true;
        } else if (arg == QLatin1String("--cond")) {
            QString c;
            SpeciesCondition cond;
            ok = value(&c);
            if (ok && !parseCondition(c, &cond)) {
                err << prefix << "条件の形が正しくありません（JOIN:MIN:NAME）: " << c << "\n" << kUsage;
                return BadUsage;
            }
            conditions.push_back(cond);
        } else if (arg.startsWith(QLatin1String("-")) && arg.size() > 1) {
            err << prefix << "不明なオプションです: " << arg << "\n" << kUsage;
            return BadUsage;
        } else if (database.isEmpty()) {
            database = arg;
        } else {
            err << prefix << "余分な引数です: " << arg << "\n" << kUsage;
            return BadUsage;
        }
        if (!ok) {
            err << prefix << arg << " には値が必要です\n" << kUsage;
            return BadUsage;
        }
    }
    if (database.isEmpty() || output.isEmpty()) {
        err << kUsage;
        return BadUsage;
    }
    if (conditions.size() > 5) {
        err << prefix << "種の条件は 5 つまでです\n";
        return BadUsage;
    }
    int first = 1;
    int last = -1;
    if (!records.isEmpty() && !parseRange(records, &first, &last)) {
        err << prefix << "レコード範囲が正しくありません: " << records << "\n";
        return BadUsage;
    }

    // The table must not replace a file the command reads, nor anything that is no regular file.
    {
        QStringList inputs{VegDatabase::changeExtension(database, QStringLiteral(".zki")),
                           VegDatabase::changeExtension(database, QStringLiteral(".zkd")), table, settingsFile};
        inputs << dictionaries;
        QString error;
        if (!checkOutputFile(output, inputs, &error)) {
            err << prefix << error << "\n";
            return UserError;
        }
    }

    ScriptedUserInterface ui;
    // The title dialog answers with its start value unless a title is given.
    ui.setDefaultYes(true);
    Workspace ws(&ui);
    auto failed = [&](int shownBefore) {
        const QStringList shown = ui.messages();
        if (shown.size() <= shownBefore)
            return false;
        for (int k = shownBefore; k < shown.size(); ++k)
            err << prefix << shown[k] << "\n";
        return true;
    };

    if (!settingsFile.isEmpty()) {
        QString error;
        if (!QFileInfo(settingsFile).isFile()) {
            err << prefix << "設定ファイルがありません: " << settingsFile << "\n";
            return UserError;
        }
        if (!readIniFile(settingsFile, &ws.settings(), &ws.items(), &error)) {
            err << prefix << error << "\n";
            return UserError;
        }
    }
    ws.settings().useDataItem = useDataItems;
    ws.clearTable();
    if (!table.isEmpty()) {
        const int before = int(ui.messages().size());
        if (!ws.loadTable(table)) {
            failed(before);
            return UserError;
        }
    }
    for (const QString &dic : dictionaries) {
        const int before = int(ui.messages().size());
        if (!ws.setDictionary(dic)) {
            if (!failed(before))
                err << prefix << "異名辞書を読めません: " << dic << "\n";
            return UserError;
        }
        failed(before); // skipped lines are reported, the dictionary stays
    }

    int before = int(ui.messages().size());
    ws.setDataFile(database);
    if (failed(before)) {
        if (!ws.database().errorString().isEmpty())
            err << prefix << ws.database().errorString() << "\n";
        return UserError;
    }

    RetrievalQuery query;
    query.firstRecord = first;
    query.lastRecord = last < 0 ? ws.recordCount() : last;
    query.meshPrefix = mesh;
    std::copy(conditions.begin(), conditions.end(), query.conditions.begin());
    before = int(ui.messages().size());
    if (!ws.btnRetrNewClick(query, true)) {
        failed(before);
        return UserError;
    }
    const int fitCount = ws.extraction().fitCount();
    if (ws.extraction().unreadableCount() > 0)
        err << prefix << "範囲のレコードのうち " << ws.extraction().unreadableCount()
            << " 件は読めないため対象外としました\n";

    if (titleGiven)
        ui.answerText(title);
    before = int(ui.messages().size());
    const int inserted = ws.btnToTableClick();
    // What was left out or mended is told; only a database that cannot be opened fails.
    failed(before);
    if (inserted < 0)
        return UserError;

    TableFile file;
    if (!file.write(ws.model(), ws.tableTitle(), output)) {
        err << prefix << file.errorString() << "\n";
        return UserError;
    }
    out << "抽出数＝" << fitCount << "\n";
    return Success;
}

} // namespace Zelkor::Cli
