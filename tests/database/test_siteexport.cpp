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
    // A leading 0, no tenths, decimals beyond the tenth, a negative altitude, a point on the limits.
    addReleve(QStringLiteral(" 13 "), QStringLiteral("0353045"), QStringLiteral("0853020"), QString(),
              QStringLiteral("-12"));
    addReleve(QStringLiteral("14"), QStringLiteral("353045"), QStringLiteral("1394530199"), QString(),
              QStringLiteral("0"));
    addReleve(QStringLiteral("15"), QStringLiteral("9000000"), QStringLiteral("1800000"), QString(),
              QStringLiteral("+3"));
    EXPECT_EQ(exported(&SiteExport::exportGpsPoints, QStringLiteral("a.pot")),
              QByteArray("DAT=WGS84/WGS84/0.000/0.00000000/0/0/0 \r\n"
                         "ORD=POI/tex=12/ido=035'30'45'5/kei=139'45'30'1/alt=+850/col=12\r\n"
                         "ORD=POI/tex=13/ido=035'30'45'0/kei=085'30'20'0/alt=-12/col=12\r\n"
                         "ORD=POI/tex=14/ido=035'30'45'0/kei=139'45'30'1/alt=+0/col=12\r\n"
                         "ORD=POI/tex=15/ido=090'00'00'0/kei=180'00'00'0/alt=+3/col=12\r\n"));
    EXPECT_EQ(ui.lastFileRequest().fileName, QStringLiteral("Hakone.pot"));
    EXPECT_TRUE(ui.log().contains(QStringLiteral("work:　ＧＰＳ形式の分布データの出力中　|")));
    EXPECT_FALSE(ui.log().join(QLatin1Char('\n')).contains(QStringLiteral("message:")));
}

// Values that do not make a point are never sliced into one: the relevé is left out and named.
TEST_F(SiteExportTest, GpsLeavesOutValuesThatDoNotFit)
{
    struct Case
    {
        const char *lat;
        const char *lon;
        const char *alt;
        const char *why;
    };
    const Case cases[] = {
        {"90858", "13945301", "850", "緯度（項目5）「90858」"},      // too few digits
        {"-3353520", "13945301", "850", "緯度（項目5）「-3353520」"}, // south has no form in the file
        {"", "13945301", "850", "緯度（項目5）「」"},
        {"3560455", "13945301", "850", "緯度（項目5）「3560455」"}, // 60 minutes
        {"3530605", "13945301", "850", "緯度（項目5）「3530605」"}, // 60 seconds
        {"9130000", "13945301", "850", "緯度（項目5）「9130000」"}, // beyond the pole
        {"90000001", "13945301", "850", "緯度（項目5）「90000001」"},
        {"35°30'", "13945301", "850", "緯度（項目5）「35°30'」"},
        {"3530455", "1813000", "850", "経度（項目6）「1813000」"},
        {"3530455", "394530", "850", "経度（項目6）「394530」"},
        {"3530455", "", "850", "経度（項目6）「」"},
        {"3530455", "13945301", "", "標高（項目8）「」"},
        {"3530455", "13945301", "850m", "標高（項目8）「850m」"},
    };
    for (const Case &c : cases)
        addReleve(QStringLiteral("P%1").arg(t.model.releveCount() + 1), QString::fromUtf8(c.lat),
                  QString::fromUtf8(c.lon), QString(), QString::fromUtf8(c.alt));
    addReleve(QStringLiteral("Good"), QStringLiteral("3530455"), QStringLiteral("13945301"), QString(),
              QStringLiteral("850"));

    const SiteLines lines = site.gpsPotLines();
    EXPECT_TRUE(lines.ok());
    EXPECT_EQ(lines.written, 1);
    EXPECT_EQ(lines.leftOut, int(std::size(cases)));
    ASSERT_EQ(lines.lines.size(), 2);
    EXPECT_TRUE(lines.lines[1].startsWith(QStringLiteral("ORD=POI/tex=Good/")));
    // The report counts them all and names the first ten with the value that does not fit.
    QStringList expected{QStringLiteral("13 件の測定は値がファイルの形式に合わないため書き出しませんでした。")};
    for (int i = 0; i < 10; ++i)
        expected << QStringLiteral("測定 %1（P%1）: %2").arg(i + 1).arg(QString::fromUtf8(cases[i].why));
    expected << QStringLiteral("ほか 3 件");
    EXPECT_EQ(lines.report(), expected.join(QLatin1Char('\n')));

    // The menu command writes what fits and then says what it left out.
    exported(&SiteExport::exportGpsPoints, QStringLiteral("a.pot"));
    EXPECT_EQ(Zelkor::Test::readLines(dir.path(QStringLiteral("a.pot"))).size(), 2);
    EXPECT_EQ(ui.log().last(), QStringLiteral("message:") + lines.report());
}

