#include "database/extractioncommand.h"

#include "database/databasesession.h"
#include "platform/feedback.h"
#include "platform/texthelpers.h"
#include "platform/userinterface.h"
#include "table/covercode.h"
#include "table/tabledocument.h"

namespace Zelkor {

QString ExtractionCommand::insertingMessage()
{
    return QStringLiteral("　測定を表に組み込んでいます　");
}

QString ExtractionCommand::presentQuestion(int n)
{
    return QStringLiteral("表に既にある測定が %1 件あります。それらを除いて組み込みますか？").arg(n);
}

ExtractionCommand::ExtractionCommand(TableDocument *doc, DatabaseSession *session, UserInterface *ui,
                                     QObject *parent)
    : QObject(parent)
    , m_doc(doc)
    , m_session(session)
    , m_ui(ui)
{
    connect(m_session, &DatabaseSession::databaseChanged, this,
            [this] { m_extraction.reset(m_session->recordCount()); });
    connect(m_doc, &TableDocument::tableReset, this, [this] { m_extraction.setFitCount(0); });
}

void ExtractionCommand::beginRetrieval()
{
    Q_EMIT m_doc->statusChanged();
    m_extraction.reset(m_session->recordCount());
}

void ExtractionCommand::resetSelection()
{
    m_extraction.reset(m_session->recordCount());
}

bool ExtractionCommand::scanDatabase(const RetrievalQuery &query, bool newExtraction, Feedback *feedback)
{
    const int fitBefore = m_extraction.fitCount();
    if (newExtraction)
        m_extraction.setFitCount(0);
    if (!m_session->openDataFile())
        return false;
    VegDatabase &db = m_session->database();
    // Without a watcher of its own the scan still stops on an interrupt.
    Feedback own;
    m_ui->setBusy(true);
    const bool scanned = m_extraction.scan(db, m_session->dictionary(), query, newExtraction, feedback ? feedback : &own);
    if (scanned) {
        m_doc->model().setDataScaleK(db.dataScaleK());
        m_doc->model().setDataScaleD(db.dataScaleD());
    } else {
        m_extraction.setFitCount(fitBefore);
    }
    m_session->closeDataFile();
    m_ui->setBusy(false);
    return scanned;
}

int ExtractionCommand::insertSelected()
{
    // The relevés taken in, the rows they bring and the title asked for after: one step.
    TableHistory::Step step(m_doc->history(), QStringLiteral("測定の組み込み"));
    int inserted = -1;
    if (m_session->openDataFile()) {
        VegDatabase &db = m_session->database();
        TableModel &model = m_doc->model();
        // Relevés taken from the same records before would be added a second time.
        bool skipPresent = m_present == PresentReleves::Skip;
        if (m_present == PresentReleves::Ask) {
            if (const int present = m_extraction.presentCount(db, model); present > 0) {
                switch (m_ui->askYesNoCancel(presentQuestion(present))) {
                case YesNoCancel::Yes: skipPresent = true; break;
                case YesNoCancel::No: break;
                case YesNoCancel::Cancel:
                    m_session->closeDataFile();
                    return -1;
                }
            }
        }
        CancelableWork work(m_ui, insertingMessage(), QStringLiteral("測定 "));
        inserted = m_extraction.insert(db, m_session->dictionary(), model, m_doc->items(), work.feedback(), skipPresent);
        if (work.isCanceled()) {
            // What was appended has been taken out again: nothing to undo.
            step.forget();
            m_session->closeDataFile();
            return -1;
        }
        model.setDataScaleK(db.dataScaleK());
        model.setDataScaleD(db.dataScaleD());
        if (inserted > 0)
            model.setModified(true);
    }
    m_session->closeDataFile();
    m_doc->recomputeFrequencies();
    // Nothing is left out or changed without a word.
    if (inserted >= 0) {
        QStringList report;
        if (m_extraction.noteCount() > 0)
            report << m_extraction.insertReport();
        if (const qint64 outside = m_doc->model().cellsOutsideTheScale(); outside > 0)
            report << codesOutsideTheScaleMessage(outside);
        if (!report.isEmpty())
            m_ui->showMessage(report.join(QLatin1Char('\n')));
    }
    m_doc->editTitle();
    Q_EMIT m_doc->statusChanged();
    return inserted;
}

QStringList ExtractionCommand::standardNames(const QStringList &names) const
{
    QStringList out;
    for (const QString &name : names)
        out << (name.isEmpty() ? name : m_session->synToCommonName(trimBlanks(name)));
    return out;
}

} // namespace Zelkor
