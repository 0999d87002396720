#include "analysis/fidelitycsvfile.h"
#include "analysis/fidelitytable.h"
#include "analysis/sampletable.h"
#include "platform/feedback.h"
#include "support/testsupport.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace Zelkor;

TEST(FidelityCsvFile, NumbersReadBackAsTheSameDouble)
{
    struct Case { double value; const char *text; };
    for (const Case c : {Case{0.575, "0.575"}, Case{1.0, "1"}, Case{-1.0, "-1"}, Case{0.0, "0"}, Case{-0.0, "0"},
                         Case{1.0 / 3.0, "0.3333333333333333"}, Case{25.0 / 210.0, "0.11904761904761904"},
                         Case{2.666174209030934e-194, "2.666174209030934e-194"}, Case{1e-5, "1e-05"}})
        EXPECT_EQ(FidelityCsvFile::number(c.value), QString::fromLatin1(c.text)) << c.text;
    // Whatever the value, the text gives it back.
    for (const double v : {0.1, 14.0 / 24.0, 20.0 / std::sqrt(600.0), 4.202401004435839e-300,
                           std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::max()}) {
        bool ok = false;
        EXPECT_EQ(FidelityCsvFile::number(v).toDouble(&ok), v);
        EXPECT_TRUE(ok);
    }
}

TEST(FidelityCsvFile, OneLinePerSpeciesAndGroup)
{
    TableModel model;
    // Groups A (relevés 1–2), an empty group, C (relevés 5–7).
    Zelkor::Test::fillGroupedTable(&model, {2, 0, 3},
                                   {{QStringLiteral("Festuca rubra, var."), {2, 0, 3}},
                                    {QStringLiteral("＜コメント＞"), {}},
                                    {QStringLiteral("Poa \"annua\""), {2, 0, 0}}});
    model.grid().setCell(TableModel::releveColumn(5), TableModel::LabelRow, QStringLiteral(" D05"));
    FidelityTable table;
    ASSERT_TRUE(table.compute(model, FidelityOptions{}));
    Zelkor::Test::TempDir dir;
    const QString path = dir.path(QStringLiteral("f.csv"));
    FidelityCsvFile file;
    ASSERT_TRUE(file.write(table, model, path)) << file.errorString().toStdString();

    const QByteArray bytes = Zelkor::Test::readBytes(path);
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    const QStringList lines = Zelkor::Test::readLines(path);
    const FidelityCell &poa = table.cell(3, 0);
    EXPECT_EQ(lines, (QStringList{
                         QStringLiteral("species,group,N,N_g,n,n_g,constancy,phi,p,diagnostic"),
                         QStringLiteral("\"Festuca rubra, var.\",A,5,2,5,2,100,0,1,0"),
                         QStringLiteral("\"Festuca rubra, var.\",D05,5,3,5,3,100,0,1,0"),
                         QStringLiteral("\"Poa \"\"annua\"\"\",A,5,2,2,2,100,1,%1,%2")
                             .arg(FidelityCsvFile::number(poa.p), poa.diagnostic ? QStringLiteral("1") : QStringLiteral("0")),
                         QStringLiteral("\"Poa \"\"annua\"\"\",D05,5,3,2,0,0,-1,1,0"),
                     }));
    // p of "Poa" in A: 1 / C(5, 2).
    EXPECT_DOUBLE_EQ(poa.p, 0.1);
}

TEST(FidelityCsvFile, AFailedOrCancelledWriteLeavesNoFile)
{
    TableModel model;
    Zelkor::Test::fillGroupedTable(&model, {2, 2}, {{QStringLiteral("a"), {2, 2}}, {QStringLiteral("b"), {2, 0}}});
    FidelityTable table;
    ASSERT_TRUE(table.compute(model, FidelityOptions{}));
    Zelkor::Test::TempDir dir;

    FidelityCsvFile file;
    EXPECT_FALSE(file.write(table, model, dir.path(QStringLiteral("no/folder/f.csv"))));
    EXPECT_FALSE(file.errorString().isEmpty());

    const QString path = dir.writeBytes(QStringLiteral("f.csv"), "old\r\n");
    Feedback feedback;
    feedback.cancel();
    EXPECT_FALSE(file.write(table, model, path, &feedback));
    EXPECT_EQ(file.errorString(), Feedback::canceledMessage());
    EXPECT_EQ(Zelkor::Test::readBytes(path), QByteArray("old\r\n"));
}
