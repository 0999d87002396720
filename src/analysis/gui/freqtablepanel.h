#pragma once

#include "analysis/constancytable.h"

#include <QFrame>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;

namespace Zelkor {

class ConstancyCommand;

/// The settings panel of "常在度表を作成する" (Panel_Freq_Table) over the main grid: the number
/// of relevés and groups, the title, what the cells show (RG_Freq) and what an empty cell shows
/// (RG_Cell), which it keeps from one use to the next. "出力する" builds the table into the
/// second window; "取止める" closes the panel.
class FreqTablePanel : public QFrame
{
    Q_OBJECT

public:
    /// A hidden panel driving command, a child of parent (the main window); command must
    /// outlive it.
    FreqTablePanel(ConstancyCommand *command, QWidget *parent);

    /// Menu "常在度表を作成する": recomputes the frequencies and shows the panel with the counts
    /// and the title.
    void itemMakeFreqTableClick();
    /// "取止める": hides the panel.
    void btnCancFreqClick();
    /// "出力する": hides the panel and builds the constancy table into the second window.
    void btnFreqTableClick();

    /// The choices as they stand.
    ConstancyOptions options() const;

private:
    ConstancyCommand *m_command;
    QLabel *m_numReleve;
    QLabel *m_numGroup;
    QLineEdit *m_title;
    QButtonGroup *m_freq;
    QButtonGroup *m_cell;
    QPushButton *m_cancel;
    QPushButton *m_build;
};

} // namespace Zelkor
