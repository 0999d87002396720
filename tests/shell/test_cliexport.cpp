#include "output/sampletable.h"
#include "output/tablelayout.h"
#include "output/tabletextfile.h"
#include "support/testsupport.h"
#include "table/headeritems.h"
#include "table/tablefile.h"
#include "table/tablemodel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringDecoder>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Zelkor;
using Zelkor::Test::runCli;
using Zelkor::Test::TempDir;

namespace {

// The example database's relevés, extracted into a table file.
struct CliExport : ::testing::Test
{
    TempDir dir;
    QString table = dir.path(QStringLiteral("dune.vtb"));

    void SetUp() override
    {
        const auto r = runCli({QStringLiteral("extract"), Zelkor::Test::sourcePath(QStringLiteral("examples/dune.zki")),
                               QStringLiteral("-o"), table, QStringLiteral("--dict"),
                               Zelkor::Test::sourcePath(QStringLiteral("examples/dune.dic"))});
        ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();
    }
};

} // namespace

TEST_F(CliExport, TextIsTheLayoutOfTheTable)
{
    const QString out = dir.path(QStringLiteral("dune.txt"));
    const auto r = runCli({QStringLiteral("export"), QStringLiteral("text"), table, QStringLiteral("--output=") + out,
                           QStringLiteral("--releves"), QStringLiteral("3-5"), QStringLiteral("--species"),
                           QStringLiteral("2-4"), QStringLiteral("--items"), QStringLiteral("3,30"),
                           QStringLiteral("--frequency"), QStringLiteral("--title"), QStringLiteral("Three releves")});
    ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();

    // The same as the layout of the table with those choices.
    TableModel model;
    HeaderItems items;
    QString title;
    ASSERT_TRUE(TableFile().read(table, &model, &items, &title));
    for (int n = 1; n <= HeaderItems::Count; ++n)
        items[n].selected = items[n].layout && (n == 3 || n == 30);
    TableLayoutOptions options;
    options.title = QStringLiteral("Three releves");
    options.range = OutputRange{3, 5, 2, 4};
    options.frequency = true;
    const QString expected = dir.path(QStringLiteral("expected.txt"));
    ASSERT_TRUE(TableTextFile().write(TableLayout(model, items, options), 2, 4, expected));
    EXPECT_EQ(Zelkor::Test::readBytes(out), Zelkor::Test::readBytes(expected));
    const QStringList lines = Zelkor::Test::readLines(out);
    ASSERT_GT(lines.size(), 4);
    EXPECT_EQ(lines[1], QStringLiteral("Three releves"));
    EXPECT_TRUE(lines[3].endsWith(QStringLiteral("    3    4    5")));
}

TEST_F(CliExport, MatricesAndSiteData)
{
    struct Case
    {
        const char *format;
        const char *file;
        const char *also; // a second file written beside it
    };
    const Case cases[] = {
        {"value-matrix", "dune-vm.csv", nullptr},
        {"pcord", "dune-pcm.csv", "dune-pcm.lst"},
        {"plot-csv", "dune-plot.csv", nullptr},
    };
    for (const Case &c : cases) {
        const QString out = dir.path(QString::fromLatin1(c.file));
        const auto r = runCli({QStringLiteral("export"), QString::fromLatin1(c.format), table, QStringLiteral("-o"), out,
                               QStringLiteral("--method"), QStringLiteral("6")});
        EXPECT_EQ(r.exitCode, 0) << c.format << r.errText().toStdString();
        EXPECT_GT(QFileInfo(out).size(), 0) << c.format;
        if (c.also) {
            EXPECT_TRUE(QFileInfo::exists(dir.path(QString::fromLatin1(c.also)))) << c.format;
        }
    }
    // Presence: every value of the species-row matrix is 0 or 1.
    const QStringList matrix = Zelkor::Test::readLines(dir.path(QStringLiteral("dune-vm.csv")));
    ASSERT_EQ(matrix.size(), 31); // the header line and 30 species
    for (const QString &line : matrix.mid(1))
        for (const QString &v : line.split(QLatin1Char(',')).mid(1))
            EXPECT_TRUE(v == QLatin1String("0") || v == QLatin1String("1")) << line.toStdString();
    // Twenty relevés with the six site items of the example layout.
    EXPECT_EQ(Zelkor::Test::readLines(dir.path(QStringLiteral("dune-plot.csv"))).size(), 21);
}

