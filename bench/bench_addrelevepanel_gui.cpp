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
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <random>

using namespace Zelkor;

namespace {

constexpr int kReleves = 100000;
constexpr int kSpeciesPerReleve = 30;
constexpr int kNames = 3000;

QByteArray field(const QByteArray &text, int width, bool right)
{
    QByteArray f = text.left(width);
    const QByteArray pad(width - f.size(), ' ');
    return right ? pad + f : f + pad;
}

QByteArray speciesName(int n, bool synonym)
{
    return (synonym ? "Synonymus " : "Speciesname ") + QByteArray::number(n).rightJustified(5, '0');
}

// The relevé file (256-byte records after a 256-byte header) and the species file (512-byte
// blocks of 12 entries, chained), as the extraction benchmark writes them.
bool writeDatabase(const QString &zki, const QString &zkd)
{
    QFile fi(zki), fd(zkd);
    if (!fi.open(QIODevice::WriteOnly) || !fd.open(QIODevice::WriteOnly))
        return false;
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> pick(0, kNames - 1);
    const char *codes[] = {"+ ", "1 ", "2 ", "r ", "23", "3 "};
    fi.write(QByteArray(256, ' '));
    fd.write(QByteArray(512, '\0'));
    qint64 block = 1;
    for (int i = 1; i <= kReleves; ++i) {
        QByteArray rec(256, ' ');
        rec.replace(16, 8, field("R" + QByteArray::number(i), 8, false));
        rec.replace(24, 8, field("Site", 8, false));
        rec.replace(56, 8, field(QByteArray::number(5300 + i % 100), 8, false));
        rec.replace(152, 4, field(QByteArray::number(kSpeciesPerReleve), 4, true));
        rec[156] = '5';
        rec[157] = '2';
        rec.replace(248, 6, field(QByteArray::number(block), 6, true));
        fi.write(rec);
        const int blocks = (kSpeciesPerReleve + 11) / 12;
        for (int b = 0; b < blocks; ++b) {
            QByteArray blk(512, ' ');
            for (int k = 0; k < 12 && b * 12 + k < kSpeciesPerReleve; ++k) {
                const int n = pick(rng);
                QByteArray entry = field(speciesName(n, n % 3 == 0), 28, false);
                QByteArray code(14, ' ');
                code.replace(8, 2, codes[(n + i) % 6]);
                blk.replace(42 * k, 42, entry + code);
            }
            const qint64 next = b + 1 < blocks ? block + 1 : 0;
            blk.replace(504, 6, field(QByteArray::number(next), 6, true));
            fd.write(blk);
            ++block;
        }
    }
    return true;
}

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
    QByteArray dic;
    for (int n = 0; n < 10000; ++n)
        dic += (n < kNames ? speciesName(n, true) : "Nomen " + QByteArray::number(n)) + "," + speciesName(n, false) + "\r\n";
    QFile df(dir.filePath(QStringLiteral("big.dic")));
    if (!df.open(QIODevice::WriteOnly))
        return 1;
    df.write(dic);
    df.close();

    ScriptedUserInterface ui;
    Workspace ws(&ui);
    ws.settings().useDataItem = false;
    ws.setDataFile(zki);
    ws.setDictionary(df.fileName());
    if (ws.recordCount() != kReleves) {
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
        ws.btnRetrNewClick(panel->query(), true);
        bare = std::min(bare, ms(std::chrono::steady_clock::now() - t0));
        fitBare = ws.extraction().fitCount();

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
