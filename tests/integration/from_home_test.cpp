// SPDX-License-Identifier: GPL-3.0-or-later
// Hosting from a home network behind the real miniupnpd: the hosting launcher's start
// has the router forward the relay's port, a launcher outside joins through the
// router's outside address only, with the invitation the host's link window copied,
// and the port closes when the start ends, or at the next start of a launcher that was
// killed while hosting. The launchers outside and the killed one are this program run
// again, with one of the helper tests, in a network namespace of their own.
#include "tests/integration/players.h"

#include "tests/integration/lab_helpers.h"

#include "comm/invitation.h"
#include "launcher/launcher_settings.h"
#include "tests/integration/netns.h"
#include "ui/dialogs/pick_opponent_dialog.h"
#include "ui/dialogs/players_dialog.h"

#include <QAction>
#include <QCoreApplication>
#include <QProcess>
#include <QThread>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

namespace marloven::test {
namespace {

using marloven::testing::kHomeAddress;
using marloven::testing::Reach;

class FromHomeHelper : public InternetPlay {};

// The player outside: opens the invitation as a click in a chat program would, and
// takes the dialogs it fills as they are. Besides its driver's log it reports what its
// link window said of the path, and how long after the click it first did.
TEST_F(FromHomeHelper, DISABLED_JoinsTheInvitation) {
    const auto parsed = ParseInvitation(qEnvironmentVariable(kHelperInvitation).toStdString());
    ASSERT_TRUE(parsed.invitation) << parsed.refusal;
    Player& joiner = *guest_;
    LinkDialog& link = joiner.Link();
    PlayersDialog& players = *joiner.launcher.forms->players;
    PickOpponentDialog& phonebook = *joiner.launcher.forms->pickOpponent;
    const int count = qEnvironmentVariableIntValue(kHelperPlayers);
    switch (parsed.invitation->start) {
    case InvitationStart::ModemCall:
        WhenOpened(phonebook, [&phonebook] { phonebook.dialButton->click(); });
        break;
    case InvitationStart::Network:
        WhenOpened(players, [&players, count] { players.CountButton(count)->click(); });
        [[fallthrough]];
    case InvitationStart::Cable:
        WhenOpened(link, [&link] { link.okButton->click(); });
        break;
    }
    joiner.Linger(qEnvironmentVariableIntValue(kHelperLinger));
    const PathWatch path(joiner);
    joiner.Window().OpenInvitation(*parsed.invitation);
    EXPECT_FALSE(WriteFileAtomically(HelperFolder() / "joiner.log", joiner.Log()));
    EXPECT_FALSE(WriteFileAtomically(HelperFolder() / "path",
                                     std::to_string(path.firstMs) + "\n" + path.Text()));
}

// A launcher hosting from home until it is killed: once its window shows the router's
// answer, it says where its settings are.
TEST_F(FromHomeHelper, DISABLED_HostsUntilKilled) {
    Player& host = *host_;
    host.Window().askRouterAction->setChecked(true);
    host.WatchLinks({});
    const WhenReady answered(
        [&] { return RouterAnswered(host); },
        [&] {
            EXPECT_FALSE(WriteFileAtomically(HelperFolder() / "hosting",
                                             host.launcher.settings.FileName().toStdString()));
        });
    host.ChooseLink([&] { host.Window().alreadyConnectedButton->click(); }, {}, 2324);
}

class InternetPlayFromHome : public LabPlay {
  protected:
    // The lab around a router of that kind; this thread, and the host's launcher on
    // it, in the home network.
    void Stand(RouterKind kind) {
        home_.reset();
        lab_.emplace(kind);
        ASSERT_EQ(lab_->Failure(), "");
        home_.emplace(*lab_, "home");
        ASSERT_TRUE(home_->Entered());
        host_->Window().askRouterAction->setChecked(true);
        host_->WatchLinks({});
        kind_ = kind;
    }

    // Whether the router forwards the port: as a UPnP client at home lists it, or, where
    // the router speaks NAT-PMP only, as its forwarding rules show it.
    bool Listed(int port) const {
        const std::string to =
            std::string(marloven::testing::kHomeAddress) + ":" + std::to_string(port);
        if (kind_ == RouterKind::NatPmpOnly) {
            return Has(lab_->RunIn("router", {"nft", "list", "ruleset"}).output,
                       "dport " + std::to_string(port) + " dnat ip to " + to);
        }
        return Has(lab_->RunIn("home", {"upnpc", "-l"}).output, std::to_string(port) + "->" + to);
    }

