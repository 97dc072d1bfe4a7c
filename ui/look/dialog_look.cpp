// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/look/dialog_look.h"

#include "widgets/stone_background.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

namespace marloven {

FixedDialog::FixedDialog(const QString& title, QSize clientSize, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(title);
    setFont(FormFont());
    setFixedSize(clientSize);
    AddBackground(this);
}

FixedDialog::OkCancel FixedDialog::AddOkCancel(int okX, int cancelX, int y, QWidget* focus,
                                               bool okAccepts) {
    const OkCancel buttons{AddButton(this, "OKButton", "OK", okX, y),
                           AddButton(this, "CancelButton", "Cancel", cancelX, y)};
    buttons.ok->setDefault(true);
    if (okAccepts) {
        connect(buttons.ok, &QPushButton::clicked, this, &QDialog::accept);
    }
    connect(buttons.cancel, &QPushButton::clicked, this, &QDialog::reject);
    OpenWith(focus, buttons.ok);
    return buttons;
}

void FixedDialog::OpenWith(QWidget* focus, QPushButton* defaultButton) {
    openingFocus_ = focus;
    defaultButton_ = defaultButton;
}

void FixedDialog::showEvent(QShowEvent* event) {
    if (defaultButton_) {
        defaultButton_->setDefault(true);
    }
    if (openingFocus_) {
        openingFocus_->setFocus(Qt::OtherFocusReason);
    }
    const auto* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const auto frame = frameGeometry();
        move(pos() + screen->availableGeometry().center() - frame.center());
    }
    QDialog::showEvent(event);
}

} // namespace marloven
