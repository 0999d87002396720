// The retrieval panel in the main window, offscreen, on the example database (the dune meadows):
// its controls and defaults, the scan with its counters, the insertion with the title question,
// and the whole road on to a saved table that loads back as it was.
#include "database/databasebuilder.h"
#include "database/gui/addrelevepanel.h"
#include "platform/gui/gridwidget.h"
#include "platform/scripteduserinterface.h"
#include "platform/versioninfo.h"
#include "shell/gui/mainwindow.h"
#include "shell/workspace.h"
#include "support/testsupport.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <utility>

using namespace Zelkor;

namespace {

// The dune meadows hold 20 relevés; Lolium perenne is coded 2 or 3 in relevés 1-4, 6-8, 10
// and 11, + in 5, 9 and 18.
constexpr int kDuneReleves = 20;
const QString kLolium = QStringLiteral("Lolium perenne");

struct AddRelevePanelTest : ::testing::Test
{
    Zelkor::Test::TempDir dir;
    ScriptedUserInterface ui;
    Workspace ws{&ui};
    MainWindow window{&ws};
    AddRelevePanel *panel = nullptr;

    void SetUp() override
    {
        // The program's own settings name the example database and dictionary, as the start
        // script does.
        dir.writeLines(QStringLiteral("zelkor.ini"),
                       {QStringLiteral("[DataDir]"),
                        QStringLiteral("Directory=") + Zelkor::Test::sourcePath(QStringLiteral("examples")),
                        QStringLiteral("[DataFile]"), QStringLiteral("DataFile=dune.zki"), QStringLiteral("[Files]"),
                        QStringLiteral("SynDict=") + Zelkor::Test::sourcePath(QStringLiteral("examples/dune.dic"))});
        ws.program().start({}, dir.path(QStringLiteral("zelkor")));
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        ASSERT_EQ(ws.session().recordCount(), kDuneReleves);
        panel = window.addRelevePanel();
        ASSERT_NE(panel, nullptr);
        ui.clearLog();
    }

