#include "analysis/matrixtable.h"
#include "analysis/valuematrixwriter.h"
#include "platform/feedback.h"
#include "support/testsupport.h"
#include "table/tablefile.h"

#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

using namespace Zelkor;

namespace {

struct ValueMatrix : ::testing::Test
{
    Zelkor::Test::TempDir dir;
    TableModel model;
    void SetUp() override { Zelkor::Test::fillMatrixTable(model); }

    MatrixOutputOptions options(int r1, int r2, int s1, int s2, int method, MatrixOutputOptions::Direction d) const
    {
        MatrixOutputOptions o;
        o.firstReleve = r1;
        o.lastReleve = r2;
        o.firstSpecies = s1;
        o.lastSpecies = s2;
        o.method = method;
        o.direction = d;
        return o;
    }
};

} // namespace

TEST_F(ValueMatrix, BothOrientationsListOnlyRelevesAndSpeciesWithEntries)
{
    using D = MatrixOutputOptions::Direction;
    struct Case { const char *name; MatrixOutputOptions o; QStringList lines; std::vector<int> progress; };
    const Case cases[] = {
        {"species rows, whole table", options(1, 4, 1, 4, 1, D::SpeciesRows),
         {",12, 15 ,\"a,b\"", "\"Poa annua\",5,1,0", "\"Carex \"\"x\"\"\",0,0,8", "\"Festuca\",2,0,0"},
         {1, 2, 3, 4}},
        {"relevé rows, whole table", options(1, 4, 1, 4, 1, D::ReleveRows),
         {",\"Poa annua\",\"Carex \"\"x\"\"\",\"Festuca\"", "12,5,0,2", " 15 ,1,0,0", "\"a,b\",0,8,0"},
         {1, 2, 3, 4}},
        {"species rows, narrowed, method 3", options(2, 4, 3, 4, 3, D::SpeciesRows),
         {", 15 ,\"a,b\"", "\"Carex \"\"x\"\"\",0,5", "\"Festuca\",0,0"}, {3, 4}},
        {"relevé rows, method 0", options(1, 2, 1, 1, 0, D::ReleveRows),
         {",\"Poa annua\"", "12,2", " 15 ,0.1"}, {1, 2}},
        {"ranges past the table", options(0, 9, 4, 9, 6, D::SpeciesRows),
         {",12, 15 ,\"a,b\"", "\"Festuca\",1,0,0"}, {4}},
        {"backward ranges", options(3, 2, 4, 1, 1, D::SpeciesRows), {""}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.path(QStringLiteral("m-vm.csv"));
        std::vector<int> progress;
        ValueMatrixWriter writer;
        Feedback feedback;
        feedback.setWatcher([&](Feedback &f) { progress.push_back(f.position()); });
        ASSERT_TRUE(writer.write(model, c.o, path, &feedback)) << writer.errorString().toStdString();
        EXPECT_EQ(Zelkor::Test::readLines(path), c.lines);
        EXPECT_EQ(progress, c.progress);
        EXPECT_TRUE(Zelkor::Test::readBytes(path).endsWith("\r\n"));
    }
}

TEST_F(ValueMatrix, ShiftJisAndFailures)
{
    const int h = model.headerRows();
    model.grid().setCell(2, h + 4, QStringLiteral("ススキ"));
    const QString path = dir.path(QStringLiteral("m.csv"));
    ValueMatrixWriter writer;
    MatrixOutputOptions o = MatrixOutputOptions::wholeTable(model);
    ASSERT_TRUE(writer.write(model, o, path));
    EXPECT_TRUE(Zelkor::Test::readBytes(path).contains("\"\x83\x58\x83\x58\x83\x4c\",2,0,0\r\n"));

    // A name without a Shift-JIS form fails the write, and the old file stays.
    const QByteArray before = Zelkor::Test::readBytes(path);
    model.grid().setCell(2, h + 4, QStringLiteral("A€B"));
    EXPECT_FALSE(writer.write(model, o, path));
    EXPECT_FALSE(writer.errorString().isEmpty());
    EXPECT_EQ(Zelkor::Test::readBytes(path), before);
    EXPECT_FALSE(writer.write(model, o, dir.path(QStringLiteral("no/such/folder.csv"))));
    EXPECT_FALSE(writer.errorString().isEmpty());
}

TEST(ValueMatrixExample, ADataFrameReaderReadsTheMatrixOfTheExampleTable)
{
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"), {QStringLiteral("/usr/bin")});
    if (python.isEmpty())
        GTEST_SKIP() << "no python3 to read the matrix with";
    Zelkor::Test::TempDir dir;
    const QString table = dir.path(QStringLiteral("dune.vtb"));
    const Zelkor::Test::CliResult extracted = Zelkor::Test::runCli(
        {QStringLiteral("extract"), Zelkor::Test::sourcePath(QStringLiteral("examples/dune.zki")), QStringLiteral("-o"),
         table, QStringLiteral("--dict"), Zelkor::Test::sourcePath(QStringLiteral("examples/dune.dic"))});
    ASSERT_EQ(extracted.exitCode, 0) << extracted.errText().toStdString();
    TableModel model;
    HeaderItems items;
    QString title;
    TableFile file;
    ASSERT_TRUE(file.read(table, &model, &items, &title)) << file.errorString().toStdString();
    ASSERT_GT(model.speciesCount(), 0);
    ASSERT_GT(model.releveCount(), 0);

    // The rows, the shortest and longest row, and the first cell of the second row, as csv reads them.
    const QString script = QStringLiteral(
        "import csv, sys\n"
        "rows = list(csv.reader(open(sys.argv[1], newline='', encoding='cp932')))\n"
        "print(len(rows), min(map(len, rows)), max(map(len, rows)), rows[1][0], sep='|')\n");
    for (auto direction : {MatrixOutputOptions::SpeciesRows, MatrixOutputOptions::ReleveRows}) {
        MatrixOutputOptions o = MatrixOutputOptions::wholeTable(model);
        o.direction = direction;
        const QString path = dir.path(QStringLiteral("dune-vm.csv"));
        ValueMatrixWriter writer;
        ASSERT_TRUE(writer.write(model, o, path)) << writer.errorString().toStdString();
        QProcess py;
        py.start(python, {QStringLiteral("-c"), script, path});
        ASSERT_TRUE(py.waitForFinished(30000));
        ASSERT_EQ(py.exitCode(), 0) << py.readAllStandardError().toStdString();
        const bool speciesRows = direction == MatrixOutputOptions::SpeciesRows;
        const int rows = speciesRows ? model.speciesCount() : model.releveCount();
        const int cols = speciesRows ? model.releveCount() : model.speciesCount();
        const QString first = speciesRows ? model.grid().cell(2, model.headerRows() + 1).trimmed()
                                          : model.grid().cell(4, 2);
        EXPECT_EQ(QString::fromUtf8(py.readAllStandardOutput()).trimmed(),
                  QStringLiteral("%1|%2|%2|%3").arg(rows + 1).arg(cols + 1).arg(first));
    }
}
