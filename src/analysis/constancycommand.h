#pragma once

#include "analysis/constancytable.h"

#include <QObject>
#include <QString>

#include <functional>

namespace Zelkor {

class FreqTableModel;
class TableHistory;
class TableModel;
class UserInterface;

/// The constancy-table commands of the main window: "常在度表を作成する" opens the settings
/// panel Panel_Freq_Table with the table's counts, and its "出力する" builds the constancy table
/// into the second window's table; the composition table is only read (its frequencies are
/// brought up to date first). "組成表を診断種順に並べる" moves the species rows of the
/// composition table into the diagnostic order of the panel's fidelity settings.
class ConstancyCommand : public QObject
{
    Q_OBJECT

public:
    /// The table's undo history: the command's change of the table becomes one step of it.
    void setHistory(TableHistory *history) { m_history = history; }

    /// What the panel shows when it opens.
    struct PanelState
    {
        int releves = 0; ///< "全測定数": relevé columns holding species
        int groups = 1;  ///< "区分数": empty columns plus one
        QString title;   ///< the table title followed by "常在度表"
    };

    /// model, freqTable and ui must outlive the command; tableTitle gives the table's title.
    ConstancyCommand(TableModel *model, FreqTableModel *freqTable, UserInterface *ui,
                     std::function<QString()> tableTitle, QObject *parent = nullptr);

    /// Menu "常在度表を作成する": recomputes the frequencies so that the empty columns are known
    /// and returns the panel's counts and title.
    PanelState prepare();
    /// "出力する": builds the constancy table with the options into the second window's table,
    /// with title as its caption.
    void build(const QString &title, const ConstancyOptions &options);
    /// "組成表を診断種順に並べる": the species rows of the composition table in blocks of the
    /// diagnostic species of each group by falling phi, then the rest in their order (see
    /// FidelityTable::sortSpeciesRows). Without any diagnostic species the table stays as it
    /// is and the user is told noDiagnosticSpeciesMessage().
    void sortTableByFidelity(const FidelityOptions &options);

    /// "診断種がありません。…": said when no species is diagnostic for any group.
    static QString noDiagnosticSpeciesMessage();

Q_SIGNALS:
    /// The frequencies and running numbers of the composition table were recomputed.
    void tableChanged();
    /// A new constancy table is in the second window's table: the window must show it.
    void freqTableBuilt();

private:
    void recompute();

    TableModel *m_model;
    TableHistory *m_history = nullptr;
    FreqTableModel *m_freqTable;
    UserInterface *m_ui;
    std::function<QString()> m_tableTitle;
};

} // namespace Zelkor
