#include "app/text_pane.h"

#include "app/large_text_view.h"
#include "table/huge_pages.h"

#include <QPlainTextEdit>
#include <QStackedLayout>

namespace arb {

TextPane::TextPane(QWidget* parent) : QWidget(parent) {
    editor_ = new QPlainTextEdit(this);
    large_ = new LargeTextView(this);
    for (QAbstractScrollArea* area :
         {static_cast<QAbstractScrollArea*>(editor_), static_cast<QAbstractScrollArea*>(large_)}) {
        area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }
    editor_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    editor_->setTabChangesFocus(true);
    stack_ = new QStackedLayout(this);
    stack_->setContentsMargins(0, 0, 0, 0);
    stack_->addWidget(editor_);
    stack_->addWidget(large_);
    setFocusPolicy(Qt::StrongFocus); // keeps the pane in the window's focus order
    setFocusProxy(editor_);
}

bool TextPane::showsLargeText() const {
    return stack_->currentWidget() == large_;
}

void TextPane::setText(std::string&& text) {
    if (text.size() > largeTextBytes_) {
        showLarge(std::move(text));
    } else {
        showEditor(text);
    }
}

void TextPane::setText(std::string_view text) {
    if (text.size() > largeTextBytes_) {
        std::string copy;
        copy.reserve(text.size());
        AdviseHugePages(copy.data(), text.size());
        copy.assign(text);
        showLarge(std::move(copy));
    } else {
        showEditor(text);
    }
}

void TextPane::showEditor(std::string_view text) {
    QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); // the editor wants LF alone
    editor_->setPlainText(shown);
    large_->setText({}); // frees a large text shown before
    stack_->setCurrentWidget(editor_);
    setFocusProxy(editor_);
}

void TextPane::showLarge(std::string&& text) {
    large_->setText(std::move(text));
    editor_->clear();
    stack_->setCurrentWidget(large_);
    setFocusProxy(large_);
}

QString TextPane::toPlainText() const {
    if (!showsLargeText())
        return editor_->toPlainText();
    const std::string_view text = large_->text();
    QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

} // namespace arb
