#include "app/message_boxes.h"

#include <QMessageBox>

namespace arb {

void QtMessageBoxes::warning(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok);
    box.exec();
}

void QtMessageBoxes::error(const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("ARB Demo"), text, QMessageBox::Ok);
    box.exec();
}

} // namespace arb
