#include "shell/workspace.h"

#include "analysis/matrixoutput.h"
#include "database/covercode.h"
#include "database/tablefile.h"
#include "platform/fileaccess.h"
#include "platform/versioninfo.h"
#include "shell/filefilters.h"
#include "shell/userguide.h"
#include "table/tablesearch.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace Zelkor {

QString Workspace::notSpecified()
{
    return QStringLiteral("未指定");
}

Workspace::Workspace(UserInterface *ui, QObject *parent)
    : QObject(parent)
    // The commands get the guard, never ui itself.
    , m_savePathGuard(ui, [this] { return inputFiles(); })
    , m_ui(&m_savePathGuard)
    , m_versionText(Zelkor::versionText(fileVersion()))
    , m_outputPanel(m_model, m_items, m_settings, &m_tableTitle, *m_ui,
                    OutputPanel::Hooks{[this] { clearTable(); }, [this] { itemFrequencyClick(); },
                                       [this] { btnFontClick(); }, [this] { updateStatus(); },
                                       [this] { return confirmDiscardTable(); }})
    , m_tableOutputs(m_model, m_items, m_settings, &m_tableTitle, *m_ui)
    , m_siteExport(m_model, &m_tableTitle, *m_ui)
    , m_sortAndHide(&m_model, m_ui)
{
    connect(&m_sortAndHide, &SortAndHide::tableChanged, this, &Workspace::tableChanged);
    m_model.setTableFont(m_settings.tableFont);
    initTableArrays();
    // The selection is sized to the database's records whenever they change, so it never
    // indexes past them.
    connect(this, &Workspace::databaseChanged, this, [this] { m_extraction.reset(recordCount()); });

    // The outputs recompute the frequencies before they write.
    m_outputPanel.setOutput(OutputPanel::TextFile, [this] {
        m_tableOutputs.outputTextFile(m_outputPanel.range());
        Q_EMIT tableChanged();
    });
    m_outputPanel.setOutput(OutputPanel::ExcelFile, [this] {
        m_tableOutputs.outputExcelFile(m_outputPanel.range());
        Q_EMIT tableChanged();
    });
    m_outputPanel.setOutput(OutputPanel::PrintTable, [this] {
        m_tableOutputs.outPutPrinter(m_outputPanel.range());
        Q_EMIT tableChanged();
    });
    m_outputPanel.setOutput(OutputPanel::PrintKanni, [this] {
        m_tableOutputs.outPutPrinter2(m_outputPanel.range());
        Q_EMIT tableChanged();
    });
    m_outputPanel.setOutput(OutputPanel::ValueMatrix, [this] { outputValueMatrix(matrixOutputOptions()); });
    m_outputPanel.setOutput(OutputPanel::PCordCSV, [this] { outputPCordCSV(matrixOutputOptions()); });
    // The constancy command brings the frequencies up to date: the grid shows them.
    connect(&m_constancy, &ConstancyCommand::tableChanged, this, &Workspace::tableChanged);
    // Reciprocal averaging moves rows and columns when the user agrees.
    connect(&m_recip, &RecipCommand::tableChanged, this, &Workspace::tableChanged);
}

Workspace::~Workspace() = default;

void Workspace::initTableArrays()
{
    m_model.initTableArrays();
    resetReadingState();
}

void Workspace::resetReadingState()
{
    m_database.resetPlantSet();
    m_extraction.setFitCount(0);
}

void Workspace::clearTable()
{
    m_ui->showWorkMessage(QStringLiteral("　組成表を白紙化しています　"));
    m_model.setTableFont(m_settings.tableFont);
    m_model.clearTable(m_items);
    m_tableFilePath.clear();
    resetReadingState();
    m_ui->closeWorkMessage();
    Q_EMIT tableChanged();
    updateStatus();
}

void Workspace::itemClearTableClick()
{
    if (confirmDiscardTable())
        clearTable();
}

