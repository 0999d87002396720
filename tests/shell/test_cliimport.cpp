#include "shell/cli/clicommands.h"

#include "support/testsupport.h"
#include "table/headeritems.h"
#include "table/settings.h"
#include "table/tablefile.h"
#include "table/tablemodel.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace Zelkor;
using Zelkor::Test::TempDir;

namespace {

struct CliRun
{
    int code = -1;
    QString out;
    QString err;
};

CliRun run(Cli::CommandFunction f, const QStringList &args)
{
    CliRun r;
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    r.code = f(args, out, err);
    out.flush();
    err.flush();
    return r;
}

QString source(const char *relative)
{
    return Zelkor::Test::sourcePath(QString::fromUtf8(relative));
}

QString fixture(const char *relative)
{
    return Zelkor::Test::fixturePath(QString::fromUtf8(relative));
}

struct Table
{
    TableModel model;
    HeaderItems items;
    QString title;
};

void readTable(const QString &path, Table *t)
{
    TableFile file;
    ASSERT_TRUE(file.read(path, &t->model, &t->items, &t->title)) << file.errorString().toStdString();
}

// The example database extracted into a table file, as the workbook fixture was made from it.
// The table of a table file: its lines without the relevés' sources that an extraction adds
// after the species rows (an imported table has none).
QByteArray tableBytes(const QString &path)
{
    const QByteArray bytes = Zelkor::Test::readBytes(path);
    const qsizetype at = bytes.indexOf("\r\n#sources\r\n");
    return at < 0 ? bytes : bytes.left(at + 2);
}

QString extractDune(const TempDir &dir)
{
    const QString table = dir.path(QStringLiteral("dune.vtb"));
    const CliRun r = run(Cli::runExtract, {source("examples/dune.zki"), QStringLiteral("-o"), table,
                                           QStringLiteral("--dict"), source("examples/dune.dic")});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    return table;
}

// The layered fixture's database extracted into a table file.
QString extractLayered(const TempDir &dir)
{
    const QString db = dir.path(QStringLiteral("layered.zki"));
    CliRun r = run(Cli::runMkdb, {fixture("spreadsheet/layered-sites.csv"), fixture("spreadsheet/layered-plants.csv"),
                                  QStringLiteral("-o"), db, QStringLiteral("--title"), QStringLiteral("Layered")});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    const QString table = dir.path(QStringLiteral("layered.vtb"));
    r = run(Cli::runExtract, {db, QStringLiteral("-o"), table, QStringLiteral("--no-data-items")});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    return table;
}

// The settings file of a table: its header items' labels and layout.
QString settingsOf(const TempDir &dir, const QString &tablePath)
{
    Table t;
    readTable(tablePath, &t);
    const QString ini = dir.path(QStringLiteral("table.ini"));
    QString error;
    EXPECT_TRUE(writeIniFile(ini, Settings(), t.items, &error)) << error.toStdString();
    return ini;
}

// The highest cover class of a cell: 0 none, 1 r or +, 2..6 the classes 1..5.
int highestClass(const ByteDataSet &codes)
{
    int best = 0;
    for (quint8 v : codes) {
        if (v >= 1 && v <= 6 && v != 0)
            best = std::max(best, 1);
        else if (v == 8 || v == 9)
            best = std::max(best, 1);
        else if (v >= 10 && v <= 55)
            best = std::max(best, v / 10 + 1);
    }
    return best;
}

// The cells of the species with entries × the relevés with species, in table order, through f.
std::vector<std::vector<int>> matrixOf(const TableModel &m, int (*f)(const ByteDataSet &))
{
    std::vector<std::vector<int>> rows;
    for (int j = 1; j <= m.speciesCount(); ++j) {
        if (m.speciesFreq(j) == 0)
            continue;
        std::vector<int> row;
        for (int i = 1; i <= m.releveCount(); ++i)
            if (m.releveSpCount(i) > 0)
                row.push_back(f(m.coverData().at(m.releveIndexAt(TableModel::releveColumn(i)),
                                                 m.speciesIndexAt(m.speciesRow(j)))));
        rows.push_back(row);
    }
    return rows;
}

int presence(const ByteDataSet &codes)
{
    return highestClass(codes) > 0 ? 1 : 0;
}

} // namespace

