#include "shell/gui/aboutbox.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace Zelkor {

AboutBox::AboutBox(const QString &versionText, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    setModal(true);

    auto *icon = new QLabel(this);
    icon->setPixmap(programIcon().pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);

    auto *product = new QLabel(QStringLiteral("Zelkor"), this);
    product->setObjectName(QStringLiteral("ProductName"));
    QFont big = product->font();
    big.setPointSize(big.pointSize() + 3);
    big.setBold(true);
    product->setFont(big);
    auto *version = new QLabel(QStringLiteral("バージョン ") + versionText, this);
    version->setObjectName(QStringLiteral("Version"));
    auto *comments = new QLabel(QStringLiteral("植生組成表の作成・並べ替え・出力"), this);
    comments->setObjectName(QStringLiteral("Comments"));

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *texts = new QVBoxLayout;
    texts->addWidget(product);
    texts->addWidget(version);
    texts->addWidget(comments);
    auto *top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(12);
    top->addLayout(texts, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addLayout(top);
    layout->addSpacing(12);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Centred on the screen, not on the main window.
    adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

QIcon AboutBox::programIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(QColor(255, 255, 208));
    QPainter p(&pixmap);
    p.fillRect(0, 0, 32, 8, QColor(255, 255, 0));
    p.fillRect(0, 0, 10, 32, QColor(255, 255, 0));
    p.fillRect(10, 8, 22, 3, QColor(255, 255, 187));
    p.setPen(QColor(90, 90, 90));
    for (int x = 10; x < 32; x += 7)
        p.drawLine(x, 0, x, 31);
    for (int y = 8; y < 32; y += 6)
        p.drawLine(0, y, 31, y);
    p.setPen(QColor(0, 110, 0));
    p.setBrush(QColor(70, 170, 70));
    p.drawEllipse(QPoint(20, 21), 5, 5);
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, 31, 31);
    p.end();
    return QIcon(pixmap);
}

} // namespace Zelkor
