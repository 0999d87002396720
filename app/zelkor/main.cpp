// The desktop program: the main window over the composition table.
#include "platform/gui/qtuserinterface.h"
#include "platform/print/fontsubstitutes.h"
#include "shell/gui/japanesetranslations.h"
#include "shell/gui/mainwindow.h"
#include "shell/workspace.h"

#include <QApplication>
#include <QFont>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zelkor"));
    // The desktop's menu entry (zelkor.desktop) gives the window its icon and name.
    QGuiApplication::setDesktopFileName(QStringLiteral("zelkor"));
    // The standard dialogs and buttons in Japanese, like every text of the program. Without the
    // system's Qt translations they stay in English, and the program runs on.
    Zelkor::JapaneseTranslations::install(&app);

    // The program's fonts by their usual names, served by the IPA fonts of similar metrics.
    Zelkor::installFontSubstitutes();
    QFont uiFont(QStringLiteral("ＭＳ Ｐゴシック"));
    uiFont.setPointSize(9);
    QApplication::setFont(uiFont);

    Zelkor::QtUserInterface ui;
    Zelkor::Workspace workspace(&ui);
    Zelkor::MainWindow window(&workspace);
    ui.setWindow(&window);
    // The print dialog chooses and sets up the printer that "プリンターの設定(&T)" sets up.
    ui.setPrinter(window.printer());
    // The application's title, for the task bar. Not a display name: Qt would append that to
    // every window title, and the main window's title is the program's own.
    window.setWindowIconText(QStringLiteral("Zelkor"));

    workspace.program().start(QApplication::arguments().mid(1), QApplication::applicationFilePath());
    window.show();
    return app.exec();
}
