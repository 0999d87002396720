#pragma once

#include "analysis/reciprocalaveraging.h"

#include <QObject>
#include <QString>

namespace Zelkor {

class FreqTableModel;
class TableHistory;
class TableModel;
class UserInterface;

/// The menu command "反復平均法で行列並べ替え": orders the species rows and relevé
/// columns of the whole table along its main gradient by reciprocal averaging. It converts the
/// cells (relative class scores 1..10, or presence), iterates, shows both score lists in the
/// second window in the table's order, and, when the user agrees, moves the rows and columns
/// into ascending order of their scores (an exchange sort: equal scores do not keep their
/// order). Rows and columns hidden by the hiding commands take part like all others.
///
/// A species row or relevé column whose values add up to 0 (a comment row, a species present
/// only as "*", an empty column between groups) has no average: it is left out of the
/// averaging, has no score in the window, and keeps its place among the other unscored ones
/// after the scored ones when the table is reordered.
class RecipCommand : public QObject
{
    Q_OBJECT

public:
    /// The table's undo history: the command's change of the table becomes one step of it.
    void setHistory(TableHistory *history) { m_history = history; }

    /// "反復平均法の計算に、優占度を考慮しますか？": Yes converts by relative class scores
    /// (method 1), anything else by presence (method 6).
    static QString coverQuestion();
    /// "組成表の並びを変えますか？"
    static QString reorderQuestion();
    /// Said instead of computing when no species row and relevé column have a value in common.
    static QString nothingToScoreMessage();
    /// The work messages' first lines.
    static QString preparingMessage();
    static QString calculatingMessage();
    static QString sortPlantsMessage();
    static QString sortRelevesMessage();

    /// model, freqTable and ui must outlive the command.
    RecipCommand(TableModel *model, FreqTableModel *freqTable, UserInterface *ui, QObject *parent = nullptr);

    /// The menu command, with its two questions.
    void run();

    /// The change totals (SpeciesScoreShift, ReleveScoreShift) and the iterations of the last
    /// averaging.
    double speciesScoreShift() const { return m_speciesScoreShift; }
    double releveScoreShift() const { return m_releveScoreShift; }
    int iterations() const { return m_iterations; }

    /// The scores of model's species rows and relevé columns, the cells converted with cover
    /// classes (cover) or by presence. Asks nothing; ui, when given, shows the work messages with
    /// their "中止" button. A cancelled computation (or an interrupted program) gives a result
    /// marked so, with no scores.
    static ReciprocalAveraging::Result computeScores(const TableModel &model, bool cover, UserInterface *ui = nullptr);
    /// Puts the score table into freqTable: species names and relevé labels (grid row 2) in the
    /// table's order, each score with one decimal, no score where there is none.
    static void buildScoreTable(const TableModel &model, const ReciprocalAveraging::Result &scores,
                                FreqTableModel *freqTable);
    /// The scores in long form, for programs that read a plain CSV: the header
    /// "kind,position,label,score", then a line "species,k,name,score" for each species row k
    /// (1 = the first species row) and "releve,i,label,score" for each relevé column i that has a
    /// score, in the table's order; scores as scoreText() gives them, labels quoted where needed.
    static QStringList scoreLongLines(const TableModel &model, const ReciprocalAveraging::Result &scores);
    /// A score as the window shows it: one decimal, a point, never "-0.0".
    static QString scoreText(float score);
    /// Moves the species rows and relevé columns of model into ascending order of their scores
    /// (the unscored ones after them, in their order), renumbers them and marks the table
    /// changed. The cover codes and row and column sizes stay; the hidden indexes move with
    /// their rows and columns.
    static void reorderTable(TableModel &model, const ReciprocalAveraging::Result &scores, UserInterface *ui = nullptr);

Q_SIGNALS:
    /// A new score table is in the second window's table: the window must show it.
    void scoreTableBuilt();
    /// The rows and columns of the table moved; the grid must repaint.
    void tableChanged();

private:
    TableModel *m_model;
    TableHistory *m_history = nullptr;
    FreqTableModel *m_freqTable;
    UserInterface *m_ui;
    double m_speciesScoreShift = 0.0;
    double m_releveScoreShift = 0.0;
    int m_iterations = 0;
};

} // namespace Zelkor