    // The host's start; once its window tells the router's answer, the invitation it
    // copies goes to a launcher outside. Both drivers must link, and the port must be
    // open while the start lasts and closed after it.
    void HostForTheInternet(int port, const std::function<void()>& start,
                            const std::string& hostsPeer, const std::string& joinersPeer,
                            RouterKind kind = RouterKind::UpnpOnly) {
        Stand(kind);
        if (HasFatalFailure()) {
            return;
        }
        QString told;
        bool listed = false;
        std::unique_ptr<QProcess> joiner;
        QElapsedTimer clock;
        clock.start();
        const WhenReady answered(
            [this] { return RouterAnswered(*host_); },
            [&] {
                RecordProperty("router_answered_after_ms", static_cast<int>(clock.elapsed()));
                const auto answer = RouterAnswerOrCancel(*host_);
                if (!answer) {
                    return;
                }
                told = *answer;
                listed = Listed(port);
                host_->window->inviteButton->click();
                const QString invitation = QGuiApplication::clipboard()->text().section('\n', 0, 0);
                joiner = StartHelper(*lab_, "outside", "DISABLED_JoinsTheInvitation", scratch_,
                                     invitation);
            });
        start();
        ASSERT_TRUE(joiner);
        // It may have ended already while the host's start ran.
        EXPECT_TRUE(joiner->state() == QProcess::NotRunning ||
                    joiner->waitForFinished(kDosboxBoundMs));
        EXPECT_EQ(joiner->exitCode(), 0);
        EXPECT_TRUE(told.startsWith(QString("Tell: 198.20.23.1:%1 ").arg(port)))
            << told.toStdString() << lab_->RouterLog();
        EXPECT_TRUE(listed);
        ExpectLinked(host_->Log(), hostsPeer);
        ExpectLinked(scratch_.Read("joiner.log"), joinersPeer);
        EXPECT_FALSE(Listed(port));
    }

