#include "app/board_monitor_prompts.h"

#include <QFileDialog>
#include <QMessageBox>

namespace arb {

void DialogRecordFilePicker::pickRecordFile(QWidget& parent,
                                            std::function<void(const QString&)> chosen) {
    // One question at a time: a second click brings the open dialog forward.
    if (auto* open = parent.findChild<QFileDialog*>(QStringLiteral("RecordFileDialog"))) {
        open->raise();
        open->activateWindow();
        return;
    }
    auto* dialog = new QFileDialog(&parent, QStringLiteral("Record the board's output to"),
                                   QString(), QStringLiteral("CSV files (*.csv);;All files (*)"));
    dialog->setObjectName(QStringLiteral("RecordFileDialog"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(QStringLiteral("csv"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &QFileDialog::fileSelected, &parent,
                     [chosen = std::move(chosen)](const QString& path) { chosen(path); });
    dialog->open(); // window-modal, and returns at once
}

void BoxMonitorMessages::showMonitorMessage(QWidget& parent, const QString& text,
                                            const QString& caption) {
    auto* box = new QMessageBox(QMessageBox::Warning, caption, text, QMessageBox::Ok, &parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

} // namespace arb
