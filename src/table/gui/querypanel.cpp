#include "table/gui/querypanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace Zelkor {

QueryPanel::QueryPanel(QWidget *parent)
    : QFrame(parent)
    , m_label(new QLabel(this))
    , m_box(new QComboBox(this))
    , m_ignoreCase(new QCheckBox(QStringLiteral("大文字・小文字を区別しない"), this))
    , m_exact(new QPushButton(QStringLiteral("完全一致"), this))
    , m_partial(new QPushButton(QStringLiteral("部分一致"), this))
    , m_cancel(new QPushButton(QStringLiteral("中止"), this))
{
    setObjectName(QStringLiteral("QueryPanel"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setAutoFillBackground(true);
    setFixedSize(PanelWidth, PanelHeight);

    m_label->setObjectName(QStringLiteral("QueryLabel"));
    m_label->setGeometry(10, 6, 269, 16);

    m_box->setObjectName(QStringLiteral("QueryBox"));
    m_box->setEditable(true);
    // The list holds exactly the earlier searches; typing Enter never adds to it by itself.
    m_box->setInsertPolicy(QComboBox::NoInsert);
    m_box->setGeometry(10, 24, 269, 22);
    m_box->installEventFilter(this);
    m_box->lineEdit()->installEventFilter(this);

    // Off at first: a search compares the texts exactly, case included.
    m_ignoreCase->setObjectName(QStringLiteral("QueryIgnoreCase"));
    m_ignoreCase->setGeometry(10, 50, 269, 20);

    m_exact->setObjectName(QStringLiteral("QueryBtn1"));
    m_partial->setObjectName(QStringLiteral("QueryBtn2"));
    m_cancel->setObjectName(QStringLiteral("QueryCancelBtn"));
    const int y = 75;
    m_exact->setGeometry(10, y, 84, 24);
    m_partial->setGeometry(102, y, 84, 24);
    m_cancel->setGeometry(195, y, 84, 24);
    for (QPushButton *b : {m_exact, m_partial, m_cancel})
        b->setAutoDefault(false);

    connect(m_exact, &QPushButton::clicked, this, [this] { queryBtn1Click(m_exact); });
    connect(m_partial, &QPushButton::clicked, this, [this] { queryBtn1Click(m_partial); });
    connect(m_cancel, &QPushButton::clicked, this, &QueryPanel::queryCancelBtnClick);
    hide();
}

void QueryPanel::showPanel(const QPoint &topLeft, const QStringList &history)
{
    m_label->setText(QStringLiteral("検索する文字列"));
    // The list follows the history; the box keeps the text it had.
    QStringList items;
    for (int i = 0; i < m_box->count(); ++i)
        items << m_box->itemText(i);
    if (items != history) {
        const QString text = m_box->currentText();
        m_box->clear();
        m_box->addItems(history);
        m_box->setEditText(text);
    }
    QPoint at = topLeft;
    if (const QWidget *p = parentWidget()) {
        at.setX(std::clamp(at.x(), 0, std::max(0, p->width() - width())));
        at.setY(std::clamp(at.y(), 0, std::max(0, p->height() - height())));
    }
    move(at);
    show();
    raise();
    m_box->setFocus(Qt::OtherFocusReason);
    m_box->lineEdit()->selectAll();
}

void QueryPanel::queryBtn1Click(const QObject *sender)
{
    const QString text = m_box->currentText();
    const bool exact = sender == m_exact;
    hide();
    Q_EMIT searchRequested(text, exact, m_ignoreCase->isChecked());
}

void QueryPanel::queryCancelBtnClick()
{
    hide();
}

bool QueryPanel::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == m_box || watched == m_box->lineEdit()) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Escape) {
            queryCancelBtnClick();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Enter searches by partial match, whatever button was used before.
            queryBtn1Click(m_box);
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

} // namespace Zelkor
