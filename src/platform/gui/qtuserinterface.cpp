#include "platform/gui/qtuserinterface.h"

#include "platform/feedback.h"
#include "platform/gui/messagepanel.h"
#include "platform/print/qtprinterstream.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QDir>
#include <QRegularExpression>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFontInfo>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

#include <cstdio>

namespace Zelkor {

// While a cancellable work runs, the events it lets through reach only the "中止" button: a
// press anywhere else, a key (Esc cancels), a drop or closing a window would run another command
// in the middle of the work.
class WorkInputFilter : public QObject
{
public:
    WorkInputFilter(QWidget *cancelButton, std::function<void()> cancel)
        : m_button(cancelButton)
        , m_cancel(std::move(cancel))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // A dialog the work itself opens takes its input as usual.
        if (const QWidget *modal = QApplication::activeModalWidget()) {
            const auto *widget = qobject_cast<const QWidget *>(watched);
            if (widget && modal->isAncestorOf(widget))
                return false;
            if (watched == modal || (widget && widget->window() == modal))
                return false;
        }
        switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
                m_cancel();
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            // The window passes a press on to the widget under the mouse; only there is it
            // decided.
            return watched->isWidgetType() && watched != m_button;
        case QEvent::Close:
            event->ignore();
            return true;
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return true;
        default:
            return false;
        }
    }

private:
    QWidget *m_button;
    std::function<void()> m_cancel;
};

QtUserInterface::QtUserInterface(QWidget *window)
{
    setWindow(window);
}

QtUserInterface::~QtUserInterface()
{
    closeWorkMessage();
    if (m_workCursor)
        QApplication::restoreOverrideCursor();
    for (; m_busyDepth > 0; --m_busyDepth)
        QApplication::restoreOverrideCursor();
}

void QtUserInterface::setWindow(QWidget *window)
{
    if (m_panel)
        delete m_panel.data();
    m_window = window;
    if (window) {
        m_panel = new MessagePanel(window);
        QObject::connect(m_panel->cancelButton(), &QPushButton::clicked, m_panel, [this] { cancelWork(); });
    }
}

MessagePanel *QtUserInterface::messagePanel() const
{
    return m_panel.data();
}

