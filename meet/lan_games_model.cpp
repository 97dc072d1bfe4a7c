// SPDX-License-Identifier: GPL-3.0-or-later
#include "meet/lan_games_model.h"

#include <algorithm>

namespace marloven {
namespace {

// Only an address a player could type reaches the host: a link-local IPv6 one needs the
// interface beside it, which addresses typed in the dialog cannot name.
std::optional<LinkAddress> Reachable(const LanGame& game) {
    const bool ipv6 = game.address.protocol() == QAbstractSocket::IPv6Protocol;
    if (game.address.isNull() || (ipv6 && !game.address.scopeId().isEmpty())) {
        return std::nullopt;
    }
    return LinkAddress{game.address.toString().toStdString(), game.port, ipv6};
}

} // namespace

LanGamesModel::LanGamesModel(QObject* parent) : QAbstractListModel(parent) {}

LanGamesModel::~LanGamesModel() = default;

bool LanGamesModel::Listen(const QString& start, quint16 port) {
    Stop();
    start_ = start;
    listener_ = std::make_unique<LanListener>(port);
    connect(listener_.get(), &LanListener::Changed, this, &LanGamesModel::Refresh);
    return listener_->Listening();
}

void LanGamesModel::Stop() {
    listener_.reset();
    Refresh();
}

// A host heard both by IPv4 broadcast and by IPv6 multicast is listed once, by its IPv4
// address, which every player can type.
void LanGamesModel::Refresh() {
    QList<LanGame> games;
    const QList<LanGame> heard = listener_ ? listener_->Games() : QList<LanGame>();
    for (const LanGame& game : heard) {
        const bool twin = std::any_of(heard.begin(), heard.end(), [&game](const LanGame& other) {
            return other.address.protocol() == QAbstractSocket::IPv4Protocol &&
                   game.address.protocol() == QAbstractSocket::IPv6Protocol &&
                   other.hostName == game.hostName && other.port == game.port;
        });
        if (game.start == start_ && !twin && Reachable(game)) {
            games.append(game);
        }
    }
    beginResetModel();
    games_ = games;
    endResetModel();
}

int LanGamesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(games_.size());
}

QVariant LanGamesModel::data(const QModelIndex& index, int role) const {
    const auto address = AddressAt(index.row());
    if (role != Qt::DisplayRole || !address) {
        return {};
    }
    const LanGame& game = games_.at(index.row());
    return QStringLiteral("%1 at %2 (%3)")
        .arg(game.hostName, QString::fromStdString(ShowLinkAddress(*address)), PlacesText(game));
}

std::optional<LinkAddress> LanGamesModel::AddressAt(int row) const {
    if (row < 0 || row >= games_.size()) {
        return std::nullopt;
    }
    return Reachable(games_.at(row));
}

} // namespace marloven
