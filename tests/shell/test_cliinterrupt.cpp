// zelkor-cli stopped by an interrupt (Ctrl+C) in the middle of its work.
#include "output/sampletable.h"
#include "support/testsupport.h"
#include "table/covercode.h"
#include "table/tablefile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

using namespace Zelkor;
using Zelkor::Test::TempDir;

TEST(CliInterrupt, AnInterruptedWorkbookLeavesTheOldFileAndNothingElse)
{
    TempDir dir;
    // A table whose workbook takes a few seconds: 2,000 relevés by 1,500 species.
    Zelkor::Test::SampleTable t{2};
    t.setReleves(2000);
    for (int j = 1; j <= 1500; ++j) {
        const int k = t.addSpecies(QStringLiteral("Species %1").arg(j));
        const int row = t.h() + k;
        for (int i = 1 + j % 40; i <= 2000; i += 40) {
            const ByteDataSet codes = Zelkor::Test::layer(5, 10 + i % 40);
            t.model.grid().setCell(i + 3, row, dataToCellText(codes));
            t.model.coverData().set(t.model.releveIndexAt(i + 3), t.model.speciesIndexAt(row), codes);
        }
    }
    t.finish();
    const QString table = dir.path(QStringLiteral("table.vtb"));
    TableFile file;
    ASSERT_TRUE(file.write(t.model, QStringLiteral("Large"), table)) << qPrintable(file.errorString());
    const QString output = dir.writeBytes(QStringLiteral("out.xlsx"), "the old workbook");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("tmp")));
    const QString tmp = dir.path(QStringLiteral("tmp"));

    // The workbook is built in a folder under TMPDIR: once it is there, the work is under way.
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), tmp);
    cli.setProcessEnvironment(env);
    cli.start(QStringLiteral(ZELKOR_CLI_PATH), {QStringLiteral("export"), QStringLiteral("xlsx"), table,
                                                 QStringLiteral("-o"), output});
    ASSERT_TRUE(cli.waitForStarted());
    QElapsedTimer clock;
    clock.start();
    while (QDir(tmp).isEmpty() && cli.state() == QProcess::Running && clock.elapsed() < 60000)
        QThread::msleep(5);
    ASSERT_EQ(cli.state(), QProcess::Running) << "the workbook was written before it could be interrupted";
    ASSERT_FALSE(QDir(tmp).isEmpty());
    ::kill(pid_t(cli.processId()), SIGINT);
    ASSERT_TRUE(cli.waitForFinished(60000));

    EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cli.exitCode(), 130);
    EXPECT_TRUE(QString::fromUtf8(cli.readAllStandardError()).contains(QStringLiteral("中止しました")));
    EXPECT_EQ(Zelkor::Test::readBytes(output), QByteArray("the old workbook"));
    EXPECT_TRUE(QDir(tmp).isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{QStringLiteral("out.xlsx"), QStringLiteral("table.vtb")}));
}