// The CSV outputs in UTF-8: characters CP932 has but "Shift_JIS" readers lack (髙, №, Ⅱ) come
// out as UTF-8, in names and labels alike, and Python's csv module reads the value matrix as it is.
TEST_F(CliExport, Utf8CsvOutputs)
{
    TableModel model;
    HeaderItems items;
    QString title;
    ASSERT_TRUE(TableFile().read(table, &model, &items, &title));
    const QString name = QStringLiteral("髙尾スミレ№Ⅱ");
    const QString label = QStringLiteral("調査Ⅱ");
    model.grid().setCell(TableModel::NameColumn, model.speciesRow(1), name);
    model.grid().setCell(TableModel::releveColumn(1), TableModel::LabelRow, label);
    ASSERT_TRUE(TableFile().write(model, title, table));

    struct Case
    {
        const char *format;
        const char *file;
        QString shows; // what the file holds in the first relevé's or species' place
    };
    const Case cases[] = {
        {"value-matrix", "vm.csv", name},
        {"pcord", "pc.lst", name},
        {"pcord", "pc.csv", QStringLiteral("髙尾スミ")}, // cut to eight bytes of CP932
        {"plot-csv", "plot.csv", label},
    };
    for (const Case &c : cases) {
        const QString out = dir.path(QString::fromLatin1(c.file).replace(QLatin1String(".lst"), QLatin1String(".csv")));
        for (const char *encoding : {"utf-8", "cp932"}) {
            const auto r = runCli({QStringLiteral("export"), QString::fromLatin1(c.format), table, QStringLiteral("-o"), out,
                                   QStringLiteral("--encoding"), QString::fromLatin1(encoding)});
            ASSERT_EQ(r.exitCode, 0) << c.format << r.errText().toStdString();
            const QByteArray bytes = Zelkor::Test::readBytes(dir.path(QString::fromLatin1(c.file)));
            QStringDecoder utf8(QStringDecoder::Utf8);
            const QString text = utf8.decode(bytes);
            if (QLatin1String(encoding) == QLatin1String("utf-8")) {
                EXPECT_FALSE(utf8.hasError()) << c.file;
                EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF")) << c.file; // no byte-order mark
                EXPECT_TRUE(text.contains(c.shows)) << c.file;
            } else {
                EXPECT_FALSE(text.contains(c.shows)) << c.file;
            }
        }
    }
    // The analyses' CSV files take the same option.
    const QString csv = dir.path(QStringLiteral("analysis.csv"));
    const QStringList commands[] = {
        {QStringLiteral("constancy"), table, QStringLiteral("-o"), csv},
        {QStringLiteral("fidelity"), table, QStringLiteral("-o"), csv},
        {QStringLiteral("ra"), table, QStringLiteral("--scores"), csv},
        {QStringLiteral("ra"), table, QStringLiteral("--scores-long"), csv},
        {QStringLiteral("ordination"), table, QStringLiteral("--method"), QStringLiteral("ca"), QStringLiteral("--scores"), csv},
    };
    for (const QStringList &command : commands) {
        const auto r = runCli(command + QStringList{QStringLiteral("--encoding"), QStringLiteral("utf-8")});
        ASSERT_EQ(r.exitCode, 0) << command.join(QLatin1Char(' ')).toStdString() << r.errText().toStdString();
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString text = utf8.decode(Zelkor::Test::readBytes(csv));
        EXPECT_FALSE(utf8.hasError()) << command.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(text.contains(name)) << command.join(QLatin1Char(' ')).toStdString();
        QFile::remove(csv);
    }

    const QString vm = dir.path(QStringLiteral("vm.csv"));
    ASSERT_EQ(runCli({QStringLiteral("export"), QStringLiteral("value-matrix"), table, QStringLiteral("-o"), vm,
                      QStringLiteral("--encoding"), QStringLiteral("utf-8")})
                  .exitCode,
              0);

    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        GTEST_SKIP() << "python3 is not installed";
    QProcess p;
    p.start(python, {QStringLiteral("-c"),
                     QStringLiteral("import csv, sys\n"
                                    "rows = list(csv.reader(open(sys.argv[1], encoding='utf-8', newline='')))\n"
                                    "sys.stdout.buffer.write(('%d|%s|%s' % (len(rows), rows[1][0], rows[0][1])).encode('utf-8'))\n"),
                     vm});
    ASSERT_TRUE(p.waitForFinished(30000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()), QStringLiteral("31|%1|%2").arg(name, label));
}

