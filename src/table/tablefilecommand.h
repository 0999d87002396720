#pragma once

#include <QString>

namespace Zelkor {

class TableDocument;
class UserInterface;

/// The commands of the table file: saving the table, loading a saved one with the settings file
/// beside it, and the question that keeps unsaved changes from being dropped. Every table file
/// saved or loaded goes to the top of the settings' list of the tables used last.
class TableFileCommand
{
public:
    /// "現在の表は保存されていません。保存しますか？"
    static QString unsavedQuestion();
    /// What the work message shows before the percentage of the file read or written.
    static QString progressLabel();

    /// doc and ui must outlive the command.
    TableFileCommand(TableDocument *doc, UserInterface *ui);

    /// Before a command that would discard the table: when it changed since it was last saved,
    /// loaded or cleared, asks unsavedQuestion(). はい saves through saveTable() and goes on only
    /// when the table was saved; いいえ goes on without saving; キャンセル stops. True when the
    /// command may go on. An unchanged table goes on without a question.
    bool confirmDiscardTable();
    /// Menu "組成表を初期化する": asks about unsaved changes, then clears the table.
    void clearTable();
    /// Menu "現在の表を保存する": asks for the table file (proposing the file the table was
    /// loaded from or last saved to, else the title) and, when it exists, whether to overwrite
    /// it, and saves the table with its title. True when saved: the table then counts as
    /// unchanged. A failed save is reported and leaves any old file as it was; the table,
    /// TableFileName and the status stay unchanged. The work message shows the progress with
    /// "中止", which stops the save as a failed one, without a message.
    bool saveTable();
    /// Menu "保存した表を読込む": asks about unsaved changes, then for a table file, and loads
    /// it.
    void chooseAndLoadTable();
    /// Loads the table file path, with the settings file of the same name beside it when there is
    /// one. True when loaded (the table counts as unchanged); on failure the error is shown and
    /// the table, the header items, the settings, the title and TableFileName all stay as they
    /// were. The work message shows the progress with "中止", which stops the load as a failed
    /// one, without a message. Asks nothing: the commands ask about unsaved changes before they
    /// call it.
    bool loadTable(const QString &path);
    /// An entry of the file menu's "最近使った表": a file that is no longer there is removed from
    /// the list with missingRecentMessage(); otherwise, as "保存した表を読込む" does, asks about
    /// unsaved changes and loads it. True when loaded.
    bool openRecentTable(const QString &path);
    /// "表ファイル「NAME」が見つかりません。一覧から外します。"
    static QString missingRecentMessage(const QString &path);

private:
    TableDocument *m_doc;
    UserInterface *m_ui;
};

} // namespace Zelkor
