#pragma once

// A window for one test: on a recording board, with message boxes that record instead of
// blocking, started in a fresh temporary folder that is the working directory meanwhile.

#include "app/file_pane.h"
#include "app/main_form.h"
#include "app/message_boxes.h"
#include "app/text_pane.h"
#include "tests/support/recording_board.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

namespace arb::test {

// Where to click an item, once the list has laid out its items.
inline QPoint ItemCentre(QListWidget* list, QListWidgetItem* item) {
    list->doItemsLayout();
    list->scrollToItem(item);
    return list->visualItemRect(item).center();
}

// A user's double-click on an item: the first click, then the second that makes it a double one.
inline void DoubleClickItem(QListWidget* list, QListWidgetItem* item) {
    const QPoint at = ItemCentre(list, item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

class RecordingMessageBoxes : public MessageBoxes {
  public:
    struct Box {
        QString kind; // "warning" or "error"
        QString text;
        QString caption;
    };

    void warning(const QString& text, const QString& caption) override {
        boxes.push_back({QStringLiteral("warning"), text, caption});
    }
    void error(const QString& text) override {
        boxes.push_back({QStringLiteral("error"), text, QString()});
    }

    std::vector<Box> boxes;
};

// Puts the working directory back when the test ends.
class WorkingDirectoryGuard {
  public:
    WorkingDirectoryGuard() : saved_(QDir::currentPath()) {}
    ~WorkingDirectoryGuard() { QDir::setCurrent(saved_); }
    WorkingDirectoryGuard(const WorkingDirectoryGuard&) = delete;
    WorkingDirectoryGuard& operator=(const WorkingDirectoryGuard&) = delete;

  private:
    QString saved_;
};

struct TestFile {
    QString name;
    QByteArray content;
};

class WindowFixture {
  public:
    // `files` are created before the window starts.
    WindowFixture(std::initializer_list<TestFile> files = {}) {
        for (const TestFile& file : files) {
            writeFile(file.name, file.content);
        }
        QDir::setCurrent(folder.path());
        form = std::make_unique<TMainForm>(RecordingBoard::functions(), boxes);
        form->InitControls();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }

    QString path(const QString& name) const { return QDir(folder.path()).filePath(name); }

    void writeFile(const QString& name, const QByteArray& content) const {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(content), content.size());
    }

    QListWidgetItem* fileItem(const QString& name) const {
        const auto found = form->MainFileList->findItems(name, Qt::MatchExactly);
        return found.isEmpty() ? nullptr : found.first();
    }

    // Selects the file in the file list as a click does.
    void selectFile(const QString& name) const {
        QListWidgetItem* item = fileItem(name);
        QVERIFY2(item != nullptr, qPrintable(name));
        QTest::mouseClick(form->MainFileList->viewport(), Qt::LeftButton, {},
                          ItemCentre(form->MainFileList, item));
    }

    void load(const QString& name) const {
        selectFile(name);
        form->LoadButton->click();
    }

    QTemporaryDir folder;
    WorkingDirectoryGuard cwd;
    RecordingBoard board;
    RecordingBoard::Activation active{board};
    RecordingMessageBoxes boxes;
    std::unique_ptr<TMainForm> form; // destroyed first
};

// A table of `rows` lines, each with the given cells joined by TAB.
inline QByteArray RepeatedRows(int rows, const QByteArray& line) {
    QByteArray text;
    for (int i = 0; i < rows; ++i) {
        text += line + "\r\n";
    }
    return text;
}

} // namespace arb::test
