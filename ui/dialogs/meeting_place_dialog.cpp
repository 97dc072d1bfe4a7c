// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/meeting_place_dialog.h"

#include "launcher/launcher_settings.h"
#include "meet/meeting_place.h"
#include "ui/look/look.h"
#include "ui/prompter.h"

#include <QLineEdit>
#include <QPushButton>

namespace marloven {

namespace {

constexpr int kWidth = 360;
constexpr int kMargin = 8;
constexpr int kInner = kWidth - 2 * kMargin;

} // namespace

MeetingPlaceDialog::MeetingPlaceDialog(Prompter& prompter, QWidget* parent)
    : FixedDialog(QStringLiteral("Meeting Place"), {kWidth, 148}, parent), prompter_(prompter) {
    AddCaption(this, QStringLiteral("Meeting place server"), {kMargin, 8, kInner, 18}, 10);
    meetServerEdit = new QLineEdit(this);
    meetServerEdit->setObjectName("meetServerEdit");
    meetServerEdit->setGeometry(kMargin, 28, kInner, 23);
    meetServerEdit->setPlaceholderText(QStringLiteral("None (host:port)"));
    PaintLimeOnBlack(meetServerEdit);
    AddStoneNote(this, "meetServerLabel",
                 QStringLiteral("Where players beyond your home network find each other's games: "
                                "a name or address, and the port after a colon (1883 when left "
                                "out). Empty: Marloven reaches no meeting place."),
                 {kMargin, 58, kInner, 50}, 10);
    const OkCancel buttons =
        AddOkCancel(kWidth - 2 * kMargin - 150, kWidth - kMargin - 75, 114, meetServerEdit, false);
    okButton = buttons.ok;
    cancelButton = buttons.cancel;
    connect(okButton, &QPushButton::clicked, this, &MeetingPlaceDialog::Accept);
}

// A server that cannot be read would leave the meeting place unreachable without a word:
// it is not taken, and what was typed stays for mending.
void MeetingPlaceDialog::Accept() {
    const QString typed = meetServerEdit->text().trimmed();
    if (!typed.isEmpty() && !ParseMeetingPlace(typed)) {
        prompter_.Inform(MeetingPlaceRefusal(typed));
        return;
    }
    accept();
}

void EditMeetingPlace(MeetingPlaceDialog& dialog, LauncherSettings& settings) {
    dialog.meetServerEdit->setText(settings.Get(LauncherKey::MeetServer).toString());
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const auto server = ParseMeetingPlace(dialog.meetServerEdit->text());
    settings.Set(LauncherKey::MeetServer,
                 server ? QString::fromStdString(ShowLinkAddress(*server)) : QString());
}

} // namespace marloven
