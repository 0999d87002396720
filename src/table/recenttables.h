#pragma once

#include <QString>
#include <QStringList>

namespace Zelkor {

class IniFile;

/// The table files opened or saved last, most recent first, for the file menu's "最近使った表".
/// A file is in the list once: two paths that lead to the same file (through "..", a symbolic
/// link or, on Windows, another case) count as one, and the later one takes its place at the
/// top. The list keeps at most MaxCount files; the oldest fall off.
class RecentTables
{
public:
    static constexpr int MaxCount = 8;
    /// The settings file's section and the key of the n-th file (File1 … File8).
    static QString iniSection() { return QStringLiteral("RecentTables"); }
    static QString iniKey(int n) { return QStringLiteral("File%1").arg(n); }

    /// The absolute paths, most recent first.
    const QStringList &paths() const { return m_paths; }
    bool isEmpty() const { return m_paths.isEmpty(); }
    int size() const { return int(m_paths.size()); }

    /// Puts path (made absolute) at the top; the same file further down goes, and the list is cut
    /// to MaxCount. An empty path is ignored.
    void add(const QString &path);
    /// Removes the entry of the file path leads to; false when it is not in the list.
    bool remove(const QString &path);
    /// Replaces the list by paths, in that order, without empties and repeats, cut to MaxCount.
    void setPaths(const QStringList &paths);
    void clear() { m_paths.clear(); }

    /// Whether two paths lead to the same file: their canonical paths when the files exist, else
    /// their cleaned absolute paths (without regard to case on Windows).
    static bool sameFile(const QString &a, const QString &b);

    /// Reads the list from the settings file's section (File1 … File8; gaps, empty values and
    /// repeats are skipped); no section gives an empty list.
    void read(const IniFile &ini);
    /// Writes the list to the section as File1 … and empties the keys after it that hold a
    /// path, so that a shorter list does not bring back old entries. A path the settings file cannot hold (a
    /// character without a CP932 form) is left out rather than written damaged. Keys of the
    /// section besides File1 … File8 stay as they are.
    void write(IniFile &ini) const;

    bool operator==(const RecentTables &) const = default;

private:
    qsizetype indexOf(const QString &path) const;
    QStringList m_paths;
};

} // namespace Zelkor
