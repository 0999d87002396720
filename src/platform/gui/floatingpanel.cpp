#include "platform/gui/floatingpanel.h"

#include <QMainWindow>

#include <algorithm>

namespace Zelkor {

void showOverGrid(QWidget *panel)
{
    panel->adjustSize();
    QWidget *parent = panel->parentWidget();
    QRect area = parent ? parent->rect() : QRect(QPoint(), panel->size());
    if (const auto *window = qobject_cast<const QMainWindow *>(parent))
        if (const QWidget *central = window->centralWidget())
            area = central->geometry();
    const int x = std::max(area.left(), area.right() - panel->width() - 16);
    const int y = area.top() + std::clamp(area.height() - panel->height(), 0, 8);
    panel->move(x, y);
    panel->show();
    panel->raise();
}

} // namespace Zelkor
