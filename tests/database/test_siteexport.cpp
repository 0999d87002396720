#include "database/siteexport.h"

#include "output/sampletable.h"
#include "platform/scripteduserinterface.h"
#include "support/testsupport.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace Zelkor;
using Zelkor::Test::layer;
using Zelkor::Test::SampleTable;

namespace {

// Layout items 1, 2, 5, 6, 7, 8 (relevé name, latitude, longitude, mesh code, altitude).
struct SiteExportTest : ::testing::Test
{
    SampleTable t{2, 5, 6, 7, 8};
    QString title = QStringLiteral("Hakone");
    ScriptedUserInterface ui;
    SiteExport site{t.model, &title, ui};
    Zelkor::Test::TempDir dir;

    // A relevé with its name, latitude, longitude, mesh code and altitude, and one species.
    void addReleve(const QString &name, const QString &lat, const QString &lon, const QString &mesh, const QString &alt)
    {
        const int i = t.model.releveCount() + 1;
        t.setReleves(i);
        t.setItem(i, 2, name);
        t.setItem(i, 5, lat);
        t.setItem(i, 6, lon);
        t.setItem(i, 7, mesh);
        t.setItem(i, 8, alt);
        t.addSpecies(QStringLiteral("Poa annua %1").arg(i), {{i, layer(5, 10)}});
        t.finish();
    }

    QByteArray exported(void (SiteExport::*command)(), const QString &name)
    {
        const QString path = dir.path(name);
        ui.answerFile(path);
        (site.*command)();
        return Zelkor::Test::readBytes(path);
    }
};

} // namespace

TEST_F(SiteExportTest, GpsPointFileByteForByte)
{
    addReleve(QStringLiteral("12"), QStringLiteral("3530455"), QStringLiteral("13945301"), QStringLiteral("53394611"),
              QStringLiteral("850"));
    addReleve(QStringLiteral(" 13 "), QStringLiteral("0353045"), QString(), QString(), QStringLiteral("1200"));
    addReleve(QStringLiteral("14"), QStringLiteral("353045"), QStringLiteral("1394530199"), QString(), QString());
    EXPECT_EQ(exported(&SiteExport::exportGpsPoints, QStringLiteral("a.pot")),
              QByteArray("DAT=WGS84/WGS84/0.000/0.00000000/0/0/0 \r\n"
                         "ORD=POI/tex=12/ido=035'30'45'5/kei=139'45'30'1/alt=+850/col=12\r\n"
                         "ORD=POI/tex=13/ido=035'30'45'0/kei=000'00'00'0/alt=+1200/col=12\r\n"
                         "ORD=POI/tex=14/ido=035'30'45'0/kei=139'45'30'1/alt=+/col=12\r\n"));
    EXPECT_EQ(ui.lastFileRequest().fileName, QStringLiteral("Hakone.pot"));
    EXPECT_TRUE(ui.log().contains(QStringLiteral("work:　ＧＰＳ形式の分布データの出力中　|")));
}

TEST_F(SiteExportTest, MeshFileWithAltitudeClasses)
{
    struct Case
    {
        const char *altitude;
        const char *mesh;
    };
    const Case cases[] = {
        {"850", "53394611.08"}, {"1520", "53394611.15"}, {"99", "53394611.00"},  {"-150", "53394611.-1"},
        {"Mt", "53394611.99"},  {"", "53394611.99"},     {"2000", "533"},         {"40", "5339"},
    };
    for (const Case &c : cases)
        addReleve(QStringLiteral("R"), QString(), QString(),
                  QString::fromLatin1(c.mesh).section(QLatin1Char('.'), 0, 0), QString::fromLatin1(c.altitude));
    QByteArray expected = "Hakone\r\n";
    for (const Case &c : cases) {
        const QByteArray mesh(c.mesh);
        if (mesh.size() > 3) // a mesh code of three characters or fewer is left out
            expected += (mesh.contains('.') ? mesh : mesh + ".00") + "; R\r\n";
    }
    EXPECT_EQ(exported(&SiteExport::exportMeshData, QStringLiteral("a.grd")), expected);
    EXPECT_EQ(ui.lastFileRequest().selectedFilter(), QStringLiteral("メッシュ分布データ (*.grd)|*.grd"));
}

