// SPDX-License-Identifier: GPL-3.0-or-later
#include "meet/meet_games_model.h"

#include "meet/broker_client.h"
#include "meet/broker_echo.h"
#include "meet/sealed_box.h"

#include <algorithm>

namespace marloven {

MeetGamesModel::MeetGamesModel(QObject* parent) : QAbstractListModel(parent) {}

MeetGamesModel::~MeetGamesModel() = default;

void MeetGamesModel::Listen(const LinkAddress& meetingPlace, const QString& start) {
    Stop();
    start_ = start;
    broker_ = std::make_unique<BrokerClient>(QStringLiteral("marloven-list-") +
                                             QString::fromLatin1(RandomBytes(8).toHex()));
    list_ = std::make_unique<GamesList>(*broker_);
    echo_ = std::make_unique<BrokerEcho>(*broker_);
    connect(list_.get(), &GamesList::Changed, this, &MeetGamesModel::Refresh);
    connect(echo_.get(), &BrokerEcho::Measured, this, &MeetGamesModel::Refresh);
    connect(broker_.get(), &BrokerClient::Connected, this,
            [this] { SetState(QStringLiteral("No game at the meeting place yet.")); });
    connect(broker_.get(), &BrokerClient::ConnectionLost, this, [this] {
        SetState(QStringLiteral("The meeting place went away; reaching it again..."));
    });
    connect(broker_.get(), &BrokerClient::Failed, this, &MeetGamesModel::SetState);
    SetState(QStringLiteral("Reaching the meeting place at %1...")
                 .arg(QString::fromStdString(ShowLinkAddress(meetingPlace))));
    broker_->Connect(meetingPlace);
}

void MeetGamesModel::Stop() {
    echo_.reset();
    list_.reset();
    broker_.reset();
    Refresh();
}

void MeetGamesModel::SetState(const QString& state) {
    state_ = state;
    emit StateChanged();
}

// Full games are left out: nobody could join them. The nearest come first.
void MeetGamesModel::Refresh() {
    QList<GameListing> games;
    for (const GameListing& game : list_ ? list_->Games() : QList<GameListing>()) {
        if (game.start == start_ && game.playersFree > 0) {
            games.append(game);
        }
    }
    std::stable_sort(games.begin(), games.end(), [](const GameListing& a, const GameListing& b) {
        return static_cast<unsigned>(a.hostLegMs) < static_cast<unsigned>(b.hostLegMs);
    });
    // Listings come again every few seconds and round trips change: the same games in the
    // same order are only redrawn, so that the row the player chose stays chosen.
    const bool same = std::equal(
        games.begin(), games.end(), games_.begin(), games_.end(),
        [](const GameListing& a, const GameListing& b) { return a.clientId == b.clientId; });
    if (same) {
        games_ = games;
        if (!games_.isEmpty()) {
            emit dataChanged(index(0), index(static_cast<int>(games_.size()) - 1));
        }
        return;
    }
    beginResetModel();
    games_ = games;
    endResetModel();
}

int MeetGamesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(games_.size());
}

// The way through the meeting place is the host's leg and this player's: their sum is
// the round trip a game would have.
QVariant MeetGamesModel::data(const QModelIndex& index, int role) const {
    const auto listing = ListingAt(index.row());
    if (role != Qt::DisplayRole || !listing) {
        return {};
    }
    const int ownMs = echo_ ? echo_->LastMs() : -1;
    const QString roundTrip = listing->hostLegMs >= 0 && ownMs >= 0
                                  ? QStringLiteral("%1 ms").arg(listing->hostLegMs + ownMs)
                                  : QStringLiteral("round trip not yet measured");
    return QStringLiteral("%1 (%2), %3, %4")
        .arg(listing->hostName, PlacesText(*listing), roundTrip,
             listing->open ? QStringLiteral("for everyone")
                           : QStringLiteral("for the invited: code needed"));
}

std::optional<GameListing> MeetGamesModel::ListingAt(int row) const {
    if (row < 0 || row >= games_.size()) {
        return std::nullopt;
    }
    return games_.at(row);
}

} // namespace marloven
