#pragma once

#include <QString>
#include <QStringList>

class QFile;

namespace Zelkor {

/// A short Japanese text for a system error number (errno): "ファイルがありません",
/// "ディスクの空き容量が足りません" and so on; a rare error gives its number and the system's text.
QString systemErrorText(int errnum);

/// Opens fileName for reading as a regular file: a missing file, a folder, a pipe or a device is
/// refused at once (a pipe is never waited on). False with *error, a Japanese sentence naming
/// the file, when the file cannot be used; file is then closed.
bool openRegularFile(QFile *file, const QString &fileName, QString *error);

/// Reads the whole of the regular file fileName into *data when it holds at most maxBytes bytes
/// (exactly what is there: no buffer of the bound set aside first). False with *error, a
/// Japanese sentence naming the file, when it cannot be opened or read, or is larger.
bool readWholeFile(const QString &fileName, qint64 maxBytes, QByteArray *data, QString *error);

/// Whether outputFile may be written by a command that reads inputFiles: it must not be the same
/// file as any input (the same device and file number, however the paths are spelled, symbolic
/// and hard links included), and what already stands under its name must be a regular file
/// (never a folder, device, pipe or socket). False with *error in Japanese otherwise. An output
/// that does not exist yet and empty input names are fine.
bool checkOutputFile(const QString &outputFile, const QStringList &inputFiles, QString *error);

/// Whether the names a and b reach one file, whether it exists or is still to be written: where
/// both exist, the same device and file number; otherwise the same name in the same folder (the
/// folder's identity, so that a link to a folder is seen through), a symbolic link as the last
/// part followed to the name it points to.
bool sameFile(const QString &a, const QString &b);

/// "出力先「a」と「b」は同じファイルです。…": two outputs of one command that are one file.
QString sameOutputMessage(const QString &a, const QString &b);

/// checkOutputFile() for each of several outputs of one command (empty names skipped), and none
/// of them the same file as another (sameFile()).
bool checkOutputFiles(const QStringList &outputFiles, const QStringList &inputFiles, QString *error);

} // namespace Zelkor