TEST_F(SiteExportTest, MissingItemsAreReportedWithoutADialog)
{
    SampleTable noCoordinates{2, 8};
    noCoordinates.setReleves(1);
    SiteExport other(noCoordinates.model, &title, ui);
    other.exportGpsPoints();
    other.exportMeshData();
    EXPECT_EQ(ui.log(), (QStringList{QStringLiteral("message:必要なデータが表にありません"),
                                     QStringLiteral("message:必要なデータが表にありません")}));
}

TEST_F(SiteExportTest, SiteCsvOfEveryHeaderRowAndOfItemOneAlone)
{
    addReleve(QStringLiteral("12"), QStringLiteral("3530455"), QStringLiteral("1394530"), QStringLiteral("5339"),
              QStringLiteral(" 850"));
    addReleve(QStringLiteral("Ash, wet"), QString(), QString(), QString(), QStringLiteral("9\"9"));
    const QByteArray csv = exported(&SiteExport::exportPlotData, QStringLiteral("a-plot.csv"));
    EXPECT_TRUE(csv.endsWith("\"9\"\"9\"\r\n"));
    const QStringList lines = Zelkor::Test::readLines(dir.path(QStringLiteral("a-plot.csv")));
    EXPECT_EQ(lines, (QStringList{QStringLiteral("識別記号,地点緯度（度分秒）,地点経度（度分秒）,地理区画コード,調査地標高(m)"),
                                  QStringLiteral("12,3530455,1394530,5339,850"),
                                  QStringLiteral("\"Ash, wet\",,,,\"9\"\"9\"")}));
    EXPECT_EQ(ui.lastFileRequest().fileName, QStringLiteral("Hakone-plot.csv"));

    // With item 1 alone, row 2 is the species-number row.
    SampleTable bare{};
    bare.setReleves(2);
    bare.addSpecies(QStringLiteral("Poa annua"), {{1, layer(5, 10)}, {2, layer(5, 10)}});
    bare.addSpecies(QStringLiteral("Carex"), {{2, layer(5, 10)}});
    bare.finish();
    EXPECT_EQ(SiteExport(bare.model, &title, ui).plotDataLines(),
              (QStringList{QStringLiteral("（現実の種数）"), QStringLiteral("1"), QStringLiteral("2")}));
}

TEST_F(SiteExportTest, CancelledDialogWritesNothing)
{
    addReleve(QStringLiteral("12"), QString(), QString(), QString(), QString());
    ui.answerFile(QString());
    site.exportPlotData();
    EXPECT_FALSE(ui.log().join(QLatin1Char('\n')).contains(QStringLiteral("work:")));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

TEST(SiteExportSeparators, SiteDataLeaveOutEmptyColumnsAndCountTheSpecies)
{
    // Relevé 2 is an empty column between groups; relevé 1 says it has 13 species (as its
    // database did) but holds 2 in the table.
    SampleTable t{2, 30};
    t.setReleves(3);
    t.setItem(1, 2, QStringLiteral("R1"));
    t.setItem(3, 2, QStringLiteral("R3"));
    t.setItem(1, 30, QStringLiteral("  13"));
    t.setItem(3, 30, QStringLiteral("   1"));
    t.addSpecies(QStringLiteral("Poa annua"), {{1, layer(5, 10)}, {3, layer(5, 10)}});
    t.addSpecies(QStringLiteral("Carex nervata"), {{1, layer(5, 2)}});
    t.finish();
    const QString title = QStringLiteral("Hakone");
    ScriptedUserInterface ui;
    const SiteExport site(t.model, &title, ui);
    EXPECT_EQ(site.plotDataLines(), (QStringList{QStringLiteral("識別記号,出現種数"), QStringLiteral("R1,2"),
                                                 QStringLiteral("R3,1")}));
}
