// SPDX-License-Identifier: GPL-3.0-or-later
// Which way a start's link goes: direct to the other player, or through the meeting place
// when the plan names one. A host waits on both; a joiner tries direct first and, when
// that finds no way to the host, goes through the meeting place.

#include "link/relay_parts.h"

#include "os/tcp_round_trip.h"
#include "qt_text/text_conversions.h"

#include <QTimer>

namespace marloven {

#ifndef MARLOVEN_MEETING_PLACE
std::unique_ptr<MeetingPlaceWay> MakeMeetingPlaceWay(const RelayPlan&, const GameCode&,
                                                     QString& failure) {
    failure = QStringLiteral("there is no meeting place in this build of Marloven");
    return nullptr;
}
#endif

QString Relay::MeetingPlaceName() const {
    return plan_.meetingPlace ? MessageText(plan_.meetingPlace->host) : QString();
}

void Relay::LinkedBy(bool throughMeetingPlace) {
    (throughMeetingPlace ? throughMeetingPlace_ : direct_) = true;
    const QString meet = QStringLiteral("through the meeting place at %1").arg(MeetingPlaceName());
    const QString path = !throughMeetingPlace_ ? QStringLiteral("direct")
                         : direct_             ? QStringLiteral("direct and ") + meet
                                               : meet;
    if (path != path_) {
        path_ = path;
        emit PathChanged();
    }
}

void Relay::SetRoundTrip(int ms) {
    if (ms != roundTripMs_) {
        roundTripMs_ = ms;
        emit PathChanged();
    }
}

void Relay::WatchDirectRoundTrip(QTcpSocket* remote) {
    constexpr int kEveryMs = 1000;
    // Owned by the socket, so that it ends with the connection.
    auto* timer = new QTimer(remote);
    const auto read = [this, remote] {
        if (const auto us = TcpRoundTripMicroseconds(remote->socketDescriptor())) {
            SetRoundTrip(static_cast<int>((*us + 500) / 1000));
        }
    };
    connect(timer, &QTimer::timeout, this, read);
    timer->start(kEveryMs);
}

MeetingPlaceWay* Relay::OpenMeetingPlace(QString& failure) {
    if (plan_.meetingPlace && code_) {
        meet_ = MakeMeetingPlaceWay(plan_, *code_, failure);
    }
    return meet_.get();
}

// The public port takes players whatever becomes of the meeting place: the host only
// says where it waits.
MeetingPlaceWay* Relay::HostAtMeetingPlace() {
    QString failure;
    if (!OpenMeetingPlace(failure)) {
        if (!failure.isEmpty()) {
            NoteMeetingPlace(QStringLiteral("; not at the meeting place: %1").arg(failure));
        }
        return nullptr;
    }
    meet_->roundTrip = [this](int ms) { SetRoundTrip(ms); };
    meet_->reached = [this] {
        NoteMeetingPlace(
            QStringLiteral(", and at the meeting place at %1").arg(MeetingPlaceName()));
    };
    meet_->ended = [this](const QString& why) {
        NoteMeetingPlace(QStringLiteral("; the meeting place at %1 could not be reached: %2")
                             .arg(MeetingPlaceName(), why));
    };
    return meet_.get();
}

void Relay::NoteMeetingPlace(const QString& note) {
    const bool waiting = Progress() == WaitingText();
    meetingPlaceNote_ = note;
    if (waiting) {
        SetProgress(WaitingText());
    }
}

QString Relay::WaitingText() const {
    return QStringLiteral("Waiting for %1 on port %2 \u2014 tell: %3%4")
        .arg(plan_.waitingFor)
        .arg(plan_.publicPort)
        .arg(AddressesToTell().value(0), meetingPlaceNote_);
}

QString Relay::MeetingPlacePlayer() const {
    return QStringLiteral("a player through the meeting place at %1").arg(MeetingPlaceName());
}

// Called from the way's own callbacks too: it goes once they have returned.
void Relay::CloseMeetingPlace() {
    if (meet_) {
        meet_->Close();
        meet_.release()->deleteLater();
    }
}

bool JoinRelay::FallsBack(TryEnd end) {
    if (meet_) {
        return false; // the meeting place's own try ended
    }
    directMiss_.clear();
    meetMiss_.clear();
    const bool noWay =
        end == TryEnd::Refused || end == TryEnd::NoAnswer || end == TryEnd::Unreachable;
    if (!noWay || !Trying() || !plan_.meetingPlace || !code_) {
        return false;
    }
    directMiss_ = MeetsOnly()              ? QString()
                  : end == TryEnd::Refused ? QStringLiteral("refused")
                  : end == TryEnd::Unreachable
                      ? QStringLiteral("unreachable")
                      : QStringLiteral("no answer in %1 s").arg(tryTimer_.interval() / 1000.0);
    if (!OpenMeetingPlace(meetMiss_)) {
        return false;
    }
    tryTimer_.setInterval(plan_.tryMs);
    meetMiss_ = QStringLiteral("the host did not answer there in %1 s").arg(plan_.tryMs / 1000.0);
    meet_->roundTrip = [this](int ms) {
        SetRoundTrip(ms);
        ReachedThroughMeetingPlace();
    };
    meet_->firstFromHost = [this] {
        ReachedThroughMeetingPlace();
        MarkUp(AddressText(plan_.remote));
    };
    meet_->ended = [this](const QString& why) {
        if (!why.isEmpty()) {
            meetMiss_ = why.endsWith(QLatin1Char('.')) ? why.chopped(1) : why;
        }
        EndTry(why.isEmpty() ? TryEnd::HungUp : TryEnd::Closed);
    };
    StartTry();
    return true;
}

void JoinRelay::ReachedThroughMeetingPlace() {
    if (Trying()) {
        StopTry();
        LinkedBy(true);
        SetProgress(QStringLiteral("Linked with %1 through the meeting place at %2, waiting for "
                                   "the other player's game")
                        .arg(AddressText(plan_.remote), MeetingPlaceName()));
    }
}

QString JoinRelay::TryFailure(TryEnd end) const {
    if (MeetsOnly() && !meetMiss_.isEmpty()) {
        return QStringLiteral("Could not reach the host through the meeting place at %1: %2.")
            .arg(MeetingPlaceName(), meetMiss_);
    }
    if (directMiss_.isEmpty()) {
        return CouldNotReach(plan_, end);
    }
    return QStringLiteral("Could not reach %1 directly (%2), nor through the meeting place at %3: "
                          "%4.")
        .arg(AddressText(plan_.remote), directMiss_, MeetingPlaceName(), meetMiss_);
}

} // namespace marloven
