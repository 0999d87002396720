#pragma once

#include "analysis/ordinationdata.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace Zelkor {

class TableHistory;
class TableModel;
class UserInterface;

/// The commands of the window "序列図（CA / DCA）": the ordination of the whole table (every
/// species row and relevé column with a value, hidden ones included), its scores written as
/// comma-separated text, and the table put in the order of the first axis. The diagram itself
/// is drawn by the window from data().
class OrdinationCommand : public QObject
{
    Q_OBJECT

public:
    /// The table's undo history: the command's change of the table becomes one step of it.
    void setHistory(TableHistory *history) { m_history = history; }

    /// The work messages' first lines.
    static QString preparingMessage();
    static QString calculatingMessage();
    /// Said instead of an ordination when fewer than two relevés and two species have values.
    static QString nothingToOrdinateMessage();
    /// The captions of the cover conversions 0..6, as the output panel lists them.
    static QStringList conversionCaptions();

    /// model and ui must outlive the command.
    OrdinationCommand(TableModel *model, UserInterface *ui, QObject *parent = nullptr);

    /// Computes the ordination of options over the table converted by conversion (0..6), with
    /// the work message and its "中止" button; says nothingToOrdinateMessage() when there is
    /// nothing to order. The data are replaced only by a finished ordination; false when none
    /// came (cancelled, or nothing to order).
    bool run(int conversion, const OrdinationOptions &options);
    bool hasData() const { return m_hasData; }
    const OrdinationData &data() const { return m_data; }

    /// Asks for a CSV file and writes the scores to it; an error is shown. False when nothing
    /// was written.
    bool saveScores();
    /// Puts the table's species rows and relevé columns in ascending order of their scores on
    /// the first axis (equal scores keep their order; rows and columns without a score stay
    /// after the others in their order), found by their hidden indexes. False (nothing done)
    /// without data.
    bool reorderTable();

    /// The grid column of the data's relevé at place (in data().result.releves) as the table
    /// is now: the column whose hidden index is the relevé's; -1 when it has gone.
    int currentColumnOf(int place) const;

    /// The ordination of model converted by conversion, with its labels; ui (may be null) shows
    /// the work messages with their "中止" button. *canceled (if given) tells a cancelled run,
    /// whose data hold nothing.
    static OrdinationData compute(const TableModel &model, int conversion, const OrdinationOptions &options,
                                  UserInterface *ui = nullptr, bool *canceled = nullptr);
    /// Moves model's rows and columns into the order of data's first axis (see reorderTable()),
    /// renumbers them and marks the table changed when anything moved. False when data have no
    /// axis.
    static bool reorderTable(TableModel &model, const OrdinationData &data);

Q_SIGNALS:
    /// A new ordination is in data().
    void dataChanged();
    /// The rows and columns of the table moved; the grid must repaint.
    void tableChanged();

private:
    TableModel *m_model;
    TableHistory *m_history = nullptr;
    UserInterface *m_ui;
    OrdinationData m_data;
    bool m_hasData = false;
};

} // namespace Zelkor