void Workspace::reNewTable()
{
    // New labels of the header rows of a table change what is saved with it.
    QStringList labels;
    for (int q = 1; q < m_model.headerRows(); ++q)
        labels << m_model.grid().cell(2, q);
    const bool hadRows = m_model.releveCount() > 0 || m_model.speciesCount() > 0;
    m_model.setTableFont(m_settings.tableFont);
    m_model.reNewTable(m_items);
    if (hadRows) {
        for (int q = 1; q < m_model.headerRows(); ++q)
            if (q > labels.size() || labels.at(q - 1) != m_model.grid().cell(2, q))
                m_model.setModified(true);
    }
    Q_EMIT tableChanged();
}

void Workspace::itemFrequencyClick()
{
    m_ui->setBusy(true);
    m_model.recomputeFrequencies();
    m_ui->setBusy(false);
    Q_EMIT tableChanged();
}

QString Workspace::windowTitle() const
{
    return QStringLiteral(" Vegetation Table Processing Ver.") + m_versionText + QStringLiteral("    [ ")
           + m_tableTitle + QStringLiteral(" ]");
}

QStringList Workspace::statusTexts() const
{
    const QString db = m_settings.dataFileName == notSpecified()
                           ? notSpecified()
                           : QFileInfo(m_settings.dataFileName).completeBaseName();
    const QString dict = m_settings.dictFileName == notSpecified()
                             ? notSpecified()
                             : QFileInfo(m_settings.dictFileName).fileName();
    return {QStringLiteral("DB"),
            db,
            QStringLiteral("測定数"),
            QString::number(m_model.releveCount()),
            QStringLiteral("種数"),
            QString::number(m_model.speciesCount()),
            QStringLiteral("異名辞書"),
            dict,
            QStringLiteral("表ファイル"),
            QFileInfo(m_tableFileName).fileName()};
}

void Workspace::updateStatus()
{
    Q_EMIT statusChanged();
}

// --- Unsaved changes -------------------------------------------------------------------------

QString Workspace::unsavedQuestion()
{
    return QStringLiteral("現在の表は保存されていません。保存しますか？");
}

bool Workspace::confirmDiscardTable()
{
    if (!m_model.isModified())
        return true;
    switch (m_ui->askYesNoCancel(unsavedQuestion())) {
    case YesNoCancel::Yes:
        // A cancelled or failed save keeps the table: the command does not go on.
        return itemSaveTableClick();
    case YesNoCancel::No:
        return true;
    case YesNoCancel::Cancel:
        break;
    }
    return false;
}

void Workspace::tableRearranged()
{
    m_model.setModified(true);
}

QString Workspace::askOpenFile(const QString &title, int filterIndex, const QString &fileName)
{
    FileDialogRequest request;
    request.title = title;
    request.filters = openFilters();
    request.filterIndex = filterIndex;
    request.directory = m_openFolder.isEmpty() ? m_settings.dataDirectory : m_openFolder;
    request.fileName = fileName;
    const QString path = m_ui->getOpenFileName(request);
    if (!path.isEmpty())
        m_openFolder = QFileInfo(path).absolutePath();
    return path;
}


// --- Editing and search ----------------------------------------------------------------------

void Workspace::setPendingTint(const EditTarget &target)
{
    if (m_pendingTint == target)
        return;
    m_pendingTint = target;
    Q_EMIT tintChanged();
}

void Workspace::runTableEdit(EditCommand command, int at, bool countsMayChange)
{
    const TintHook tint = [this](const EditTarget &t) { setPendingTint(t); };
    if (!command(m_model, *m_ui, at, tint))
        return;
    Q_EMIT tableChanged();
    if (countsMayChange)
        updateStatus();
}

void Workspace::itemDelRowClick(int row)
{
    runTableEdit(&TableEditing::itemDelRowClick, row, true);
}

void Workspace::itemDelColClick(int col)
{
    runTableEdit(&TableEditing::itemDelColClick, col, true);
}

void Workspace::itemInsRowClick(int row)
{
    runTableEdit(&TableEditing::itemInsRowClick, row, true);
}

void Workspace::itemInsColClick(int col)
{
    runTableEdit(&TableEditing::itemInsColClick, col, true);
}

void Workspace::itemCommentClick(int row)
{
    runTableEdit(&TableEditing::itemCommentClick, row, false);
}

