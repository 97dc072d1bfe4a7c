// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/integration/netns.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace marloven::testing {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr const char* kPrefix = "mlvpm";

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Starts a program with its output into a file; the process id, or -1.
pid_t Spawn(const std::vector<std::string>& arguments, const std::string& outputPath) {
    std::vector<char*> argv;
    for (const auto& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Waits for the process at most the limit; its exit code, or nothing.
std::optional<int> Await(pid_t pid, std::chrono::milliseconds limit) {
    const auto until = Clock::now() + limit;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (done < 0 || Clock::now() > until) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(5ms);
    }
}

void Stop(pid_t pid) {
    kill(pid, SIGTERM);
    if (!Await(pid, 3s)) {
        kill(pid, SIGKILL);
        Await(pid, 3s);
    }
}

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(std::string(path != nullptr ? path : "") + ":/usr/sbin:/sbin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (!folder.empty() && access((folder + "/" + program).c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

// Namespaces left by a test run that was killed before it could remove them.
void RemoveOrphans() {
    DIR* folder = opendir("/run/netns");
    if (folder == nullptr) {
        return;
    }
    std::vector<std::string> orphans;
    while (const dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        if (name.rfind(kPrefix, 0) != 0) {
            continue;
        }
        const pid_t owner = std::atoi(name.c_str() + std::string(kPrefix).size());
        if (owner > 0 && kill(owner, 0) != 0 && errno == ESRCH) {
            orphans.push_back(name);
        }
    }
    closedir(folder);
    // What the killed run started there (mosquitto, miniupnpd) would keep it alive.
    for (const auto& name : orphans) {
        std::istringstream pids(RunProgram({"ip", "netns", "pids", name}).output);
        for (pid_t pid = 0; pids >> pid;) {
            kill(pid, SIGKILL);
        }
        RunProgram({"ip", "netns", "del", name});
    }
}

std::string MiniupnpdConfiguration(bool upnp) {
    return std::string("ext_ifname=wan\n"
                       "listening_ip=lan\n"
                       "http_port=0\n"
                       "enable_natpmp=") +
           (upnp ? "no" : "yes") + "\nenable_upnp=" + (upnp ? "yes" : "no") +
           "\n"
           "secure_mode=yes\n"
           "system_uptime=yes\n"
           "uuid=5b2f8e0c-7a1d-4c3e-9f60-1d2e3f405162\n"
           "upnp_table_name=marloven\n"
           "upnp_nat_table_name=marloven\n"
           "upnp_forward_chain=miniupnpd\n"
           "upnp_nat_chain=prerouting_miniupnpd\n"
           "upnp_nat_postrouting_chain=postrouting_miniupnpd\n"
           "allow 1024-65535 192.168.77.0/24 1024-65535\n"
           "deny 0-65535 0.0.0.0/0 0-65535\n";
}

// The router's tables, made here since the package's own script needs a file it lacks.
// Forwarding is closed except for answers and what miniupnpd opens.
std::string RouterRules(bool silent) {
    std::string rules = "table inet marloven {\n"
                        "  chain forward {\n"
                        "    type filter hook forward priority 0; policy drop;\n"
                        "    ct state established,related accept\n"
                        "    iifname \"lan\" accept\n"
                        "    jump miniupnpd\n"
                        "  }\n"
                        "  chain miniupnpd {\n  }\n"
                        "  chain prerouting {\n"
                        "    type nat hook prerouting priority -100; policy accept;\n"
                        "    jump prerouting_miniupnpd\n"
                        "  }\n"
                        "  chain postrouting {\n"
                        "    type nat hook postrouting priority 100; policy accept;\n"
                        "    jump postrouting_miniupnpd\n"
                        "  }\n"
                        "  chain prerouting_miniupnpd {\n  }\n"
                        "  chain postrouting_miniupnpd {\n  }\n";
    if (silent) {
        rules += "  chain input {\n"
                 "    type filter hook input priority 0; policy drop;\n"
                 "  }\n";
    }
    return rules + "}\n";
}

// A router of the meeting place's lab: it forwards what goes out and the answers to it,
// nothing unasked, and sends it out from its own address. `symmetric`: each connection
// from a new random port, whatever was used before.
std::string NatRules(bool symmetric) {
    return std::string("table inet marloven {\n"
                       "  chain forward {\n"
                       "    type filter hook forward priority 0; policy drop;\n"
                       "    ct state established,related accept\n"
                       "    iifname \"lan\" accept\n"
                       "  }\n"
                       "  chain postrouting {\n"
                       "    type nat hook postrouting priority 100; policy accept;\n"
                       "    oifname \"wan\" masquerade") +
           (symmetric ? " fully-random" : "") +
           "\n"
           "  }\n"
           "}\n";
}

// The meeting place's package configuration, with its access rules from the lab's folder
// and its log into the file the lab keeps.
std::string MeetingPlaceConfiguration(const std::string& rulesFile) {
    const std::string folder = MARLOVEN_SOURCE_DIR "/packaging/meeting-place/";
    std::istringstream lines(ReadFile(folder + "marloven-meeting-place.conf"));
    std::string configuration;
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("acl_file ")) {
            line = "acl_file " + rulesFile;
        } else if (line == "log_dest syslog") {
            line = "log_dest stderr";
        }
        configuration += line + "\n";
    }
    return configuration;
}

} // namespace

