// The constancy-table panel and the second window, offscreen: building a table from the menu,
// closing and showing the window again, the tool bar, the score table, and the files.
#include "analysis/freqtableprint.h"
#include "analysis/gui/constancywindow.h"
#include "analysis/gui/freqtablepanel.h"
#include "analysis/sampletable.h"
#include "output/printcapture.h"
#include "platform/gui/gridwidget.h"
#include "platform/scripteduserinterface.h"
#include "shell/gui/mainwindow.h"
#include "shell/workspace.h"
#include "support/testsupport.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QDoubleSpinBox>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace Zelkor;

namespace {

struct Form2Test : ::testing::Test
{
    Zelkor::Test::TempDir dir;
    ScriptedUserInterface ui;
    Workspace ws{&ui};
    MainWindow window{&ws};
    ConstancyWindow *form2 = nullptr;
    FreqTablePanel *panel = nullptr;

    void SetUp() override
    {
        ws.program().start({}, dir.path(QStringLiteral("zelkor")));
        // Two groups: relevés 1 and 2, then relevé 4 after the empty column 3.
        Zelkor::Test::fillTable(&ws.model(), {QStringLiteral("Festuca rubra"), QStringLiteral("Poa annua")},
                                {{QStringLiteral("  1 "), QStringLiteral(" +  ")}, {QStringLiteral(" 2+ ")}, {},
                                 {QStringLiteral("  3 ")}});
        ws.setTableTitle(QStringLiteral("砂丘"));
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        form2 = window.constancyWindow();
        panel = window.freqTablePanel();
        ui.clearLog();
    }

    template<typename T>
    T *in(QWidget *parent, const char *name) const
    {
        T *w = parent->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QRadioButton *radio(const char *group, int item) const
    {
        return in<QGroupBox>(panel, group)->findChildren<QRadioButton *>().at(item);
    }
    QString cell(int c, int r) const { return form2->grid()->grid()->cell(c, r); }
    // Groups A (4 relevés) and B (6): "Only A" diagnostic for A, "Mostly B" for B.
    void fillGroupedTable()
    {
        Zelkor::Test::fillGroupedTable(&ws.model(), {4, 6},
                                       {{QStringLiteral("Everywhere"), {4, 6}},
                                        {QStringLiteral("Only A"), {4, 0}},
                                        {QStringLiteral("Mostly A"), {3, 1}},
                                        {QStringLiteral("Mostly B"), {0, 5}}});
    }
    QStringList tableNames() const
    {
        QStringList names;
        for (int s = 1; s <= ws.model().speciesCount(); ++s)
            names << ws.model().grid().cell(TableModel::NameColumn, ws.model().speciesRow(s));
        return names;
    }
    QString showCaption() const { return window.action(QStringLiteral("Item_ShowFreqTable"))->text(); }
};

} // namespace

TEST_F(Form2Test, MenuPanelBuildsTheTableIntoTheSecondWindow)
{
    EXPECT_FALSE(form2->isVisible());
    EXPECT_EQ(form2->windowTitle(), QStringLiteral("常在度表"));
    window.action(QStringLiteral("Item_MakeFreqTable"))->trigger();
    ASSERT_TRUE(panel->isVisible());
    EXPECT_EQ(in<QLabel>(panel, "Num_Releve")->text(), QStringLiteral("3"));
    EXPECT_EQ(in<QLabel>(panel, "Num_Group")->text(), QStringLiteral("2"));
    EXPECT_EQ(in<QLineEdit>(panel, "Edit_Title")->text(), QStringLiteral("砂丘常在度表"));
    EXPECT_TRUE(radio("RG_Freq", 0)->isChecked());
    EXPECT_TRUE(radio("RG_Cell", 0)->isChecked());

    // Classes only, empty cells blank, another title.
    radio("RG_Freq", 2)->click();
    radio("RG_Cell", 1)->click();
    in<QLineEdit>(panel, "Edit_Title")->setText(QStringLiteral("砂丘の群落"));
    QTest::mouseClick(in<QPushButton>(panel, "BtnFreqTable"), Qt::LeftButton);
    EXPECT_FALSE(panel->isVisible());
    ASSERT_TRUE(form2->isVisible());
    EXPECT_EQ(form2->windowTitle(), QStringLiteral("砂丘の群落"));
    EXPECT_TRUE(form2->toolPanel()->isVisible());
    EXPECT_EQ(form2->grid()->grid(), &ws.freqTable().grid());
    EXPECT_EQ(cell(1, 0), QStringLiteral("A"));
    EXPECT_EQ(cell(2, 0), QStringLiteral("B"));
    EXPECT_EQ(cell(1, 3), QStringLiteral("２"));
    EXPECT_EQ(cell(2, 4), QString());
    EXPECT_EQ(form2->grid()->grid()->colWidth(1), 22);
    EXPECT_EQ(showCaption(), QStringLiteral("常在度表を再表示する"));

    // "終了" hides the window and keeps the table; the menu shows it again.
    QTest::mouseClick(in<QPushButton>(form2, "Btn_Close"), Qt::LeftButton);
    EXPECT_FALSE(form2->isVisible());
    window.action(QStringLiteral("Item_ShowFreqTable"))->trigger();
    EXPECT_TRUE(form2->isVisible());
    EXPECT_EQ(cell(1, 3), QStringLiteral("２"));

    // The panel keeps its choices; the title starts afresh.
    window.action(QStringLiteral("Item_MakeFreqTable"))->trigger();
    EXPECT_TRUE(radio("RG_Freq", 2)->isChecked());
    EXPECT_TRUE(radio("RG_Cell", 1)->isChecked());
    EXPECT_EQ(in<QLineEdit>(panel, "Edit_Title")->text(), QStringLiteral("砂丘常在度表"));
    QTest::mouseClick(in<QPushButton>(panel, "BtnCancFreq"), Qt::LeftButton);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(form2->windowTitle(), QStringLiteral("砂丘の群落"));
    EXPECT_TRUE(ui.unansweredQuestions().isEmpty());
}

TEST_F(Form2Test, ToolBarAndPanelButtons)
{
    struct Button { const char *name; const char *caption; const char *hint; bool inPanel1; };
    const Button buttons[] = {
        {"Btn_Print", "印　刷", "表を直接印刷する", false},
        {"BtntoClip", "全コピー", "表をクリップボードに", false},
        {"Btn_Close", "終了", "常在度表を消去する", false},
        {"Btn_TextOut", "テキスト書出", "表を互換テキストファイルにする", true},
        {"Btn_CSVWrite", "CSV書出", "表をCSV形式で書き出す", true},
        {"Btn_Txread", "テキスト読込", "テキスト保存した表を読み込む", true},
        {"Btn_CSVRead", "CSV読込", "保存したCSV常在度表を読み込む", true},
        {"BTn_font", "フォント", "表のフォントを変更する", true},
    };
    for (const Button &b : buttons) {
        QPushButton *button = in<QPushButton>(form2, b.name);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), QString::fromUtf8(b.caption)) << b.name;
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(b.hint)) << b.name;
        EXPECT_EQ(form2->toolPanel()->isAncestorOf(button), b.inPanel1) << b.name;
        EXPECT_TRUE(button->isEnabled()) << b.name;
    }
    EXPECT_EQ(form2->objectName(), QStringLiteral("Form2"));
    EXPECT_EQ(form2->grid()->objectName(), QStringLiteral("FreqTable"));
    EXPECT_TRUE(form2->isWindow());
    EXPECT_EQ(form2->parentWidget(), &window);
}

