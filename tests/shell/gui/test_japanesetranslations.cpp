// Qt's own Japanese translations: the standard dialogs speak Japanese.
#include "shell/gui/japanesetranslations.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QTranslator>

#include <gtest/gtest.h>

using namespace Zelkor;

namespace {

QString labelText(QWidget *dialog, const char *name)
{
    const auto *label = dialog->findChild<QLabel *>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("(no label %1)").arg(QString::fromLatin1(name));
}

} // namespace

TEST(JapaneseTranslations, StandardDialogsAndButtonsSpeakJapanese)
{
    QTranslator *translator = JapaneseTranslations::install(qApp);
    ASSERT_NE(translator, nullptr) << "Qt's Japanese translations (qtbase_ja.qm) are not installed";

    QFileDialog files;
    files.setOption(QFileDialog::DontUseNativeDialog);
    EXPECT_EQ(labelText(&files, "fileNameLabel"), QStringLiteral("ファイル名(&N):"));
    EXPECT_EQ(labelText(&files, "fileTypeLabel"), QStringLiteral("ファイルの種類:"));
    EXPECT_EQ(labelText(&files, "lookInLabel"), QStringLiteral("アドレス:"));

    // The input dialog's buttons use the words of the program's own questions.
    QInputDialog input;
    input.setInputMode(QInputDialog::TextInput);
    input.show();
    const auto *box = input.findChild<QDialogButtonBox *>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
    EXPECT_EQ(box->button(QDialogButtonBox::Ok)->text(), QStringLiteral("OK"));
    input.hide();

    QCoreApplication::removeTranslator(translator);
    delete translator;
}