ProgramRun RunProgram(const std::vector<std::string>& arguments, std::chrono::milliseconds limit) {
    char path[] = "/tmp/marloven-run-XXXXXX";
    const int file = mkstemp(path);
    if (file < 0) {
        return {};
    }
    close(file);
    ProgramRun run;
    const pid_t pid = Spawn(arguments, path);
    if (pid > 0) {
        const auto code = Await(pid, limit);
        if (!code) {
            Stop(pid);
        }
        run.finished = code.has_value();
        run.exitCode = code.value_or(-1);
    }
    run.output = ReadFile(path);
    unlink(path);
    return run;
}

std::optional<std::string> LabUnavailable(bool meetingPlace) {
    if (geteuid() != 0) {
        return "network namespaces need root; run the tests as root";
    }
    if (meetingPlace && !OnPath("mosquitto")) {
        return "mosquitto is missing (scripts/setup installs it)";
    }
    for (const char* program : {"ip", "nft", "miniupnpd", "upnpc"}) {
        if (!OnPath(program)) {
            return std::string(program) +
                   " is missing (scripts/setup installs iproute2, nftables, miniupnpd-nftables "
                   "and miniupnpc)";
        }
    }
    return std::nullopt;
}

Lab::Lab(RouterKind kind) : prefix_(kPrefix + std::to_string(getpid())) {
    if (Prepare() && !Build(kind)) {
        failure_ += "\nrouter log:\n" + RouterLog();
    }
}

Lab::Lab(BehindNats) : prefix_(kPrefix + std::to_string(getpid())) {
    if (Prepare() && !Build(BehindNats{})) {
        failure_ += "\nmeeting place's log:\n" + MeetingPlaceLog();
    }
}

// The lab's folder is read by mosquitto too, once it runs as its own user.
bool Lab::Prepare() {
    RemoveOrphans();
    char path[] = "/tmp/marloven-lab-XXXXXX";
    if (mkdtemp(path) == nullptr || chmod(path, 0755) != 0) {
        failure_ = "no temporary folder";
        return false;
    }
    directory_ = path;
    return true;
}

Lab::~Lab() {
    for (const int process : {miniupnpd_, meetingPlace_}) {
        if (process > 0) {
            Stop(process);
        }
    }
    // Removing the namespaces removes their links and rules with them.
    for (const auto& name : namespaces_) {
        RunProgram({"ip", "netns", "del", name});
    }
    if (!directory_.empty()) {
        RunProgram({"rm", "-rf", directory_});
    }
}

std::string Lab::NamespaceName(const std::string& where) const {
    return prefix_ + where;
}

ProgramRun Lab::RunIn(const std::string& where, std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin(), {"ip", "netns", "exec", NamespaceName(where)});
    return RunProgram(arguments);
}

std::string Lab::RouterLog() const {
    return ReadFile(directory_ + "/miniupnpd.log");
}

bool Lab::Step(const std::vector<std::string>& arguments) {
    const ProgramRun run = RunProgram(arguments);
    if (run.finished && run.exitCode == 0) {
        return true;
    }
    std::string command;
    for (const auto& argument : arguments) {
        command += argument + ' ';
    }
    failure_ = command + "failed: " + run.output;
    return false;
}

