#include "analysis/ordinationfixtures.h"
#include "platform/csv.h"
#include "support/testsupport.h"

#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>

using namespace Zelkor;

namespace {

// The dune meadows extracted whole from the example database into a table file.
QString duneTable(const Zelkor::Test::TempDir &dir)
{
    const QString table = dir.path(QStringLiteral("dune.vtb"));
    const Zelkor::Test::CliResult r = Zelkor::Test::runCli(
        {QStringLiteral("extract"), Zelkor::Test::sourcePath(QStringLiteral("examples/dune.zki")), QStringLiteral("-o"), table});
    EXPECT_EQ(r.exitCode, 0) << r.errText().toStdString();
    return table;
}

QStringList outLines(const Zelkor::Test::CliResult &r)
{
    return r.outText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

TEST(CliOrdination, EigenvaluesOfTheDuneMeadowsAsVeganHasThem)
{
    // The table's cells converted by method 1 are the fixture's values.
    Zelkor::Test::TempDir dir;
    const QString table = duneTable(dir);
    struct Case
    {
        const char *method;
        const char *fixture;
        const char *prefix;
        double tolerance;
    };
    const Case cases[] = {{"ca", "dune-ca-scaling2.csv", "CA", 1e-6}, {"dca", "dune-dca.csv", "DCA", 0.01}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.method);
        const Zelkor::Test::CliResult r =
            Zelkor::Test::runCli({QStringLiteral("ordination"), table, QStringLiteral("--method"), QString::fromLatin1(c.method)});
        ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();
        const QStringList lines = outLines(r);
        ASSERT_EQ(lines.size(), 4) << r.outText().toStdString();
        const std::vector<double> want =
            Zelkor::Test::ordinationReference(QString::fromLatin1(c.fixture)).single.at(QStringLiteral("eigenvalue"));
        // "CA1 0.5459513": seven significant digits; the detrended analysis adds the length.
        const QRegularExpression form(QStringLiteral("^%1(\\d) (0\\.\\d{7})( \\d\\.\\d{6})?$").arg(QString::fromLatin1(c.prefix)));
        for (int k = 0; k < 4; ++k) {
            const QRegularExpressionMatch m = form.match(lines[k]);
            ASSERT_TRUE(m.hasMatch()) << lines[k].toStdString();
            EXPECT_EQ(m.captured(1).toInt(), k + 1);
            EXPECT_EQ(m.captured(3).isEmpty(), std::string(c.method) == "ca");
            const double got = m.captured(2).toDouble();
            // Up to the last digit shown for correspondence analysis.
            EXPECT_NEAR(got, want[std::size_t(k)], std::max(c.tolerance * want[std::size_t(k)], 5e-8))
                << lines[k].toStdString();
            if (k >= 1 && std::string(c.method) == "dca")
                break; // the detrended analysis's later axes are not vegan's
        }
    }
    // Presence (method 6) and more axes: other numbers, still sorted.
    const Zelkor::Test::CliResult p = Zelkor::Test::runCli({QStringLiteral("ordination"), table, QStringLiteral("--method"),
                                                            QStringLiteral("ca"), QStringLiteral("--conversion"),
                                                            QStringLiteral("presence"), QStringLiteral("--axes"), QStringLiteral("6")});
    ASSERT_EQ(p.exitCode, 0);
    const QStringList lines = outLines(p);
    ASSERT_EQ(lines.size(), 6);
    EXPECT_TRUE(lines[5].startsWith(QStringLiteral("CA6 ")));
    EXPECT_NE(lines[0], QStringLiteral("CA1 0.5459513"));
}

TEST(CliOrdination, WritesTheScoresAndTheDiagramInEachFormat)
{
    Zelkor::Test::TempDir dir;
    const QString table = duneTable(dir);
    const QString scores = dir.path(QStringLiteral("scores.csv"));
    for (const QString &suffix : {QStringLiteral("svg"), QStringLiteral("png"), QStringLiteral("pdf")}) {
        SCOPED_TRACE(suffix.toStdString());
        const QString plot = dir.path(QStringLiteral("plot.") + suffix);
        const Zelkor::Test::CliResult r = Zelkor::Test::runCli(
            {QStringLiteral("ordination"), table, QStringLiteral("--method"), QStringLiteral("dca"), QStringLiteral("--scores"),
             scores, QStringLiteral("--plot"), plot, QStringLiteral("--color-by"), QStringLiteral("管理"),
             QStringLiteral("--axes-shown"), QStringLiteral("1,3"), QStringLiteral("--species")});
        ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();
        const QByteArray bytes = Zelkor::Test::readBytes(plot);
        if (suffix == QLatin1String("png")) {
            const QImage image = QImage::fromData(bytes, "PNG");
            EXPECT_EQ(image.size(), QSize(1200, 900));
        } else if (suffix == QLatin1String("svg")) {
            EXPECT_TRUE(bytes.contains("<svg"));
            // The axes shown and the legend of the item.
            EXPECT_TRUE(bytes.contains("DCA3")) << "axis 3";
            EXPECT_TRUE(bytes.contains(QStringLiteral("管理").toUtf8()));
            EXPECT_TRUE(bytes.contains("NM"));
        } else {
            EXPECT_TRUE(bytes.startsWith("%PDF"));
        }
    }
    const QStringList lines = Zelkor::Test::readLines(scores);
    ASSERT_EQ(lines.size(), 1 + 20 + 30);
    EXPECT_EQ(lines[0], QStringLiteral("kind,label,DCA1,DCA2,DCA3,DCA4"));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("releve,D01,")));
    EXPECT_TRUE(lines[21].startsWith(QStringLiteral("species,Achillea millefolium,")));
}

