// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/link_address.h"
#include "meet/game_listing.h"

#include <QAbstractListModel>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

namespace marloven {

class BrokerClient;
class BrokerEcho;
class GamesList;

// The games of one kind of start that the meeting place lists, as the join dialog shows
// them, one line each: who hosts, how many players it still waits for, the round trip
// to the host through the meeting place, and whether the code is needed. It is at the
// meeting place only while it listens.
class MeetGamesModel : public QAbstractListModel {
    Q_OBJECT
  public:
    explicit MeetGamesModel(QObject* parent = nullptr);
    ~MeetGamesModel() override;

    // Reaches the meeting place and lists its games of `start` ("cable" or "ipx").
    void Listen(const LinkAddress& meetingPlace, const QString& start);
    // Leaves the meeting place and empties the list.
    void Stop();
    // What the list is doing, for the line shown while it has no game.
    QString State() const { return state_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    std::optional<GameListing> ListingAt(int row) const;

  signals:
    void StateChanged();

  private:
    void Refresh();
    void SetState(const QString& state);

    std::unique_ptr<BrokerClient> broker_;
    std::unique_ptr<GamesList> list_;
    std::unique_ptr<BrokerEcho> echo_;
    QString start_;
    QString state_;
    QList<GameListing> games_;
};

} // namespace marloven
