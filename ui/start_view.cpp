#include "ui/start_view.h"

#include "core/named_start.h"

#include <QClipboard>
#include <QComboBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>

namespace marloven {

StartView::StartView(QWidget* parent) : FixedDialog("Command Line", {560, 400}, parent) {
    start_ = new QComboBox(this);
    start_->setObjectName("Start");
    start_->setGeometry(8, 8, 200, 23);
    for (const StartName& name : StartNames()) {
        start_->addItem(QString::fromLatin1(name.caption.data(), name.caption.size()));
    }
    connect(start_, &QComboBox::currentIndexChanged, this, &StartView::ShowChosen);

    text_ = new QPlainTextEdit(this);
    text_->setObjectName("StartText");
    text_->setGeometry(8, 38, 544, 317);
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    PaintLimeOnBlack(text_);

    copy_ = AddButton(this, "CopyButton", "Copy", 398, 367);
    connect(copy_, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(text_->toPlainText()); });
    QPushButton* close = AddButton(this, "CloseButton", "Close", 477, 367);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

void StartView::Show(Describe describe) {
    describe_ = std::move(describe);
    start_->setCurrentIndex(0);
    ShowChosen();
    exec();
}

void StartView::ShowChosen() {
    const int chosen = start_->currentIndex();
    if (!describe_ || chosen < 0) {
        return;
    }
    // Paths and switches are the system's 8-bit text, as the launcher passes them on.
    text_->setPlainText(
        QString::fromLocal8Bit(describe_(StartNames()[static_cast<std::size_t>(chosen)].name)));
}

} // namespace marloven
