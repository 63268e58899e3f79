#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class QComboBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

namespace arb {

class MessageBoxes;

// The chain drive selector -> folder list -> file list -> file-name box. The folder shown is
// always the process's current working directory, so a bare name in the box names a file in it.
//   - The drive selector lists the roots of the mounted file systems.
//   - The folder list shows the path's parts and the sub-folders; opening an entry (double-click
//     or Enter) changes to it.
//   - The file list shows the "*.tsv" files of the folder, sorted, with none selected.
//   - Selecting a file puts its bare name into the box; reading a folder puts the mask back.
// A folder that cannot be entered is reported and changes nothing.
class FilePane : public QObject {
    Q_OBJECT

  public:
    static inline const QString kMask = QStringLiteral("*.tsv");
    static constexpr int kPathRole = 0x0100; // Qt::UserRole: an entry's full path

    FilePane(QComboBox* drives, QListWidget* folders, QListWidget* files, QLineEdit* nameBox,
             MessageBoxes& boxes, QObject* parent);

    // Shows the current working directory; called once at creation.
    void start();

    // What opening a folder entry does. False, after telling the user, when it cannot be entered.
    bool changeFolder(const QString& path);

    QString folder() const { return folder_; }

  private:
    void fillDrives();
    void showDriveOf(const QString& path);
    void driveChosen(int index);
    void fillFolders();
    void readFiles();
    void fileSelectionChanged();
    void folderActivated(QListWidgetItem* item);
    void setNameBox(const QString& text);

    QComboBox* drives_;
    QListWidget* folders_;
    QListWidget* files_;
    QLineEdit* nameBox_;
    MessageBoxes& boxes_;
    QString folder_;
    QHash<QString, QString> lastFolderOfDrive_; // a drive's "current folder"
};

} // namespace arb
