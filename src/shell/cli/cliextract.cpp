// zelkor-cli extract: relevés of a database into a table file, as the retrieval panel does.
#include "database/databasesession.h"
#include "database/extractioncommand.h"
#include "database/vegdatabase.h"
#include "platform/fileaccess.h"
#include "platform/scripteduserinterface.h"
#include "shell/cli/clicommands.h"
#include "shell/cli/commandline.h"
#include "table/settings.h"
#include "table/tabledocument.h"
#include "table/tablefile.h"
#include "table/tablefilecommand.h"

#include <QFileInfo>

namespace Zelkor::Cli {

namespace {

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

CommandSpec extractCommand()
{
    return {QStringLiteral("extract"),
            QStringLiteral("DB.zki -o OUT.vtb [オプション]"),
            QStringLiteral("データベースから条件に合う測定を抽出して表ファイルに書き出す。抽出数を\n"
                           "「抽出数＝N」と表示する。"),
            {{{QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("OUT.vtb"), QStringLiteral("書き出す表ファイル")},
             {{QStringLiteral("table")}, QStringLiteral("IN.vtb"), QStringLiteral("この表から始める（新しい測定は後ろに加わる）")},
             {{QStringLiteral("skip-present")}, {},
              QStringLiteral("表に既にある測定（同じデータベースの同じレコード）は加えない\n"
                             "（既定はすべて加える）")},
             {{QStringLiteral("settings")}, QStringLiteral("FILE.ini"), QStringLiteral("設定ファイル（既定: 設定ファイルがないときの値）")},
             {{QStringLiteral("dict")}, QStringLiteral("FILE.dic"), QStringLiteral("異名辞書。繰り返せる（先に読んだ定義が優先）")},
             {{QStringLiteral("no-data-items")}, {}, QStringLiteral("見出し項目をデータベースの見出しから取らない")},
             {{QStringLiteral("records")}, QStringLiteral("A-B"), QStringLiteral("レコード範囲（既定: 全レコード）")},
             {{QStringLiteral("mesh")}, QStringLiteral("PREFIX"), QStringLiteral("地理区画コードの先頭")},
             {{QStringLiteral("cond")}, QStringLiteral("JOIN:MIN:NAME"),
              QStringLiteral("種の条件。5 つまで、条件 1 から順に。\n"
                             "JOIN = or | and | not（または / そして / なし）、MIN = + | 1 | 2 | 3 | 4 | 5")},
             {{QStringLiteral("ignore-case")}, {},
              QStringLiteral("種名と地理区画コードの大文字・小文字を区別しない。全角の英字・数字は\n"
                             "半角と同じに見る（既定は区別する）")},
             {{QStringLiteral("title")}, QStringLiteral("TEXT"), QStringLiteral("表の標題（既定: データベースの見出しの標題、なければファイル名）")}},
            1,
            1};
}

int runExtract(const QStringList &args, QTextStream &out, QTextStream &err)
{
    CommandLine cmd(extractCommand());
    int status = Success;
    if (!cmd.parse(args, out, err, &status))
        return status;
    const QString prefix = cmd.prefix();
    const QString database = cmd.positional().at(0);
    const QString output = cmd.value(QStringLiteral("output"));
    const QString table = cmd.value(QStringLiteral("table"));
    const QString settingsFile = cmd.value(QStringLiteral("settings"));
    const QString mesh = cmd.value(QStringLiteral("mesh"));
    const QString title = cmd.value(QStringLiteral("title"));
    const QString records = cmd.value(QStringLiteral("records"));
    const bool titleGiven = cmd.isSet(QStringLiteral("title"));
    const bool useDataItems = !cmd.isSet(QStringLiteral("no-data-items"));
    const bool ignoreCase = cmd.isSet(QStringLiteral("ignore-case"));
    const bool skipPresent = cmd.isSet(QStringLiteral("skip-present"));
    const QStringList dictionaries = cmd.values(QStringLiteral("dict"));
    if (output.isEmpty())
        return cmd.usageError(err, QStringLiteral("出力ファイル（-o）を指定して下さい"));
    std::vector<SpeciesCondition> conditions;
    for (const QString &c : cmd.values(QStringLiteral("cond"))) {
        SpeciesCondition cond;
        if (!parseCondition(c, &cond))
            return cmd.usageError(err, QStringLiteral("条件の形が正しくありません（JOIN:MIN:NAME）: %1").arg(c));
        conditions.push_back(cond);
    }
    if (conditions.size() > 5)
        return cmd.usageError(err, QStringLiteral("種の条件は 5 つまでです"));
    int first = 1;
    int last = -1;
    // A backwards range is refused, as info refuses it.
    if (cmd.isSet(QStringLiteral("records")) && (!parseRange(records, &first, &last) || first > last))
        return cmd.usageError(err, QStringLiteral("レコード範囲が正しくありません: %1").arg(records));

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
    TableDocument doc(&ui);
    TableFileCommand tableFile(&doc, &ui);
    DatabaseSession session(&doc, &ui);
    ExtractionCommand extraction(&doc, &session, &ui);
    // The batch front end asks nothing: the option says what becomes of relevés already there.
    extraction.setPresentReleves(skipPresent ? ExtractionCommand::PresentReleves::Skip
                                             : ExtractionCommand::PresentReleves::AddAll);
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
        if (const QString problem = settingsFileProblem(settingsFile); !problem.isEmpty()) {
            err << prefix << problem << "\n";
            return UserError;
        }
        if (!readIniFile(settingsFile, &doc.settings(), &doc.items(), &error)) {
            err << prefix << error << "\n";
            return UserError;
        }
    }
    doc.settings().useDataItem = useDataItems;
    doc.initTableArrays();
    doc.clearTable();
    if (!table.isEmpty()) {
        const int before = int(ui.messages().size());
        if (!tableFile.loadTable(table)) {
            failed(before);
            return UserError;
        }
    }
    for (const QString &dic : dictionaries) {
        const int before = int(ui.messages().size());
        if (!session.loadDictionary(dic)) {
            if (!failed(before))
                err << prefix << "異名辞書を読めません: " << dic << "\n";
            return UserError;
        }
        failed(before); // skipped lines are reported, the dictionary stays
    }

    int before = int(ui.messages().size());
    const bool opened = session.setDataFile(database);
    // What was shown is why the file is no database, the open failure, or what the header
    // needed mended.
    failed(before);
    if (!opened && session.database().errorString().isEmpty())
        return UserError;
    if (!session.database().errorString().isEmpty()) {
        err << prefix << session.database().errorString() << "\n";
        return UserError;
    }

    RetrievalQuery query;
    query.firstRecord = first;
    query.lastRecord = last < 0 ? session.recordCount() : last;
    query.meshPrefix = mesh;
    query.ignoreCase = ignoreCase;
    std::copy(conditions.begin(), conditions.end(), query.conditions.begin());
    before = int(ui.messages().size());
    if (!extraction.scanDatabase(query, true)) {
        failed(before);
        return UserError;
    }
    const int fitCount = extraction.selection().fitCount();
    if (extraction.selection().unreadableCount() > 0)
        err << prefix << "範囲のレコードのうち " << extraction.selection().unreadableCount()
            << " 件は読めないため対象外としました\n";

    if (titleGiven)
        ui.answerText(title);
    before = int(ui.messages().size());
    const int inserted = extraction.insertSelected();
    // What was left out or mended is told; only a database that cannot be opened fails.
    failed(before);
    if (inserted < 0)
        return UserError;
    if (const int skipped = extraction.selection().skippedPresentCount(); skipped > 0)
        err << prefix << "表に既にある測定 " << skipped << " 件は加えませんでした\n";

    TableFile file;
    if (!file.write(doc.model(), doc.title(), output)) {
        err << prefix << file.errorString() << "\n";
        return UserError;
    }
    out << "抽出数＝" << fitCount << "\n";
    return Success;
}

} // namespace Zelkor::Cli
