#include "database/databasebuilder.h"
#include "database/databasesession.h"
#include "database/extractioncommand.h"
#include "platform/feedback.h"
#include "platform/scripteduserinterface.h"
#include "support/testsupport.h"
#include "table/tabledocument.h"
#include "table/tablefile.h"
#include "table/tablehistory.h"

#include <gtest/gtest.h>

using namespace Zelkor;
using Zelkor::Test::TempDir;

namespace {

// A database of 40 relevés with five species each, every species found in one relevé only, so
// that inserting them grows the table's relevé columns and species rows past their first
// capacities; a document with the first ten relevés in its table.
struct ExtractionCommandTest : ::testing::Test
{
    TempDir dir;
    ScriptedUserInterface ui;
    TableDocument doc{&ui};
    DatabaseSession session{&doc, &ui};
    ExtractionCommand command{&doc, &session, &ui};

    void SetUp() override
    {
        DatabaseBuilder builder;
        for (int k = 1; k <= 40; ++k) {
            DatabaseBuilder::Site site;
            site.id = QStringLiteral("R%1").arg(k);
            site.items[2] = site.id;
            site.items[8] = QString::number(100 + k);
            ASSERT_TRUE(builder.addSite(site)) << qPrintable(builder.errorString());
            for (int j = 0; j < 5; ++j)
                ASSERT_TRUE(builder.addSpecies(site.id, QStringLiteral("Species %1").arg(k * 5 + j), QStringLiteral("H1"),
                                               QStringLiteral("2")));
        }
        const QString zki = dir.path(QStringLiteral("db.zki"));
        ASSERT_TRUE(builder.write(zki)) << qPrintable(builder.errorString());
        doc.initTableArrays();
        doc.clearTable();
        session.setDataFile(zki);
        ui.setDefaultYes(true); // the title dialog keeps its value
        ASSERT_TRUE(command.scanDatabase(query(1, 10), true));
        ASSERT_EQ(command.insertSelected(), 10);
        ui.clearLog();
    }

    static RetrievalQuery query(int first, int last)
    {
        RetrievalQuery q;
        q.firstRecord = first;
        q.lastRecord = last;
        return q;
    }

    QByteArray savedTable()
    {
        const QString path = dir.path(QStringLiteral("saved.vtb"));
        TableFile file;
        EXPECT_TRUE(file.write(doc.model(), doc.title(), path)) << qPrintable(file.errorString());
        return Zelkor::Test::readBytes(path);
    }
};

} // namespace

TEST_F(ExtractionCommandTest, CancelledInsertionLeavesTheTableAsItWas)
{
    const QByteArray before = savedTable();
    const TableModel &model = doc.model();
    const int maxReleves = model.maxReleves();
    const int maxSpecies = model.maxSpecies();
    const int cols = model.grid().colCount();
    const int rows = model.grid().rowCount();
    ASSERT_TRUE(command.scanDatabase(query(1, 40), true));
    ASSERT_EQ(command.selection().fitCount(), 40);
    const int steps = doc.history().count();

    // At the first relevé, halfway (more relevé columns than at first) and at the last one (more
    // species rows too).
    for (const int report : {1, 20, 40}) {
        SCOPED_TRACE(report);
        ui.clearLog();
        ui.answerNo(); // records 1 to 10 are in the table: add them again
        ui.cancelWorkAt(report);
        EXPECT_EQ(command.insertSelected(), -1);
        EXPECT_TRUE(ui.log().contains(QStringLiteral("cancel")));
        EXPECT_FALSE(ui.log().join(QLatin1Char('\n')).contains(QStringLiteral("input:")));  // no title question
        EXPECT_EQ(savedTable(), before);
        EXPECT_EQ(model.releveCount(), 10);
        EXPECT_EQ(model.maxReleves(), maxReleves);
        EXPECT_EQ(model.maxSpecies(), maxSpecies);
        EXPECT_EQ(model.grid().colCount(), cols);
        EXPECT_EQ(model.grid().rowCount(), rows);
        EXPECT_FALSE(ui.workMessageShown());
        // Nothing happened: no step to undo.
        EXPECT_EQ(doc.history().count(), steps);
    }

    // The selection stays: inserting it whole works afterwards.
    ui.answerNo();
    EXPECT_EQ(command.insertSelected(), 40);
    EXPECT_EQ(model.releveCount(), 50);
    EXPECT_EQ(model.speciesCount(), 200);
    EXPECT_NE(savedTable(), before);
    // One step, which takes the relevés out again.
    EXPECT_EQ(doc.history().undoName(), QStringLiteral("測定の組み込み"));
    ASSERT_TRUE(doc.undo());
    EXPECT_EQ(savedTable(), before);
}

TEST_F(ExtractionCommandTest, CancelledScanKeepsTheSelection)
{
    ASSERT_TRUE(command.scanDatabase(query(5, 8), true));
    ASSERT_EQ(command.selection().fitCount(), 4);
    Feedback feedback;
    feedback.setWatcher([](Feedback &f) {
        if (f.position() == 20)
            f.cancel();
    });
    EXPECT_FALSE(command.scanDatabase(query(1, 40), false, &feedback));
    EXPECT_EQ(command.selection().fitCount(), 4);
    for (int i = 1; i <= 40; ++i)
        EXPECT_EQ(command.selection().isSelected(i), i >= 5 && i <= 8) << i;
}