QStringList QtUserInterface::nameFilters(const QStringList &filters)
{
    QStringList out;
    for (const QString &f : filters) {
        const int bar = f.indexOf(QLatin1Char('|'));
        if (bar < 0) {
            out << f;
            continue;
        }
        // File names are matched case-sensitively here, while the program's users name their
        // files in either case: each pattern is offered in lower and in upper case.
        QStringList patterns;
        for (const QString &p : f.mid(bar + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            for (const QString &q : {p.trimmed().toLower(), p.trimmed().toUpper()}) {
                if (!patterns.contains(q))
                    patterns << q;
            }
        }
        // The label usually shows its pattern in parentheses already; the dialog takes the
        // patterns from the last parentheses, so those are replaced rather than repeated.
        QString label = f.left(bar);
        const int open = label.lastIndexOf(QLatin1Char('('));
        if (label.endsWith(QLatin1Char(')')) && open >= 0)
            label.truncate(open);
        else
            label += QLatin1Char(' ');
        out << label + QLatin1Char('(') + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out;
}

namespace {
// A message box with the program's Japanese button captions, the same words the standard
// dialogs show with Qt's Japanese translations, whatever translations are installed.
int runMessageBox(QWidget *parent, QMessageBox::Icon icon, const QString &caption, const QString &text,
                  QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, caption, text, buttons, parent);
    const std::pair<QMessageBox::StandardButton, QString> captions[] = {
        {QMessageBox::Yes, QStringLiteral("はい(&Y)")},
        {QMessageBox::No, QStringLiteral("いいえ(&N)")},
        {QMessageBox::Abort, QStringLiteral("中止(&A)")},
        {QMessageBox::Cancel, QStringLiteral("キャンセル")},
        {QMessageBox::Ok, QStringLiteral("OK")},
    };
    for (const auto &[button, label] : captions)
        if (QAbstractButton *b = box.button(button))
            b->setText(label);
    if (buttons & QMessageBox::Yes)
        box.setDefaultButton(QMessageBox::Yes);
    return box.exec();
}
} // namespace

bool QtUserInterface::askYesNo(const QString &text)
{
    return runMessageBox(m_window, QMessageBox::Question, QStringLiteral("確認"), text,
                         QMessageBox::Yes | QMessageBox::No)
           == QMessageBox::Yes;
}

YesNoCancel QtUserInterface::askYesNoCancel(const QString &text)
{
    // Escape and the close box answer キャンセル: the box's escape button is its Cancel.
    switch (runMessageBox(m_window, QMessageBox::Question, QStringLiteral("確認"), text,
                          QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes: return YesNoCancel::Yes;
    case QMessageBox::No: return YesNoCancel::No;
    default: return YesNoCancel::Cancel;
    }
}

bool QtUserInterface::askYesAbort(const QString &text)
{
    return runMessageBox(m_window, QMessageBox::Question, QStringLiteral("確認"), text,
                         QMessageBox::Yes | QMessageBox::Abort)
           == QMessageBox::Yes;
}

void QtUserInterface::showMessage(const QString &text)
{
    runMessageBox(m_window, QMessageBox::Information, QStringLiteral("情報"), text, QMessageBox::Ok);
}

void QtUserInterface::showError(const QString &caption, const QString &text)
{
    runMessageBox(m_window, QMessageBox::Critical, caption, text, QMessageBox::Ok);
}

bool QtUserInterface::getText(const QString &caption, const QString &prompt, QString *value)
{
    QInputDialog dialog(m_window);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(value ? *value : QString());
    // Wide enough for a table title or a comment of a line.
    dialog.resize(qMax(dialog.sizeHint().width(), 420), dialog.sizeHint().height());
    const bool ok = dialog.exec() == QDialog::Accepted;
    if (ok && value)
        *value = dialog.textValue();
    return ok;
}

bool QtUserInterface::chooseItem(const QString &caption, const QString &prompt, const QStringList &items, int *index)
{
    QInputDialog dialog(m_window);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setComboBoxItems(items);
    dialog.setComboBoxEditable(false);
    dialog.setOption(QInputDialog::UseListViewForComboBoxItems, true);
    if (*index >= 0 && *index < items.size())
        dialog.setTextValue(items.at(*index));
    dialog.resize(qMax(dialog.sizeHint().width(), 420), dialog.sizeHint().height());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const int chosen = int(items.indexOf(dialog.textValue()));
    if (chosen < 0)
        return false;
    *index = chosen;
    return true;
}

QString QtUserInterface::runFileDialog(const FileDialogRequest &request, bool save)
{
    QFileDialog dialog(m_window, request.title);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The overwrite question is the program's own (with Yes and Abort).
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    const QStringList filters = nameFilters(request.filters);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = std::clamp(request.filterIndex, 1, int(filters.size())) - 1;
        dialog.selectNameFilter(filters.at(index));
    }
    QString &remembered = save ? m_saveDirectory : m_openDirectory;
    const QString directory = !request.directory.isEmpty() && QFileInfo(request.directory).isDir()
                                  ? request.directory
                                  : remembered;
    if (!directory.isEmpty())
        dialog.setDirectory(directory);
    QString suffix = request.defaultExtension;
    if (suffix.startsWith(QLatin1Char('.')))
        suffix.remove(0, 1);
    dialog.setDefaultSuffix(suffix);
    // A proposed name that is a pattern ("*.zki") only says which files to show.
    const QString name = request.fileName;
    if (!name.isEmpty() && !name.contains(QLatin1Char('*')) && !name.contains(QLatin1Char('?')))
        dialog.selectFile(name);
    // A CSV file for other programs may be written in UTF-8: a check box under the file types.
    QCheckBox *utf8 = nullptr;
    if (save && request.offerEncoding) {
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        utf8 = new QCheckBox(QStringLiteral("UTF-8 で書き出す（R や Python などで読むとき）"), &dialog);
        utf8->setObjectName(QStringLiteral("Utf8"));
        utf8->setChecked(csvEncoding() == TextEncoding::Utf8);
        if (auto *grid = qobject_cast<QGridLayout *>(dialog.layout()))
            grid->addWidget(utf8, grid->rowCount(), 0, 1, grid->columnCount());
    }

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    const QString chosen = dialog.selectedFiles().constFirst();
    remembered = QFileInfo(chosen).absolutePath();
    if (utf8) {
        request.encoding = utf8->isChecked() ? TextEncoding::Utf8 : TextEncoding::Cp932;
        setCsvEncoding(request.encoding);
    }
    return chosen;
}

QString QtUserInterface::getOpenFileName(const FileDialogRequest &request)
{
    return runFileDialog(request, false);
}

QString QtUserInterface::getSaveFileName(const FileDialogRequest &request)
{
    return runFileDialog(request, true);
}

bool QtUserInterface::chooseFont(FontSpec *font)
{
    QFont initial(font->name);
    initial.setPointSize(font->pointSize > 0 ? font->pointSize : 9);
    initial.setBold(font->bold);
    initial.setItalic(font->italic);
    // The dialog lists the installed faces: it starts on the face the name stands for here (a
    // substitute's), not on the first of its list.
    initial.setFamilies({QFontInfo(initial).family()});
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, initial, m_window);
    if (!ok)
        return false;
    // A face the system shows under another name (a substitution) keeps the name it was asked
    // by, so the settings file keeps what the user's other machines know.
    const QString family = chosen.family();
    if (!QFont::substitutes(font->name).contains(family, Qt::CaseInsensitive))
        font->name = family;
    font->pointSize = chosen.pointSize() > 0 ? chosen.pointSize() : font->pointSize;
    font->bold = chosen.bold();
    font->italic = chosen.italic();
    return true;
}