TEST_F(Form2Test, CopyPutsTheWholeTableOnTheClipboard)
{
    ws.constancy().build(QStringLiteral("T"), ConstancyOptions{});
    QGuiApplication::clipboard()->clear();
    QTest::mouseClick(in<QPushButton>(form2, "BtntoClip"), Qt::LeftButton);
    const QString text = QGuiApplication::clipboard()->text();
    EXPECT_EQ(text, ws.freqTable().clipboardText());
    EXPECT_TRUE(text.startsWith(QStringLiteral("　群落区分\tA\tB\r\n")));
}

TEST_F(Form2Test, PrintSendsCaptionAndTableInTheGridFont)
{
    ws.constancy().build(QStringLiteral("砂丘"), ConstancyOptions{});
    Zelkor::Test::PrintCapture capture;
    ui.answerPrinter(Zelkor::Test::capturingPrinter(&capture));
    QTest::mouseClick(in<QPushButton>(form2, "Btn_Print"), Qt::LeftButton);
    EXPECT_EQ(capture.lines, FreqTablePrint::lines(ws.freqTable()));
    EXPECT_EQ(capture.lines.value(0), QStringLiteral("砂丘"));
    EXPECT_EQ(capture.font, ws.freqTable().font());
    EXPECT_EQ(capture.fontHeight, FreqTablePrint::printerFontHeight(ws.freqTable().font().pointSize, 600));
    EXPECT_TRUE(capture.closed);

    // A cancelled print dialog prints nothing.
    ui.clearLog();
    ui.cancelPrinter();
    QTest::mouseClick(in<QPushButton>(form2, "Btn_Print"), Qt::LeftButton);
    EXPECT_EQ(ui.log(), QStringList{QStringLiteral("print")});
}