// Records 5 to 14 selected while 1 to 10 are in the table: six of them are there already.
TEST_F(ExtractionCommandTest, RelevésInTheTableAlreadyAreAskedAbout)
{
    const QString question = ExtractionCommand::presentQuestion(6);
    EXPECT_EQ(question, QStringLiteral("表に既にある測定が 6 件あります。それらを除いて組み込みますか？"));
    const QByteArray before = savedTable();
    struct Case
    {
        YesNoCancel answer;
        int inserted;
        QStringList added; // the identifiers of the relevés added, in order
    };
    QStringList all;
    for (int k = 5; k <= 14; ++k)
        all << QStringLiteral("R%1").arg(k);
    const Case cases[] = {
        {YesNoCancel::Yes, 4, {QStringLiteral("R11"), QStringLiteral("R12"), QStringLiteral("R13"), QStringLiteral("R14")}},
        {YesNoCancel::No, 10, all},
        {YesNoCancel::Cancel, -1, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.answer));
        // Back to the ten relevés of the start.
        if (doc.history().canUndo() && doc.model().releveCount() > 10) {
            ASSERT_TRUE(doc.history().undo());
        }
        ASSERT_EQ(savedTable(), before);
        ASSERT_TRUE(command.scanDatabase(query(5, 14), true));
        ui.clearLog();
        switch (c.answer) {
        case YesNoCancel::Yes: ui.answerYes(); break;
        case YesNoCancel::No: ui.answerNo(); break;
        case YesNoCancel::Cancel: ui.answerCancel(); break;
        }
        EXPECT_EQ(command.insertSelected(), c.inserted);
        EXPECT_EQ(ui.log().count(QStringLiteral("yesnocancel:") + question), 1) << qPrintable(ui.log().join(u'\n'));
        const TableModel &model = doc.model();
        QStringList added;
        for (int j = 11; j <= model.releveCount(); ++j)
            added << model.grid().cell(TableModel::releveColumn(j), TableModel::LabelRow).trimmed();
        EXPECT_EQ(added, c.added);
        if (c.answer == YesNoCancel::Cancel) {
            EXPECT_EQ(savedTable(), before);
            EXPECT_FALSE(ui.log().join(QLatin1Char('\n')).contains(QStringLiteral("input:"))); // no title question
        }
    }

    // Nothing of the selection in the table: no question.
    ASSERT_TRUE(command.scanDatabase(query(30, 31), true));
    ui.clearLog();
    EXPECT_EQ(command.insertSelected(), 2);
    EXPECT_FALSE(ui.log().join(QLatin1Char('\n')).contains(QStringLiteral("yesnocancel")));
}

// The relevés are known by their database and record wherever their columns go: sorted, moved,
// saved and read again; a deleted one is no longer in the table.
TEST_F(ExtractionCommandTest, RelevésAreKnownAfterSortingMovingAndDeleting)
{
    TableModel &model = doc.model();
    const auto labels = [&] {
        QStringList out;
        for (int j = 1; j <= model.releveCount(); ++j)
            out << model.grid().cell(TableModel::releveColumn(j), TableModel::LabelRow).trimmed();
        return out;
    };
    // As the sorts put the relevés: a permutation of the columns; then a drag.
    model.grid().permuteColumns(TableModel::FirstReleveColumn, {13, 12, 11, 10, 9, 8, 7, 6, 5, 4}, false);
    model.grid().moveColumn(TableModel::releveColumn(1), TableModel::releveColumn(7));
    ASSERT_TRUE(model.deleteColumn(TableModel::releveColumn(3))); // record 7
    ASSERT_EQ(model.releveCount(), 9);
    ASSERT_FALSE(labels().contains(QStringLiteral("R7")));

    ASSERT_TRUE(command.scanDatabase(query(1, 12), true));
    ui.answerYes();
    EXPECT_EQ(command.insertSelected(), 3);
    EXPECT_TRUE(ui.log().join(QLatin1Char('\n')).contains(ExtractionCommand::presentQuestion(9)));
    EXPECT_EQ(labels().mid(9), (QStringList{QStringLiteral("R7"), QStringLiteral("R11"), QStringLiteral("R12")}));

    // Saved and read again, the order of the columns as it is now.
    const QString path = dir.path(QStringLiteral("sorted.vtb"));
    {
        TableFile file;
        ASSERT_TRUE(file.write(model, doc.title(), path));
        QString title;
        ASSERT_TRUE(file.read(path, &model, &doc.items(), &title)) << qPrintable(file.errorString());
    }
    ASSERT_TRUE(command.scanDatabase(query(1, 13), true));
    command.setPresentReleves(ExtractionCommand::PresentReleves::Skip);
    ui.clearLog();
    EXPECT_EQ(command.insertSelected(), 1);
    EXPECT_FALSE(ui.log().join(QLatin1Char('\n')).contains(QStringLiteral("yesnocancel")));
    EXPECT_EQ(labels().size(), 13);
    EXPECT_EQ(labels().last(), QStringLiteral("R13"));
    EXPECT_EQ(command.selection().skippedPresentCount(), 12);

    // Another database with the same record numbers is another one.
    command.setPresentReleves(ExtractionCommand::PresentReleves::Ask);
    const QString copy = dir.path(QStringLiteral("copy.zki"));
    ASSERT_TRUE(QFile::copy(dir.path(QStringLiteral("db.zki")), copy));
    ASSERT_TRUE(QFile::copy(dir.path(QStringLiteral("db.zkd")), dir.path(QStringLiteral("copy.zkd"))));
    ASSERT_TRUE(session.setDataFile(copy));
    ASSERT_TRUE(command.scanDatabase(query(1, 2), true));
    ui.clearLog();
    EXPECT_EQ(command.insertSelected(), 2);
    EXPECT_FALSE(ui.log().join(QLatin1Char('\n')).contains(QStringLiteral("yesnocancel")));
    EXPECT_EQ(labels().size(), 15);
}
