#include "table/gui/celltip.h"

#include <QFontMetrics>

#include <algorithm>

namespace Zelkor {

CellTip::CellTip(QWidget *parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("Panel_ShowCell"));
    QFont f(QStringLiteral("ＭＳ ゴシック"));
    f.setPixelSize(15);
    setFont(f);
    setAlignment(Qt::AlignCenter);
    setTextFormat(Qt::PlainText);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::ToolTipBase));
    pal.setColor(QPalette::WindowText, pal.color(QPalette::ToolTipText));
    setPalette(pal);
    // The grid beneath keeps receiving the mouse, even where the tip covers it.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    resize(TipWidth, TipHeight);
    hide();
}

void CellTip::showText(const QString &text, const QPoint &mouse)
{
    setText(text);
    // The tip is there to show the whole text: a text wider than the tip widens it.
    const int needed = QFontMetrics(font()).horizontalAdvance(text) + 2 * frameWidth() + 4;
    const int w = std::max(int(TipWidth), needed);
    QPoint at(mouse.x() - w, mouse.y());
    if (const QWidget *p = parentWidget()) {
        at.setX(std::clamp(at.x(), 0, std::max(0, p->width() - w)));
        at.setY(std::clamp(at.y(), 0, std::max(0, p->height() - TipHeight)));
    }
    setGeometry(QRect(at, QSize(w, TipHeight)));
    show();
    raise();
}

} // namespace Zelkor
