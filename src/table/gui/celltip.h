#pragma once

#include <QLabel>

namespace Zelkor {

/// The cell tip (Panel_ShowCell): a small tooltip-coloured panel that shows the whole text of one
/// grid cell, its right edge at the mouse and its top at the mouse. It lets the mouse through to
/// the grid beneath and stays until the grid hides it at the next mouse release.
class CellTip : public QLabel
{
    Q_OBJECT

public:
    /// The tip's usual size; a text too long for it widens the tip to the left.
    static constexpr int TipWidth = 79;
    static constexpr int TipHeight = 20;

    /// A hidden tip, a child of parent.
    explicit CellTip(QWidget *parent);

    /// Shows text with the tip's top right corner at mouse (parent coordinates), kept inside the
    /// parent.
    void showText(const QString &text, const QPoint &mouse);
};

} // namespace Zelkor