bool Lab::AddNamespaces(const std::vector<std::string>& names) {
    for (const auto& where : names) {
        const std::string name = NamespaceName(where);
        if (!Step({"ip", "netns", "add", name})) {
            return false;
        }
        namespaces_.push_back(name);
        if (!Step({"ip", "-n", name, "link", "set", "lo", "up"})) {
            return false;
        }
    }
    return true;
}

bool Lab::Wire(const std::string& a, const std::string& aDevice, const std::string& aAddress,
               const std::string& b, const std::string& bDevice, const std::string& bAddress) {
    const std::string first = NamespaceName(a), second = NamespaceName(b);
    return Step({"ip", "link", "add", aDevice, "netns", first, "type", "veth", "peer", "name",
                 bDevice, "netns", second}) &&
           Step({"ip", "-n", first, "addr", "add", aAddress, "dev", aDevice}) &&
           Step({"ip", "-n", second, "addr", "add", bAddress, "dev", bDevice}) &&
           Step({"ip", "-n", first, "link", "set", "dev", aDevice, "up"}) &&
           Step({"ip", "-n", second, "link", "set", "dev", bDevice, "up"});
}

bool Lab::Rules(const std::string& where, const std::string& rules) {
    const std::string file = directory_ + "/" + where + ".nft";
    std::ofstream(file) << rules;
    return Step({"ip", "netns", "exec", NamespaceName(where), "nft", "-f", file});
}

// A router: its way out through `via` (none: only to where it is wired), forwarding on,
// and its tables.
bool Lab::Forwards(const std::string& where, const std::string& via, const std::string& rules) {
    const std::string name = NamespaceName(where);
    return (via.empty() || Step({"ip", "-n", name, "route", "add", "default", "via", via})) &&
           Step({"ip", "netns", "exec", name, "sysctl", "-q", "-w", "net.ipv4.ip_forward=1"}) &&
           Rules(where, rules);
}

bool Lab::Build(RouterKind kind) {
    const bool built =
        AddNamespaces({"home", "router", "outside"}) &&
        Wire("home", "lan", "192.168.77.2/24", "router", "lan", "192.168.77.1/24") &&
        Wire("router", "wan", "198.20.23.1/24", "outside", "wan", "198.20.23.2/24") &&
        Step({"ip", "-n", NamespaceName("home"), "route", "add", "default", "via",
              "192.168.77.1"}) &&
        Forwards("router", {}, RouterRules(kind == RouterKind::Silent));
    if (!built || kind == RouterKind::Silent || kind == RouterKind::Bare) {
        return built;
    }
    return StartMiniupnpd(kind == RouterKind::UpnpOnly);
}

bool Lab::Build(BehindNats) {
    const std::string diversions = "table ip meet {\n"
                                   "  chain prerouting {\n"
                                   "    type nat hook prerouting priority -100; policy accept;\n"
                                   "  }\n"
                                   "}\n";
    const std::string internet = NamespaceName("internet");
    return AddNamespaces({"homeA", "routerA", "homeB", "routerB", "carrier", "internet"}) &&
           Wire("homeA", "lan", "192.168.10.2/24", "routerA", "lan", "192.168.10.1/24") &&
           Wire("routerA", "wan", "198.51.100.2/30", "internet", "routerA", "198.51.100.1/30") &&
           Wire("homeB", "lan", "192.168.20.2/24", "routerB", "lan", "192.168.20.1/24") &&
           Wire("routerB", "wan", "100.64.0.2/30", "carrier", "lan", "100.64.0.1/30") &&
           Wire("carrier", "wan", "198.51.100.6/30", "internet", "carrier", "198.51.100.5/30") &&
           Step({"ip", "-n", NamespaceName("homeA"), "route", "add", "default", "via",
                 "192.168.10.1"}) &&
           Step({"ip", "-n", NamespaceName("homeB"), "route", "add", "default", "via",
                 "192.168.20.1"}) &&
           Forwards("routerA", "198.51.100.1", NatRules(true)) &&
           Forwards("routerB", "100.64.0.1", NatRules(false)) &&
           Forwards("carrier", "198.51.100.5", NatRules(false)) &&
           Step({"ip", "-n", internet, "addr", "add", std::string(kMeetingPlaceAddress) + "/32",
                 "dev", "lo"}) &&
           // What is diverted to a forwarder on 127.0.0.1 must be routed there.
           Step({"ip", "netns", "exec", internet, "sysctl", "-q", "-w",
                 "net.ipv4.conf.all.route_localnet=1"}) &&
           Rules("internet", diversions) && StartMeetingPlace("internet");
}