    template<typename W>
    W *control(const QString &name) const
    {
        W *w = panel->findChild<W *>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    QLineEdit *name(int i) const { return control<QLineEdit>(QStringLiteral("EditName%1").arg(i)); }
    QComboBox *cover(int i) const { return control<QComboBox>(QStringLiteral("EditCov%1").arg(i)); }
    QRadioButton *join(int i, const QString &caption) const
    {
        for (QRadioButton *r : control<QWidget>(QStringLiteral("RG_Retr%1").arg(i))->findChildren<QRadioButton *>())
            if (r->text() == caption)
                return r;
        ADD_FAILURE() << "no join " << caption.toStdString();
        return nullptr;
    }
    QString text(const QString &label) const { return control<QLabel>(label)->text(); }
    void click(const QString &buttonName) { QTest::mouseClick(control<QPushButton>(buttonName), Qt::LeftButton); }
    void open() { window.action(QStringLiteral("Item_AddReleve"))->trigger(); }

    // A database of `releves` relevés with one species each.
    QString makeDatabase(const QString &fileName, int releves)
    {
        DatabaseBuilder b;
        for (int i = 1; i <= releves; ++i) {
            DatabaseBuilder::Site s;
            s.id = QString::number(i);
            EXPECT_TRUE(b.addSite(s));
            EXPECT_TRUE(b.addSpecies(s.id, QStringLiteral("Poa annua"), QStringLiteral("H1"), QStringLiteral("1")));
        }
        const QString path = dir.path(fileName);
        EXPECT_TRUE(b.write(path)) << b.errorString().toStdString();
        return path;
    }

    // Every cell of the table in use (hidden index row and column included), and the cover codes
    // of every relevé column and species row by their hidden indexes, scale element included.
    using Snapshot = std::pair<QStringList, std::map<std::pair<int, int>, ByteDataSet>>;
    Snapshot snapshot() const
    {
        const TableModel &m = ws.model();
        Snapshot s;
        const int lastRow = m.headerRows() + m.speciesCount();
        const int lastCol = m.releveCount() + 3;
        for (int r = 0; r <= lastRow; ++r)
            for (int c = 0; c <= lastCol; ++c)
                s.first << QStringLiteral("%1,%2:%3").arg(c).arg(r).arg(m.grid().cell(c, r));
        for (int c = 3; c <= lastCol; ++c) {
            const int ri = m.releveIndexAt(c);
            s.second[{c, 0}] = m.coverData().at(ri, 0);
            for (int r = m.headerRows() + 1; r <= lastRow; ++r)
                s.second[{c, r}] = m.coverData().at(ri, m.speciesIndexAt(r));
        }
        return s;
    }
};

} // namespace

TEST_F(AddRelevePanelTest, OpensWithTheCaptionsAndDefaults)
{
    EXPECT_FALSE(panel->isVisible());
    open();
    ASSERT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->objectName(), QStringLiteral("Panel_AddReleve"));
    EXPECT_EQ(text(QStringLiteral("Label_fileName")), QStringLiteral("dune"));
    EXPECT_EQ(control<QSpinBox>(QStringLiteral("RtN1"))->value(), 1);
    EXPECT_EQ(control<QSpinBox>(QStringLiteral("RtN2"))->value(), kDuneReleves);
    EXPECT_EQ(control<QSpinBox>(QStringLiteral("RtN2"))->maximum(), kDuneReleves);
    EXPECT_EQ(control<QSpinBox>(QStringLiteral("RtN2"))->minimum(), 0);
    for (const char *label : {"LabRelN", "LabSpN", "LabSerachN", "LabFitN"})
        EXPECT_EQ(text(QString::fromUtf8(label)), QStringLiteral("0")) << label;
    EXPECT_EQ(window.focusWidget(), control<QLineEdit>(QStringLiteral("EditGrid")));
    // Tab goes on to the first species condition.
    EXPECT_EQ(control<QLineEdit>(QStringLiteral("EditGrid"))->nextInFocusChain(), name(1));

    // The fixed captions, each on a label of its own before the value it names.
    QStringList captions;
    for (const QLabel *l : panel->findChildren<QLabel *>())
        captions << l->text();
    for (const char *c : {"データファイル：", " 現在の組成表　　測定数＝", " 植物数＝", "対象レコード範囲", "～",
                          "対象地理区画コード", "植物名 ／ 地理区画", "最低値", "調査中 ⇒", "抽出数＝"})
        EXPECT_TRUE(captions.contains(QString::fromUtf8(c))) << c;

    const std::pair<const char *, const char *> buttons[] = {
        {"BtnChgFile", "データファイル変更"}, {"BtnSynToCom", "標準名に変換"}, {"BtnRetrReset", "初期化"},
        {"BtnRetrNew", "新規抽出"},          {"BtnRetrAdd", "追加抽出"},      {"BtnRetrQuit", "組み込まず終了"},
        {"BtnToTable", "表へ組み込む"}};
    for (const auto &[objectName, caption] : buttons)
        EXPECT_EQ(control<QPushButton>(QString::fromUtf8(objectName))->text(), QString::fromUtf8(caption));

    for (int i = 1; i <= AddRelevePanel::ConditionCount; ++i) {
        EXPECT_TRUE(name(i)->text().isEmpty());
        QStringList items;
        for (int k = 0; k < cover(i)->count(); ++k)
            items << cover(i)->itemText(k);
        EXPECT_EQ(items, (QStringList{"+", "1", "2", "3", "4", "5"}));
        EXPECT_TRUE(cover(i)->isEditable());
        EXPECT_EQ(cover(i)->currentText(), QStringLiteral("+"));
        QStringList joins;
        for (const QRadioButton *r : control<QWidget>(QStringLiteral("RG_Retr%1").arg(i))->findChildren<QRadioButton *>())
            joins << r->text();
        EXPECT_EQ(joins, (QStringList{"または", "そして", "なし"}));
        EXPECT_TRUE(join(i, QStringLiteral("そして"))->isChecked());
    }
    // The panel lies inside the window, over the grid.
    EXPECT_TRUE(window.rect().contains(panel->geometry()));
    EXPECT_TRUE(window.grid()->geometry().intersects(panel->geometry()));
}

