#include "analysis/freqtablecommands.h"

#include "analysis/freqtablecsvfile.h"
#include "analysis/freqtabletextfile.h"
#include "platform/userinterface.h"

#include <QFileInfo>
#include <QLocale>

namespace Zelkor {

namespace {

const QString kOverwrite = QStringLiteral("同名のファイルが存在します。書き換えますか？");

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

QStringList FreqTableCommands::saveFilters()
{
    return {
        QStringLiteral("常在度表で保存 (*.ftb)|*.ftb"),
        QStringLiteral("テキストで保存 (*.txt)|*.txt"),
        QStringLiteral("CSVファイルで保存 (*.csv)|*.csv"),
    };
}

QStringList FreqTableCommands::openFilters()
{
    return {
        QStringLiteral("CSV常在度表 (*.csv)|*.csv"),
        QStringLiteral("テキスト形式 (*.txt)|*.txt"),
    };
}

void FreqTableCommands::btnFontClick(const FreqTableModel::TextWidth &width)
{
    FontSpec font = m_model->font();
    if (m_ui->chooseFont(&font))
        m_model->setFont(font);
    m_model->applyFontSizes(width);
}

QString FreqTableCommands::askSaveFile(int filterIndex, const QString &extension)
{
    FileDialogRequest request;
    request.filters = saveFilters();
    request.filterIndex = filterIndex;
    request.defaultExtension = extension;
    request.fileName = fileNameOf(m_model->caption()) + extension;
    const QString path = m_ui->getSaveFileName(request);
    if (path.isEmpty())
        return QString();
    if (QFileInfo::exists(path) && !m_ui->askYesAbort(kOverwrite))
        return QString();
    return path;
}

bool FreqTableCommands::btnTextOutClick()
{
    const QString path = askSaveFile(2, QStringLiteral(".txt"));
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

bool FreqTableCommands::btnCSVWriteClick()
{
    const QString path = askSaveFile(3, QStringLiteral(".csv"));
    if (path.isEmpty())
        return false;
    m_ui->setBusy(true);
    FreqTableCsvFile file;
    const bool ok = file.write(*m_model, path);
    m_ui->setBusy(false);
    if (!ok)
        m_ui->showError(QStringLiteral("エラー"),
                        QStringLiteral("常在度表をCSVファイルに書き出せませんでした。\n%1").arg(file.errorString()));
    return ok;
}

bool FreqTableCommands::btnTxreadClick()
{
    FileDialogRequest request;
    request.filters = openFilters();
    request.filterIndex = 2;
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

bool FreqTableCommands::btnCSVReadClick()
{
    FileDialogRequest request;
    request.title = QStringLiteral("組成表の読込");
    request.filters = openFilters();
    request.filterIndex = 1;
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
