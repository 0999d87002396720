#pragma once

#include "database/extraction.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace Zelkor {

class DatabaseSession;
class Feedback;
class TableDocument;
class UserInterface;

/// The commands of the retrieval panel ("表にデータを加える"): scanning the records of the
/// session's database for relevés that fulfil the panel's query, and putting the selected ones
/// into the document's table. The selection is sized to the database's records whenever they
/// change, so it never indexes past them.
class ExtractionCommand : public QObject
{
    Q_OBJECT

public:
    /// The work message of the insertion.
    static QString insertingMessage();
    /// The question asked when n of the selected relevés are in the table already.
    static QString presentQuestion(int n);

    /// What insertSelected() does with selected relevés the table holds already.
    enum class PresentReleves
    {
        Ask,    ///< asks presentQuestion(): Yes leaves them out, No adds them again, Cancel stops
        Skip,   ///< leaves them out without asking
        AddAll  ///< adds them again without asking
    };
    void setPresentReleves(PresentReleves policy) { m_present = policy; }

    /// doc, session and ui must outlive the command.
    ExtractionCommand(TableDocument *doc, DatabaseSession *session, UserInterface *ui, QObject *parent = nullptr);

    /// The selection of database records and its count ("抽出数＝").
    const Extraction &selection() const { return m_extraction; }
    /// The database and dictionaries scanned, the table the relevés go into, and the user
    /// interface that asks.
    DatabaseSession &session() { return *m_session; }
    const TableDocument &document() const { return *m_doc; }
    UserInterface &ui() { return *m_ui; }

    /// Menu "表にデータを加える": every opening of the retrieval panel starts with no record
    /// selected.
    void beginRetrieval();
    /// "初期化": forgets the selection (the count shown stays until the next new extraction).
    void resetSelection();
    /// "新規抽出" (newExtraction) or "追加抽出": scans the query's record range of the current
    /// database; feedback (if given) follows the records examined and the number selected. False
    /// when the database cannot be opened (the message has been shown) or the scan was cancelled
    /// (the selection then stays as it was).
    bool scanDatabase(const RetrievalQuery &query, bool newExtraction, Feedback *feedback = nullptr);
    /// "表へ組み込む": when some selected relevés are in the table already (same database, same
    /// record; Extraction::presentCount()) first asks whether to leave them out (see
    /// setPresentReleves()); Cancel returns -1 with nothing changed. Then puts the selected
    /// relevés into the table in record order, with a work
    /// message that can cancel it, recomputes the numbers, tells what was left out or mended
    /// (Extraction::notes()), lets the user edit the title and updates the status. Returns the
    /// number inserted, -1 when the database could not be opened (the message has been shown) or
    /// the insertion was cancelled (the table then is as it was).
    int insertSelected();
    /// "標準名に変換": each non-empty name, trimmed, replaced by its standard name.
    QStringList standardNames(const QStringList &names) const;

private:
    TableDocument *m_doc;
    DatabaseSession *m_session;
    UserInterface *m_ui;
    Extraction m_extraction;
    PresentReleves m_present = PresentReleves::Ask;
};

} // namespace Zelkor