TEST_F(CliExport, ErrorsWriteNothing)
{
    const QString out = dir.path(QStringLiteral("out"));
    struct Case
    {
        QStringList args;
        int exit;
        const char *message;
    };
    const Case cases[] = {
        {{QStringLiteral("word"), table, QStringLiteral("-o"), out}, 2, "不明な出力形式です: word"},
        {{QStringLiteral("text"), table}, 2, "出力ファイル（-o）を指定して下さい"},
        {{QStringLiteral("text"), table, QStringLiteral("-o"), out, QStringLiteral("--releves"), QStringLiteral("5-21")},
         1, "測定の範囲「5-21」が表の外です"},
        {{QStringLiteral("text"), table, QStringLiteral("-o"), out, QStringLiteral("--species"), QStringLiteral("x")},
         2, "範囲「x」は A-B の形で指定して下さい"},
        {{QStringLiteral("text"), table, QStringLiteral("-o"), out, QStringLiteral("--releves"), QStringLiteral("10-3")},
         2, "範囲「10-3」は逆向きです"},
        {{QStringLiteral("value-matrix"), table, QStringLiteral("-o"), out, QStringLiteral("--species"), QStringLiteral("20-5")},
         2, "範囲「20-5」は逆向きです"},
        {{QStringLiteral("value-matrix"), table, QStringLiteral("-o"), out, QStringLiteral("--method"), QStringLiteral("7")},
         2, "--method は 0～6 で指定して下さい"},
        {{QStringLiteral("value-matrix"), table, QStringLiteral("-o"), out, QStringLiteral("--direction"), QStringLiteral("up")},
         2, "--direction は species か releves で指定して下さい"},
        {{QStringLiteral("text"), table, QStringLiteral("-o"), out, QStringLiteral("--items"), QStringLiteral("2,31")},
         2, "--items は 1～30"},
        // The example layout has no coordinates, mesh codes or altitudes.
        {{QStringLiteral("gps-pot"), table, QStringLiteral("-o"), out},
         1,
         "必要なデータが表にありません：緯度（項目5）、経度（項目6）、標高（項目8）"},
        {{QStringLiteral("mesh-grd"), table, QStringLiteral("-o"), out}, 1, "必要なデータが表にありません：地理区画コード（項目7）、標高（項目8）"},
        {{QStringLiteral("text"), dir.path(QStringLiteral("none.vtb")), QStringLiteral("-o"), out}, 1, "none.vtb"},
        {{QStringLiteral("text"), table, QStringLiteral("-o"), out, QStringLiteral("--settings"), dir.path(QString())},
         1, "設定ファイルではなくフォルダです"},
        {{QStringLiteral("text"), table, QStringLiteral("-o"), out, QStringLiteral("--settings"), dir.path(QStringLiteral("no.ini"))},
         1, "設定ファイルがありません"},
    };
    for (const Case &c : cases) {
        const auto r = runCli(QStringList{QStringLiteral("export")} + c.args);
        EXPECT_EQ(r.exitCode, c.exit) << c.message;
        EXPECT_TRUE(r.errText().contains(QString::fromUtf8(c.message))) << r.errText().toStdString();
        EXPECT_FALSE(QFileInfo::exists(out)) << c.message;
    }
}

// The package matrix's label list is an output too: it may not replace the table read.
TEST_F(CliExport, PackageMatrixListMayNotReplaceTheTable)
{
    const QString input = dir.path(QStringLiteral("dune.lst"));
    ASSERT_TRUE(QFile::copy(table, input));
    const QByteArray before = Zelkor::Test::readBytes(input);
    const QString out = dir.path(QStringLiteral("dune.csv"));
    const auto r = runCli({QStringLiteral("export"), QStringLiteral("pcord"), input, QStringLiteral("-o"), out});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.errText().contains(QStringLiteral("と同じファイルです"))) << r.errText().toStdString();
    EXPECT_EQ(Zelkor::Test::readBytes(input), before);
    EXPECT_FALSE(QFileInfo::exists(out));
}