    RouterKind kind_ = RouterKind::UpnpOnly;
};

TEST_F(InternetPlayFromHome, ACableJoinerOnTheInternetReachesTheHostThroughThePortItOpened) {
    HostForTheInternet(
        2324,
        [this] {
            host_->ChooseLink([this] { host_->Window().alreadyConnectedButton->click(); }, {},
                              2324);
        },
        "already", "already");
}

TEST_F(InternetPlayFromHome, ANetworkPlayerOnTheInternetReachesTheHostsTunnelThroughTheRouter) {
    HostForTheInternet(
        2130,
        [this] {
            PlayersDialog& players = *host_->launcher.forms->players;
            host_->ChooseLink(
                [&] {
                    WhenOpened(players, [&players] { players.CountButton(2)->click(); });
                    host_->Window().networkButton->click();
                },
                {}, 2130);
        },
        "network", "network");
}

// A router that speaks NAT-PMP and no UPnP opens the port as well.
TEST_F(InternetPlayFromHome, ACableJoinerReachesTheHostThroughARouterThatSpeaksOnlyNatPmp) {
    HostForTheInternet(
        2324,
        [this] {
            host_->ChooseLink([this] { host_->Window().alreadyConnectedButton->click(); }, {},
                              2324);
        },
        "already", "already", RouterKind::NatPmpOnly);
}

// The caller dials the invitation's entry in the phonebook.
TEST_F(InternetPlayFromHome, ACallerOnTheInternetReachesTheAnsweringModemThroughTheRouter) {
    HostForTheInternet(
        2323,
        [this] { host_->ChooseLink([this] { host_->Window().answerButton->click(); }, {}, 2323); },
        "dial", "answer");
}

TEST_F(InternetPlayFromHome, APortLeftByAKilledLauncherIsRemovedAtItsNextStart) {
    Stand(RouterKind::UpnpOnly);
    if (HasFatalFailure()) {
        return;
    }
    const auto hosting = StartHelper(*lab_, "home", "DISABLED_HostsUntilKilled", scratch_);
    QElapsedTimer clock;
    clock.start();
    while (!scratch_.Exists("hosting") && clock.elapsed() < 30000) {
        QThread::msleep(50);
    }
    ASSERT_TRUE(scratch_.Exists("hosting")) << lab_->RouterLog();
    EXPECT_TRUE(Listed(2324));
    kill(static_cast<pid_t>(hosting->processId()), SIGKILL);
    hosting->waitForFinished();
    ASSERT_TRUE(Listed(2324)) << "the killed launcher could not remove it";

    // The next start: the launcher program itself, with the killed launcher's settings.
    const fs::path settings = scratch_.Read("hosting");
    GameDir config;
    GameDir game({{"VK.EXE", ""}, {"VK.CFG", "PlayerName = \"Zed\"\r\n"}});
    config.Write("Marloven/marloven.ini", *ReadWholeFile(settings));
    fs::remove_all(settings.parent_path());
    EXPECT_EQ(RunLauncherProgram({"--answers=no", QString::fromStdString(game.Path().string())}, {},
                                 config.Path()),
              0);
    EXPECT_FALSE(Listed(2324));
}

// Whatever the start, no other machine of the home network reaches DOSBox past the
// launcher: each socket DOSBox waits on while two players link is refused from the
// router's side, while the hosting launcher's own port takes what comes.
TEST_F(InternetPlayFromHome, NoOtherMachineReachesDosboxPastTheLauncher) {
    Stand(RouterKind::Bare);
    if (HasFatalFailure()) {
        return;
    }
    using Start = std::function<void(Player&, const QString& join, int port)>;
    const auto chosen = [](auto button, bool counted) -> Start {
        return [button, counted](Player& player, const QString& join, int port) {
            PlayersDialog& players = *player.launcher.forms->players;
            if (counted) {
                WhenOpened(players, [&players] { players.CountButton(2)->click(); });
            }
            player.ChooseLink([&] { (player.Window().*button)->click(); }, join, port);
        };
    };
    const struct {
        const char* peers[2]; // as each driver names the other
        Protocol protocol;
        // At least: the answering modem's, the hosting tunnel's client (a joiner's may
        // come and go between two looks). None is the launcher's, inherited by DOSBox.
        std::size_t dosboxSockets;
        Start start;
    } kinds[] = {
        {{"already", "already"},
         Protocol::Tcp,
         0,
         chosen(&MainWindow::alreadyConnectedButton, false)},
        {{"network", "network"}, Protocol::Udp, 1, chosen(&MainWindow::networkButton, true)},
        {{"dial", "answer"},
         Protocol::Tcp,
         1,
         [](Player& player, const QString& join, int port) {
             if (join.isEmpty()) {
                 player.ChooseLink([&] { player.Window().answerButton->click(); }, {}, port);
             } else {
                 player.DialNewEntry("Host", QString("%1:%2").arg(join).arg(port));
             }
         }},
    };
    for (const auto& [peers, protocol, dosboxSockets, start] : kinds) {
        const int port = FreePort(protocol);
        const bool datagram = protocol == Protocol::Udp;
        std::set<std::pair<bool, int>> tried;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&, peer = peers[0]] {
            for (const auto& socket : marloven::testing::DosboxSockets()) {
                if (tried.insert({socket.datagram, socket.port}).second) {
                    EXPECT_EQ(Reach(*lab_, "router", kHomeAddress, socket.port, socket.datagram),
                              ECONNREFUSED)
                        << peer << " DOSBox's " << socket.address << ':' << socket.port;
                }
            }
        });
        watch.start(50);
        PlayTogether({[&] { start(*host_, {}, port); },
                      [&] {
                          // The launcher's own port is open to others; a stranger there is
                          // turned away before any byte reaches DOSBox.
                          EXPECT_EQ(Reach(*lab_, "router", kHomeAddress, port, datagram), 0);
                          guest_->TellCode(*host_);
                          start(*guest_, "127.0.0.1", port);
                      }});
        watch.stop();
        EXPECT_GE(tried.size(), dosboxSockets) << peers[0];
        RecordProperty(std::string("dosbox_sockets_refused_") + peers[1],
                       static_cast<int>(tried.size()));
        ExpectLinked(host_->Log(), peers[0]);
        ExpectLinked(guest_->Log(), peers[1]);
    }
}

// A device of the home network that answers the search for gateways as a hostile one
// would: with a description that never ends, or as a gateway whose address on the
// internet is no address. It runs in the router's namespace until destroyed.
class HostileGateway {
  public:
    enum class Kind { EndlessDescription, NonsenseAddress };

