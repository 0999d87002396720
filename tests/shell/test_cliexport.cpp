// zelkor-cli export of the workbook and the two prints as PDF files, through the built program.
#include "database/tablefile.h"
#include "output/sampletable.h"
#include "support/testsupport.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace Zelkor;
using Zelkor::Test::layer;
using Zelkor::Test::SampleTable;

namespace {

// A saved table of three relevés with the Japanese title 砂丘 and a species named in Japanese.
QString writeTable(const Zelkor::Test::TempDir &dir)
{
    SampleTable t{2, 30};
    t.setReleves(3);
    for (int i = 1; i <= 3; ++i)
        t.setItem(i, 2, QStringLiteral("R%1").arg(i));
    t.addSpecies(QStringLiteral("ハマヒルガオ"), {{1, layer(5, 23)}, {3, layer(5, 1)}});
    t.addSpecies(QStringLiteral("Carex kobomugi"), {{2, layer(5, 10)}});
    t.finish();
    const QString path = dir.path(QStringLiteral("in.vtb"));
    EXPECT_TRUE(TableFile().write(t.model, QStringLiteral("砂丘"), path));
    return path;
}

} // namespace

TEST(CliExport, WorkbookAndPrintsOfATableFile)
{
    Zelkor::Test::TempDir dir;
    const QString table = writeTable(dir);

    const QString xlsx = dir.path(QStringLiteral("out.xlsx"));
    const auto workbook = Zelkor::Test::runCli({QStringLiteral("export"), QStringLiteral("xlsx"), table, QStringLiteral("-o"), xlsx,
                                                QStringLiteral("--releves"), QStringLiteral("2-3"), QStringLiteral("--frequency")});
    ASSERT_EQ(workbook.exitCode, 0) << workbook.errText().toStdString();
    const QJsonObject cells = Zelkor::Test::readWorkbookCells(xlsx);
    EXPECT_EQ(cells.value("A1").toObject().value("value"), QJsonValue(QStringLiteral("砂丘")));
    EXPECT_EQ(cells.value("A5").toObject().value("value"), QJsonValue(QStringLiteral("ハマヒルガオ")));
    EXPECT_EQ(cells.value("E5").toObject().value("value"), QJsonValue(QStringLiteral(" + ")));
    EXPECT_EQ(cells.value("F5").toObject().value("value"), QJsonValue(100)); // 2 of the table's relevés over 2
    EXPECT_FALSE(cells.contains("C5"));

    for (const QString &format : {QStringLiteral("print-pdf"), QStringLiteral("simple-pdf")}) {
        const QString pdf = dir.path(format + QStringLiteral(".pdf"));
        const auto r = Zelkor::Test::runCli({QStringLiteral("export"), format, table, QStringLiteral("-o"), pdf});
        ASSERT_EQ(r.exitCode, 0) << format.toStdString() << ": " << r.errText().toStdString();
        const QByteArray bytes = Zelkor::Test::readBytes(pdf);
        EXPECT_TRUE(bytes.startsWith("%PDF-")) << format.toStdString();
        EXPECT_TRUE(bytes.contains("IPAMincho")) << format.toStdString() << ": the print font's glyphs";
        EXPECT_TRUE(bytes.contains("/FontFile2")) << format.toStdString();
    }
}

TEST(CliExport, OutputThatCannotBeWrittenLeavesNothing)
{
    Zelkor::Test::TempDir dir;
    const QString table = writeTable(dir);
    for (const QString &format : {QStringLiteral("xlsx"), QStringLiteral("print-pdf"), QStringLiteral("simple-pdf")}) {
        const QString out = dir.path(QStringLiteral("missing/out"));
        const auto r = Zelkor::Test::runCli({QStringLiteral("export"), format, table, QStringLiteral("-o"), out});
        EXPECT_EQ(r.exitCode, 1) << format.toStdString();
        EXPECT_FALSE(r.errText().isEmpty()) << format.toStdString();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{QStringLiteral("in.vtb")});
}