TEST(CliOrdination, ErrorsWriteNothing)
{
    Zelkor::Test::TempDir dir;
    const QString table = duneTable(dir);
    const QString scores = dir.path(QStringLiteral("s.csv"));
    const QString plot = dir.path(QStringLiteral("p.svg"));
    const QString stars = dir.writeBytes(QStringLiteral("bad.vtb"), "title\r\nnot numbers\r\n");
    const QString ca = QStringLiteral("ca");
    const QString dca = QStringLiteral("dca");
    const QString m = QStringLiteral("--method");
    struct Case
    {
        QStringList args;
        int exitCode;
    };
    const Case cases[] = {
        {{table}, 2},
        {{table, m, QStringLiteral("pca")}, 2},
        {{table, m, dca, QStringLiteral("--scaling"), QStringLiteral("1")}, 2},
        {{table, m, ca, QStringLiteral("--scaling"), QStringLiteral("3")}, 2},
        {{table, m, ca, QStringLiteral("--downweight")}, 2},
        {{table, m, dca, QStringLiteral("--axes"), QStringLiteral("5")}, 2},
        {{table, m, ca, QStringLiteral("--axes"), QStringLiteral("0")}, 2},
        {{table, m, ca, QStringLiteral("--conversion"), QStringLiteral("7")}, 2},
        {{table, m, ca, QStringLiteral("--axes-shown"), QStringLiteral("1,1"), QStringLiteral("--plot"), plot}, 2},
        {{table, m, ca, QStringLiteral("--plot"), dir.path(QStringLiteral("p.gif"))}, 2},
        {{table, m, ca, QStringLiteral("--scores"), scores, QStringLiteral("--plot"), scores}, 2},
        {{table, m, ca, QStringLiteral("--scores"), scores, QStringLiteral("--plot"), plot, QStringLiteral("--color-by"),
          QStringLiteral("標高")},
         1},
        {{table, m, ca, QStringLiteral("--axes"), QStringLiteral("2"), QStringLiteral("--plot"), plot, QStringLiteral("--axes-shown"),
          QStringLiteral("1,3")},
         1},
        {{stars, m, ca, QStringLiteral("--scores"), scores}, 1},
        {{dir.path(QStringLiteral("missing.vtb")), m, ca, QStringLiteral("--scores"), scores}, 1},
        {{table, m, ca, QStringLiteral("--scores"), table}, 1},
        {{table, m, ca, QStringLiteral("--scores"), dir.path(QStringLiteral("no/such/folder/s.csv"))}, 1},
    };
    const QByteArray before = Zelkor::Test::readBytes(table);
    for (const Case &c : cases) {
        const QStringList args = QStringList{QStringLiteral("ordination")} + c.args;
        const Zelkor::Test::CliResult r = Zelkor::Test::runCli(args);
        EXPECT_EQ(r.exitCode, c.exitCode) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(r.err.isEmpty()) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(QFileInfo::exists(scores));
        EXPECT_FALSE(QFileInfo::exists(plot));
    }
    EXPECT_EQ(Zelkor::Test::readBytes(table), before);
}