// The matrix and its label list are replaced together: a list that cannot be written leaves the
// old matrix, and a list that is the matrix through a link to a new name is refused.
TEST_F(CliExport, PackageMatrixAndListAreReplacedTogether)
{
    const QString matrix = dir.writeBytes(QStringLiteral("m.csv"), "old matrix");
    ASSERT_TRUE(QFile::link(dir.path(QStringLiteral("no/folder/m.lst")), dir.path(QStringLiteral("m.lst"))));
    auto r = runCli({QStringLiteral("export"), QStringLiteral("pcord"), table, QStringLiteral("-o"), matrix});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.errText().contains(QStringLiteral("m.lst"))) << r.errText().toStdString();
    EXPECT_EQ(Zelkor::Test::readBytes(matrix), QByteArray("old matrix"));

    ASSERT_TRUE(QFile::link(QStringLiteral("x.csv"), dir.path(QStringLiteral("x.lst"))));
    r = runCli({QStringLiteral("export"), QStringLiteral("pcord"), table, QStringLiteral("-o"), dir.path(QStringLiteral("x.csv"))});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.errText().contains(QStringLiteral("同じファイルです"))) << r.errText().toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.path(QStringLiteral("x.csv"))));

    QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot);
    files.sort();
    EXPECT_EQ(files, (QStringList{QStringLiteral("dune.vtb"), QStringLiteral("m.csv"), QStringLiteral("m.lst"),
                                  QStringLiteral("x.lst")}));
}

// A name typed in another code page is not UTF-8: it would be read with replacement characters
// and name another file. The command refuses it and writes nothing.
TEST_F(CliExport, NameThatIsNoUtf8IsRefused)
{
    const QByteArray program = QByteArrayLiteral(ZELKOR_CLI_PATH);
    const QByteArray input = QFile::encodeName(table);
    const QByteArray output = QFile::encodeName(dir.path()) + "/\x82\xa0.txt"; // "あ" in CP932
    const char *argv[] = {program.constData(), "export", "text", input.constData(), "-o", output.constData(), nullptr};
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int devnull = ::open("/dev/null", O_WRONLY);
        ::dup2(devnull, 2);
        ::execv(argv[0], const_cast<char *const *>(argv));
        ::_exit(127);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList{QStringLiteral("dune.vtb")});
}

TEST_F(CliExport, WorkbookAndPrints)
{
    TableModel model;
    HeaderItems items;
    QString title;
    ASSERT_TRUE(TableFile().read(table, &model, &items, &title));

    // Relevés 2 and 3 go to columns D and E, the frequency to F; column C stays empty.
    const QString xlsx = dir.path(QStringLiteral("dune.xlsx"));
    const auto workbook = runCli({QStringLiteral("export"), QStringLiteral("xlsx"), table, QStringLiteral("-o"), xlsx,
                                  QStringLiteral("--releves"), QStringLiteral("2-3"), QStringLiteral("--frequency")});
    ASSERT_EQ(workbook.exitCode, 0) << workbook.errText().toStdString();
    QString error;
    const QJsonObject cells = Zelkor::Test::readWorkbookCells(xlsx, &error);
    ASSERT_FALSE(cells.isEmpty()) << error.toStdString();
    EXPECT_EQ(cells.value("A1").toObject().value("value"), QJsonValue(title));
    QStringList species;
    for (auto it = cells.begin(); it != cells.end(); ++it) {
        EXPECT_FALSE(it.key().startsWith(QLatin1Char('C')) || it.key().startsWith(QLatin1Char('G'))) << it.key().toStdString();
        const QJsonObject cell = it.value().toObject();
        if (it.key().startsWith(QLatin1Char('A')) && cell.value("vertical") == QJsonValue("top"))
            species << cell.value("value").toString();
        if (it.key().startsWith(QLatin1Char('F'))) {
            EXPECT_EQ(cell.value("horizontal"), QJsonValue("center")) << it.key().toStdString();
        }
    }
    ASSERT_EQ(species.size(), model.speciesCount());
    EXPECT_EQ(species.value(0), model.grid().cell(2, model.headerRows() + 1));

    // Without a runtime folder (a cron job, a container) Qt complains to stderr; stderr carries
    // only the program's own messages.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("XDG_RUNTIME_DIR");
    for (const QString &format : {QStringLiteral("print-pdf"), QStringLiteral("simple-pdf")}) {
        const QString pdf = dir.path(format + QStringLiteral(".pdf"));
        const auto r = runCli({QStringLiteral("export"), format, table, QStringLiteral("-o"), pdf});
        ASSERT_EQ(r.exitCode, 0) << format.toStdString() << ": " << r.errText().toStdString();
        EXPECT_EQ(r.errText(), QString()) << format.toStdString();
        const QByteArray bytes = Zelkor::Test::readBytes(pdf);
        EXPECT_TRUE(bytes.startsWith("%PDF-")) << format.toStdString();
        EXPECT_TRUE(bytes.contains("IPAMincho")) << format.toStdString() << ": the print font's glyphs";
        EXPECT_TRUE(bytes.contains("/FontFile2")) << format.toStdString();
    }
    if (!runtime.isEmpty())
        qputenv("XDG_RUNTIME_DIR", runtime);
}

