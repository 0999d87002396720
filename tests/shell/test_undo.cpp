// Undo and redo of the table's commands: after any sequence of steps, taking them all back gives
// the table file saved before the first byte for byte, and doing them again the one saved after
// the last; the unsaved flag follows the history the way a clean state does.
#include "analysis/recipcommand.h"
#include "analysis/sortandhide.h"
#include "database/extraction.h"
#include "database/extractioncommand.h"
#include "platform/scripteduserinterface.h"
#include "shell/workspace.h"
#include "support/testsupport.h"
#include "table/tableediting.h"
#include "table/tablefile.h"
#include "table/tablehistory.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <random>

using namespace Zelkor;

namespace {

struct Undo : ::testing::Test
{
    // The table is saved after every step: in memory where the system offers a folder there,
    // so that the syncs of a few hundred saves cost nothing.
    QTemporaryDir dir{QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/zelkor-undo-XXXXXX") : QString()};
    ScriptedUserInterface ui;
    Workspace ws{&ui};
    QString saved = dir.filePath(QStringLiteral("now.vtb"));

    void SetUp() override
    {
        ui.setDefaultYes(true);
        ASSERT_TRUE(ws.session().setDataFile(Zelkor::Test::sourcePath(QStringLiteral("examples/dune.zki"))));
        ws.document().clearTable();
        extract(1, 20);
        ws.document().history().clear();
        ws.model().setModified(false);
    }

    // The relevés first..last of the example database taken into the table.
    int extract(int first, int last)
    {
        RetrievalQuery query;
        query.firstRecord = first;
        query.lastRecord = last;
        if (!ws.extraction().scanDatabase(query, true))
            return -1;
        return ws.extraction().insertSelected();
    }

    // The table as its file holds it.
    QByteArray bytes()
    {
        TableFile file;
        EXPECT_TRUE(file.write(ws.model(), ws.document().title(), saved)) << file.errorString().toStdString();
        return Zelkor::Test::readBytes(saved);
    }

    TableHistory &history() { return ws.document().history(); }
};

} // namespace

// A few hundred steps of every kind, with undos and redos among them, on the example table
// (fixed seed). Whenever the history stands at a place, the file is the one saved there; a
// command that made no step changed nothing.
TEST_F(Undo, RandomStepsUndoAndRedoByteForByte)
{
    std::mt19937 random(20261211);
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    std::vector<QByteArray> expected{bytes()}; // the file at each place of the history
    const QStringList covers{QStringLiteral("H1:+2"), QStringLiteral("T1:3 H1:1"), QString(), QStringLiteral("S1:r"),
                             QStringLiteral("H1:23"), QStringLiteral("K:5")};
    std::map<int, int> kinds;
    int made = 0;

    for (int stepNo = 0; stepNo < 300; ++stepNo) {
        TableModel &m = ws.model();
        const int species = std::max(m.speciesCount(), 1);
        const int releves = std::max(m.releveCount(), 1);
        const int row = m.speciesRow(pick(1, species));
        const int col = TableModel::releveColumn(pick(1, releves));
        const int kind = pick(0, 16);
        const int indexBefore = history().index();
        const int countBefore = history().count();
        ++kinds[kind];
        switch (kind) {
        case 0:
        case 1:
            ws.editing().editCell(col, row, covers[pick(0, int(covers.size()) - 1)]);
            break;
        case 2:
            ws.editing().deleteRow(row);
            break;
        case 3:
            ws.editing().deleteColumn(col);
            break;
        case 4:
            ws.editing().insertRow(row);
            break;
        case 5:
            ws.editing().insertColumn(col);
            break;
        case 6:
            if (TableEditing::canComment(m, row)) {
                ui.answerText(QStringLiteral("コメント %1").arg(stepNo));
                ws.editing().writeComment(row);
            }
            break;
        case 7:
            ws.editing().moveRow(row, ws.editing().clampRowMove(row, m.speciesRow(pick(1, species))));
            break;
        case 8:
            ws.editing().moveColumn(col, ws.editing().clampColumnMove(col, TableModel::releveColumn(pick(1, releves))));
            break;
        case 9: {
            SortAndHide &sort = ws.sortAndHide();
            const bool bySpecies = pick(0, 1) == 0;
            bySpecies ? sort.beginSpeciesSort() : sort.beginReleveSort();
            const int a = pick(1, releves), b = pick(1, releves), c = pick(1, species), d = pick(1, species);
            sort.setPanelRange(std::min(a, b), std::max(a, b), std::min(c, d), std::max(c, d));
            sort.setDescending(pick(0, 1) == 0);
            sort.sortRange();
            break;
        }
        case 10:
            ui.answerChoice(pick(0, 2));
            ws.editing().groupByItem();
            break;
        case 11:
            ui.answerText(QStringLiteral("題 %1").arg(stepNo));
            ws.document().editTitle();
            break;
        case 12: {
            const int first = pick(1, 20);
            extract(first, std::min(20, first + pick(0, 4)));
            break;
        }
        case 13:
            ui.answerYes(); // with the cover
            ws.recip().run();
            ui.closeWorkMessage();
            break;
        case 14: {
            // Back and forth through the history, checking every place passed.
            const int back = pick(0, history().index());
            for (int k = 0; k < back; ++k) {
                ASSERT_TRUE(ws.document().undo());
                ASSERT_EQ(bytes(), expected[std::size_t(history().index())]) << "undo at step " << stepNo;
            }
            const int forward = pick(0, history().count() - history().index());
            for (int k = 0; k < forward; ++k) {
                ASSERT_TRUE(ws.document().redo());
                ASSERT_EQ(bytes(), expected[std::size_t(history().index())]) << "redo at step " << stepNo;
            }
            continue;
        }
        case 15:
            ws.editing().resetSearch();
            break;
        case 16:
            ws.document().recomputeFrequencies(); // renumbers what moves left as it was
            break;
        }
        ui.clearLog();
        ASSERT_EQ(ui.pendingAnswers(), 0) << "step " << stepNo << " kind " << kind;
        // A new step ends the steps undone; a command that made none left the file as it was.
        const QByteArray now = bytes();
        if (history().index() == indexBefore && history().count() == countBefore) {
            ASSERT_EQ(now, expected[std::size_t(indexBefore)]) << "step " << stepNo << " kind " << kind << " changed the table without a step";
        } else {
            ++made;
            ASSERT_EQ(history().index(), indexBefore + 1);
            ASSERT_EQ(history().count(), history().index());
            expected.resize(std::size_t(indexBefore) + 1);
            expected.push_back(now);
        }
    }
    EXPECT_GT(made, 150);
    EXPECT_GT(history().count(), 20);
    for (const auto &[kind, times] : kinds)
        EXPECT_GT(times, 5) << "kind " << kind;

    const int steps = history().index();
    for (int k = 0; k < steps; ++k)
        ASSERT_TRUE(ws.document().undo());
    EXPECT_FALSE(history().canUndo());
    EXPECT_EQ(bytes(), expected.front());
    EXPECT_FALSE(ws.model().isModified());
    while (history().canRedo())
        ASSERT_TRUE(ws.document().redo());
    EXPECT_EQ(bytes(), expected.back());
    EXPECT_TRUE(ws.model().isModified());
}

// The unsaved flag is the history's clean state: undoing back to the table last saved makes it
// unchanged, going past it changed again; a new step after undoing past the save loses the saved
// state for good. The history keeps within its memory bound by dropping the oldest steps.
TEST_F(Undo, UnsavedFlagFollowsTheHistoryAndTheBoundDropsTheOldest)
{
    const auto retitle = [&](const QString &title) {
        ui.answerText(title);
        ws.document().editTitle();
    };
    TableModel &m = ws.model();
    retitle(QStringLiteral("一"));
    EXPECT_TRUE(m.isModified());
    ui.answerFile(dir.filePath(QStringLiteral("kept.vtb")));
    ASSERT_TRUE(ws.tableFile().saveTable());
    EXPECT_FALSE(m.isModified());
    retitle(QStringLiteral("二"));
    EXPECT_TRUE(m.isModified());

    struct Move { bool undo; bool modified; const char *title; };
    const Move moves[] = {
        {true, false, "一"},  // back to the state saved
        {true, true, ""},     // before it
        {false, false, "一"}, // the saved state again
        {false, true, "二"},
    };
    for (const Move &move : moves) {
        ASSERT_TRUE(move.undo ? ws.document().undo() : ws.document().redo());
        EXPECT_EQ(m.isModified(), move.modified) << move.title;
        if (*move.title) {
            EXPECT_EQ(ws.document().title(), QString::fromUtf8(move.title));
        }
    }
    EXPECT_EQ(history().undoName(), QStringLiteral("標題の編集"));

    // Past the save and a new step: no place in the history is the saved table any more.
    ASSERT_TRUE(ws.document().undo());
    ASSERT_TRUE(ws.document().undo());
    retitle(QStringLiteral("三"));
    EXPECT_FALSE(history().canRedo());
    ASSERT_TRUE(ws.document().undo());
    EXPECT_TRUE(m.isModified());

    // A bound of a few steps' size: the oldest go, the last one done stays.
    history().clear();
    for (int k = 0; k < 20; ++k)
        ws.editing().editCell(TableModel::releveColumn(1 + k % 5), m.speciesRow(1 + k % 7), QStringLiteral("H1:%1").arg(1 + k % 5));
    const std::size_t all = history().bytes();
    const int made = history().count();
    ASSERT_GT(made, 10);
    history().setMemoryLimit(all / 4);
    EXPECT_LE(history().bytes(), all / 4);
    EXPECT_GE(history().count(), 1);
    EXPECT_LT(history().count(), made);
    while (history().canUndo())
        ASSERT_TRUE(ws.document().undo());
    EXPECT_TRUE(m.isModified()); // the state loaded left the history with the steps dropped
}
