#include "analysis/matrixoutput.h"
#include "analysis/matrixtable.h"
#include "analysis/pcordmatrixwriter.h"
#include "platform/cp932.h"
#include "platform/scripteduserinterface.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

using namespace Zelkor;

namespace {

struct MatrixOutputTest : ::testing::Test
{
    Zelkor::Test::TempDir dir;
    TableModel model;
    ScriptedUserInterface ui;
    MatrixOutputOptions options;

    void SetUp() override
    {
        Zelkor::Test::fillMatrixTable(model);
        options = MatrixOutputOptions::wholeTable(model);
        options.title = QStringLiteral("砂丘");
    }
};

using Command = bool (*)(const TableModel &, const MatrixOutputOptions &, UserInterface &);

} // namespace

TEST_F(MatrixOutputTest, DialogOverwriteQuestionAndWorkMessage)
{
    struct Case { const char *name; Command command; QString proposed; QStringList work; };
    const Case cases[] = {
        {"value matrix", &MatrixOutput::outputValueMatrix, QStringLiteral("砂丘-vm.csv"),
         {QStringLiteral("work:　数値表として出力中　|"), QStringLiteral("work:　数値表として出力中　|1"),
          QStringLiteral("work:　数値表として出力中　|2"), QStringLiteral("work:　数値表として出力中　|3"),
          QStringLiteral("work:　数値表として出力中　|4"), QStringLiteral("work-closed")}},
        {"package matrix", &MatrixOutput::outputPCordCSV, QStringLiteral("砂丘-pcm.csv"), {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.path(QStringLiteral("out.csv"));
        QFile::remove(path);

        // Cancelled dialog: nothing written.
        ui.clearLog();
        ui.answerFile(QString());
        EXPECT_FALSE(c.command(model, options, ui));
        EXPECT_FALSE(QFileInfo::exists(path));
        const FileDialogRequest &request = ui.lastFileRequest();
        EXPECT_EQ(request.selectedFilter(), QStringLiteral("組成のマトリクスデータ(*.csv)|*.csv"));
        EXPECT_EQ(request.fileName, c.proposed);
        EXPECT_EQ(ui.log(), QStringList{QStringLiteral("save:")});

        // Written; the work message (value matrix only) shows each row being written.
        ui.clearLog();
        ui.answerFile(path);
        ASSERT_TRUE(c.command(model, options, ui));
        EXPECT_EQ(ui.log().mid(1), c.work);
        const QByteArray written = Zelkor::Test::readBytes(path);
        ASSERT_FALSE(written.isEmpty());

        // Abort keeps the old file; Yes replaces it.
        dir.writeBytes(QStringLiteral("out.csv"), "old");
        ui.clearLog();
        ui.answerFile(path);
        ui.answerNo();
        EXPECT_FALSE(c.command(model, options, ui));
        EXPECT_EQ(ui.log().value(1), QStringLiteral("yesabort:同名のファイルが存在します。書き換えますか？"));
        EXPECT_EQ(Zelkor::Test::readBytes(path), QByteArray("old"));
        ui.answerFile(path);
        ui.answerYes();
        EXPECT_TRUE(c.command(model, options, ui));
        EXPECT_EQ(Zelkor::Test::readBytes(path), written);
        EXPECT_TRUE(ui.messages().isEmpty());
    }
}

TEST_F(MatrixOutputTest, AFileThatCannotBeWrittenIsReported)
{
    for (Command command : {&MatrixOutput::outputValueMatrix, &MatrixOutput::outputPCordCSV}) {
        ui.clearLog();
        ui.answerFile(dir.path(QStringLiteral("missing/folder/out.csv")));
        EXPECT_FALSE(command(model, options, ui));
        ASSERT_EQ(ui.messages().size(), 1);
        EXPECT_TRUE(ui.log().last().startsWith(QStringLiteral("error:エラー:"))) << ui.log().last().toStdString();
        EXPECT_FALSE(ui.workMessageShown());
    }
}

// The save dialog offers UTF-8; the choice made is written and is where the next dialog starts.
TEST_F(MatrixOutputTest, EncodingChosenInTheDialog)
{
    model.grid().setCell(TableModel::NameColumn, model.speciesRow(1), QStringLiteral("髙尾スミレ"));
    const QString path = dir.path(QStringLiteral("out.csv"));
    for (Command command : {&MatrixOutput::outputValueMatrix, &MatrixOutput::outputPCordCSV}) {
        for (TextEncoding encoding : {TextEncoding::Utf8, TextEncoding::Cp932}) {
            QFile::remove(path);
            ui.answerEncoding(encoding);
            ui.answerFile(path);
            ASSERT_TRUE(command(model, options, ui));
            EXPECT_TRUE(ui.lastFileRequest().offerEncoding);
            EXPECT_EQ(ui.csvEncoding(), encoding);
            QByteArray name = "\xE9\xAB\x99\xE5\xB0\xBE"; // 髙尾 in UTF-8
            if (encoding == TextEncoding::Cp932) {
                ASSERT_TRUE(Cp932::encode(QStringLiteral("髙尾"), &name));
            }
            const QString written = command == &MatrixOutput::outputPCordCSV ? PCordMatrixWriter::listFileName(path) : path;
            EXPECT_TRUE(Zelkor::Test::readBytes(written).contains(name));
        }
        // No choice made: the one remembered stays.
        ui.setCsvEncoding(TextEncoding::Utf8);
        QFile::remove(path);
        ui.answerFile(path);
        ASSERT_TRUE(command(model, options, ui));
        EXPECT_EQ(ui.csvEncoding(), TextEncoding::Utf8);
        ui.setCsvEncoding(TextEncoding::Cp932);
    }
}