TEST_F(Form2Test, ScoreTableHidesThePanelUntilTheNextConstancyTable)
{
    ws.freqTable().setScoreTable(ws.model().tableFont(), {{QStringLiteral("Festuca rubra"), QStringLiteral("12.0")}},
                                 {{QStringLiteral("R1"), QStringLiteral("0.0")}});
    form2->showTable();
    EXPECT_TRUE(form2->isVisible());
    EXPECT_FALSE(form2->toolPanel()->isVisible());
    EXPECT_EQ(form2->windowTitle(), QStringLiteral("Reciprocal Averaging Score"));
    EXPECT_EQ(form2->grid()->grid()->colCount(), 5);
    EXPECT_EQ(showCaption(), QStringLiteral("スコア表を再表示する"));

    ws.constancy().build(QStringLiteral("T"), ConstancyOptions{});
    EXPECT_TRUE(form2->toolPanel()->isVisible());
    EXPECT_EQ(form2->grid()->grid()->colCount(), 3);
    EXPECT_EQ(showCaption(), QStringLiteral("常在度表を再表示する"));
}

TEST_F(Form2Test, FilesThroughThePanelButtons)
{
    ws.constancy().build(QStringLiteral("砂丘常在度表"), ConstancyOptions{});
    const QString text = dir.path(QStringLiteral("t.txt"));
    const QString csv = dir.path(QStringLiteral("t.csv"));
    ui.answerFile(text);
    QTest::mouseClick(in<QPushButton>(form2, "Btn_TextOut"), Qt::LeftButton);
    ui.answerFile(csv);
    QTest::mouseClick(in<QPushButton>(form2, "Btn_CSVWrite"), Qt::LeftButton);
    ASSERT_FALSE(Zelkor::Test::readBytes(text).isEmpty());
    ASSERT_FALSE(Zelkor::Test::readBytes(csv).isEmpty());

    ui.answerFile(text);
    QTest::mouseClick(in<QPushButton>(form2, "Btn_Txread"), Qt::LeftButton);
    EXPECT_EQ(form2->grid()->grid()->colCount(), 5);
    EXPECT_EQ(cell(3, 0), QStringLiteral("A"));

    // A damaged file leaves the table on screen as it was.
    ui.answerFile(dir.writeBytes(QStringLiteral("bad.csv"), "title only\r\n"));
    QTest::mouseClick(in<QPushButton>(form2, "Btn_CSVRead"), Qt::LeftButton);
    EXPECT_EQ(ui.messages().size(), 1);
    EXPECT_EQ(form2->grid()->grid()->colCount(), 5);

    ws.freqTable().setCaption(QStringLiteral("x"));
    ui.answerFile(csv);
    QTest::mouseClick(in<QPushButton>(form2, "Btn_CSVRead"), Qt::LeftButton);
    EXPECT_EQ(form2->grid()->grid()->colCount(), 3);
    EXPECT_EQ(form2->windowTitle(), QStringLiteral("砂丘常在度表"));
    EXPECT_TRUE(ui.unansweredQuestions().isEmpty());
}

