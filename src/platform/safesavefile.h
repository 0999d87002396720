#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

namespace Zelkor {

/// A file written safely: the bytes go to a temporary file beside the target, and the target is
/// replaced only when every write, the sync to the disk and the close have succeeded. Until then,
/// and whenever anything fails (a full disk, a file-size limit, a read-only place), the old file
/// stays exactly as it was and errorString() says why in Japanese. A target that exists but is
/// not a regular file (a folder, a device, a pipe) is never replaced. A symbolic link to a file
/// stays a link: the file it names is replaced.
class SafeSaveFile
{
public:
    explicit SafeSaveFile(const QString &fileName);
    /// Drops the temporary file unless the target was replaced.
    ~SafeSaveFile();
    SafeSaveFile(const SafeSaveFile &) = delete;
    SafeSaveFile &operator=(const SafeSaveFile &) = delete;

    /// The target's name as given.
    QString fileName() const;

    /// Creates the temporary file; false with errorString() when it cannot be made or the target
    /// is no regular file.
    bool open();
    /// Appends bytes; false (and the whole save failed) when they cannot all be written.
    bool write(const char *data, qint64 size);
    bool write(const QByteArray &bytes) { return write(bytes.constData(), bytes.size()); }
    /// Marks the save failed with a message of the caller's (a value the format cannot hold):
    /// commit() will refuse and keep the old file.
    void fail(const QString &message);
    /// Whether a write or an earlier step failed.
    bool hasFailed() const;

    /// Puts the written bytes safely on the disk (sync, close) without replacing the target yet.
    bool finish();
    /// finish(), then replaces the target by the new file. False with errorString() on any fault;
    /// the target then keeps its old content and the temporary file is gone.
    bool commit();
    /// Drops the temporary file; the target is not touched.
    void cancel();

    /// Replaces the targets of two files that belong together (a database pair): both are
    /// finished first, then first's target and second's target are replaced in that order. When
    /// the second replacement fails the first target is put back as it was, so either both files
    /// are new or both old. False with *error on any fault.
    static bool commitPair(SafeSaveFile &first, SafeSaveFile &second, QString *error);

    QString errorString() const;

private:
    friend class SafeSaveGroup;
    struct Private;
    std::unique_ptr<Private> d;
};

/// The outputs of one piece of work, replaced together or not at all. While a group lives, a
/// SafeSaveFile::commit() in its thread only finishes the file and hands it to the group; the
/// group's commit() then replaces every target, and when one replacement fails it puts back the
/// targets replaced before it. Two outputs that are one file (through a link, say) are refused
/// before anything is replaced. A group made while another lives hands its files on to that one.
/// Files not committed are dropped with the group.
class SafeSaveGroup
{
public:
    SafeSaveGroup();
    ~SafeSaveGroup();
    SafeSaveGroup(const SafeSaveGroup &) = delete;
    SafeSaveGroup &operator=(const SafeSaveGroup &) = delete;

    /// Replaces every target handed to the group; false with *error (and every old file kept)
    /// on any fault. In a group inside another, hands the files on and returns true.
    bool commit(QString *error);

private:
    friend class SafeSaveFile;
    struct Staged;
    std::vector<Staged> m_files;
    SafeSaveGroup *m_outer = nullptr;
};

} // namespace Zelkor