void Workspace::itemEditTitleClick()
{
    const QString before = m_tableTitle;
    if (TableEditing::itemEditTitleClick(*m_ui, &m_tableTitle, dataFileName()) && m_tableTitle != before)
        m_model.setModified(true);
    updateStatus();
}

bool Workspace::editCell(int c, int r, const QString &text)
{
    QString error;
    if (!TableEditing::applyCellEdit(m_model, c, r, text, &error, m_settings.layerNames)) {
        m_ui->showMessage(error);
        Q_EMIT tableChanged();
        return false;
    }
    Q_EMIT tableChanged();
    return true;
}

int Workspace::searchTable(const QString &text, bool exact)
{
    m_searchHistory.append(text);
    m_ui->setBusy(true);
    const int hits = TableSearch::search(m_model, text, exact);
    m_ui->setBusy(false);
    Q_EMIT tableChanged();
    const QString query = trimBlanks(text);
    if (hits == 0 && !query.isEmpty())
        Q_EMIT statusMessage(QStringLiteral("「%1」は表の中に見つかりませんでした").arg(query));
    return hits;
}

void Workspace::itemResetSearchClick()
{
    TableSearch::reset(m_model);
    Q_EMIT tableChanged();
}

} // namespace Zelkor

// --- Start-up and quit -------------------------------------------------------------------------

