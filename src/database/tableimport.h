#pragma once

#include "database/coverscale.h"
#include "database/importedtable.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace Zelkor {

class Feedback;
class HeaderItems;
class TableDocument;
class TableFileCommand;
class TableModel;
class UserInterface;

/// Reading a table from another program's file: a spreadsheet's CSV (WideTableCsv) or a
/// Cornell condensed file (CornellFile), told apart by the file's extension.
class TableImport
{
public:
    /// The open dialog's file type for both ("label|pattern").
    static QString nameFilter();
    /// Whether the file is read as a Cornell condensed file (".cep", ".cc", ".dat").
    static bool isCornell(const QString &fileName);
    /// The scales the file's values can be read on, the one proposed first.
    static std::vector<CoverScale> scalesFor(const QString &fileName);

    /// Reads fileName on scale into *table, matching header rows with items' labels and layout
    /// rows with layerNames. False with errorString(); feedback as the readers take it.
    bool read(const QString &fileName, CoverScale scale, const HeaderItems &items, const QString &layerNames,
              ImportedTable *table, Feedback *feedback = nullptr);
    /// Reads fileName and builds the table from it into *model and *items; the title is the
    /// file's, else the file name without its extension.
    bool readTable(const QString &fileName, CoverScale scale, TableModel *model, HeaderItems *items,
                   const QString &layerNames, QString *title, Feedback *feedback = nullptr);

    QString errorString() const { return m_error; }
    /// What the last read found, for a report ("UTF-8、区切り「,」"); empty for Cornell files.
    QString description() const { return m_description; }

private:
    QString m_error;
    QString m_description;
};

/// Menu "表計算の表を読込む": a table from a spreadsheet's CSV or a Cornell condensed file
/// replaces the table (after the question about unsaved changes), with the document's header
/// items and layer names.
class TableImportCommand
{
public:
    static QString workMessage() { return QStringLiteral("　表を読込中　"); }
    /// The caption and question of the scale's choice.
    static QString scaleCaption() { return QStringLiteral("値の読み方"); }
    static QString scalePrompt() { return QStringLiteral("升目の値を何として読みますか"); }

    /// Everything given must outlive the command.
    TableImportCommand(TableDocument *doc, TableFileCommand *tableFile, UserInterface *ui);

    /// Asks about unsaved changes, for the file and for the scale of its values, then imports.
    void chooseAndImport();
    /// Reads path on scale, with the work message and its "中止"; the table then comes from no
    /// table file and counts as changed. On failure or cancel the error is shown (not for a
    /// cancel) and the table, items and title stay as they were. True when imported.
    bool importFile(const QString &path, CoverScale scale);

private:
    TableDocument *m_doc;
    TableFileCommand *m_tableFile;
    UserInterface *m_ui;
};

} // namespace Zelkor