    HostileGateway(const Lab& lab, Kind kind)
        : thread_([this, &lab, kind] {
              const InNamespace inside(lab, "router");
              Serve(kind);
          }) {}
    ~HostileGateway() {
        stop_ = true;
        thread_.join();
    }
    // What it sent over HTTP: what the launcher was offered.
    std::size_t Sent() const { return sent_; }

  private:
    static int Socket(int type, int port) {
        const int socket = ::socket(AF_INET, type, 0);
        const int on = 1;
        setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        const timeval bound{0, 100000}; // so that the end is seen while it serves
        setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof bound);
        setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &bound, sizeof bound);
        sockaddr_in address{AF_INET, htons(static_cast<std::uint16_t>(port)), {INADDR_ANY}, {}};
        bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        return socket;
    }

    void Serve(Kind kind) {
        const int search = Socket(SOCK_DGRAM, 1900);
        ip_mreq group{};
        inet_pton(AF_INET, "239.255.255.250", &group.imr_multiaddr);
        inet_pton(AF_INET, "192.168.77.1", &group.imr_interface);
        setsockopt(search, IPPROTO_IP, IP_ADD_MEMBERSHIP, &group, sizeof group);
        const int web = Socket(SOCK_STREAM, 5000);
        listen(web, 4);
        fcntl(web, F_SETFL, O_NONBLOCK);
        const std::string answer = "HTTP/1.1 200 OK\r\nCACHE-CONTROL: max-age=120\r\nST: "
                                   "urn:schemas-upnp-org:device:InternetGatewayDevice:1\r\nUSN: "
                                   "uuid:hostile::upnp:rootdevice\r\nEXT:\r\nLOCATION: "
                                   "http://192.168.77.1:5000/root.xml\r\n\r\n";
        while (!stop_) {
            char datagram[1500];
            sockaddr_in from{};
            socklen_t length = sizeof from;
            if (recvfrom(search, datagram, sizeof datagram, 0, reinterpret_cast<sockaddr*>(&from),
                         &length) > 0) {
                sendto(search, answer.data(), answer.size(), 0,
                       reinterpret_cast<const sockaddr*>(&from), length);
            }
            if (const int peer = accept(web, nullptr, nullptr); peer >= 0) {
                Answer(peer, kind);
                close(peer);
            }
        }
        close(web);
        close(search);
    }

    // The request whole (its body too, so that closing sends no reset), then the reply.
    // The peer's socket blocks, for at most the listening socket's bounds.
    void Answer(int peer, Kind kind) {
        std::string request;
        char bytes[4096];
        for (ssize_t got = 0; !stop_ && (got = recv(peer, bytes, sizeof bytes, 0)) != 0;) {
            request.append(bytes, static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
            const auto end = request.find("\r\n\r\n");
            const auto length = request.find("Content-Length: ");
            if (end != std::string::npos &&
                request.size() >=
                    end + 4 + (length < end ? std::stoul(request.substr(length + 16)) : 0)) {
                break;
            }
        }
        std::string reply;
        if (kind == Kind::EndlessDescription) {
            const std::string chunk(64 * 1024, 'x');
            reply = "HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n\r\n<root>";
            for (bool open = true; open && !stop_; reply = chunk) {
                const ssize_t sent = send(peer, reply.data(), reply.size(), MSG_NOSIGNAL);
                sent_ += static_cast<std::size_t>(std::max<ssize_t>(sent, 0));
                open = sent >= 0 || errno == EAGAIN || errno == EWOULDBLOCK;
            }
            return;
        }
        const std::string body =
            request.starts_with("GET")
                ? "<?xml version=\"1.0\"?><root xmlns=\"urn:schemas-upnp-org:device-1-0\"><device>"
                  "<deviceType>urn:schemas-upnp-org:device:InternetGatewayDevice:1</deviceType>"
                  "<serviceList><service><serviceType>urn:schemas-upnp-org:service:"
                  "WANIPConnection:1</serviceType><serviceId>urn:upnp-org:serviceId:WANIPConn1"
                  "</serviceId><controlURL>/control</controlURL><eventSubURL>/events"
                  "</eventSubURL><SCPDURL>/scpd.xml</SCPDURL></service></serviceList></device>"
                  "</root>"
                // Every action is answered as done, with the address that is none.
                : "<?xml version=\"1.0\"?><s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/"
                  "envelope/\"><s:Body><u:Response xmlns:u=\"urn:schemas-upnp-org:service:"
                  "WANIPConnection:1\"><NewExternalIPAddress>999999999999999"
                  "</NewExternalIPAddress></u:Response></s:Body></s:Envelope>";
        reply =
            "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nConnection: close\r\nContent-Length: " +
            std::to_string(body.size()) + "\r\n\r\n" + body;
        sent_ += static_cast<std::size_t>(
            std::max<ssize_t>(send(peer, reply.data(), reply.size(), MSG_NOSIGNAL), 0));
    }

    std::atomic<bool> stop_{false};
    std::atomic<std::size_t> sent_{0};
    std::thread thread_;
};