namespace {

// A print job on the shared printer, which also tells a failure the printer reports.
// A print job on the program's printer. Printed to a PDF file, the job is drawn into a file
// beside it that replaces the file only when the job ended well: a cancelled or failed print
// leaves no half-written file and keeps an old one.
class PrinterJobStream : public QtPrinterStream
{
public:
    explicit PrinterJobStream(QPrinter *printer)
        : QtPrinterStream(printer)
        , m_printer(printer)
    {
    }
    ~PrinterJobStream() override { dropPartFile(); }

    bool open() override
    {
        if (m_printer->outputFormat() == QPrinter::PdfFormat && !m_printer->outputFileName().isEmpty()) {
            m_target = m_printer->outputFileName();
            m_part = m_target + QStringLiteral(".part");
            m_printer->setOutputFileName(m_part);
        }
        return QtPrinterStream::open();
    }

    bool close() override
    {
        const bool ended = QtPrinterStream::close();
        if (m_printer->printerState() == QPrinter::Error)
            fail(QStringLiteral("印刷中にプリンターで誤りが起きました。"));
        const bool ok = ended && m_printer->printerState() != QPrinter::Error;
        if (!m_part.isEmpty()) {
            m_printer->setOutputFileName(m_target);
            if (ok && std::rename(QFile::encodeName(m_part).constData(), QFile::encodeName(m_target).constData()) != 0) {
                fail(QStringLiteral("PDF ファイル %1 を書き込めませんでした。").arg(QDir::toNativeSeparators(m_target)));
                dropPartFile();
                return false;
            }
            if (!ok)
                dropPartFile();
            m_part.clear();
        }
        return ok;
    }

    void abort() override
    {
        m_printer->abort();
        QtPrinterStream::abort();
        if (!m_part.isEmpty())
            m_printer->setOutputFileName(m_target);
        dropPartFile();
    }

private:
    void dropPartFile()
    {
        if (!m_part.isEmpty())
            QFile::remove(m_part);
        m_part.clear();
    }