TEST_F(AddRelevePanelTest, TypedNamesStopAtTheFieldLengthButStandardNamesStayWhole)
{
    const QString longName = QStringLiteral("Festuca rubra subsp. commutata var. litoralis"); // 45 characters
    ASSERT_GT(longName.size(), AddRelevePanel::NameMaxLength);
    ASSERT_TRUE(ws.session().loadDictionary(dir.writeLines(QStringLiteral("long.dic"), {QStringLiteral("Festcomm,") + longName})));
    open();
    QTest::keyClicks(name(1), QString(40, QLatin1Char('x')));
    EXPECT_EQ(name(1)->text().size(), AddRelevePanel::NameMaxLength);

    // Synonyms, an abbreviation of the dictionary and a name with blanks around it.
    name(1)->setText(QStringLiteral(" festcomm "));
    name(2)->setText(QStringLiteral("Lolipere"));
    name(4)->setText(QStringLiteral("  Poa annua "));
    click(QStringLiteral("BtnSynToCom"));
    EXPECT_EQ(name(1)->text(), longName);
    EXPECT_EQ(name(2)->text(), kLolium);
    EXPECT_EQ(name(3)->text(), QString());
    EXPECT_EQ(name(4)->text(), QStringLiteral("Poa annua"));
    // A standard name longer than the field can be shortened, not lengthened.
    name(1)->setFocus();
    name(1)->end(false);
    QTest::keyClicks(name(1), QStringLiteral("x"));
    EXPECT_EQ(name(1)->text(), longName);
    QTest::keyClick(name(1), Qt::Key_Backspace);
    EXPECT_EQ(name(1)->text(), longName.chopped(1));
}

struct CoverCase
{
    const char *typed;
    int level;
};