TEST(CliImport, SpreadsheetCsvOfTheExampleTableGivesTheSameTableFile)
{
    TempDir dir;
    const QString original = extractDune(dir);
    const QString back = dir.path(QStringLiteral("back.vtb"));
    // The header rows carry the database's labels: the table's items are the settings.
    const CliRun r = run(Cli::runImport, {fixture("spreadsheet/dune-libreoffice.csv"), QStringLiteral("-o"), back,
                                          QStringLiteral("--settings"), settingsOf(dir, original)});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("測定 20、種 30、UTF-8、区切り「,」"))) << r.out.toStdString();
    EXPECT_EQ(Zelkor::Test::readBytes(back), tableBytes(original));

    // Without them the labels are unknown, and nothing is written.
    const QString none = dir.path(QStringLiteral("none.vtb"));
    const CliRun refused = run(Cli::runImport, {fixture("spreadsheet/dune-libreoffice.csv"), QStringLiteral("-o"), none});
    EXPECT_EQ(refused.code, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("5 行目、1 列目（A 列）: 見出し項目「A1層厚(cm)」"))) << refused.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(none));
}

TEST(CliImport, SpreadsheetCsvOfALayeredTableGivesTheSameTableFile)
{
    TempDir dir;
    const QString original = extractLayered(dir);
    const QString back = dir.path(QStringLiteral("back.vtb"));
    const CliRun r = run(Cli::runImport, {fixture("spreadsheet/layered-libreoffice.csv"), QStringLiteral("-o"), back});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(Zelkor::Test::readBytes(back), tableBytes(original));
}

TEST(CliImport, MkdbWideBuildsTheDatabaseTheTableCameFrom)
{
    TempDir dir;
    const QString original = extractLayered(dir);
    // The extracted table takes its title from the database's file name.
    QDir(dir.path()).mkdir(QStringLiteral("wide"));
    const QString db = dir.path(QStringLiteral("wide/layered.zki"));
    CliRun r = run(Cli::runMkdb, {QStringLiteral("--wide"), fixture("spreadsheet/layered-libreoffice.csv"),
                                  QStringLiteral("-o"), db, QStringLiteral("--title"), QStringLiteral("Layered")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("測定 3 件、種 11 件"))) << r.out.toStdString();
    const QString table = dir.path(QStringLiteral("wide.vtb"));
    r = run(Cli::runExtract, {db, QStringLiteral("-o"), table, QStringLiteral("--no-data-items")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    // The same table; the sources name the two databases.
    EXPECT_EQ(tableBytes(table), tableBytes(original));
    EXPECT_NE(Zelkor::Test::readBytes(table), Zelkor::Test::readBytes(original));

    // Positional files and --wide do not go together; a fault writes neither file.
    r = run(Cli::runMkdb, {QStringLiteral("a.csv"), QStringLiteral("b.csv"), QStringLiteral("--wide"), QStringLiteral("c.csv"),
                           QStringLiteral("-o"), dir.path(QStringLiteral("x.zki"))});
    EXPECT_EQ(r.code, 2);
    const QString bad = dir.writeBytes(QStringLiteral("bad.csv"), "識別記号,,A\nSp,H1,7\n");
    r = run(Cli::runMkdb, {QStringLiteral("--wide"), bad, QStringLiteral("-o"), dir.path(QStringLiteral("bad.zki"))});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("2 行目、3 列目"))) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.path(QStringLiteral("bad.zki"))));
    EXPECT_FALSE(QFileInfo::exists(dir.path(QStringLiteral("bad.zkd"))));
}