TEST_F(SiteExportTest, MeshFileWithAltitudeClasses)
{
    struct Case
    {
        const char *mesh;
        const char *altitude;
        const char *line; // nullptr: left out
    };
    const Case cases[] = {
        {"53394611", "850", "53394611.08"}, {"53394611", "1520", "53394611.15"}, {"5339", "99", "5339.00"},
        {"533946", "-150", "533946.-1"},    {"533946112", "Mt", "533946112.99"},  {"53394611234", "", "53394611234.99"},
        {"533", "40", nullptr},             {"", "40", nullptr},                  {"5339461", "40", nullptr},
        {"53398611", "40", nullptr},        {"533946115", "40", nullptr},         {"5339A611", "40", nullptr},
    };
    for (const Case &c : cases)
        addReleve(QStringLiteral("R"), QString(), QString(), QString::fromLatin1(c.mesh), QString::fromLatin1(c.altitude));
    QByteArray expected = "Hakone\r\n";
    int leftOut = 0;
    for (const Case &c : cases) {
        if (c.line)
            expected += QByteArray(c.line) + "; R\r\n";
        else
            ++leftOut;
    }
    EXPECT_EQ(exported(&SiteExport::exportMeshData, QStringLiteral("a.grd")), expected);
    EXPECT_EQ(ui.lastFileRequest().selectedFilter(), QStringLiteral("メッシュ分布データ (*.grd)|*.grd"));
    EXPECT_TRUE(ui.log().last().startsWith(
        QStringLiteral("message:%1 件の測定は値がファイルの形式に合わないため書き出しませんでした。\n測定 7（R）: 地理区画コード（項目7）「533」")
            .arg(leftOut)));
}

// A file that no relevé fits, or that lacks its items, is not written: the message says why.
TEST_F(SiteExportTest, NoFileWhenNothingFitsOrItemsAreMissing)
{
    addReleve(QStringLiteral("12"), QStringLiteral("90858"), QStringLiteral("13945301"), QStringLiteral("533"),
              QStringLiteral("850"));
    site.exportGpsPoints();
    site.exportMeshData();

    SampleTable noCoordinates{2, 8};
    noCoordinates.setReleves(1);
    SiteExport other(noCoordinates.model, &title, ui);
    other.exportGpsPoints();
    other.exportMeshData();
    EXPECT_EQ(ui.log(), (QStringList{
                            QStringLiteral("message:書き出せる測定がありません。\n1 件の測定は値がファイルの形式に合わないため"
                                           "書き出しませんでした。\n測定 1（12）: 緯度（項目5）「90858」"),
                            QStringLiteral("message:書き出せる測定がありません。\n1 件の測定は値がファイルの形式に合わないため"
                                           "書き出しませんでした。\n測定 1（12）: 地理区画コード（項目7）「533」"),
                            QStringLiteral("message:必要なデータが表にありません：緯度（項目5）、経度（項目6）"),
                            QStringLiteral("message:必要なデータが表にありません：地理区画コード（項目7）"),
                        }));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
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