TEST_F(AddRelevePanelTest, MinimumCoverIsTheChosenItemAndATypedOtherTextNeverHolds)
{
    open();
    name(1)->setText(kLolium);
    // Levels 0 and 2 split the Lolium relevés; texts that are no item select nothing.
    const std::map<int, QString> fits{{0, QStringLiteral("12")}, {2, QStringLiteral("9")}, {-1, QStringLiteral("0")}};
    for (const CoverCase c : {CoverCase{"+", 0}, CoverCase{"2", 2}, CoverCase{"5", 5}, CoverCase{"6", -1},
                              CoverCase{"２", -1}, CoverCase{"", -1}, CoverCase{"2 ", -1}}) {
        const QString typed = QString::fromUtf8(c.typed);
        cover(1)->lineEdit()->clear();
        // Key clicks know only ASCII; the full-width digit comes as an input method would put it.
        if (typed.isEmpty() || typed.front().unicode() < 128)
            QTest::keyClicks(cover(1)->lineEdit(), typed);
        else
            cover(1)->lineEdit()->insert(typed);
        ASSERT_EQ(cover(1)->currentText(), typed);
        EXPECT_EQ(panel->query().conditions[0].level, c.level) << c.typed;
        if (fits.count(c.level)) {
            click(QStringLiteral("BtnRetrNew"));
            EXPECT_EQ(text(QStringLiteral("LabFitN")), fits.at(c.level)) << c.typed;
        }
    }
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST_F(AddRelevePanelTest, QueryTakesTheFieldsAsTyped)
{
    open();
    control<QSpinBox>(QStringLiteral("RtN1"))->setValue(3);
    control<QSpinBox>(QStringLiteral("RtN2"))->setValue(7);
    QTest::keyClicks(control<QLineEdit>(QStringLiteral("EditGrid")), QStringLiteral(" 5339"));
    name(1)->setText(QStringLiteral(" Poa "));
    name(2)->setText(kLolium);
    join(1, QStringLiteral("なし"))->click();
    join(2, QStringLiteral("または"))->click();
    cover(2)->setCurrentIndex(4);
    const RetrievalQuery q = panel->query();
    EXPECT_EQ(q.firstRecord, 3);
    EXPECT_EQ(q.lastRecord, 7);
    EXPECT_EQ(q.meshPrefix, QStringLiteral(" 5339"));
    EXPECT_EQ(q.conditions[0].name, QStringLiteral(" Poa "));
    EXPECT_EQ(q.conditions[0].join, ConditionJoin::Not);
    EXPECT_EQ(q.conditions[0].level, 0);
    EXPECT_EQ(q.conditions[1].join, ConditionJoin::Or);
    EXPECT_EQ(q.conditions[1].level, 4);
    EXPECT_EQ(q.conditions[2].name, QString());
    EXPECT_EQ(q.conditions[2].join, ConditionJoin::And);
}

TEST_F(AddRelevePanelTest, ScanCountsAndAdditionalScanKeepsTheEarlierSelection)
{
    open();
    name(1)->setText(kLolium);
    cover(1)->setCurrentIndex(2);
    control<QSpinBox>(QStringLiteral("RtN2"))->setValue(5);
    click(QStringLiteral("BtnRetrNew"));
    EXPECT_EQ(text(QStringLiteral("LabSerachN")), QStringLiteral("5"));
    EXPECT_EQ(text(QStringLiteral("LabFitN")), QStringLiteral("4")); // relevés 1 .. 4
    // Records 6 .. 20 added: 6, 7, 8, 10 and 11, while 1 .. 4 stay selected.
    control<QSpinBox>(QStringLiteral("RtN1"))->setValue(6);
    control<QSpinBox>(QStringLiteral("RtN2"))->setValue(kDuneReleves);
    click(QStringLiteral("BtnRetrAdd"));
    EXPECT_EQ(text(QStringLiteral("LabSerachN")), QString::number(kDuneReleves));
    EXPECT_EQ(text(QStringLiteral("LabFitN")), QStringLiteral("9"));
    for (int i : {1, 4, 6, 11})
        EXPECT_TRUE(ws.extraction().selection().isSelected(i)) << i;
    EXPECT_FALSE(ws.extraction().selection().isSelected(5));
    // A new scan of an empty range selects nothing and names no record.
    control<QSpinBox>(QStringLiteral("RtN1"))->setValue(9);
    control<QSpinBox>(QStringLiteral("RtN2"))->setValue(8);
    click(QStringLiteral("BtnRetrNew"));
    EXPECT_EQ(text(QStringLiteral("LabFitN")), QStringLiteral("0"));
    EXPECT_EQ(text(QStringLiteral("LabSerachN")), QString::number(kDuneReleves));
    EXPECT_FALSE(ws.extraction().selection().isSelected(1));
}

TEST_F(AddRelevePanelTest, ReopeningKeepsTheConditionsAndResetClearsThemButNotTheJoins)
{
    open();
    QTest::keyClicks(control<QLineEdit>(QStringLiteral("EditGrid")), QStringLiteral("53"));
    name(1)->setText(kLolium);
    name(2)->setText(QStringLiteral("Poa annua"));
    cover(2)->setCurrentIndex(3);
    join(2, QStringLiteral("なし"))->click();
    control<QSpinBox>(QStringLiteral("RtN1"))->setValue(4);
    click(QStringLiteral("BtnRetrQuit"));
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(ws.model().releveCount(), 0);

    open();
    EXPECT_EQ(control<QSpinBox>(QStringLiteral("RtN1"))->value(), 1);
    EXPECT_EQ(name(1)->text(), kLolium);
    EXPECT_EQ(cover(2)->currentText(), QStringLiteral("3"));
    EXPECT_TRUE(join(2, QStringLiteral("なし"))->isChecked());
    EXPECT_EQ(control<QLineEdit>(QStringLiteral("EditGrid"))->text(), QStringLiteral("53"));

    control<QSpinBox>(QStringLiteral("RtN2"))->setValue(3);
    cover(3)->lineEdit()->setText(QStringLiteral("x"));
    click(QStringLiteral("BtnRetrReset"));
    EXPECT_EQ(control<QSpinBox>(QStringLiteral("RtN2"))->value(), kDuneReleves);
    EXPECT_TRUE(control<QLineEdit>(QStringLiteral("EditGrid"))->text().isEmpty());
    for (int i = 1; i <= AddRelevePanel::ConditionCount; ++i) {
        EXPECT_TRUE(name(i)->text().isEmpty()) << i;
        EXPECT_EQ(cover(i)->currentText(), QStringLiteral("+")) << i;
        EXPECT_EQ(panel->query().conditions[std::size_t(i - 1)].level, 0) << i;
    }
    EXPECT_TRUE(join(2, QStringLiteral("なし"))->isChecked());
    EXPECT_EQ(window.focusWidget(), name(1));
}

TEST_F(AddRelevePanelTest, RecordRangeFollowsADatabaseChangeWhileOpen)
{
    open();
    const QString small = makeDatabase(QStringLiteral("small.zki"), 3);
    // The menu command while the panel is open.
    ui.answerFile(small);
    window.action(QStringLiteral("Item_FileChg"))->trigger();
    ASSERT_EQ(ws.session().recordCount(), 3);
    EXPECT_EQ(window.action(QStringLiteral("Item_FileChg"))->text(), QStringLiteral("データファイルの変更"));
    auto *rtN2 = control<QSpinBox>(QStringLiteral("RtN2"));
    EXPECT_EQ(rtN2->maximum(), 3);
    EXPECT_EQ(rtN2->value(), 3);
    EXPECT_EQ(text(QStringLiteral("Label_fileName")), QStringLiteral("small"));
    click(QStringLiteral("BtnRetrNew"));
    EXPECT_EQ(text(QStringLiteral("LabFitN")), QStringLiteral("3"));

    // A database dropped on the window.
    ws.program().openDroppedFile(Zelkor::Test::sourcePath(QStringLiteral("examples/dune.zki")));
    EXPECT_EQ(rtN2->maximum(), kDuneReleves);
    EXPECT_EQ(rtN2->value(), 3);

    // The panel's own button: the range is the new database's whole.
    ui.answerFile(small);
    click(QStringLiteral("BtnChgFile"));
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(ui.lastFileRequest().title, QStringLiteral("データファイルの指定・変更"));
    EXPECT_EQ(rtN2->maximum(), 3);
    EXPECT_EQ(rtN2->value(), 3);
    EXPECT_EQ(text(QStringLiteral("LabFitN")), QStringLiteral("0"));
}

TEST_F(AddRelevePanelTest, ExtractInsertSaveClearAndLoadGiveTheSameTable)
{
    open();
    QTest::keyClicks(name(1), kLolium);
    cover(1)->lineEdit()->clear();
    QTest::keyClicks(cover(1)->lineEdit(), QStringLiteral("2"));
    click(QStringLiteral("BtnRetrNew"));
    EXPECT_EQ(text(QStringLiteral("LabFitN")), QStringLiteral("9"));
    EXPECT_EQ(text(QStringLiteral("LabSerachN")), QString::number(kDuneReleves));

    ui.answerText(QStringLiteral("Lolium meadows"));
    click(QStringLiteral("BtnToTable"));
    EXPECT_FALSE(panel->isVisible());
    ASSERT_EQ(ui.log().filter(QStringLiteral("input:")).size(), 1);
    EXPECT_EQ(ws.tableTitle(), QStringLiteral("Lolium meadows"));
    EXPECT_TRUE(window.windowTitle().contains(QStringLiteral("（Lolium meadows）")));
    const TableModel &m = ws.model();
    ASSERT_EQ(m.releveCount(), 9);
    EXPECT_EQ(window.statusTexts().at(3), QStringLiteral("9"));
    EXPECT_GT(m.speciesCount(), 1);
    EXPECT_TRUE(window.action(QStringLiteral("Item_SaveTable"))->isEnabled());
    // The relevés in record order under their identifiers, Lolium perenne among the species.
    const int h = m.headerRows();
    int idRow = -1;
    for (int r = 2; r < h; ++r)
        if (m.grid().cell(2, r) == QStringLiteral("識別記号"))
            idRow = r;
    ASSERT_GT(idRow, 0);
    EXPECT_EQ(m.grid().cell(4, idRow), QStringLiteral("D01"));
    EXPECT_EQ(m.grid().cell(8, idRow), QStringLiteral("D06"));
    EXPECT_EQ(m.grid().cell(12, idRow), QStringLiteral("D11"));
    int loliumRow = -1;
    for (int r = h + 1; r <= h + m.speciesCount(); ++r)
        if (m.grid().cell(2, r) == kLolium)
            loliumRow = r;
    ASSERT_GT(loliumRow, 0);
    for (int c = 4; c <= 12; ++c)
        EXPECT_FALSE(m.grid().cell(c, loliumRow).trimmed().isEmpty()) << c;
    // The grid shows what the table holds.
    EXPECT_EQ(window.grid()->grid()->cell(2, loliumRow), kLolium);

    const Snapshot before = snapshot();
    const QString saved = dir.path(QStringLiteral("lolium.vtb"));
    ui.answerFile(saved);
    window.action(QStringLiteral("Item_SaveTable"))->trigger();
    ASSERT_TRUE(QFileInfo::exists(saved));
    EXPECT_EQ(ui.lastFileRequest().fileName, QStringLiteral("Lolium meadows.vtb"));

    window.action(QStringLiteral("Item_ClearTable"))->trigger();
    ASSERT_EQ(ws.model().releveCount(), 0);
    ASSERT_NE(snapshot(), before);

    ui.answerFile(saved);
    window.action(QStringLiteral("Item_LoadTable"))->trigger();
    EXPECT_TRUE(ui.messages().isEmpty()) << ui.messages().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(ws.tableTitle(), QStringLiteral("Lolium meadows"));
    EXPECT_EQ(window.statusTexts().at(9), QStringLiteral("lolium.vtb"));
    const Snapshot after = snapshot();
    EXPECT_EQ(after.first, before.first);
    EXPECT_EQ(after.second, before.second);
}

TEST_F(AddRelevePanelTest, MenuCommandsOfTheDatabaseAndSettingsRun)
{
    for (const char *item : {"Item_AddReleve", "Item_LoadTable", "Item_FileChg", "Item_UseFI", "Item_ReadINI",
                             "Item_CheckName", "Item_ChangeItem"})
        EXPECT_TRUE(window.action(QString::fromUtf8(item))->isEnabled()) << item;

    // "データ埋込項目を使う": the check shows the answer.
    QAction *useFI = window.action(QStringLiteral("Item_UseFI"));
    ASSERT_TRUE(useFI->isChecked());
    ui.answerNo();
    useFI->trigger();
    EXPECT_FALSE(useFI->isChecked());
    EXPECT_FALSE(ws.settings().useDataItem);
    ui.answerYes();
    useFI->trigger();
    EXPECT_TRUE(useFI->isChecked());
    EXPECT_TRUE(ws.settings().useDataItem);

    // "設定ファイルの読込み": the check, the window and the items follow the file read.
    const QString other = dir.writeLines(
        QStringLiteral("other.ini"),
        {QStringLiteral("[Item]"), QStringLiteral("UseDataItem=0"), QStringLiteral("C05str=方位角"),
         QStringLiteral("[WinSize]"), QStringLiteral("Top=40"), QStringLiteral("Left=30"),
         QStringLiteral("Height=480"), QStringLiteral("Width=720")});
    ui.answerFile(other);
    window.action(QStringLiteral("Item_ReadINI"))->trigger();
    EXPECT_EQ(ui.lastFileRequest().selectedFilter(), QStringLiteral("設定ファイル (*.ini)|*.ini"));
    EXPECT_FALSE(useFI->isChecked());
    EXPECT_EQ(window.frameGeometry().size(), QSize(720, 480));
    EXPECT_EQ(ws.items()[5].label, QStringLiteral("方位角"));

    // "異名辞書の読込み".
    const QString dic = dir.writeLines(QStringLiteral("more.dic"), {QStringLiteral("Lolium,Lolium perenne")});
    ui.answerFile(dic);
    window.action(QStringLiteral("Item_CheckName"))->trigger();
    EXPECT_EQ(window.statusTexts().at(7), QStringLiteral("more.dic"));
    EXPECT_EQ(ws.session().synToCommonName(QStringLiteral("lolium")), kLolium);
}

// Records of the range that cannot be read are told in a line of the panel; a sound scan hides it.
TEST_F(AddRelevePanelTest, UnreadableRecordsAreToldUnderTheCounters)
{
    const QString zki = makeDatabase(QStringLiteral("cut.zki"), 5);
    QFile zkd(dir.path(QStringLiteral("cut.zkd")));
    ASSERT_TRUE(zkd.resize(512 * 3)); // the header and the blocks of relevés 1 and 2
    ws.session().setDataFile(zki);
    open();
    click(QStringLiteral("BtnRetrNew"));
    EXPECT_EQ(text(QStringLiteral("LabFitN")), QStringLiteral("2"));
    QLabel *line = control<QLabel>(QStringLiteral("LabUnreadable"));
    EXPECT_TRUE(line->isVisible());
    EXPECT_EQ(line->text(), QStringLiteral("読めないレコード＝3（抽出の対象外）"));

    ws.session().setDataFile(makeDatabase(QStringLiteral("sound.zki"), 5));
    open();
    EXPECT_FALSE(line->isVisible());
    click(QStringLiteral("BtnRetrNew"));
    EXPECT_EQ(text(QStringLiteral("LabFitN")), QStringLiteral("5"));
    EXPECT_FALSE(line->isVisible());
}

TEST_F(AddRelevePanelTest, IgnoreCaseBoxReachesTheScan)
{
    open();
    auto *ignoreCase = control<QCheckBox>(QStringLiteral("ChkIgnoreCase"));
    ASSERT_NE(ignoreCase, nullptr);
    EXPECT_EQ(ignoreCase->text(), QStringLiteral("大文字・小文字を区別しない"));
    EXPECT_FALSE(ignoreCase->isChecked());

    // Off, the name typed in small letters finds nothing; on, the twelve relevés with Lolium
    // perenne, also when typed in full-width capitals.
    QTest::keyClicks(name(1), QStringLiteral("lolium perenne"));
    click(QStringLiteral("BtnRetrNew"));
    EXPECT_EQ(text(QStringLiteral("LabFitN")), QStringLiteral("0"));
    EXPECT_FALSE(panel->query().ignoreCase);
    QTest::mouseClick(ignoreCase, Qt::LeftButton, {}, QPoint(4, ignoreCase->height() / 2));
    ASSERT_TRUE(ignoreCase->isChecked());
    EXPECT_TRUE(panel->query().ignoreCase);
    click(QStringLiteral("BtnRetrNew"));
    EXPECT_EQ(text(QStringLiteral("LabFitN")), QStringLiteral("12"));
    name(1)->setText(QStringLiteral("ＬＯＬＩＵＭ PERENNE"));
    click(QStringLiteral("BtnRetrNew"));
    EXPECT_EQ(text(QStringLiteral("LabFitN")), QStringLiteral("12"));

    // "初期化" keeps the choice, as it keeps the joins.
    click(QStringLiteral("BtnRetrReset"));
    EXPECT_TRUE(ignoreCase->isChecked());
}
