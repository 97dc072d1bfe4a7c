// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/players_dialog.h"

#include "qt_text/text_conversions.h"
#include "ui/look/char_filter.h"

#include <QFrame>
#include <QLineEdit>
#include <QPushButton>

namespace marloven {

namespace {

constexpr int kWidth = 209;
constexpr int kMargin = 8;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 25;
constexpr int kRowPitch = 30;
constexpr int kFirstRowTop = 50;

QFrame* AddSeparator(QWidget* parent, int top) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(kMargin, top, kWidth - 2 * kMargin, 2);
    return line;
}

// Two columns of count buttons, the last one centred under them.
QRect CountButtonBox(int index) {
    const int row = index / 2;
    if (index == PlayersDialog::kMostPlayers - PlayersDialog::kFewestPlayers) {
        return {(kWidth - kButtonWidth) / 2, kFirstRowTop + row * kRowPitch, kButtonWidth,
                kButtonHeight};
    }
    const int left = index % 2 == 0 ? kMargin : kWidth - kMargin - kButtonWidth;
    return {left, kFirstRowTop + row * kRowPitch, kButtonWidth, kButtonHeight};
}

} // namespace

PlayersDialog::PlayersDialog(QWidget* parent)
    : FixedDialog("Number of Players", {kWidth, 272}, parent) {
    AddCaption(this, "Select the number of players who will be playing",
               {kMargin, kMargin, kWidth - 2 * kMargin, 36}, 10, Qt::AlignHCenter | Qt::AlignTop);

    for (int players = kFewestPlayers; players <= kMostPlayers; ++players) {
        const int index = players - kFewestPlayers;
        auto* button = new QPushButton(QString("%1 Players").arg(players), this);
        button->setObjectName(QString("Players%1").arg(players));
        button->setGeometry(CountButtonBox(index));
        connect(button, &QPushButton::clicked, this, [this, players] { ChooseCount(players); });
        countButtons_[static_cast<std::size_t>(index)] = button;
    }
    // "2 Players" is the default button, so Enter chooses two players.
    countButtons_.front()->setDefault(true);

    AddSeparator(this, 172);
    AddCaption(this, "Network Socket", {kMargin, 180, kWidth - 2 * kMargin, 18}, 10,
               Qt::AlignHCenter | Qt::AlignTop);
    socketEdit = new QLineEdit(this);
    socketEdit->setObjectName("Socket");
    socketEdit->setGeometry(44, 200, 121, 21);
    PaintLimeOnBlack(socketEdit);
    CharFilter::Install(socketEdit, kSocketChars);
    AddSeparator(this, 230);

    cancelButton = AddButton(this, "CancelButton", "Cancel", kMargin, 239, kWidth - 2 * kMargin);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    OpenWith(countButtons_.front(), countButtons_.front());
}

void PlayersDialog::SetSocketText(const std::string& socket) {
    SetBoxText(socketEdit, FromBytes(socket));
}

std::string PlayersDialog::SocketText() const {
    return ToBytes(socketEdit->text());
}

void PlayersDialog::ChooseCount(int players) {
    playerCount_ = players;
    accept();
}

} // namespace marloven
