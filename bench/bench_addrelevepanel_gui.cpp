// The retrieval panel's scan with its live counters against the bare scan of the workspace, on a
// generated database of 100,000 relevés (30 species each, a third written as synonyms), a
// 10,000-line synonym dictionary and three species conditions. Offscreen, warm cache, best of
// three; also counts how often the record counter was painted during one scan.
#include "database/gui/addrelevepanel.h"
#include "platform/scripteduserinterface.h"
#include "shell/gui/mainwindow.h"
#include "shell/workspace.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include "generateddatabase.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <random>

using namespace Zelkor;
using namespace Zelkor::Bench;

namespace {

double ms(std::chrono::steady_clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Counts the paint events of one widget.
struct PaintCounter : QObject
{
    int paints = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir dir;
    const QString zki = dir.filePath(QStringLiteral("big.zki"));
    if (!writeDatabase(zki, dir.filePath(QStringLiteral("big.zkd")))) {
        std::fprintf(stderr, "cannot write the database\n");
        return 1;
    }
    const QString dicFile = dir.filePath(QStringLiteral("big.dic"));
    if (!writeDictionary(dicFile))
        return 1;

    ScriptedUserInterface ui;
    Workspace ws(&ui);
    ws.settings().useDataItem = false;
    ws.session().setDataFile(zki);
    ws.session().loadDictionary(dicFile);
    if (ws.session().recordCount() != kReleves) {
        std::fprintf(stderr, "database not opened: %s\n", qPrintable(ui.messages().join(QLatin1Char(' '))));
        return 1;
    }
    MainWindow window(&ws);
    window.show();
    AddRelevePanel *panel = window.addRelevePanel();
    panel->itemAddReleveClick();
    panel->findChild<QLineEdit *>(QStringLiteral("EditName1"))->setText(QString::fromLatin1(speciesName(30, false)));
    panel->findChild<QLineEdit *>(QStringLiteral("EditName2"))->setText(QString::fromLatin1(speciesName(31, false)));
    panel->findChild<QComboBox *>(QStringLiteral("EditCov2"))->setCurrentIndex(1);
    panel->findChild<QLineEdit *>(QStringLiteral("EditName3"))->setText(QString::fromLatin1(speciesName(32, false)));
    const auto joinOf = [panel](int k, int id) {
        return panel->findChild<QWidget *>(QStringLiteral("RG_Retr%1").arg(k))->findChildren<QRadioButton *>().at(id);
    };
    joinOf(2, 0)->setChecked(true); // または
    joinOf(3, 2)->setChecked(true); // なし
    QCoreApplication::processEvents();

    // The two kinds of scan take turns, so that a busy machine weighs on both alike.
    PaintCounter counter;
    panel->findChild<QLabel *>(QStringLiteral("LabSerachN"))->installEventFilter(&counter);
    double bare = 1e9;
    double withPanel = 1e9;
    int paints = 0;
    int fitBare = 0;
    for (int run = 0; run < 3; ++run) {
        auto t0 = std::chrono::steady_clock::now();
        ws.extraction().scanDatabase(panel->query(), true);
        bare = std::min(bare, ms(std::chrono::steady_clock::now() - t0));
        fitBare = ws.extraction().selection().fitCount();

        counter.paints = 0;
        t0 = std::chrono::steady_clock::now();
        panel->btnRetrNewClick(true);
        withPanel = std::min(withPanel, ms(std::chrono::steady_clock::now() - t0));
        paints = counter.paints;
    }
    std::printf("scan of %d relevés, 3 conditions, 10,000-line dictionary: bare %.0f ms, panel with live "
                "counters %.0f ms (%d paints of the record counter), %d selected (panel shows %s)\n",
                kReleves, bare, withPanel, paints, fitBare,
                qPrintable(panel->findChild<QLabel *>(QStringLiteral("LabFitN"))->text()));
    return 0;
}
