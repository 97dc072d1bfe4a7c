// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/link_address.h"
#include "meet/lan_games.h"

#include <QAbstractListModel>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

namespace marloven {

// The games of one kind of start heard on the home network, as the join dialog lists
// them, one line each: who hosts, where, and how many players it still waits for. It
// hears only while it listens, so that a dialog closed leaves no port open.
class LanGamesModel : public QAbstractListModel {
    Q_OBJECT
  public:
    explicit LanGamesModel(QObject* parent = nullptr);
    ~LanGamesModel() override;

    // Listens on `port` for games of `start` ("modem", "cable" or "ipx"), from an empty
    // list; false when the port could not be had.
    bool Listen(const QString& start, quint16 port = kLanGamesPort);
    // Stops listening and empties the list.
    void Stop();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Where the game on `row` takes players, as the join dialog's boxes take it.
    std::optional<LinkAddress> AddressAt(int row) const;

  private:
    void Refresh();

    std::unique_ptr<LanListener> listener_;
    QString start_;
    QList<LanGame> games_;
};

} // namespace marloven