    QPrinter *m_printer;
    QString m_target;
    QString m_part;
};

} // namespace

std::unique_ptr<PrinterStream> QtUserInterface::choosePrinter(const QString &documentName)
{
    if (!m_printer)
        return nullptr;
    // The job carries the document's name; printed to a file, the file is proposed under that
    // name in the folder printed to last (else the one saved to last), not as "print.pdf" in the
    // home folder.
    QString name = documentName.trimmed();
    static const QRegularExpression unsafe(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]"));
    name.replace(unsafe, QStringLiteral("_"));
    if (name.isEmpty())
        name = QStringLiteral("組成表");
    m_printer->setDocName(name);
    if (m_printer->outputFormat() == QPrinter::PdfFormat) {
        const QString printedTo = m_printer->outputFileName();
        const QString folder = !printedTo.isEmpty()        ? QFileInfo(printedTo).absolutePath()
                               : !m_saveDirectory.isEmpty() ? m_saveDirectory
                                                            : QDir::homePath();
        m_printer->setOutputFileName(QDir(folder).filePath(name + QStringLiteral(".pdf")));
    }
    QPrintDialog dialog(m_printer, m_window);
    // The whole table is printed: no choice of pages or selection.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    return std::make_unique<PrinterJobStream>(m_printer);
}

void QtUserInterface::showWorkMessage(const QString &line1, const QString &line2)
{
    if (!m_workCursor) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_workCursor = true;
    }
    if (m_panel)
        m_panel->showMessage(line1, line2);
}

void QtUserInterface::showGuideMessage(const QString &line1, const QString &line2)
{
    // The user is to drag with the mouse: no busy cursor.
    if (m_panel)
        m_panel->showMessage(line1, line2);
}

void QtUserInterface::showCancelableWork(const QString &line1, const QString &line2, Feedback *work)
{
    showWorkMessage(line1, line2);
    if (!m_panel || !work)
        return;
    m_work = work;
    // The pointer with the busy mark: the button can be pressed.
    QApplication::changeOverrideCursor(Qt::BusyCursor);
    m_panel->setCancelable(true);
    m_panel->showMessage(line1, line2);
    if (!m_inputFilter) {
        m_inputFilter = new WorkInputFilter(m_panel->cancelButton(), [this] { cancelWork(); });
        qApp->installEventFilter(m_inputFilter);
    }
    m_progressShown.invalidate();
    // The progress shows a few times a second, and only then do the events get through (the
    // press on "中止"): a repaint per step would cost more than most steps.
    work->setWatcher([this, line1](Feedback &f) {
        if (m_progressShown.isValid() && m_progressShown.elapsed() < 100)
            return;
        m_progressShown.start();
        if (m_panel && !f.isCanceled())
            m_panel->showMessage(line1, f.progressText());
        QCoreApplication::processEvents();
    });
}

void QtUserInterface::cancelWork()
{
    if (!m_work || m_work->isCanceled())
        return;
    m_work->cancel();
    if (m_panel) {
        m_panel->cancelButton()->setEnabled(false);
        m_panel->showMessage(m_panel->line1(), QStringLiteral("中止しています"));
    }
}

void QtUserInterface::closeWorkMessage()
{
    if (m_workCursor) {
        QApplication::restoreOverrideCursor();
        m_workCursor = false;
    }
    if (m_work) {
        m_work->setWatcher({});
        m_work = nullptr;
    }
    if (m_inputFilter) {
        qApp->removeEventFilter(m_inputFilter);
        delete m_inputFilter;
        m_inputFilter = nullptr;
    }
    if (m_panel) {
        m_panel->setCancelable(false);
        m_panel->hide();
    }
}

void QtUserInterface::setBusy(bool busy)
{
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++m_busyDepth;
    } else if (m_busyDepth > 0) {
        QApplication::restoreOverrideCursor();
        --m_busyDepth;
    }
}

} // namespace Zelkor
