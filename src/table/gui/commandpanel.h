#pragma once

#include <QFrame>
#include <QList>
#include <QString>

class QPushButton;

namespace Zelkor {

/// A small pop-up panel of stacked command buttons beside the mouse (the row panel "行を挿入する",
/// "行を削除する", "行コメント記入" and the column panel "列を挿入する", "列を削除する"). The
/// user presses a mouse button on the grid, slides onto a panel button and lets go there; because
/// the grid keeps the mouse while its button is down, the grid asks the panel which button lies
/// under the release (buttonAt()). Releases that the buttons receive themselves are reported by
/// buttonReleased().
class CommandPanel : public QFrame
{
    Q_OBJECT

public:
    /// Height of each button in pixels; the panel is as high as its buttons together.
    static constexpr int ButtonHeight = 24;
    static constexpr int PanelWidth = 120;

    /// One button: its object name, its caption and its hint (the caption when empty).
    struct Button
    {
        QString name;
        QString caption;
        QString hint;
    };

    /// A hidden panel named objectName with the buttons top to bottom, as a child of parent.
    CommandPanel(const QString &objectName, const QList<Button> &buttons, QWidget *parent);

    /// Number of buttons and button i (0 = top).
    int buttonCount() const { return int(m_buttons.size()); }
    QPushButton *button(int i) const;
    /// The button under the screen position globalPos while the panel shows; -1 when none.
    int buttonAt(const QPoint &globalPos) const;
    /// Shows the panel with its top left corner at topLeft (parent coordinates), moved just as
    /// far as needed to lie wholly inside the parent.
    void popUp(const QPoint &topLeft);
    /// Follows the mouse sliding over the panel while the grid keeps it: the button under
    /// globalPos looks pressed and its hint shows.
    void trackMouse(const QPoint &globalPos);
    /// Hides the panel and forgets the slide.
    void hidePanel();

Q_SIGNALS:
    /// A mouse button was released on button index (the panel has been hidden already).
    void buttonReleased(int index, Qt::MouseButton button);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QList<QPushButton *> m_buttons;
    int m_tracked = -1;
};

} // namespace Zelkor
