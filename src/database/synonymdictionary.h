#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace Zelkor {

/// The synonym dictionary: maps synonyms and variant names of species to one standard name
/// ("標準名"). Dictionaries are loaded one after another and only added to; a synonym keeps the
/// standard name of its first definition. Look-ups ignore letter case.
class SynonymDictionary
{
public:
    /// The file type of the open dialog ("label|pattern").
    static QString nameFilter() { return QStringLiteral("異名辞書ファイル (*.dic)|*.dic"); }

    /// Appends the entries of a dictionary file: one "synonym,standard name" per line, Shift-JIS.
    /// The synonym is everything before the first comma, the standard name everything after it;
    /// neither is trimmed. Lines without a comma or starting with one add nothing, and so do
    /// lines that are not Shift-JIS (counted in skippedLines()) and lines whose standard name is
    /// empty (counted in emptyNameLines()). CR LF, LF and a lone CR all end a line. False when the file does not
    /// exist or cannot be opened; true once it was read (also when a read error cut it short,
    /// keeping the entries read so far; errorString() then says so).
    bool load(const QString &dicFile);

    /// The standard name of synName, or synName itself when it is no synonym. The standard name
    /// is not looked up again (A → B and B → C give B for A).
    QString synToCommonName(const QString &synName) const;

    /// Number of entries loaded (duplicates included).
    int entryCount() const { return m_entryCount; }
    /// Lines of the last load() that were skipped because they are not Shift-JIS.
    int skippedLines() const { return m_skippedLines; }
    /// Lines of the last load() that were skipped because their standard name is empty.
    int emptyNameLines() const { return m_emptyNameLines; }
    /// Why the last load() failed or stopped early; empty when it read everything.
    QString errorString() const { return m_error; }

private:
    void append(const QString &synonym, const QString &commonName);

    // Case-folded synonym → standard name of its first definition.
    QHash<QString, QString> m_index;
    int m_entryCount = 0;
    int m_skippedLines = 0;
    int m_emptyNameLines = 0;
    QString m_error;
};

} // namespace Zelkor
