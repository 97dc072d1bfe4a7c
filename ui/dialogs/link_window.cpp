// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/link_window.h"

#include "link/relay.h"
#include "ui/look/look.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace marloven {

namespace {

constexpr int kWidth = 360;
constexpr int kMargin = 8;

} // namespace

LinkWindow::LinkWindow(Relay& relay, std::function<void()> cancel)
    : FixedDialog(QStringLiteral("Marloven - Link"), {kWidth, 176}, nullptr),
      cancel_(std::move(cancel)) {
    Progress = new QLabel(relay.Progress(), this);
    Progress->setObjectName("Progress");
    Progress->setGeometry(kMargin, kMargin, kWidth - 2 * kMargin, 40);
    Progress->setWordWrap(true);
    // White on the stone, as the link dialog's own notes, so it reads on any wall.
    Progress->setFont(SansFont(12, true));
    PaintTextColor(Progress, Qt::white);
    Tell = new QPlainTextEdit(this);
    Tell->setObjectName("Tell");
    Tell->setGeometry(kMargin, 54, kWidth - 2 * kMargin - 83, 80);
    Tell->setReadOnly(true);
    CopyButton = AddButton(this, "CopyButton", "&Copy", kWidth - kMargin - 75, 54);
    CancelButton = AddButton(this, "CancelButton", "Cancel", (kWidth - 75) / 2, 144);
    // Only a host has something to tell: where the others reach it.
    const QStringList told = relay.Hosting() ? relay.AddressesToTell() : QStringList();
    Tell->setPlainText(told.join('\n'));
    Tell->setVisible(!told.isEmpty());
    CopyButton->setVisible(!told.isEmpty());
    connect(CopyButton, &QPushButton::clicked, this,
            [told] { QGuiApplication::clipboard()->setText(told.join('\n')); });
    connect(CancelButton, &QPushButton::clicked, this, &LinkWindow::reject);
    connect(&relay, &Relay::progressed, Progress, &QLabel::setText);
    connect(&relay, &Relay::linkUp, this, &QDialog::accept);
    connect(&relay, &Relay::failed, this, &QDialog::accept);
}

void LinkWindow::reject() {
    QDialog::reject();
    if (cancel_) {
        cancel_();
    }
}

std::unique_ptr<QObject> LinkWindow::Open(Relay& relay, std::function<void()> cancel) {
    auto window = std::make_unique<LinkWindow>(relay, std::move(cancel));
    window->show();
    return window;
}

} // namespace marloven
