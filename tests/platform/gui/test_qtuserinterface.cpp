// The desktop user interface: message boxes, file dialogs, the font dialog and the work message.
#include "platform/feedback.h"
#include "platform/gui/messagepanel.h"
#include "platform/gui/qtuserinterface.h"
#include "platform/printerstream.h"
#include "support/testsupport.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace Zelkor;

namespace {

// Runs handler on the next modal dialog once it is up (the dialog's exec() blocks the test).
void onNextModal(std::function<void(QWidget *)> handler)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    int *tries = new int(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, handler] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal && ++*tries < 300)
            return;
        timer->stop();
        timer->deleteLater();
        delete tries;
        if (modal)
            handler(modal);
    });
    timer->start();
}

QAbstractButton *buttonWithText(QWidget *box, const QString &text)
{
    for (QAbstractButton *b : box->findChildren<QAbstractButton *>())
        if (b->text() == text)
            return b;
    return nullptr;
}

struct QtUserInterfaceTest : ::testing::Test
{
    QMainWindow window;
    QtUserInterface ui{&window};

    void SetUp() override
    {
        window.resize(600, 400);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
};

TEST(QtUserInterfaceFilters, TurnLabelAndPatternIntoFileTypeEntries)
{
    // Patterns in both cases, shown once, in the label's own parentheses where it has them.
    EXPECT_EQ(QtUserInterface::nameFilters({QStringLiteral("植生データファイル (*.zki)|*.zki"),
                                            QStringLiteral("植生組成表ファイル (*.vtb)|*.VTB"),
                                            QStringLiteral("組成表テキストファイル(*.txt)|*.txt"),
                                            QStringLiteral("GPS　POTデータ　(*.pot)|*.pot"),
                                            QStringLiteral("Tables|*.vtb;*.txt"),
                                            QStringLiteral("no pattern")}),
              (QStringList{QStringLiteral("植生データファイル (*.zki *.ZKI)"),
                           QStringLiteral("植生組成表ファイル (*.vtb *.VTB)"),
                           QStringLiteral("組成表テキストファイル(*.txt *.TXT)"),
                           QStringLiteral("GPS　POTデータ　(*.pot *.POT)"),
                           QStringLiteral("Tables (*.vtb *.VTB *.txt *.TXT)"),
                           QStringLiteral("no pattern")}));
}

struct QuestionCase
{
    bool yesAbort;
    const char *click;
    bool expected;
};

TEST_F(QtUserInterfaceTest, QuestionsHaveJapaneseButtonsAndAnswerByThem)
{
    const QuestionCase cases[] = {{false, "はい(&Y)", true},
                                  {false, "いいえ(&N)", false},
                                  {true, "はい(&Y)", true},
                                  {true, "中止(&A)", false}};
    for (const QuestionCase &c : cases) {
        QString shownText;
        bool clicked = false;
        onNextModal([&](QWidget *w) {
            auto *box = qobject_cast<QMessageBox *>(w);
            ASSERT_NE(box, nullptr);
            shownText = box->text();
            if (QAbstractButton *b = buttonWithText(box, QString::fromUtf8(c.click))) {
                clicked = true;
                b->click();
            } else {
                box->reject();
            }
        });
        const QString q = QStringLiteral("この行を削除しますか？");
        const bool answer = c.yesAbort ? ui.askYesAbort(q) : ui.askYesNo(q);
        EXPECT_TRUE(clicked) << c.click;
        EXPECT_EQ(answer, c.expected) << c.click;
        EXPECT_EQ(shownText, q);
    }
}

TEST_F(QtUserInterfaceTest, UnsavedQuestionHasThreeJapaneseButtonsAndEscapeCancels)
{
    struct Case { const char *click; YesNoCancel expected; };
    const Case cases[] = {{"はい(&Y)", YesNoCancel::Yes},
                          {"いいえ(&N)", YesNoCancel::No},
                          {"キャンセル", YesNoCancel::Cancel},
                          {nullptr, YesNoCancel::Cancel}}; // Escape
    for (const Case &c : cases) {
        QStringList buttons;
        onNextModal([&](QWidget *w) {
            auto *box = qobject_cast<QMessageBox *>(w);
            ASSERT_NE(box, nullptr);
            for (QAbstractButton *b : box->buttons())
                buttons << b->text();
            if (c.click) {
                if (QAbstractButton *b = buttonWithText(box, QString::fromUtf8(c.click)))
                    b->click();
                else
                    box->done(-1);
            } else {
                QTest::keyClick(box, Qt::Key_Escape);
            }
        });
        EXPECT_EQ(ui.askYesNoCancel(QStringLiteral("現在の表は保存されていません。保存しますか？")), c.expected)
            << (c.click ? c.click : "Escape");
        buttons.sort();
        QStringList expected{QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)"), QStringLiteral("キャンセル")};
        expected.sort();
        EXPECT_EQ(buttons, expected);
    }
}

TEST_F(QtUserInterfaceTest, ErrorBoxHasTheCaptionAndTheErrorIcon)
{
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    onNextModal([&](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        ASSERT_NE(box, nullptr);
        caption = box->windowTitle();
        icon = box->icon();
        box->accept();
    });
    ui.showError(QStringLiteral("エラー"), QStringLiteral("ブラウザの起動に失敗しました"));
    EXPECT_EQ(caption, QStringLiteral("エラー"));
    EXPECT_EQ(icon, QMessageBox::Critical);
}

TEST_F(QtUserInterfaceTest, OpenDialogShowsTheRequestAndRemembersItsFolder)
{
    Zelkor::Test::TempDir dir;
    const QString zki = dir.writeBytes(QStringLiteral("veg.zki"), "x");
    FileDialogRequest request;
    request.title = QStringLiteral("データファイルの指定・変更");
    request.filters = {QStringLiteral("植生データファイル (*.zki)|*.zki"),
                       QStringLiteral("植生組成表ファイル (*.vtb)|*.VTB")};
    request.filterIndex = 2;
    request.directory = dir.path();
    request.fileName = QStringLiteral("*.zki");

    QString title, selectedFilter, folder;
    onNextModal([&](QWidget *w) {
        auto *dialog = qobject_cast<QFileDialog *>(w);
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        selectedFilter = dialog->selectedNameFilter();
        folder = dialog->directory().absolutePath();
        dialog->selectFile(zki);
        static_cast<QDialog *>(dialog)->accept();
    });
    EXPECT_EQ(ui.getOpenFileName(request), zki);
    EXPECT_EQ(title, request.title);
    EXPECT_EQ(selectedFilter, QStringLiteral("植生組成表ファイル (*.vtb *.VTB)"));
    EXPECT_EQ(folder, dir.path());

    // Without a folder of its own the next request starts where the last one ended.
    request.directory.clear();
    onNextModal([&](QWidget *w) {
        auto *dialog = qobject_cast<QFileDialog *>(w);
        ASSERT_NE(dialog, nullptr);
        folder = dialog->directory().absolutePath();
        dialog->reject();
    });
    EXPECT_EQ(ui.getOpenFileName(request), QString());
    EXPECT_EQ(folder, dir.path());
}

TEST_F(QtUserInterfaceTest, SaveDialogProposesTheNameAndAddsTheDefaultExtension)
{
    Zelkor::Test::TempDir dir;
    FileDialogRequest request;
    request.filters = {QStringLiteral("組成表で保存 (*.vtb)|*.vtb")};
    request.directory = dir.path();
    request.fileName = QStringLiteral("table");
    request.defaultExtension = QStringLiteral(".vtb");
    QString suffix;
    onNextModal([&](QWidget *w) {
        auto *dialog = qobject_cast<QFileDialog *>(w);
        ASSERT_NE(dialog, nullptr);
        suffix = dialog->defaultSuffix();
        static_cast<QDialog *>(dialog)->accept();
    });
    EXPECT_EQ(ui.getSaveFileName(request), dir.path(QStringLiteral("table.vtb")));
    EXPECT_EQ(suffix, QStringLiteral("vtb"));
}

TEST_F(QtUserInterfaceTest, FontDialogKeepsTheNameOfASubstitutedFace)
{
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    FontSpec font{QStringLiteral("ＭＳ ゴシック"), 9};
    QString shownFirst;
    onNextModal([&shownFirst](QWidget *w) {
        auto *dialog = qobject_cast<QFontDialog *>(w);
        ASSERT_NE(dialog, nullptr);
        shownFirst = dialog->currentFont().family();
        QFont f(QStringLiteral("IPAGothic"));
        f.setPointSize(12);
        dialog->setCurrentFont(f);
        static_cast<QDialog *>(dialog)->accept();
    });
    ASSERT_TRUE(ui.chooseFont(&font));
    // The dialog starts on the face in use.
    EXPECT_EQ(shownFirst, QFontInfo(QFont(QStringLiteral("ＭＳ ゴシック"))).family());
    EXPECT_EQ(font.name, QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(font.pointSize, 12);

    onNextModal([](QWidget *w) { static_cast<QDialog *>(w)->reject(); });
    const FontSpec before = font;
    EXPECT_FALSE(ui.chooseFont(&font));
    EXPECT_EQ(font, before);
}

TEST_F(QtUserInterfaceTest, PrintDialogChoosesTheSharedPrinter)
{
    // Without a printer there is nothing to choose.
    EXPECT_EQ(ui.choosePrinter(QStringLiteral("print")), nullptr);

    Zelkor::Test::TempDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.path(QStringLiteral("earlier.pdf")));
    ui.setPrinter(&printer);

    // The file proposed is the document's name, made a file name, in the folder printed to last.
    bool sawDialog = false;
    QString proposed;
    onNextModal([&](QWidget *w) {
        sawDialog = qobject_cast<QPrintDialog *>(w) != nullptr;
        proposed = printer.outputFileName();
        static_cast<QDialog *>(w)->reject();
    });
    EXPECT_EQ(ui.choosePrinter(QStringLiteral("Dune: wet/dry")), nullptr);
    EXPECT_TRUE(sawDialog);
    EXPECT_EQ(proposed, dir.path(QStringLiteral("Dune_ wet_dry.pdf")));
    EXPECT_EQ(printer.docName(), QStringLiteral("Dune_ wet_dry"));

    // Confirmed: a job on that printer, here Qt's print to a PDF file.
    onNextModal([](QWidget *w) { static_cast<QDialog *>(w)->accept(); });
    std::unique_ptr<PrinterStream> job = ui.choosePrinter(QStringLiteral("print"));
    ASSERT_NE(job, nullptr);
    ASSERT_TRUE(job->open());
    EXPECT_EQ(job->dotsPerInch(), 1200);
    job->writeLine(QStringLiteral("組成表"));
    EXPECT_TRUE(job->close()) << job->errorString().toStdString();
    const QByteArray printed = Zelkor::Test::readBytes(dir.path(QStringLiteral("print.pdf")));
    EXPECT_TRUE(printed.startsWith("%PDF-"));

    // A job dropped half-way leaves the PDF file printed before, and nothing beside it.
    onNextModal([](QWidget *w) { static_cast<QDialog *>(w)->accept(); });
    job = ui.choosePrinter(QStringLiteral("print"));
    ASSERT_NE(job, nullptr);
    ASSERT_TRUE(job->open());
    job->writeLine(QStringLiteral("途中まで"));
    job->abort();
    job.reset();
    EXPECT_EQ(Zelkor::Test::readBytes(dir.path(QStringLiteral("print.pdf"))), printed);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("print.pdf")});
    EXPECT_EQ(printer.outputFileName(), dir.path(QStringLiteral("print.pdf")));
}

