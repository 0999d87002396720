#pragma once

#include "database/synonymdictionary.h"
#include "database/vegdatabase.h"

#include <QObject>
#include <QString>

namespace Zelkor {

class TableDocument;
class UserInterface;

/// The sources a session extracts from: the vegetation database named in the settings and the
/// synonym dictionaries loaded in this run, with the commands that choose them and the one that
/// takes the header items from the database's header.
class DatabaseSession : public QObject
{
    Q_OBJECT

public:
    /// doc and ui must outlive the session.
    DatabaseSession(TableDocument *doc, UserInterface *ui, QObject *parent = nullptr);

    /// The vegetation database reader: the relevé read last and its species list.
    VegDatabase &database() { return m_database; }
    const VegDatabase &database() const { return m_database; }
    /// The synonym dictionaries loaded in this run.
    const SynonymDictionary &dictionary() const { return m_dictionary; }
    /// The standard name of a species name from the dictionaries, or the name itself.
    QString synToCommonName(const QString &name) const { return m_dictionary.synToCommonName(name); }
    /// Number of relevés of the database opened last (0 before any).
    int recordCount() const { return m_database.recordCount(); }

    /// Opens the current database pair for reading. When it cannot be opened the message
    /// "正しいデータファイルを指定して下さい" is shown and false returned.
    bool openDataFile();
    /// Closes the database pair.
    void closeDataFile() { m_database.closeDataFile(); }
    /// Opens the current database and takes the table title, the captions and layout flags of
    /// the header items and the cover scales from its header record; a header not meant for
    /// thirty items changes nothing. An empty title becomes the database's file name.
    void readDataHeader();
    /// Makes path the current database: opens it, takes its header items when
    /// "データ埋込項目を使う" is checked (relaying out or clearing the table), and records the
    /// data folder. A file that is no database this program can read is reported and changes
    /// nothing: the previous database stays. False then.
    bool setDataFile(const QString &path);
    /// Menu "データファイルの指定": asks for a ".zki" file and makes it the current database.
    void chooseDataFile();
    /// Menu "データ埋込項目を使う": asks whether the header items shall follow the database; Yes
    /// checks the item and takes them, No clears the check.
    void askUseDataItems();

    /// Adds the entries of a synonym dictionary to those loaded; false when the file does not
    /// exist or cannot be read. Lines that are no Shift-JIS are skipped, with a message.
    bool loadDictionary(const QString &path);
    /// Menu "異名辞書の読込み": asks for a dictionary, loads it and makes it DictFileName
    /// ("未指定" when it cannot be loaded).
    void chooseDictionary();

Q_SIGNALS:
    /// Another database was set, or the record count of the database changed: selections of its
    /// records must be sized to recordCount() + 1 entries.
    void databaseChanged();

private:
    TableDocument *m_doc;
    UserInterface *m_ui;
    VegDatabase m_database;
    SynonymDictionary m_dictionary;
    // setDataFile() tells of the new database once, at its end.
    bool m_settingDataFile = false;
};

} // namespace Zelkor
