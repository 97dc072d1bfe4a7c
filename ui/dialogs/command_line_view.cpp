// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/command_line_view.h"

#include "core/named_start.h"
#include "qt_text/text_conversions.h"

#include <QClipboard>
#include <QComboBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>

namespace marloven {

CommandLineView::CommandLineView(QWidget* parent)
    : FixedDialog("Command Line", {560, 400}, parent) {
    startCombo = new QComboBox(this);
    startCombo->setObjectName("Start");
    startCombo->setGeometry(8, 8, 200, 23);
    for (const StartName& name : StartNames()) {
        startCombo->addItem(MessageText(name.caption));
    }
    connect(startCombo, &QComboBox::currentIndexChanged, this, &CommandLineView::ShowChosen);

    startText = new QPlainTextEdit(this);
    startText->setObjectName("StartText");
    startText->setGeometry(8, 38, 544, 317);
    startText->setReadOnly(true);
    startText->setLineWrapMode(QPlainTextEdit::NoWrap);
    startText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    PaintLimeOnBlack(startText);

    copyButton = AddButton(this, "CopyButton", "Copy", 398, 367);
    connect(copyButton, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(startText->toPlainText()); });
    QPushButton* close = AddButton(this, "CloseButton", "Close", 477, 367);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

void CommandLineView::Show(Describe describe) {
    describe_ = std::move(describe);
    startCombo->setCurrentIndex(0);
    ShowChosen();
    exec();
}

void CommandLineView::ShowChosen() {
    const int chosen = startCombo->currentIndex();
    if (!describe_ || chosen < 0) {
        return;
    }
    // Paths and switches are the system's 8-bit text, as the launcher passes them on.
    startText->setPlainText(
        MessageText(describe_(StartNames()[static_cast<std::size_t>(chosen)].name)));
}

} // namespace marloven
