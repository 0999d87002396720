#pragma once

#include <QFrame>

#include <array>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace Zelkor {

class OutputPanel;

/// The output panel (PaneltoPrint) floating over the grid: the thirty header items to tick, the
/// title, the relevé and species ranges, the options of the output at hand and the print font.
/// It shows the state of an OutputPanel and hands every click and edit to it; its controls carry
/// the names of the program's components ("ChkBox1", "TN1", "RG_Method" …).
class OutputPanelWidget : public QFrame
{
    Q_OBJECT

public:
    /// A hidden panel over panel's logic, a child of parent (the main window); panel must outlive
    /// the widget.
    OutputPanelWidget(OutputPanel *panel, QWidget *parent);

    /// Shows the logic's state: visibility, heading, ticks, enabled controls, fields.
    void refresh();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    /// Hands the typed range fields to the logic.
    void takeRanges();

    OutputPanel *m_panel;
    QLabel *m_heading;
    QLineEdit *m_title;
    std::array<QCheckBox *, 31> m_items{};
    QCheckBox *m_frequency;
    QCheckBox *m_oneTime;
    QSpinBox *m_tn1;
    QSpinBox *m_tn2;
    QSpinBox *m_pn1;
    QSpinBox *m_pn2;
    QGroupBox *m_direct;
    QButtonGroup *m_directButtons;
    QGroupBox *m_method;
    QButtonGroup *m_methodButtons;
    QLabel *m_numericNote;
    QFrame *m_fontPanel;
    QLabel *m_fontName;
    QLabel *m_fontSize;
    QPushButton *m_toPrint;
    QPushButton *m_cancel;
    QPushButton *m_itemEdit;
    bool m_refreshing = false;
    int m_shownMode = -1;
};

} // namespace Zelkor