TEST_F(QtUserInterfaceTest, WorkMessageShowsTwoLinesAndTheBusyCursorUntilClosed)
{
    MessagePanel *panel = ui.messagePanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(panel->isVisible());
    ui.showWorkMessage(QStringLiteral("　組成表を読込中　"));
    ui.showWorkMessage(QStringLiteral("　反復平均法 計算中　"), QStringLiteral("3"));
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->size(), QSize(297, 69));
    EXPECT_EQ(panel->line1(), QStringLiteral("　反復平均法 計算中　"));
    EXPECT_EQ(panel->line2(), QStringLiteral("3"));
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    const auto labels = panel->findChildren<QLabel *>();
    ASSERT_EQ(labels.size(), 2);
    EXPECT_EQ(labels.at(0)->font().pixelSize(), 15);
    EXPECT_EQ(labels.at(0)->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
    // Shown twice, closed once: the normal cursor is back.
    ui.closeWorkMessage();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// A work that runs without returning to the event loop, reporting its progress; true when it
// was cancelled before its last step.
bool runWork(Feedback *work, int steps)
{
    for (int i = 1; i <= steps; ++i) {
        work->setProgress(i);
        if (work->isCanceled())
            return true;
        QThread::msleep(20);
    }
    return false;
}

TEST_F(QtUserInterfaceTest, CancelButtonStopsTheWorkAndNothingElseTakesInput)
{
    MessagePanel *panel = ui.messagePanel();
    auto *other = new QPushButton(QStringLiteral("other"), &window);
    other->setGeometry(0, 0, 80, 30);
    other->show();
    int otherClicks = 0;
    QObject::connect(other, &QPushButton::clicked, [&] { ++otherClicks; });
    auto post = [](QWidget *target, QEvent::Type type) {
        const QPointF at(target->width() / 2.0, target->height() / 2.0);
        QCoreApplication::postEvent(target, new QMouseEvent(type, at, target->mapToGlobal(at), Qt::LeftButton,
                                                            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                                            Qt::NoModifier));
    };

    // A press on another button while the work runs reaches nothing, whether it comes through the
    // window or straight to the button; the work goes on to its end.
    Feedback first;
    ui.showCancelableWork(QStringLiteral("　エクセル形式データに変換中　"), QStringLiteral("   "), &first);
    ASSERT_TRUE(panel->cancelButton()->isVisible());
    EXPECT_EQ(panel->height(), MessagePanel::CancelableHeight);
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, Qt::NoModifier, other->geometry().center());
    post(other, QEvent::MouseButtonPress);
    post(other, QEvent::MouseButtonRelease);
    EXPECT_FALSE(runWork(&first, 15));
    EXPECT_EQ(otherClicks, 0);
    // The second line follows the steps a few times a second.
    const int shown = panel->line2().toInt();
    EXPECT_TRUE(shown >= 1 && shown <= 15) << panel->line2().toStdString();
    ui.closeWorkMessage();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // "中止" stops the work at its next step, pressed as the window system delivers a press: to
    // the window, which passes it on to the button.
    Feedback second;
    ui.showCancelableWork(QStringLiteral("　組成表を印刷しています　"), QString(), &second);
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      panel->cancelButton()->mapTo(&window, panel->cancelButton()->rect().center()));
    EXPECT_TRUE(runWork(&second, 200));
    EXPECT_EQ(panel->line2(), QStringLiteral("中止しています"));
    ui.closeWorkMessage();
    EXPECT_FALSE(panel->cancelButton()->isVisible());

    // So does Esc.
    Feedback third;
    ui.showCancelableWork(QStringLiteral("　組成表を印刷しています　"), QString(), &third);
    QCoreApplication::postEvent(&window, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    EXPECT_TRUE(runWork(&third, 200));
    ui.closeWorkMessage();

    // With the work over, the other button takes presses again.
    QTest::mouseClick(other, Qt::LeftButton);
    EXPECT_EQ(otherClicks, 1);
}

TEST_F(QtUserInterfaceTest, BusyCursorNests)
{
    ui.setBusy(true);
    ui.setBusy(true);
    ui.setBusy(false);
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
    ui.setBusy(false);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ui.setBusy(false); // an extra "normal" does not disturb anything
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

} // namespace