TEST_F(CliExport, WorkbookOrPrintThatCannotBeWrittenLeavesNothing)
{
    for (const QString &format : {QStringLiteral("xlsx"), QStringLiteral("print-pdf"), QStringLiteral("simple-pdf")}) {
        const QString out = dir.path(QStringLiteral("missing/out"));
        const auto r = runCli({QStringLiteral("export"), format, table, QStringLiteral("-o"), out});
        EXPECT_EQ(r.exitCode, 1) << format.toStdString();
        EXPECT_FALSE(r.errText().isEmpty()) << format.toStdString();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{QStringLiteral("dune.vtb")});

    // A disk that fills (a file-size limit of 1000 bytes): the old files stay as they were.
    for (const QString &format : {QStringLiteral("xlsx"), QStringLiteral("print-pdf"), QStringLiteral("simple-pdf")}) {
        const QString out = dir.writeBytes(format + QStringLiteral(".old"), "the old file");
        const auto r = runCli({QStringLiteral("export"), format, table, QStringLiteral("-o"), out}, QString(), 1000);
        EXPECT_EQ(r.exitCode, 1) << format.toStdString();
        EXPECT_FALSE(r.errText().isEmpty()) << format.toStdString();
        EXPECT_EQ(Zelkor::Test::readBytes(out), QByteArray("the old file")) << format.toStdString();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 4);

    // A limit the packed workbook (about 9 KB) fits under but its sheet (about 55 KB) does not:
    // the library's temporary sheet is cut, and the package built from it is refused.
    const QString out = dir.writeBytes(QStringLiteral("cut.xlsx"), "the old file");
    const auto r = runCli({QStringLiteral("export"), QStringLiteral("xlsx"), table, QStringLiteral("-o"), out}, QString(), 20000);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.errText().contains(QStringLiteral("途中で切れています"))) << r.errText().toStdString();
    EXPECT_EQ(Zelkor::Test::readBytes(out), QByteArray("the old file"));
}

// A point file writes the relevés whose values fit and warns of the others; none fitting fails.
TEST(CliExportSites, RelevesThatDoNotFitAreWarningsAndNoneFittingIsAnError)
{
    TempDir dir;
    Zelkor::Test::SampleTable t{2, 5, 6, 8};
    t.setReleves(2);
    const char *const values[2][4] = {{"12", "3530455", "13945301", "850"}, {"13", "90858", "13945301", ""}};
    for (int i = 1; i <= 2; ++i)
        for (int k = 0; k < 4; ++k)
            t.setItem(i, QList<int>{2, 5, 6, 8}[k], QString::fromLatin1(values[i - 1][k]));
    t.addSpecies(QStringLiteral("Poa annua"), {{1, Zelkor::Test::layer(5, 10)}, {2, Zelkor::Test::layer(5, 10)}});
    t.finish();
    const QString table = dir.path(QStringLiteral("sites.vtb"));
    ASSERT_TRUE(TableFile().write(t.model, QStringLiteral("Sites"), table));

    const QString out = dir.path(QStringLiteral("sites.pot"));
    auto r = runCli({QStringLiteral("export"), QStringLiteral("gps-pot"), table, QStringLiteral("-o"), out});
    EXPECT_EQ(r.exitCode, 0) << r.errText().toStdString();
    EXPECT_EQ(Zelkor::Test::readLines(out).size(), 2);
    EXPECT_TRUE(r.errText().contains(QStringLiteral("警告: 1 件の測定は値がファイルの形式に合わないため書き出しませんでした。")));
    EXPECT_TRUE(r.errText().contains(QStringLiteral("警告: 測定 2（13）: 緯度（項目5）「90858」")));

    // Without relevé 1's altitude no relevé fits.
    ASSERT_TRUE(QFile::remove(out));
    const QString narrow = dir.path(QStringLiteral("one.vtb"));
    t.setItem(1, 8, QString());
    t.finish();
    ASSERT_TRUE(TableFile().write(t.model, QStringLiteral("Sites"), narrow));
    r = runCli({QStringLiteral("export"), QStringLiteral("gps-pot"), narrow, QStringLiteral("-o"), out});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.errText().contains(QStringLiteral("書き出せる測定がありません")));
    EXPECT_FALSE(QFileInfo::exists(out));
}
