#include "analysis/gui/constancywindow.h"

#include "analysis/freqtablemodel.h"
#include "platform/gui/gridwidget.h"
#include "platform/gui/ownedwindow.h"
#include "platform/print/qtfont.h"

#include <QClipboard>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace Zelkor {

namespace {

QPushButton *toolButton(const QString &name, const QString &caption, const QString &hint, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

} // namespace

ConstancyWindow::ConstancyWindow(FreqTableModel *model, UserInterface *ui, QWidget *parent)
    : QWidget(parent, OwnedWindowFlags)
    , m_model(model)
    , m_commands(model, ui)
    , m_grid(new GridWidget(this))
    , m_panel1(new QFrame(this))
    , m_print(toolButton(QStringLiteral("Btn_Print"), QStringLiteral("印　刷"), QStringLiteral("表を直接印刷する"), this))
    , m_toClip(toolButton(QStringLiteral("BtntoClip"), QStringLiteral("全コピー"), QStringLiteral("表をクリップボードに"), this))
    , m_close(toolButton(QStringLiteral("Btn_Close"), QStringLiteral("終了"), QStringLiteral("常在度表を消去する"), this))
    , m_scoresCsv(toolButton(QStringLiteral("Btn_ScoresCSV"), QStringLiteral("CSV書出"), QStringLiteral("スコア表をCSV形式で書き出す"), this))
{
    // As a window of the main window it stays over it, and the dialogs it opens come over it.
    setObjectName(QStringLiteral("Form2"));
    setAttribute(Qt::WA_QuitOnClose, false);

    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto *panelRow = new QHBoxLayout(m_panel1);
    panelRow->setContentsMargins(2, 2, 2, 2);
    panelRow->setSpacing(2);
    auto *font = toolButton(QStringLiteral("BTn_font"), QStringLiteral("フォント"), QStringLiteral("表のフォントを変更する"), m_panel1);
    auto *textOut = toolButton(QStringLiteral("Btn_TextOut"), QStringLiteral("テキスト書出"), QStringLiteral("表を互換テキストファイルにする"), m_panel1);
    auto *csvWrite = toolButton(QStringLiteral("Btn_CSVWrite"), QStringLiteral("CSV書出"), QStringLiteral("表をCSV形式で書き出す"), m_panel1);
    auto *txRead = toolButton(QStringLiteral("Btn_Txread"), QStringLiteral("テキスト読込"), QStringLiteral("テキスト保存した表を読み込む"), m_panel1);
    auto *csvRead = toolButton(QStringLiteral("Btn_CSVRead"), QStringLiteral("CSV読込"), QStringLiteral("保存したCSV常在度表を読み込む"), m_panel1);
    for (QPushButton *b : {font, textOut, csvWrite, txRead, csvRead})
        panelRow->addWidget(b);

    auto *toolBar = new QHBoxLayout;
    toolBar->setSpacing(2);
    toolBar->addWidget(m_print);
    toolBar->addWidget(m_toClip);
    toolBar->addWidget(m_close);
    toolBar->addWidget(m_scoresCsv);
    toolBar->addSpacing(8);
    toolBar->addWidget(m_panel1);
    toolBar->addStretch(1);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 2, 0, 0);
    outer->setSpacing(2);
    outer->addLayout(toolBar);
    outer->addWidget(m_grid, 1);

    m_grid->setObjectName(QStringLiteral("FreqTable"));
    m_grid->setMovingEnabled(false);
    m_grid->setEditingEnabled(false);
    m_grid->setFrameStyle(QFrame::NoFrame);
    m_grid->setGrid(&m_model->grid());
    // The diagnostic species of a table with the fidelity: their cells shaded as by a marker.
    m_grid->setDrawCellHook([this](QPainter &painter, int col, int row, const QRect &rect) {
        if (m_model->isShaded(col, row))
            GridWidget::tint(painter, rect, diagnosticColor());
    });

    connect(m_print, &QPushButton::clicked, this, &ConstancyWindow::btnPrintClick);
    connect(m_toClip, &QPushButton::clicked, this, &ConstancyWindow::btnToClipClick);
    connect(m_close, &QPushButton::clicked, this, &ConstancyWindow::btnCloseFreqClick);
    connect(font, &QPushButton::clicked, this, &ConstancyWindow::bTnFontClick);
    connect(textOut, &QPushButton::clicked, this, &ConstancyWindow::btnTextOutClick);
    connect(csvWrite, &QPushButton::clicked, this, &ConstancyWindow::btnCSVWriteClick);
    connect(m_scoresCsv, &QPushButton::clicked, this, &ConstancyWindow::btnCSVWriteClick);
    connect(txRead, &QPushButton::clicked, this, &ConstancyWindow::btnTxreadClick);
    connect(csvRead, &QPushButton::clicked, this, &ConstancyWindow::btnCSVReadClick);

    takeUpModel();
    resize(InitialWidth, InitialHeight);
    hide();
}

ConstancyWindow::~ConstancyWindow() = default;

void ConstancyWindow::takeUpModel()
{
    setWindowTitle(m_model->caption());
    m_grid->setFont(toQFont(m_model->font()));
    m_panel1->setVisible(m_model->isToolPanelVisible());
    // A score table has no constancy tools, but its scores can be saved.
    m_scoresCsv->setVisible(!m_model->isToolPanelVisible());
    m_grid->gridChanged();
}

void ConstancyWindow::showTable()
{
    takeUpModel();
    m_grid->setTopRow(m_model->grid().fixedRows());
    m_grid->setLeftCol(m_model->grid().fixedCols());
    showOverMainWindow();
    Q_EMIT tableShown();
}

void ConstancyWindow::itemShowFreqTableClick()
{
    showOverMainWindow();
}

void ConstancyWindow::showOverMainWindow()
{
    const QWidget *main = parentWidget();
    if (!m_placed && main) {
        const QRect frame = main->frameGeometry();
        QPoint at(frame.center().x(), frame.top() + 40);
        if (const QScreen *screen = main->screen()) {
            const QRect area = screen->availableGeometry();
            at.setX(std::max(area.left(), std::min(at.x(), area.right() - frameGeometry().width())));
            at.setY(std::max(area.top(), std::min(at.y(), area.bottom() - frameGeometry().height())));
        }
        move(at);
    }
    m_placed = true;
    show();
    raise();
}

void ConstancyWindow::btnCloseFreqClick()
{
    hide();
}

void ConstancyWindow::btnPrintClick()
{
    m_commands.print();
}

void ConstancyWindow::btnToClipClick()
{
    QGuiApplication::clipboard()->setText(m_commands.clipboardText());
}

void ConstancyWindow::bTnFontClick()
{
    m_commands.chooseFont([](const FontSpec &font, const QString &text) {
        return QFontMetrics(toQFont(font)).horizontalAdvance(text);
    });
    takeUpModel();
}

void ConstancyWindow::btnTextOutClick()
{
    m_commands.writeTextFile();
}

void ConstancyWindow::btnTxreadClick()
{
    if (m_commands.readTextFile())
        takeUpModel();
}

void ConstancyWindow::btnCSVWriteClick()
{
    m_commands.writeCsvFile();
}

void ConstancyWindow::btnCSVReadClick()
{
    if (m_commands.readCsvFile())
        takeUpModel();
}

} // namespace Zelkor