namespace Zelkor {

namespace {

// The path with its extension (from the last "." of the file name) replaced by ext, or ext
// appended when the name has none.
QString withExtension(const QString &path, const QString &ext)
{
    const int sep = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    return (dot > sep ? path.left(dot) : path) + ext;
}

// Only the ASCII letters become capitals, as the command line's extension test wants.
QString asciiUpper(QString text)
{
    for (QChar &ch : text)
        if (ch >= QLatin1Char('a') && ch <= QLatin1Char('z'))
            ch = QChar(ch.unicode() - 'a' + 'A');
    return text;
}

// The settings file next to the program file.
QString ownIniFileName(const QString &programPath)
{
    const QString program = programPath.isEmpty() ? QCoreApplication::applicationFilePath() : programPath;
    return withExtension(QFileInfo(program).absoluteFilePath(), QStringLiteral(".ini"));
}

} // namespace

QString Workspace::webHelpUrl()
{
    return QStringLiteral("https://zelkor.example.org/zkdb/zelkor-pg1.html");
}

QUrl Workspace::helpUrl() const
{
    const QString program = m_programPath.isEmpty() ? QCoreApplication::applicationFilePath() : m_programPath;
    const QString guide = UserGuide::indexPath(program);
    return guide.isEmpty() ? QUrl(webHelpUrl()) : QUrl::fromLocalFile(guide);
}

QString Workspace::programIniFileName() const
{
    const QString own = ownIniFileName(m_programPath);
    const QFileInfo file(own);
    const QFileInfo folder(file.absolutePath());
    // The file is replaced through a temporary file beside it, so the folder must be writable.
    if (folder.isDir() && folder.isWritable() && (!file.exists() || file.isWritable()))
        return own;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    if (config.isEmpty())
        return own;
    return QDir(config).filePath(QStringLiteral("zelkor.ini"));
}

bool Workspace::readSettings(const QString &iniFileName)
{
    QString error;
    const bool ok = readIniFile(iniFileName, &m_settings, &m_items, &error);
    m_model.setTableFont(m_settings.tableFont);
    Q_EMIT settingsRead();
    if (!ok)
        m_ui->showError(QStringLiteral("エラー"),
                        QStringLiteral("設定ファイル %1 を読めませんでした。既定の設定で続けます。\n%2")
                            .arg(QDir::toNativeSeparators(iniFileName), error));
    return ok;
}

void Workspace::formCreate(const QStringList &arguments, const QString &programPath)
{
    m_programPath = programPath;
    initTableArrays();

    m_iniFileName = programIniFileName();
    // A settings file shipped beside a program whose folder is read-only serves until the
    // user's own one exists.
    QString readName = m_iniFileName;
    if (!QFileInfo::exists(readName) && QFileInfo::exists(ownIniFileName(m_programPath)))
        readName = ownIniFileName(m_programPath);

    // A database named on the command line (a double-clicked ".zki") is opened instead of the
    // settings' one.
    QString database;
    if (!arguments.isEmpty()) {
        const QString first = arguments.constFirst();
        const int dot = first.lastIndexOf(QLatin1Char('.'));
        const QString ext = dot >= 0 ? asciiUpper(first.mid(dot)) : QString();
        if (ext == QLatin1String(".INI"))
            m_iniFileName = readName = first;
        else if (ext == QLatin1String(".VTB"))
            m_tableFileName = first;
        else if (ext == QLatin1String(".ZKI"))
            database = QFileInfo(first).absoluteFilePath();
    }

    readSettings(readName);

    if (QFileInfo::exists(m_settings.dictFileName) && !setDictionary(m_settings.dictFileName))
        m_settings.dictFileName = notSpecified();

    m_settings.dataFileName = m_settings.dataDirectory + QLatin1Char('/') + m_settings.dataFileName;
    if (!database.isEmpty() && QFileInfo(database).isFile()) {
        setDataFile(database);
        m_items.selectLayout();
    } else if (QFileInfo::exists(withExtension(m_settings.dataFileName, QStringLiteral(".zki")))) {
        setDataFile(m_settings.dataFileName);
        m_items.selectLayout();
    } else {
        m_settings.dataFileName = notSpecified();
    }

    if (m_model.releveCount() == 0)
        clearTable();
    else
        reNewTable();

    if (!m_tableFileName.isEmpty() && QFileInfo::exists(m_tableFileName))
        loadTable(m_tableFileName);
    // What start-up laid out or loaded is nobody's unsaved work.
    m_model.setModified(false);
    updateStatus();
}

bool Workspace::btnQuitClick()
{
    if (!confirmDiscardTable())
        return false;
    // Whatever settings file was read, the program's own one is written.
    m_iniFileName = programIniFileName();
    QDir().mkpath(QFileInfo(m_iniFileName).absolutePath());
    QString error;
    if (!writeIniFile(m_iniFileName, m_settings, m_items, &error)) {
        m_ui->showError(QStringLiteral("エラー"),
                        QStringLiteral("設定ファイル %1 を書き込めませんでした。\n%2")
                            .arg(QDir::toNativeSeparators(m_iniFileName), error));
        return false;
    }
    return true;
}

void Workspace::droppedFile(const QString &path)
{
    // The tests are case-sensitive substring tests: "x.VTB" is not taken for a table file.
    if (path.contains(QLatin1String(".vtb"))) {
        if (confirmDiscardTable())
            loadTable(path);
    } else if (path.contains(QLatin1String(".dic"))) {
        setDictionary(path);
    } else if (QFileInfo::exists(withExtension(path, QStringLiteral(".zki")))) {
        setDataFile(path);
    }
}

void Workspace::itemDataChkClick()
{
    const bool show = m_ui->askYesNo(
        QStringLiteral("データ検査のため、内部データの参照を示す 行０、列０を表示しますか？"));
    m_model.grid().setRowHeight(0, show ? 16 : 1);
    m_model.grid().setColWidth(0, show ? 28 : 1);
    Q_EMIT tableChanged();
}

void Workspace::itemSetFontClick()
{
    FontSpec font = m_fontDialogFont;
    if (m_ui->chooseFont(&font)) {
        m_fontDialogFont = font;
        m_settings.tableFont = font;
        m_settings.printFont = font; // the print font follows every change of the table font
    }
    reNewTable();
}

void Workspace::btnFontClick()
{
    FontSpec font = m_fontDialogFont;
    if (m_ui->chooseFont(&font)) {
        m_fontDialogFont = font;
        m_settings.printFont = font;
    }
}

// --- Table file ------------------------------------------------------------------------------

QStringList Workspace::inputFiles() const
{
    QStringList files;
    if (m_settings.dataFileName != notSpecified()) {
        files << VegDatabase::changeExtension(m_settings.dataFileName, QStringLiteral(".zki"))
              << VegDatabase::changeExtension(m_settings.dataFileName, QStringLiteral(".zkd"));
    }
    if (m_settings.dictFileName != notSpecified())
        files << m_settings.dictFileName;
    if (!m_iniFileName.isEmpty())
        files << m_iniFileName;
    if (!m_programPath.isEmpty())
        files << programIniFileName();
    return files;
}

bool Workspace::itemSaveTableClick()
{
    FileDialogRequest request;
    request.title = QStringLiteral("組成表の保存");
    request.filters = saveFilters();
    request.filterIndex = 1;
    request.defaultExtension = QStringLiteral(".vtb");
    // A table that came from a file goes back to it unless the user names another.
    if (m_tableFilePath.isEmpty()) {
        request.fileName = m_tableTitle + QStringLiteral(".vtb");
    } else {
        const QFileInfo from(m_tableFilePath);
        request.directory = from.absolutePath();
        request.fileName = from.fileName();
    }
    const QString path = m_ui->getSaveFileName(request);
    if (path.isEmpty())
        return false;
    if (QFileInfo::exists(path)
        && !m_ui->askYesAbort(QStringLiteral("同名のファイルが存在します。書き換えますか？")))
        return false;

    m_ui->showWorkMessage(QStringLiteral("　組成表を保存中　"));
    TableFile file;
    const bool ok = file.write(m_model, m_tableTitle, path);
    m_ui->closeWorkMessage();
    if (!ok) {
        m_ui->showError(QStringLiteral("エラー"),
                        QStringLiteral("組成表を保存できませんでした。\n%1").arg(file.errorString()));
        return false;
    }
    m_tableFilePath = QFileInfo(path).absoluteFilePath();
    m_model.setModified(false);
    return true;
}

void Workspace::itemLoadTableClick()
{
    if (!confirmDiscardTable())
        return;
    const QString path = askOpenFile(QStringLiteral("組成表の読込"), 2, QStringLiteral("*.vtb"));
    if (!path.isEmpty())
        loadTable(path);
}

bool Workspace::loadTable(const QString &path)
{
    // Everything is read into copies first; the workspace takes them only when the whole table
    // file has been read, so a failed load leaves the previous table on screen as it was.
    const QFileInfo info(path);
    Settings settings = m_settings;
    HeaderItems items = m_items;
    const QString iniName = QDir(info.path()).filePath(info.completeBaseName() + QStringLiteral(".ini"));
    const bool withIni = QFileInfo(iniName).isFile();
    if (withIni) {
        QString error;
        if (!readIniFile(iniName, &settings, &items, &error)) {
            m_ui->showError(QStringLiteral("エラー"),
                            QStringLiteral("組成表に添えられた設定ファイル %1 を読めませんでした。\n%2")
                                .arg(QDir::toNativeSeparators(iniName), error));
            return false;
        }
        // The table brings its layout and labels, not a database or dictionary: the ones open
        // now stay, and so do their names, which the next quit writes back.
        settings.dataDirectory = m_settings.dataDirectory;
        settings.dataFileName = m_settings.dataFileName;
        settings.dictFileName = m_settings.dictFileName;
    }

    m_ui->showWorkMessage(QStringLiteral("　組成表を読込中　"));
    TableModel loaded;
    loaded.setTableFont(settings.tableFont);
    // Reading the table's own settings blanks the table first, which resets the scales.
    if (!withIni)
        loaded.setDataScaleK(m_model.dataScaleK());
    QString title;
    TableFile file;
    const bool ok = file.read(path, &loaded, &items, &title);
    m_ui->closeWorkMessage();
    if (!ok) {
        m_ui->showError(QStringLiteral("エラー"),
                        QStringLiteral("組成表を読み込めませんでした。\n%1").arg(file.errorString()));
        return false;
    }

    if (withIni) {
        m_settings = settings;
        resetReadingState();
        Q_EMIT settingsRead();
    }
    m_model = std::move(loaded);
    m_model.setModified(false);
    m_items = items;
    m_tableTitle = title;
    m_tableFileName = info.fileName();
    m_tableFilePath = info.absoluteFilePath();
    Q_EMIT tableChanged();
    updateStatus();
    return true;
}

// --- Database --------------------------------------------------------------------------------

bool Workspace::openDataFile()
{
    const int before = m_database.recordCount();
    if (!m_database.openDataFile(dataFileName())) {
        m_ui->showMessage(QStringLiteral("正しいデータファイルを指定して下さい"));
        return false;
    }
    // setDataFile() tells of the new database once, at its end.
    if (m_database.recordCount() != before && !m_settingDataFile)
        Q_EMIT databaseChanged();
    return true;
}

void Workspace::closeDataFile()
{
    m_database.closeDataFile();
}

void Workspace::readDataHeader()
{
    if (!openDataFile())
        return;
    DataHeader header = m_database.readDataHeader();
    int k = m_model.dataScaleK();
    int d = m_model.dataScaleD();
    // A text that a table file could not hold is mended here and told, so that it cannot fail
    // a later save.
    QStringList notes;
    mendDataHeader(&header, &notes);
    applyDataHeader(header, dataFileName(), &m_tableTitle, &m_items, &k, &d);
    if (!notes.isEmpty())
        m_ui->showMessage(notes.join(QLatin1Char('\n')));
    m_model.setDataScaleK(k);
    m_model.setDataScaleD(d);
}

void Workspace::setDataFile(const QString &path)
{
    m_settings.dataFileName = path;
    m_settings.dataDirectory = QFileInfo(path).absolutePath();
    m_settingDataFile = true;
    const bool opened = openDataFile();
    if (opened && m_settings.useDataItem) {
        const QString title = m_tableTitle;
        readDataHeader();
        // Rows without relevés (comments) are a table too: only a table without any row is
        // laid out afresh.
        if (m_model.releveCount() > 0 || m_model.speciesCount() > 0) {
            if (m_tableTitle != title)
                m_model.setModified(true);
            reNewTable();
        } else {
            clearTable();
        }
    }
    closeDataFile();
    m_settingDataFile = false;
    if (!opened)
        return;
    Q_EMIT databaseChanged();
    updateStatus();
}

void Workspace::itemFileChgClick()
{
    const QString path = askOpenFile(QStringLiteral("データファイルの指定・変更"), 1, QStringLiteral("*.zki"));
    if (!path.isEmpty())
        setDataFile(path);
}

void Workspace::itemUseFIClick()
{
    if (!m_ui->askYesNo(QStringLiteral("見出し項目をデータファイルと一致させますか？"))) {
        m_settings.useDataItem = false;
        updateStatus();
        return;
    }
    m_settings.useDataItem = true;
    const QString title = m_tableTitle;
    readDataHeader();
    // Nothing more is read from the pair: it need not stay open.
    closeDataFile();
    if (m_tableTitle != title && (m_model.releveCount() > 0 || m_model.speciesCount() > 0))
        m_model.setModified(true);
    reNewTable();
    updateStatus();
}

bool Workspace::setDictionary(const QString &path)
{
    const bool loaded = m_dictionary.setDictionary(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (!loaded) {
        // A missing dictionary only leaves its name unset; one that is there but cannot be
        // opened deserves a word.
        if (QFileInfo::exists(path))
            m_ui->showError(QStringLiteral("エラー"), m_dictionary.errorString());
        return false;
    }
    if (!m_dictionary.errorString().isEmpty())
        m_ui->showError(QStringLiteral("エラー"), m_dictionary.errorString());
    if (m_dictionary.skippedLines() > 0)
        m_ui->showMessage(QStringLiteral("異名辞書 %1 の %2 行はシフトJISとして読めないため読み飛ばしました")
                              .arg(shown)
                              .arg(m_dictionary.skippedLines()));
    if (m_dictionary.emptyNameLines() > 0)
        m_ui->showMessage(QStringLiteral("異名辞書 %1 の %2 行は標準名が空のため読み飛ばしました")
                              .arg(shown)
                              .arg(m_dictionary.emptyNameLines()));
    return true;
}

void Workspace::itemCheckNameClick()
{
    const QString path = askOpenFile(QString(), 4, QStringLiteral("*.dic"));
    if (!path.isEmpty()) {
        m_settings.dictFileName = path;
        if (!setDictionary(path))
            m_settings.dictFileName = notSpecified();
    }
    updateStatus();
}

// --- Extraction ------------------------------------------------------------------------------

void Workspace::itemAddReleveClick()
{
    updateStatus();
    m_extraction.reset(recordCount());
}

void Workspace::btnRetrResetClick()
{
    m_extraction.reset(recordCount());
}

bool Workspace::btnRetrNewClick(const RetrievalQuery &query, bool newExtraction, const Extraction::Progress &progress)
{
    if (newExtraction)
        m_extraction.setFitCount(0);
    if (!openDataFile())
        return false;
    m_ui->setBusy(true);
    m_extraction.scan(m_database, m_dictionary, query, newExtraction, progress);
    m_model.setDataScaleK(m_database.dataScaleK());
    m_model.setDataScaleD(m_database.dataScaleD());
    closeDataFile();
    m_ui->setBusy(false);
    return true;
}

int Workspace::btnToTableClick()
{
    int inserted = -1;
    if (openDataFile()) {
        m_ui->setBusy(true);
        inserted = m_extraction.insert(m_database, m_dictionary, m_model, m_items);
        m_model.setDataScaleK(m_database.dataScaleK());
        m_model.setDataScaleD(m_database.dataScaleD());
        m_ui->setBusy(false);
        if (inserted > 0)
            m_model.setModified(true);
    }
    closeDataFile();
    itemFrequencyClick();
    // Nothing is left out or changed without a word.
    if (inserted >= 0 && m_extraction.noteCount() > 0)
        m_ui->showMessage(m_extraction.insertReport());
    itemEditTitleClick();
    updateStatus();
    return inserted;
}

QStringList Workspace::btnSynToComClick(const QStringList &names) const
{
    QStringList out;
    for (const QString &name : names)
        out << (name.isEmpty() ? name : m_dictionary.synToCommonName(trimBlanks(name)));
    return out;
}

// --- Settings commands -----------------------------------------------------------------------

void Workspace::itemReadINIClick()
{
    const QString path = askOpenFile(QString(), 5, QStringLiteral("*.ini"));
    if (path.isEmpty())
        return;

    // The file is read into copies, so a damaged one leaves the settings in use as they were.
    Settings settings = m_settings;
    HeaderItems items = m_items;
    QString error;
    // Reading sets the "データ埋込項目を使う" check from the file (its default when absent).
    if (!readIniFile(path, &settings, &items, &error)) {
        m_ui->showError(QStringLiteral("エラー"),
                        QStringLiteral("設定ファイル %1 を読めませんでした。\n%2")
                            .arg(QDir::toNativeSeparators(path), error));
        return;
    }
    // The command opens no database or dictionary: the ones in use stay, and so do their
    // names, so the status bar and the next scan speak of the same files.
    settings.dataDirectory = m_settings.dataDirectory;
    settings.dataFileName = m_settings.dataFileName;
    settings.dictFileName = m_settings.dictFileName;
    m_settings = settings;
    m_items = items;
    m_iniFileName = path;
    m_model.setTableFont(m_settings.tableFont);
    Q_EMIT settingsRead();
}

// --- Sorting, hiding and the numeric matrices ------------------------------------------------

MatrixOutputOptions Workspace::matrixOutputOptions() const
{
    const OutputRange range = m_outputPanel.range();
    MatrixOutputOptions options;
    options.title = m_tableTitle;
    options.firstReleve = range.firstReleve;
    options.lastReleve = range.lastReleve;
    options.firstSpecies = range.firstSpecies;
    options.lastSpecies = range.lastSpecies;
    options.method = m_settings.cvMethod;
    options.direction = m_settings.direction == 1 ? MatrixOutputOptions::ReleveRows : MatrixOutputOptions::SpeciesRows;
    return options;
}

bool Workspace::outputValueMatrix(const MatrixOutputOptions &options)
{
    return MatrixOutput::outputValueMatrix(m_model, options, *m_ui);
}

bool Workspace::outputPCordCSV(const MatrixOutputOptions &options)
{
    return MatrixOutput::outputPCordCSV(m_model, options, *m_ui);
}

} // namespace Zelkor