bool Lab::StartMiniupnpd(bool upnp) {
    const std::string configuration = directory_ + "/miniupnpd.conf";
    std::ofstream(configuration) << MiniupnpdConfiguration(upnp);
    miniupnpd_ = Spawn({"ip", "netns", "exec", NamespaceName("router"), "miniupnpd", "-d", "-f",
                        configuration, "-P", directory_ + "/miniupnpd.pid"},
                       directory_ + "/miniupnpd.log");
    if (miniupnpd_ <= 0) {
        failure_ = "miniupnpd did not start";
        return false;
    }
    const auto until = Clock::now() + 5s;
    while (!MiniupnpdReady(upnp)) {
        if (Await(miniupnpd_, 0ms)) {
            miniupnpd_ = -1;
            failure_ = "miniupnpd ended at its start";
            return false;
        }
        if (Clock::now() > until) {
            failure_ = "miniupnpd did not get ready within 5 s";
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

bool Lab::StartMeetingPlace(const std::string& where) {
    const std::string configuration = directory_ + "/meeting-place.conf";
    const std::string rules = directory_ + "/meeting-place.acl";
    std::ofstream(rules) << ReadFile(MARLOVEN_SOURCE_DIR
                                     "/packaging/meeting-place/marloven-meeting-place.acl");
    std::ofstream(configuration) << MeetingPlaceConfiguration(rules);
    meetingPlace_ =
        Spawn({"ip", "netns", "exec", NamespaceName(where), "mosquitto", "-c", configuration},
              directory_ + "/meeting-place.log");
    const auto until = Clock::now() + 5s;
    while (meetingPlace_ > 0 &&
           RunIn(where, {"ss", "-Hltn", "sport", "=", ":1883"}).output.empty()) {
        if (Await(meetingPlace_, 0ms) || Clock::now() > until) {
            failure_ = "mosquitto did not start listening within 5 s";
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return meetingPlace_ > 0;
}

std::string Lab::MeetingPlaceLog() const {
    return ReadFile(directory_ + "/meeting-place.log");
}

bool Lab::Divert(const std::string& from, int port) {
    return Step({"ip", "netns", "exec", NamespaceName("internet"), "nft", "add", "rule", "ip",
                 "meet", "prerouting", "ip", "saddr", from, "tcp", "dport",
                 std::to_string(kMeetingPlacePort), "dnat", "to",
                 "127.0.0.1:" + std::to_string(port)});
}

long long Lab::DeviceBytes(const std::string& where, const std::string& device) const {
    const std::string statistics = "/sys/class/net/" + device + "/statistics/";
    std::istringstream counted(
        RunIn(where, {"cat", statistics + "rx_bytes", statistics + "tx_bytes"}).output);
    long long received = 0, sent = 0;
    counted >> received >> sent;
    return received + sent;
}

// NAT-PMP is the last thing it sets up; the searches for UPnP devices come to a socket
// it opens after saying that it listens for HTTP.
bool Lab::MiniupnpdReady(bool upnp) const {
    if (!upnp) {
        return RouterLog().find("Listening for NAT-PMP") != std::string::npos;
    }
    return RouterLog().find("HTTP listening") != std::string::npos &&
           !RunIn("router", {"ss", "-Hlun", "sport", "=", ":1900"}).output.empty();
}

namespace {

// The parent of a process, from what follows its name in /proc/PID/stat.
long ParentOf(long pid) {
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    std::istringstream rest(stat.substr(std::min(stat.size(), stat.rfind(')') + 1)));
    std::string state;
    long parent = 0;
    rest >> state >> parent;
    return parent;
}

bool StartedHere(long pid) {
    for (int depth = 0; depth < 4 && pid > 1; ++depth) {
        pid = ParentOf(pid);
        if (pid == getpid()) {
            return true;
        }
    }
    return false;
}

} // namespace

std::vector<OpenSocket> DosboxSockets() {
    std::vector<OpenSocket> sockets;
    std::istringstream lines(RunProgram({"ss", "-Hlnptu"}).output);
    for (std::string line; std::getline(lines, line);) {
        const auto named = line.find("\"dosbox\",pid=");
        if (named == std::string::npos || !StartedHere(std::atol(line.c_str() + named + 13))) {
            continue;
        }
        std::istringstream columns(line);
        std::string protocol, state, received, sent, local;
        columns >> protocol >> state >> received >> sent >> local;
        const auto colon = local.rfind(':');
        sockets.push_back(
            {protocol == "udp", local.substr(0, colon), std::atoi(local.c_str() + colon + 1)});
    }
    return sockets;
}

int Reach(const Lab& lab, const std::string& where, const std::string& address, int port,
          bool datagram) {
    int result = -1;
    std::thread([&] {
        const InNamespace inside(lab, where);
        const int socket = ::socket(AF_INET, datagram ? SOCK_DGRAM : SOCK_STREAM, 0);
        const timeval bound{0, 200000};
        setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof bound);
        setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &bound, sizeof bound);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<std::uint16_t>(port));
        inet_pton(AF_INET, address.c_str(), &to.sin_addr);
        result = inside.Entered() &&
                         connect(socket, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0
                     ? 0
                     : errno;
        if (result == 0 && datagram) {
            char byte = 0;
            // A refusal comes back as an error on the connected socket's next receive.
            if (send(socket, "?", 1, 0) != 1 || recv(socket, &byte, 1, 0) < 0) {
                result = errno == EAGAIN || errno == EWOULDBLOCK ? 0 : errno;
            }
        }
        close(socket);
    }).join();
    return result;
}

namespace {

bool SendAll(int socket, const std::string& bytes) {
    return send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(bytes.size());
}

bool ReceiveAll(int socket, std::size_t count) {
    char bytes[8];
    for (std::size_t got = 0; got < count;) {
        const ssize_t part = recv(socket, bytes, std::min(sizeof bytes, count - got), 0);
        if (part <= 0) {
            return false;
        }
        got += static_cast<std::size_t>(part);
    }
    return true;
}

} // namespace

double BrokerRoundTripMs(const Lab& lab, const std::string& where, const std::string& address,
                         int port, int pings) {
    double shortest = -1;
    std::thread([&] {
        const InNamespace inside(lab, where);
        const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
        const timeval bound{2, 0};
        setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof bound);
        setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &bound, sizeof bound);
        const int on = 1;
        setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<std::uint16_t>(port));
        inet_pton(AF_INET, address.c_str(), &to.sin_addr);
        // MQTT 3.1.1: CONNECT with a clean session, a 10 s keep-alive and the client id
        // "leg"; its CONNACK is 4 bytes, each PINGRESP 2.
        const std::string hello("\x10\x0f\x00\x04MQTT\x04\x02\x00\x0a\x00\x03leg", 17);
        if (inside.Entered() &&
            connect(socket, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0 &&
            SendAll(socket, hello) && ReceiveAll(socket, 4)) {
            for (int ping = 0; ping < pings; ++ping) {
                const auto sent = Clock::now();
                if (!SendAll(socket, std::string("\xc0\x00", 2)) || !ReceiveAll(socket, 2)) {
                    break;
                }
                const double ms =
                    std::chrono::duration<double, std::milli>(Clock::now() - sent).count();
                shortest = shortest < 0 ? ms : std::min(shortest, ms);
            }
            SendAll(socket, std::string("\xe0\x00", 2));
        }
        close(socket);
    }).join();
    return shortest;
}

InNamespace::InNamespace(const Lab& lab, const std::string& where) {
    original_ = open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    const int target =
        open(("/run/netns/" + lab.NamespaceName(where)).c_str(), O_RDONLY | O_CLOEXEC);
    entered_ = original_ >= 0 && target >= 0 && setns(target, CLONE_NEWNET) == 0;
    if (target >= 0) {
        close(target);
    }
}

InNamespace::~InNamespace() {
    if (original_ >= 0) {
        setns(original_, CLONE_NEWNET);
        close(original_);
    }
}

} // namespace marloven::testing