// A figure of /proc/self/status in KB: "VmRSS:" what this process holds, "VmHWM:" the
// most it held since ResetPeakMemory.
long MemoryKilobytes(const std::string& field) {
    std::istringstream status(ReadWholeFile("/proc/self/status").value_or(""));
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(field)) {
            return std::atol(line.c_str() + field.size());
        }
    }
    return 0;
}

void ResetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Hosting never waits on a router that does not answer, nor on a hostile device of the
// home network: the window says within the bound what to do instead, never tells the
// device's nonsense as an address, the event loop carrying the link is never held up,
// memory stays flat, and Cancel ends the start at once.
TEST_F(InternetPlayFromHome, WithoutAUsableRouterHostingGoesOnAndSaysToForwardThePortByHand) {
    const struct {
        RouterKind router;
        std::optional<HostileGateway::Kind> device;
        const char* told;
    } cases[] = {
        {RouterKind::Silent, {}, "No router answered within 2 s, so nothing was opened for you. "},
        {RouterKind::Bare, HostileGateway::Kind::EndlessDescription,
         "No router answered within 2 s, so nothing was opened for you. "},
        {RouterKind::Bare, HostileGateway::Kind::NonsenseAddress,
         "Your router would not open TCP port 2324 (it named no address of its own on the "
         "internet). "},
    };
    for (const auto& [router, device, toldFirst] : cases) {
        Stand(router);
        if (HasFatalFailure()) {
            return;
        }
        std::optional<HostileGateway> hostile;
        if (device) {
            hostile.emplace(*lab_, *device);
        }
        QElapsedTimer clock;
        QElapsedTimer sinceTick;
        QElapsedTimer sinceCancel;
        qint64 longestStall = 0;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout,
                         [&] { longestStall = std::max(longestStall, sinceTick.restart()); });
        qint64 answeredAfter = -1;
        QString told;
        const WhenReady answered([this] { return RouterAnswered(*host_); },
                                 [&] {
                                     answeredAfter = clock.elapsed();
                                     told = RouterAnswerOrCancel(*host_).value_or(QString());
                                     sinceCancel.start();
                                     if (host_->window) {
                                         host_->window->cancelButton->click();
                                     }
                                 });
        const long before = MemoryKilobytes("VmRSS:");
        ResetPeakMemory();
        clock.start();
        sinceTick.start();
        tick.start(50);
        host_->ChooseLink([this] { host_->Window().alreadyConnectedButton->click(); }, {}, 2324);
        tick.stop();
        const long grown = MemoryKilobytes("VmHWM:") - before;
        if (hostile) {
            // It was heard: beyond the description's cap, where it sends without end.
            EXPECT_GT(hostile->Sent(), *device == HostileGateway::Kind::EndlessDescription
                                           ? std::size_t{72} * 1024
                                           : 0);
        }
        EXPECT_LE(answeredAfter, 2000 + 1000); // the bound, and the start before it
        EXPECT_LT(longestStall, 1000);
        EXPECT_LT(sinceCancel.elapsed(), 2000);
        EXPECT_LT(grown, 20 * 1024);
        EXPECT_EQ(told, QString(toldFirst) + "Forward TCP port 2324 to this machine on your "
                                             "router by hand, or let the other player host.");
        const std::string name = !device ? "silent"
                                 : *device == HostileGateway::Kind::EndlessDescription
                                     ? "endless_description"
                                     : "nonsense_address";
        RecordProperty("answered_after_ms_" + name, static_cast<int>(answeredAfter));
        RecordProperty("longest_stall_ms_" + name, static_cast<int>(longestStall));
        RecordProperty("back_after_cancel_ms_" + name, static_cast<int>(sinceCancel.elapsed()));
        RecordProperty("memory_grown_kb_" + name, static_cast<int>(grown));
    }
}

} // namespace
} // namespace marloven::test
