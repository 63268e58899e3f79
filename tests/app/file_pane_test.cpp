// The file pane: the folder shown is the working directory, the file list shows its "*.tsv" files,
// selecting a file names it in the box, and changing folder puts the mask back.

#include "tests/app/window_fixture.h"

#include <QComboBox>
#include <QStorageInfo>
#include <QtTest>

using arb::FilePane;
using arb::test::WindowFixture;

namespace {

QStringList Texts(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) {
        texts << list->item(i)->text().trimmed();
    }
    return texts;
}

QListWidgetItem* FolderEntry(const QListWidget* list, const QString& path) {
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->data(FilePane::kPathRole).toString() == path) {
            return list->item(i);
        }
    }
    return nullptr;
}

// Opens a folder entry the way the keyboard does: make it current and press Enter.
void OpenEntry(QListWidget* list, QListWidgetItem* entry) {
    list->setCurrentItem(entry);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
}

} // namespace

class FilePaneTest : public QObject {
    Q_OBJECT

  private slots:
    void listsTheMatchingFilesOfTheWorkingDirectory();
    void selectingAFileNamesItInTheBox();
    void openingAFolderMakesItCurrentAndResetsTheBox();
    void aFolderThatCannotBeEnteredChangesNothing();
};

void FilePaneTest::listsTheMatchingFilesOfTheWorkingDirectory() {
    WindowFixture fx({{"b.tsv", "1\n"}, {"A.tsv", "1\n"}, {"c.txt", "1\n"}, {"notes", "x"}});
    QVERIFY(QDir(fx.folder.path()).mkdir("sub"));
    QVERIFY(QDir(fx.folder.path()).mkdir("folder.tsv"));
    fx.form->Files().changeFolder(fx.folder.path()); // read again, with the folders present

    QCOMPARE(Texts(fx.form->MainFileList), (QStringList{"A.tsv", "b.tsv"}));
    QVERIFY(fx.form->MainFileList->selectedItems().isEmpty());
    QCOMPARE(fx.form->MainFileEdit->text(), QStringLiteral("*.tsv"));

    // The folder list shows the path's parts from the root down, then the sub-folders.
    const QString here = QDir(fx.folder.path()).canonicalPath();
    QListWidget* folders = fx.form->MainDirList;
    QCOMPARE(folders->item(0)->data(FilePane::kPathRole).toString(), QStringLiteral("/"));
    QCOMPARE(folders->currentItem()->data(FilePane::kPathRole).toString(), here);
    QCOMPARE(Texts(folders).mid(folders->currentRow() + 1), (QStringList{"folder.tsv", "sub"}));

    // The drive selector shows the root of the file system that holds the folder.
    QCOMPARE(fx.form->MainDriveCombo->currentText(), QStorageInfo(here).rootPath());
}

void FilePaneTest::selectingAFileNamesItInTheBox() {
    WindowFixture fx({{"one.tsv", "1\n"}, {"two.tsv", "2\n"}});
    fx.selectFile("two.tsv");
    QCOMPARE(fx.form->MainFileEdit->text(), QStringLiteral("two.tsv"));
    QCOMPARE(fx.form->MainFileEdit->selectedText(), QStringLiteral("two.tsv"));

    // The keyboard moves the selection too.
    fx.form->MainFileList->setFocus();
    QTest::keyClick(fx.form->MainFileList, Qt::Key_Up);
    QCOMPARE(fx.form->MainFileEdit->text(), QStringLiteral("one.tsv"));
    QCOMPARE(fx.form->MainFileEdit->selectedText(), QStringLiteral("one.tsv"));
}

void FilePaneTest::openingAFolderMakesItCurrentAndResetsTheBox() {
    WindowFixture fx({{"top.tsv", "1\n"}});
    const QString here = QDir(fx.folder.path()).canonicalPath();
    QVERIFY(QDir(here).mkdir("sub"));
    fx.writeFile("sub/inner.tsv", "1\n");
    fx.form->Files().changeFolder(here);
    fx.selectFile("top.tsv");
    fx.form->MainFileEdit->setText("typed by the user");

    OpenEntry(fx.form->MainDirList, FolderEntry(fx.form->MainDirList, here + "/sub"));
    QCOMPARE(QDir::currentPath(), here + "/sub");
    QCOMPARE(Texts(fx.form->MainFileList), QStringList{"inner.tsv"});
    QCOMPARE(fx.form->MainFileEdit->text(), QStringLiteral("*.tsv"));
    QCOMPARE(fx.form->MainFileEdit->selectedText(), QStringLiteral("*.tsv"));

    // Back up by the entry of the parent folder, with a double-click.
    QListWidgetItem* parent = FolderEntry(fx.form->MainDirList, here);
    QVERIFY(parent != nullptr);
    arb::test::DoubleClickItem(fx.form->MainDirList, parent);
    QCOMPARE(QDir::currentPath(), here);
    QCOMPARE(Texts(fx.form->MainFileList), QStringList{"top.tsv"});
}

void FilePaneTest::aFolderThatCannotBeEnteredChangesNothing() {
    WindowFixture fx({{"stay.tsv", "1\n"}});
    const QString here = QDir(fx.folder.path()).canonicalPath();
    QVERIFY(QDir(here).mkdir("gone"));
    fx.form->Files().changeFolder(here);
    QListWidgetItem* entry = FolderEntry(fx.form->MainDirList, here + "/gone");
    QVERIFY(entry != nullptr);
    QVERIFY(QDir(here).rmdir("gone")); // vanishes while it is listed
    fx.selectFile("stay.tsv");

    OpenEntry(fx.form->MainDirList, entry);
    QCOMPARE(fx.boxes.boxes.size(), std::size_t{1});
    QVERIFY(fx.boxes.boxes[0].text.contains(here + "/gone"));
    QCOMPARE(QDir::currentPath(), here);
    QCOMPARE(fx.form->Files().folder(), here);
    QCOMPARE(Texts(fx.form->MainFileList), QStringList{"stay.tsv"});
    QCOMPARE(fx.form->MainFileEdit->text(), QStringLiteral("stay.tsv"));
}

QTEST_MAIN(FilePaneTest)
#include "file_pane_test.moc"
