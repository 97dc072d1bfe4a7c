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
    Start = new QComboBox(this);
    Start->setObjectName("Start");
    Start->setGeometry(8, 8, 200, 23);
    for (const StartName& name : StartNames()) {
        Start->addItem(QString::fromLatin1(name.caption.data(), name.caption.size()));
    }
    connect(Start, &QComboBox::currentIndexChanged, this, &StartView::ShowChosen);

    Text = new QPlainTextEdit(this);
    Text->setObjectName("StartText");
    Text->setGeometry(8, 38, 544, 317);
    Text->setReadOnly(true);
    Text->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    PaintLimeOnBlack(Text);

    CopyButton = AddButton(this, "CopyButton", "Copy", 398, 367);
    connect(CopyButton, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(Text->toPlainText()); });
    QPushButton* close = AddButton(this, "CloseButton", "Close", 477, 367);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

void StartView::Show(Describe describe) {
    describe_ = std::move(describe);
    Start->setCurrentIndex(0);
    ShowChosen();
    exec();
}

void StartView::ShowChosen() {
    const int chosen = Start->currentIndex();
    if (!describe_ || chosen < 0) {
        return;
    }
    // Paths and switches are the system's 8-bit text, as the launcher passes them on.
    Text->setPlainText(
        QString::fromLocal8Bit(describe_(StartNames()[static_cast<std::size_t>(chosen)].name)));
}

} // namespace marloven