TEST_F(Form2Test, FidelityInThePanelShadesTheDiagnosticCells)
{
    fillGroupedTable();
    window.action(QStringLiteral("Item_MakeFreqTable"))->trigger();
    auto *fidelity = in<QCheckBox>(panel, "CB_Fidelity");
    auto *phiMin = in<QDoubleSpinBox>(panel, "Edit_PhiMin");
    auto *alpha = in<QDoubleSpinBox>(panel, "Edit_Alpha");
    auto *standardize = in<QCheckBox>(panel, "CB_Standardize");
    auto *order = in<QCheckBox>(panel, "CB_DiagnosticOrder");
    ASSERT_TRUE(fidelity && phiMin && alpha && standardize && order);
    EXPECT_EQ(fidelity->text(), QStringLiteral("適合度（φ係数）"));
    EXPECT_EQ(order->text(), QStringLiteral("診断種順に並べる"));
    EXPECT_FALSE(fidelity->isChecked());
    EXPECT_DOUBLE_EQ(phiMin->value(), 0.30);
    EXPECT_DOUBLE_EQ(alpha->value(), 0.05);
    EXPECT_TRUE(standardize->isChecked());
    EXPECT_FALSE(order->isChecked());
    // The settings of the fidelity wait for it.
    for (QWidget *w : std::initializer_list<QWidget *>{phiMin, alpha, standardize, order})
        EXPECT_FALSE(w->isEnabled());
    fidelity->click();
    for (QWidget *w : std::initializer_list<QWidget *>{phiMin, alpha, standardize, order})
        EXPECT_TRUE(w->isEnabled());

    radio("RG_Freq", 2)->click();
    QTest::mouseClick(in<QPushButton>(panel, "BtnFreqTable"), Qt::LeftButton);
    ASSERT_TRUE(form2->isVisible());
    EXPECT_EQ(cell(1, 4), QStringLiteral("４ 100"));
    EXPECT_EQ(cell(2, 6), QStringLiteral("Ⅴ 85"));
    EXPECT_EQ(cell(1, 5), QStringLiteral("３ 59"));
    EXPECT_EQ(ws.freqTable().shadedCells(), (std::vector<GridCell>{{1, 4}, {2, 6}}));

    // On screen the diagnostic cells are shaded, the others not.
    GridWidget *grid = form2->grid();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form2));
    const QImage image = grid->viewport()->grab().toImage();
    const auto colourAt = [&](int c, int r) {
        const QRect rect = grid->cellRect(c, r);
        EXPECT_FALSE(rect.isEmpty()) << c << "," << r;
        // The top right corner: the text stands at the left.
        return image.pixelColor(QPoint(rect.right() - 1, rect.top() + 1));
    };
    const QColor cellColour = GridWidget::cellColor();
    const QColor shaded(cellColour.red() & ConstancyWindow::diagnosticColor().red(),
                        cellColour.green() & ConstancyWindow::diagnosticColor().green(),
                        cellColour.blue() & ConstancyWindow::diagnosticColor().blue());
    EXPECT_EQ(colourAt(1, 4), shaded);
    EXPECT_EQ(colourAt(2, 6), shaded);
    EXPECT_EQ(colourAt(1, 5), cellColour);
    EXPECT_EQ(colourAt(2, 4), cellColour);

    // A stricter threshold, unstandardised: 14/24 in A is 58 and "Mostly B" is no longer enough.
    window.action(QStringLiteral("Item_MakeFreqTable"))->trigger();
    EXPECT_TRUE(fidelity->isChecked());
    phiMin->setValue(0.9);
    standardize->click();
    QTest::mouseClick(in<QPushButton>(panel, "BtnFreqTable"), Qt::LeftButton);
    EXPECT_EQ(cell(1, 5), QStringLiteral("３ 58"));
    EXPECT_EQ(ws.freqTable().shadedCells(), (std::vector<GridCell>{{1, 4}}));

    // Without the choice the table is the classic one again.
    window.action(QStringLiteral("Item_MakeFreqTable"))->trigger();
    fidelity->click();
    QTest::mouseClick(in<QPushButton>(panel, "BtnFreqTable"), Qt::LeftButton);
    EXPECT_EQ(cell(1, 4), QStringLiteral("４"));
    EXPECT_TRUE(ws.freqTable().shadedCells().empty());
    EXPECT_TRUE(ui.unansweredQuestions().isEmpty());
}

TEST_F(Form2Test, DiagnosticOrderInTheWindowAndInTheTable)
{
    fillGroupedTable();
    window.action(QStringLiteral("Item_MakeFreqTable"))->trigger();
    in<QCheckBox>(panel, "CB_Fidelity")->click();
    in<QCheckBox>(panel, "CB_DiagnosticOrder")->click();
    QTest::mouseClick(in<QPushButton>(panel, "BtnFreqTable"), Qt::LeftButton);
    QStringList labels;
    for (int r = 3; r < form2->grid()->grid()->rowCount(); ++r)
        labels << cell(0, r);
    EXPECT_EQ(labels, (QStringList{QStringLiteral("　A の診断種"), QStringLiteral("Only A"), QStringLiteral("　B の診断種"),
                                   QStringLiteral("Mostly B"), QStringLiteral("　その他の種"), QStringLiteral("Everywhere"),
                                   QStringLiteral("Mostly A")}));
    EXPECT_EQ(ws.freqTable().shadedCells(), (std::vector<GridCell>{{1, 4}, {2, 6}}));
    // The window's table only: the composition table keeps its order.
    EXPECT_EQ(tableNames().value(0), QStringLiteral("Everywhere"));

    // "組成表を診断種順に並べる" moves the species rows of the table the same way, without headings.
    ws.model().setModified(false);
    window.action(QStringLiteral("Item_SortDiagnostic"))->trigger();
    EXPECT_EQ(tableNames(), (QStringList{QStringLiteral("Only A"), QStringLiteral("Mostly B"), QStringLiteral("Everywhere"),
                                         QStringLiteral("Mostly A")}));
    EXPECT_TRUE(ws.model().isModified());
    EXPECT_TRUE(ui.messages().isEmpty());

    // Nothing diagnostic under the panel's settings: the table stays and the user is told.
    in<QDoubleSpinBox>(panel, "Edit_Alpha")->setValue(0.001);
    ws.model().setModified(false);
    window.action(QStringLiteral("Item_SortDiagnostic"))->trigger();
    EXPECT_EQ(tableNames().value(0), QStringLiteral("Only A"));
    EXPECT_FALSE(ws.model().isModified());
    EXPECT_EQ(ui.messages(), QStringList{ConstancyCommand::noDiagnosticSpeciesMessage()});
}
