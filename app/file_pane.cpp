#include "app/file_pane.h"

#include "app/message_boxes.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyle>

#include <algorithm>

namespace arb {

namespace {

QString RootOf(const QString& path) {
    const QStorageInfo storage(path);
    return storage.isValid() ? storage.rootPath() : QDir(path).rootPath();
}

} // namespace

FilePane::FilePane(QComboBox* drives, QListWidget* folders, QListWidget* files, QLineEdit* nameBox,
                   MessageBoxes& boxes, QObject* parent)
    : QObject(parent), drives_(drives), folders_(folders), files_(files), nameBox_(nameBox),
      boxes_(boxes) {}

void FilePane::start() {
    folder_ = QDir::currentPath();
    fillDrives();
    showDriveOf(folder_);
    fillFolders();
    readFiles();
    connect(drives_, &QComboBox::activated, this, &FilePane::driveChosen);
    connect(folders_, &QListWidget::itemActivated, this, &FilePane::folderActivated);
    connect(files_, &QListWidget::itemSelectionChanged, this, &FilePane::fileSelectionChanged);
}

void FilePane::fillDrives() {
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady() && !roots.contains(volume.rootPath())) {
            roots << volume.rootPath();
        }
    }
    if (const QString own = RootOf(folder_); !roots.contains(own)) {
        roots << own;
    }
    roots.sort();
    const QSignalBlocker quiet(drives_);
    drives_->clear();
    drives_->addItems(roots);
}

void FilePane::showDriveOf(const QString& path) {
    const QString root = RootOf(path);
    lastFolderOfDrive_[root] = path;
    int index = drives_->findText(root);
    if (index < 0) {
        drives_->addItem(root);
        index = drives_->count() - 1;
    }
    const QSignalBlocker quiet(drives_);
    drives_->setCurrentIndex(index);
}

void FilePane::driveChosen(int index) {
    const QString root = drives_->itemText(index);
    const QString target = lastFolderOfDrive_.value(root, root);
    if (!changeFolder(target)) {
        showDriveOf(folder_); // back to the drive of the folder still shown
    }
}

bool FilePane::changeFolder(const QString& path) {
    const QFileInfo info(path);
    const QString clean = info.absoluteFilePath();
    if (!info.isDir() || !info.isExecutable() || !info.isReadable() || !QDir::setCurrent(clean)) {
        boxes_.error(QStringLiteral("Cannot open the folder \"%1\": it does not exist or access "
                                    "is denied.")
                         .arg(QDir::toNativeSeparators(clean)));
        QDir::setCurrent(folder_);
        return false;
    }
    folder_ = QDir::currentPath();
    showDriveOf(folder_);
    fillFolders();
    readFiles();
    return true;
}

void FilePane::fillFolders() {
    const QSignalBlocker quiet(folders_);
    folders_->clear();
    const QIcon open = folders_->style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = folders_->style()->standardIcon(QStyle::SP_DirClosedIcon);

    // The path's parts, from the root down to the folder itself.
    QStringList chain;
    for (QDir dir(folder_);; dir.cdUp()) {
        chain.prepend(dir.absolutePath());
        if (dir.isRoot()) {
            break;
        }
    }
    int depth = 0;
    QListWidgetItem* current = nullptr;
    for (const QString& path : chain) {
        const QString name =
            QDir(path).isRoot() ? QDir::toNativeSeparators(path) : QFileInfo(path).fileName();
        auto* item = new QListWidgetItem(open, QString(depth * 2, QLatin1Char(' ')) + name);
        item->setData(kPathRole, path);
        folders_->addItem(item);
        current = item;
        ++depth;
    }
    const QDir here(folder_);
    const QStringList subFolders =
        here.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : subFolders) {
        auto* item = new QListWidgetItem(closed, QString(depth * 2, QLatin1Char(' ')) + name);
        item->setData(kPathRole, here.absoluteFilePath(name));
        folders_->addItem(item);
    }
    folders_->setCurrentItem(current);
}

void FilePane::readFiles() {
    {
        const QSignalBlocker quiet(files_);
        QDir::setCurrent(folder_);
        files_->clear();
        const QStringList names =
            QDir(folder_).entryList(QStringList{kMask}, QDir::Files, QDir::Name | QDir::IgnoreCase);
        files_->addItems(names);
        files_->setCurrentRow(-1);
        files_->clearSelection();
    }
    setNameBox(kMask);
}

void FilePane::fileSelectionChanged() {
    const QList<QListWidgetItem*> selected = files_->selectedItems();
    setNameBox(selected.isEmpty() ? kMask : selected.first()->text());
}

void FilePane::folderActivated(QListWidgetItem* item) {
    // Copied first: the item dies when the list is refilled. Opening the folder shown reads it
    // again.
    const QString path = item->data(kPathRole).toString();
    changeFolder(path);
}

void FilePane::setNameBox(const QString& text) {
    nameBox_->setText(text);
    nameBox_->selectAll();
}

} // namespace arb
