#include "database/databasebuilder.h"
#include "database/databasesession.h"
#include "database/extractioncommand.h"
#include "platform/feedback.h"
#include "platform/scripteduserinterface.h"
#include "support/testsupport.h"
#include "table/tabledocument.h"
#include "table/tablefile.h"

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

    // At the first relevé, halfway (more relevé columns than at first) and at the last one (more
    // species rows too).
    for (const int report : {1, 20, 40}) {
        SCOPED_TRACE(report);
        ui.clearLog();
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
    }

    // The selection stays: inserting it whole works afterwards.
    EXPECT_EQ(command.insertSelected(), 40);
    EXPECT_EQ(model.releveCount(), 50);
    EXPECT_EQ(model.speciesCount(), 200);
    EXPECT_NE(savedTable(), before);
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
