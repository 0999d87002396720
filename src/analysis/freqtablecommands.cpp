#include "analysis/freqtablecommands.h"

#include "analysis/freqtablecsvfile.h"
#include "analysis/freqtableprint.h"
#include "analysis/freqtabletextfile.h"
#include "platform/printerstream.h"
#include "platform/savepathguard.h"
#include "platform/userinterface.h"

#include <QLocale>

namespace Zelkor {

namespace {

// The caption as a proposed file name: characters that cannot stand in a file name, or that
// would make the name a folder path or a pattern, become "_".
QString fileNameOf(const QString &caption)
{
    QString name = caption;
    for (QChar &ch : name)
        if (QStringLiteral("/\\:*?\"<>|").contains(ch) || ch.unicode() < 32)
            ch = QLatin1Char('_');
    return name;
}

} // namespace

FreqTableCommands::FreqTableCommands(FreqTableModel *model, UserInterface *ui)
    : m_model(model)
    , m_ui(ui)
{
}

bool FreqTableCommands::print()
{
    std::unique_ptr<PrinterStream> printer = m_ui->choosePrinter(m_model->caption());
    if (!printer)
        return false;
    m_ui->setBusy(true);
    bool ok = printer->open();
    if (ok) {
        const FontSpec &font = m_model->font();
        printer->setFont(font, PrinterStream::fontHeight(font.pointSize, printer->dotsPerInch()));
        for (const QString &line : FreqTablePrint::lines(*m_model))
            printer->writeLine(line);
        ok = printer->close();
    }
    m_ui->setBusy(false);
    if (!ok)
        m_ui->showError(QStringLiteral("エラー"), QStringLiteral("表を印刷できませんでした。\n%1").arg(printer->errorString()));
    return ok;
}

void FreqTableCommands::chooseFont(const FreqTableModel::TextWidth &width)
{
    FontSpec font = m_model->font();
    if (m_ui->chooseFont(&font))
        m_model->setFont(font);
    m_model->applyFontSizes(width);
}

QString FreqTableCommands::askSaveFile(const QString &filter, const QString &extension, TextEncoding *encoding)
{
    FileDialogRequest request = FileDialogRequest::forType(filter, extension);
    request.fileName = fileNameOf(m_model->caption()) + extension;
    request.offerEncoding = encoding != nullptr;
    const QString path = Zelkor::askSaveFile(*m_ui, request);
    if (encoding)
        *encoding = request.encoding;
    return path;
}

bool FreqTableCommands::writeTextFile()
{
    const QString path = askSaveFile(FreqTableTextFile::nameFilter(), QStringLiteral(".txt"));
    if (path.isEmpty())
        return false;
    m_ui->setBusy(true);
    const QDate date = m_date.isValid() ? m_date : QDate::currentDate();
    FreqTableTextFile file;
    const bool ok = file.write(*m_model, QLocale::system().toString(date, QLocale::ShortFormat), path);
    m_ui->setBusy(false);
    if (!ok)
        m_ui->showError(QStringLiteral("エラー"),
                        QStringLiteral("常在度表をテキストファイルに書き出せませんでした。\n%1").arg(file.errorString()));
    return ok;
}

bool FreqTableCommands::writeCsvFile()
{
    TextEncoding encoding = TextEncoding::Cp932;
    const QString path = askSaveFile(FreqTableCsvFile::nameFilter(), QStringLiteral(".csv"), &encoding);
    if (path.isEmpty())
        return false;
    m_ui->setBusy(true);
    FreqTableCsvFile file;
    file.setEncoding(encoding);
    const bool ok = file.write(*m_model, path);
    m_ui->setBusy(false);
    if (!ok)
        m_ui->showError(QStringLiteral("エラー"),
                        QStringLiteral("%1をCSVファイルに書き出せませんでした。\n%2")
                            .arg(m_model->isToolPanelVisible() ? QStringLiteral("常在度表") : QStringLiteral("スコア表"),
                                 file.errorString()));
    return ok;
}

bool FreqTableCommands::readTextFile()
{
    FileDialogRequest request = FileDialogRequest::forType(FreqTableTextFile::openNameFilter());
    request.fileName = QStringLiteral("*.txt");
    const QString path = m_ui->getOpenFileName(request);
    if (path.isEmpty())
        return false;
    m_ui->setBusy(true);
    FreqTableTextFile file;
    const bool ok = file.read(path, m_model);
    m_ui->setBusy(false);
    if (!ok)
        m_ui->showError(QStringLiteral("エラー"),
                        QStringLiteral("テキスト保存した表を読み込めませんでした。\n%1").arg(file.errorString()));
    return ok;
}

bool FreqTableCommands::readCsvFile()
{
    FileDialogRequest request = FileDialogRequest::forType(FreqTableCsvFile::openNameFilter());
    request.title = QStringLiteral("組成表の読込");
    request.fileName = QStringLiteral("*.csv");
    const QString path = m_ui->getOpenFileName(request);
    if (path.isEmpty())
        return false;
    m_ui->setBusy(true);
    FreqTableCsvFile file;
    const bool ok = file.read(path, m_model);
    m_ui->setBusy(false);
    if (!ok)
        m_ui->showError(QStringLiteral("エラー"),
                        QStringLiteral("CSV常在度表を読み込めませんでした。\n%1").arg(file.errorString()));
    return ok;
}

} // namespace Zelkor
