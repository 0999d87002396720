#include "table/gui/commandpanel.h"

#include <QMouseEvent>
#include <QPushButton>
#include <QToolTip>

#include <algorithm>

namespace Zelkor {

CommandPanel::CommandPanel(const QString &objectName, const QList<Button> &buttons, QWidget *parent)
    : QFrame(parent)
{
    setObjectName(objectName);
    setFrameShape(QFrame::NoFrame);
    setFixedSize(PanelWidth, ButtonHeight * int(buttons.size()));
    for (int i = 0; i < buttons.size(); ++i) {
        const Button &b = buttons.at(i);
        auto *button = new QPushButton(b.caption, this);
        button->setObjectName(b.name);
        button->setToolTip(b.hint.isEmpty() ? b.caption : b.hint);
        button->setGeometry(0, i * ButtonHeight, PanelWidth, ButtonHeight);
        // The panel is only a target for a slide from the grid: it never takes the focus.
        button->setFocusPolicy(Qt::NoFocus);
        button->installEventFilter(this);
        m_buttons.append(button);
    }
    hide();
}

QPushButton *CommandPanel::button(int i) const
{
    return i >= 0 && i < m_buttons.size() ? m_buttons.at(i) : nullptr;
}

int CommandPanel::buttonAt(const QPoint &globalPos) const
{
    if (!isVisible())
        return -1;
    for (int i = 0; i < m_buttons.size(); ++i) {
        const QPushButton *b = m_buttons.at(i);
        if (b->rect().contains(b->mapFromGlobal(globalPos)))
            return i;
    }
    return -1;
}

void CommandPanel::popUp(const QPoint &topLeft)
{
    QPoint at = topLeft;
    if (const QWidget *p = parentWidget()) {
        at.setX(std::clamp(at.x(), 0, std::max(0, p->width() - width())));
        at.setY(std::clamp(at.y(), 0, std::max(0, p->height() - height())));
    }
    move(at);
    m_tracked = -1;
    for (QPushButton *b : std::as_const(m_buttons))
        b->setDown(false);
    show();
    raise();
}

void CommandPanel::trackMouse(const QPoint &globalPos)
{
    const int i = buttonAt(globalPos);
    if (i == m_tracked)
        return;
    if (QPushButton *old = button(m_tracked))
        old->setDown(false);
    m_tracked = i;
    if (QPushButton *b = button(i)) {
        b->setDown(true);
        QToolTip::showText(globalPos, b->toolTip(), b);
    } else {
        QToolTip::hideText();
    }
}

void CommandPanel::hidePanel()
{
    for (QPushButton *b : std::as_const(m_buttons))
        b->setDown(false);
    if (m_tracked >= 0)
        QToolTip::hideText();
    m_tracked = -1;
    hide();
}

bool CommandPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        const int i = m_buttons.indexOf(static_cast<QPushButton *>(watched));
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (i >= 0 && m_buttons.at(i)->rect().contains(mouse->position().toPoint())) {
            const Qt::MouseButton released = mouse->button();
            hidePanel();
            Q_EMIT buttonReleased(i, released);
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

} // namespace Zelkor
