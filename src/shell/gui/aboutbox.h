#pragma once

#include <QDialog>
#include <QIcon>

namespace Zelkor {

/// The about box "ﾊﾞｰｼﾞｮﾝ情報": the program icon, its name and version, and OK.
class AboutBox : public QDialog
{
    Q_OBJECT

public:
    /// versionText is the program's version ("6.0.0").
    explicit AboutBox(const QString &versionText, QWidget *parent = nullptr);

    /// The program's icon: a small composition table with its yellow fixed rows and columns.
    static QIcon programIcon();
};

} // namespace Zelkor
