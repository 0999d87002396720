#include "shell/workspace.h"

#include "platform/versioninfo.h"

#include <QFileInfo>

#include <functional>

namespace Zelkor {

Workspace::Workspace(UserInterface *ui, QObject *parent)
    : QObject(parent)
    , m_savePathGuard(ui, [this] { return m_program.inputFiles(); })
    // The commands get the guard, never ui itself.
    , m_doc(&m_savePathGuard)
    , m_settingsCommand(&m_doc, &m_savePathGuard)
    , m_tableFile(&m_doc, &m_savePathGuard)
    , m_editing(&m_doc, &m_savePathGuard)
    , m_session(&m_doc, &m_savePathGuard)
    , m_extraction(&m_doc, &m_session, &m_savePathGuard)
    , m_tableImport(&m_doc, &m_tableFile, &m_savePathGuard)
    , m_program(&m_doc, &m_settingsCommand, &m_tableFile, &m_session, &m_savePathGuard)
    , m_outputPanel(m_doc.model(), m_doc.items(), m_doc.settings(), m_doc.titleField(), m_savePathGuard,
                    OutputPanel::Hooks{std::bind_front(&TableDocument::clearTable, &m_doc),
                                       std::bind_front(&TableDocument::recomputeFrequencies, &m_doc),
                                       std::bind_front(&SettingsCommand::choosePrintFont, &m_settingsCommand),
                                       std::bind_front(&TableDocument::statusChanged, &m_doc),
                                       std::bind_front(&TableFileCommand::confirmDiscardTable, &m_tableFile)})
    , m_tableOutputs(m_doc.model(), m_doc.items(), m_doc.settings(), m_doc.titleField(), m_savePathGuard)
    , m_matrixOutput(m_doc.model(), m_doc.settings(), m_doc.titleField(), m_savePathGuard)
    , m_siteExport(m_doc.model(), m_doc.titleField(), m_savePathGuard)
    , m_constancy(&m_doc.model(), &m_freqTable, &m_savePathGuard, [this] { return m_doc.title(); })
    , m_recip(&m_doc.model(), &m_freqTable, &m_savePathGuard)
    , m_ordination(&m_doc.model(), &m_savePathGuard)
    , m_sortAndHide(&m_doc.model(), &m_savePathGuard)
{
    // Every command that changes the table makes a step of the document's history.
    m_outputPanel.setHistory(&m_doc.history());
    m_constancy.setHistory(&m_doc.history());
    m_recip.setHistory(&m_doc.history());
    m_ordination.setHistory(&m_doc.history());
    m_sortAndHide.setHistory(&m_doc.history());
    m_tableOutputs.setHistory(&m_doc.history());
    connect(&m_doc, &TableDocument::tableChanged, this, &Workspace::tableChanged);
    connect(&m_doc, &TableDocument::statusChanged, this, &Workspace::statusChanged);
    connect(&m_doc, &TableDocument::settingsRead, this, &Workspace::settingsRead);
    connect(&m_editing, &TableEditCommands::statusMessage, this, &Workspace::statusMessage);
    // Outputs recompute the frequencies; sorting, constancy tables, reciprocal averaging and the
    // ordination move rows and columns or renumber them.
    connect(&m_outputPanel, &OutputPanel::outputDone, this, &Workspace::tableChanged);
    connect(&m_sortAndHide, &SortAndHide::tableChanged, this, &Workspace::tableChanged);
    connect(&m_constancy, &ConstancyCommand::tableChanged, this, &Workspace::tableChanged);
    connect(&m_recip, &RecipCommand::tableChanged, this, &Workspace::tableChanged);
    connect(&m_ordination, &OrdinationCommand::tableChanged, this, &Workspace::tableChanged);

    m_tableOutputs.registerWith(m_outputPanel);
    m_outputPanel.setOutput(OutputPanel::ValueMatrix, [this](const OutputRange &r) { m_matrixOutput.outputValueMatrixOf(r); });
    m_outputPanel.setOutput(OutputPanel::PCordCSV, [this](const OutputRange &r) { m_matrixOutput.outputPCordCSVOf(r); });
    m_outputPanel.setOutput(OutputPanel::Cornell, [this](const OutputRange &r) { m_matrixOutput.outputCornellOf(r); });
    m_doc.initTableArrays();
}

Workspace::~Workspace() = default;

QString Workspace::windowTitle() const
{
    const QString file = m_doc.tableFilePath().isEmpty() ? QStringLiteral("無題") : m_doc.tableFileName();
    const QString title = m_doc.title().trimmed().isEmpty() ? QString() : QStringLiteral("（%1）").arg(m_doc.title());
    return file + QStringLiteral("[*]") + title + QStringLiteral(" - Zelkor ") + programVersion();
}

QStringList Workspace::statusTexts() const
{
    const Settings &s = m_doc.settings();
    const QString db = s.dataFileName == notSpecified() ? notSpecified() : QFileInfo(s.dataFileName).completeBaseName();
    const QString dict = s.dictFileName == notSpecified() ? notSpecified() : QFileInfo(s.dictFileName).fileName();
    return {QStringLiteral("DB"),       db,
            QStringLiteral("測定数"),   QString::number(m_doc.model().relevesWithSpecies()),
            QStringLiteral("種数"),     QString::number(m_doc.model().speciesWithEntries()),
            QStringLiteral("異名辞書"), dict,
            QStringLiteral("表ファイル"), m_doc.tableFileName()};
}

} // namespace Zelkor
