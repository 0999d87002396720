// Printing the example table through the main window's printer, set to Qt's print to a PDF file
// as the print dialog leaves it: the full and the simplified print from the output panel.
#include "platform/print/fontsubstitutes.h"
#include "platform/print/qtprinterstream.h"
#include "platform/scripteduserinterface.h"
#include "shell/gui/mainwindow.h"
#include "shell/workspace.h"
#include "support/testsupport.h"

#include <QPrinter>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace Zelkor;

TEST(MainWindowPrint, ExampleTablePrintsToAPdfFileWithItsJapaneseFont)
{
    installFontSubstitutes();
    Zelkor::Test::TempDir dir;
    ScriptedUserInterface ui;
    Workspace ws(&ui);
    MainWindow window(&ws);
    ws.program().start({}, dir.path(QStringLiteral("zelkor")));
    ws.session().setDataFile(Zelkor::Test::sourcePath(QStringLiteral("examples/dune.zki")));
    RetrievalQuery query;
    query.lastRecord = ws.session().recordCount();
    ASSERT_TRUE(ws.extraction().scanDatabase(query, true));
    ui.cancelInput();
    ASSERT_GT(ws.extraction().insertSelected(), 0);
    ws.model().setModified(false);

    QPrinter *printer = window.printer();
    EXPECT_EQ(printer->resolution(), 1200);
    printer->setOutputFormat(QPrinter::PdfFormat);
    struct Case
    {
        const char *name;
        int mode;
    };
    for (const Case c : {Case{"full", OutputPanel::PrintTable}, Case{"simplified", OutputPanel::PrintKanni}}) {
        const QString pdf = dir.path(QStringLiteral("%1.pdf").arg(QLatin1String(c.name)));
        printer->setOutputFileName(pdf);
        ui.answerPrinter(std::make_unique<QtPrinterStream>(printer));
        ws.outputPanel().openForOutput(c.mode);
        ws.outputPanel().confirm();
        const QByteArray bytes = Zelkor::Test::readBytes(pdf);
        EXPECT_TRUE(bytes.startsWith("%PDF-")) << c.name;
        EXPECT_GE(QString::fromLatin1(bytes).count(QRegularExpression(QStringLiteral("/Type\\s*/Page\\b"))), 1) << c.name;
        EXPECT_TRUE(bytes.contains("IPAMincho")) << c.name;
        EXPECT_TRUE(bytes.contains("/FontFile2")) << c.name;
    }
    EXPECT_TRUE(ui.messages().isEmpty()) << ui.messages().join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(ws.isModified());
}
