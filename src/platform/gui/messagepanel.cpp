#include "platform/gui/messagepanel.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace Zelkor {

MessagePanel::MessagePanel(QWidget *parent)
    : QFrame(parent)
    , m_label1(new QLabel(this))
    , m_label2(new QLabel(this))
    , m_cancel(new QPushButton(QStringLiteral("中止"), this))
{
    setObjectName(QStringLiteral("MessagePanel"));
    setFixedSize(Width, Height);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QApplication::palette().color(QPalette::ToolTipBase));
    pal.setColor(QPalette::WindowText, QApplication::palette().color(QPalette::ToolTipText));
    setPalette(pal);

    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(15);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    for (QLabel *label : {m_label1, m_label2}) {
        label->setFont(font);
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label);
    }
    m_label1->setObjectName(QStringLiteral("MessageLabel1"));
    m_label2->setObjectName(QStringLiteral("MessageLabel2"));
    m_cancel->setObjectName(QStringLiteral("BtnCancelWork"));
    m_cancel->setToolTip(QStringLiteral("作業を中止します。表とファイルは元のままです"));
    m_cancel->setFocusPolicy(Qt::NoFocus);
    m_cancel->hide();
    layout->addWidget(m_cancel, 0, Qt::AlignHCenter);
    hide();
}

void MessagePanel::showMessage(const QString &line1, const QString &line2)
{
    m_label1->setText(line1);
    m_label2->setText(line2);
    if (QWidget *p = parentWidget())
        move((p->width() - width()) / 2, (p->height() - height()) / 2);
    raise();
    show();
    // The operation keeps the event loop waiting: paint now.
    repaint();
}

void MessagePanel::setCancelable(bool cancelable)
{
    m_cancel->setVisible(cancelable);
    m_cancel->setEnabled(cancelable);
    setFixedSize(Width, cancelable ? CancelableHeight : Height);
}

QString MessagePanel::line1() const { return m_label1->text(); }
QString MessagePanel::line2() const { return m_label2->text(); }

} // namespace Zelkor
