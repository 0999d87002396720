#pragma once

#include <QFrame>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace Zelkor {

class SortAndHide;

/// The range panel (PanelofSortRange) floating over the grid: the heading, the first and last
/// relevé (SN1 → SN2), the first and last species (SS1 ↓ SS2), the sort direction "多順" (many
/// first) or "少順" (few first), and the buttons "実行" (run) and "中止" (cancel). It shows the
/// fields of the sorting and hiding commands and hands the user's values back to them.
class SortRangePanel : public QFrame
{
    Q_OBJECT

public:
    /// A panel over commands (which must outlive it), a child of parent; hidden until the
    /// commands show it.
    SortRangePanel(SortAndHide *commands, QWidget *parent);

    QLabel *heading() const { return m_heading; }
    QSpinBox *firstReleve() const { return m_sn1; }
    QSpinBox *lastReleve() const { return m_sn2; }
    QSpinBox *firstSpecies() const { return m_ss1; }
    QSpinBox *lastSpecies() const { return m_ss2; }
    QRadioButton *descendingButton() const { return m_des; }
    QRadioButton *ascendingButton() const { return m_asc; }
    QPushButton *goButton() const { return m_go; }
    QPushButton *stopButton() const { return m_stop; }

private:
    /// Takes the commands' fields: shows or hides the panel and its parts.
    void takeFields();
    /// Hands the four fields and the direction to the commands.
    void giveFields();

    SortAndHide *m_commands;
    QLabel *m_heading;
    QSpinBox *m_sn1;
    QLabel *m_releveArrow;
    QSpinBox *m_sn2;
    QSpinBox *m_ss1;
    QLabel *m_speciesArrow;
    QSpinBox *m_ss2;
    QGroupBox *m_direction;
    QRadioButton *m_des;
    QRadioButton *m_asc;
    QPushButton *m_go;
    QPushButton *m_stop;
};

} // namespace Zelkor
