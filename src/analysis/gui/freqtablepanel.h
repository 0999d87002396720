#pragma once

#include "analysis/constancytable.h"

#include <QFrame>

class QButtonGroup;
class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace Zelkor {

class ConstancyCommand;

/// The settings panel of "常在度表を作成する" (Panel_Freq_Table) over the main grid: the number
/// of relevés and groups, the title, what the cells show (RG_Freq), what an empty cell shows
/// (RG_Cell) and the fidelity (GB_Fidelity: "適合度（φ係数）" with the phi threshold, α, the
/// standardised group size and "診断種順に並べる"), which it keeps from one use to the next.
/// "出力する" builds the table into the second window; "取止める" closes the panel.
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
    /// The fidelity settings as they stand (also what "組成表を診断種順に並べる" uses).
    FidelityOptions fidelityOptions() const;

private:
    ConstancyCommand *m_command;
    QLabel *m_numReleve;
    QLabel *m_numGroup;
    QLineEdit *m_title;
    QButtonGroup *m_freq;
    QButtonGroup *m_cell;
    QCheckBox *m_fidelity;
    QDoubleSpinBox *m_phiMin;
    QDoubleSpinBox *m_alpha;
    QCheckBox *m_standardize;
    QCheckBox *m_diagnosticOrder;
    QPushButton *m_cancel;
    QPushButton *m_build;
};

} // namespace Zelkor