TEST(CliImport, CornellExportReadsBackByItsScale)
{
    TempDir dir;
    const QString original = extractLayered(dir);
    Table before;
    readTable(original, &before);
    struct Case
    {
        const char *method;
        const char *scale;
        int (*cell)(const ByteDataSet &);
    };
    const Case cases[] = {{"6", "presence", presence}, {"3", "classes", highestClass}};
    for (const Case &c : cases) {
        const QString cep = dir.path(QStringLiteral("m%1.cep").arg(QString::fromLatin1(c.method)));
        CliRun r = run(Cli::runExport, {QStringLiteral("cornell"), original, QStringLiteral("-o"), cep, QStringLiteral("--method"),
                                        QString::fromLatin1(c.method)});
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        const QString back = dir.path(QStringLiteral("m%1.vtb").arg(QString::fromLatin1(c.method)));
        r = run(Cli::runImport, {cep, QStringLiteral("-o"), back, QStringLiteral("--scale"), QString::fromLatin1(c.scale)});
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        Table after;
        readTable(back, &after);
        EXPECT_EQ(matrixOf(after.model, c.cell), matrixOf(before.model, c.cell)) << c.method;
        // The relevés keep their labels in the identification item, the species their names cut
        // to eight bytes.
        EXPECT_EQ(after.model.grid().cell(TableModel::releveColumn(3), TableModel::LabelRow), QStringLiteral("K03"));
        EXPECT_EQ(after.model.grid().cell(TableModel::NameColumn, after.model.speciesRow(4)), QStringLiteral("シュンラ"));
        EXPECT_EQ(after.title, QStringLiteral("layered"));
    }
}

TEST(CliImport, CornellExportWritesTheCondensedFormat)
{
    TempDir dir;
    const QString original = extractLayered(dir);
    const QString cep = dir.path(QStringLiteral("t.cep"));
    const CliRun r = run(Cli::runExport, {QStringLiteral("cornell"), original, QStringLiteral("-o"), cep, QStringLiteral("--method"),
                                          QStringLiteral("2")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList lines = Zelkor::Test::readLines(cep);
    // Species in table order: コナラ (T1 4, S1 +), アオキ, ヤブコウジ, シュンラン, ブナ.
    const QStringList expected = {
        QStringLiteral("layered"),
        QStringLiteral("(I5,1X,6(I6,F6.1))"),
        QStringLiteral("    6"),
        QStringLiteral("    1      1 626.0     2 151.0     3   1.0"),
        QStringLiteral("    2      1 375.0     2  25.0     3  25.0     4   1.0"),
        QStringLiteral("    3      1   1.0     3   1.0     4   1.0     5 875.0"),
        QStringLiteral("    0"),
        QStringLiteral("コナラ  アオキ  ヤブコウシュンラブナ    "),
        QStringLiteral("K01     K02     K03     "),
    };
    EXPECT_EQ(lines, expected);
}

TEST(CliImport, UsageAndRefusals)
{
    TempDir dir;
    const QString original = extractLayered(dir);
    const QString cep = dir.path(QStringLiteral("t.cep"));
    // Conversion 5 writes "+", which the format cannot hold.
    CliRun r = run(Cli::runExport, {QStringLiteral("cornell"), original, QStringLiteral("-o"), cep, QStringLiteral("--method"),
                                    QStringLiteral("5")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("無変・最大"))) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(cep));

    const QString csv = fixture("spreadsheet/layered-libreoffice.csv");
    const QString out = dir.path(QStringLiteral("out.vtb"));
    struct Case
    {
        QStringList args;
        int code;
        const char *message;
    };
    const QString cepIn = dir.writeBytes(QStringLiteral("in.cep"), "T\n(I5,1X,1(I6,F5.1))\n1\n    1     1  1.0\n    0\nA\n");
    const Case cases[] = {
        {{csv}, 2, "-o"},
        {{csv, QStringLiteral("-o"), out, QStringLiteral("--scale"), QStringLiteral("cover")}, 2, "--scale"},
        {{csv, QStringLiteral("-o"), out, QStringLiteral("--scale"), QStringLiteral("ordinal")}, 2, "Cornell"},
        {{cepIn, QStringLiteral("-o"), out, QStringLiteral("--scale"), QStringLiteral("codes")}, 2, "Cornell"},
        {{csv, QStringLiteral("-o"), csv}, 1, ""},
        {{dir.path(QStringLiteral("missing.csv")), QStringLiteral("-o"), out}, 1, "missing.csv"},
    };
    for (const Case &c : cases) {
        r = run(Cli::runImport, c.args);
        EXPECT_EQ(r.code, c.code) << c.args.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << r.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(out));
    }
    r = run(Cli::runImport, {cepIn, QStringLiteral("-o"), out});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
}
