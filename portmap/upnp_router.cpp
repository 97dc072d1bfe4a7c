// SPDX-License-Identifier: GPL-3.0-or-later
// UPnP IGD through miniupnpc: most home routers speak it.
#include "os/capped_exchange.h"
#include "os/socket_library.h"
#include "portmap/port_mapping.h"

#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>
#include <miniupnpc/upnperrors.h>

#include <charconv>
#include <string>
#include <string_view>

namespace marloven {

namespace {

constexpr int kConflictInMappingEntry = 718;
constexpr int kOnlyPermanentLeasesSupported = 725;
constexpr int kNoSuchEntryInArray = 714;
constexpr const char* kDescription = "Marloven";

// A gateway describes itself in a few KB; what is longer is no gateway of ours, and is
// not read further.
constexpr std::size_t kMostDescription = std::size_t{64} * 1024;
constexpr std::size_t kMostHeaders = std::size_t{8} * 1024;

struct HttpUrl {
    std::string authority; // as the URL has it, for the Host header
    std::string host;      // numeric, as discovery gives it
    int port = 80;
    std::string path;
};

std::optional<HttpUrl> ParseHttpUrl(std::string_view url) {
    constexpr std::string_view kScheme = "http://";
    if (!url.starts_with(kScheme)) {
        return std::nullopt;
    }
    url.remove_prefix(kScheme.size());
    const auto slash = url.find('/');
    HttpUrl parsed;
    parsed.authority = url.substr(0, slash);
    parsed.path = slash == std::string_view::npos ? "/" : std::string(url.substr(slash));
    std::string_view authority = parsed.authority;
    std::string_view portText;
    if (authority.starts_with('[')) {
        const auto close = authority.find(']');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        parsed.host = authority.substr(1, close - 1);
        portText = authority.substr(close + 1);
        // A link-local address's zone, "%25" in a URL.
        if (const auto zone = parsed.host.find("%25"); zone != std::string::npos) {
            parsed.host.erase(zone + 1, 2);
        }
    } else {
        const auto colon = authority.find(':');
        parsed.host = authority.substr(0, colon);
        portText = colon == std::string_view::npos ? "" : authority.substr(colon);
    }
    if (!portText.empty()) {
        const auto [end, error] =
            std::from_chars(portText.data() + 1, portText.data() + portText.size(), parsed.port);
        if (portText.front() != ':' || error != std::errc() ||
            end != portText.data() + portText.size() || parsed.port < 1 || parsed.port > 65535) {
            return std::nullopt;
        }
    }
    return parsed;
}

// The device's description, read here rather than by miniupnpc, which keeps whatever
// comes: at most kMostDescription of it. HTTP/1.0, so that it comes whole, unchunked.
// `lan`: this machine's address on the way to the device.
std::optional<std::string> Description(const char* url, std::string& lan,
                                       HomeRouter::Deadline deadline) {
    const auto parsed = ParseHttpUrl(url != nullptr ? url : "");
    if (!parsed) {
        return std::nullopt;
    }
    const std::string request = "GET " + parsed->path + " HTTP/1.0\r\nHost: " + parsed->authority +
                                "\r\nConnection: close\r\n\r\n";
    auto reply = ExchangeCapped(parsed->host, parsed->port, request,
                                kMostDescription + kMostHeaders, deadline);
    if (!reply) {
        return std::nullopt;
    }
    const std::string& bytes = reply->bytes;
    const auto end = bytes.find("\r\n\r\n");
    const auto status = bytes.find(' ');
    if (end == std::string::npos || !bytes.starts_with("HTTP/1.") || status > end ||
        bytes.compare(status + 1, 3, "200") != 0 || bytes.size() - end - 4 > kMostDescription) {
        return std::nullopt;
    }
    lan = reply->localAddress;
    return bytes.substr(end + 4);
}

const char* ProtocolText(PortProtocol protocol) {
    return protocol == PortProtocol::Tcp ? "TCP" : "UDP";
}

std::string Reason(int code) {
    if (code == kConflictInMappingEntry) {
        return "it already forwards that port to another machine";
    }
    const char* words = strupnperror(code);
    return words != nullptr ? std::string(words) : "error " + std::to_string(code);
}

class UpnpRouter final : public HomeRouter {
  public:
    ~UpnpRouter() override {
        if (found_) {
            FreeUPNPUrls(&urls_);
        }
    }

    RouterAnswer Open(const PortRequest& request, std::chrono::seconds lease,
                      Deadline deadline) override {
        RouterAnswer result;
        if (!Find(deadline)) {
            return result;
        }
        char external[40] = {};
        if (UPNP_GetExternalIPAddress(urls_.controlURL, data_.first.servicetype, external) != 0) {
            external[0] = '\0';
        }
        // A device that names something else than an address as its own is no gateway
        // to trust with the port: nothing is asked of it, and the player is sent to
        // forward the port by hand.
        if (external[0] != '\0' && !IsIpv4Address(external)) {
            result.outcome = RouterOutcome::Refused;
            result.method = "UPnP";
            result.reason = "it named no address of its own on the internet";
            return result;
        }
        int code = Add(request, lease);
        if (code == kOnlyPermanentLeasesSupported) {
            // Such a router keeps the mapping until it is removed, which we do.
            lease = std::chrono::seconds(0);
            code = Add(request, lease);
        }
        if (code != 0) {
            result.outcome = RouterOutcome::Refused;
            result.method = "UPnP";
            result.reason = Reason(code);
            return result;
        }
        return MappedAnswer(request, "upnp", external, request.port, lan_, lease);
    }

    bool Remove(const MappingRecord& record, Deadline deadline) override {
        if (record.method != "upnp" || !Find(deadline)) {
            return false;
        }
        const std::string port = std::to_string(record.externalPort);
        const char* protocol = ProtocolText(record.protocol);
        char client[40] = {}, internalPort[6] = {}, description[80] = {}, enabled[4] = {},
             leaseLeft[16] = {};
        const int found = UPNP_GetSpecificPortMappingEntry(
            urls_.controlURL, data_.first.servicetype, port.c_str(), protocol, nullptr, client,
            internalPort, description, enabled, leaseLeft);
        if (found == kNoSuchEntryInArray) {
            return true;
        }
        if (found != 0) {
            return false;
        }
        // The port may since have been forwarded to another machine: that one stays.
        if (record.internalClient != client ||
            std::to_string(record.internalPort) != internalPort) {
            return true;
        }
        const int code = UPNP_DeletePortMapping(urls_.controlURL, data_.first.servicetype,
                                                port.c_str(), protocol, nullptr);
        return code == 0 || code == kNoSuchEntryInArray;
    }

  private:
    int Add(const PortRequest& request, std::chrono::seconds lease) {
        const std::string port = std::to_string(request.port);
        const std::string leaseText = std::to_string(lease.count());
        return UPNP_AddPortMapping(urls_.controlURL, data_.first.servicetype, port.c_str(),
                                   port.c_str(), lan_.c_str(), kDescription,
                                   ProtocolText(request.protocol), nullptr, leaseText.c_str());
    }

    // Discovery listens for a whole second (miniupnpc counts its delay in seconds) for
    // each kind of device it asks for. Gateways of the second version answer a search
    // for the first, so one kind is asked for.
    bool Find(Deadline deadline) {
        if (found_) {
            return true;
        }
        if (deadline - std::chrono::steady_clock::now() < std::chrono::milliseconds(1100)) {
            return false;
        }
        static const char* const kGateways[] = {
            "urn:schemas-upnp-org:device:InternetGatewayDevice:1", nullptr};
        int error = 0;
        UPNPDev* devices = upnpDiscoverDevices(kGateways, 1000, nullptr, nullptr,
                                               UPNP_LOCAL_PORT_ANY, 0, 2, &error, 0);
        if (devices == nullptr) {
            return false;
        }
        // The first device with a connection to the internet that can forward ports.
        for (UPNPDev* device = devices; device != nullptr && !found_; device = device->pNext) {
            std::string lan;
            const auto description = Description(device->descURL, lan, deadline);
            if (!description) {
                continue;
            }
            IGDdatas data{};
            parserootdesc(description->data(), static_cast<int>(description->size()), &data);
            if (data.first.servicetype[0] == '\0') {
                continue;
            }
            UPNPUrls urls{};
            GetUPNPUrls(&urls, &data, device->descURL, device->scope_id);
            if (urls.controlURL == nullptr || urls.controlURL[0] == '\0' || lan.empty()) {
                FreeUPNPUrls(&urls);
                continue;
            }
            urls_ = urls;
            data_ = data;
            lan_ = lan;
            found_ = true;
        }
        freeUPNPDevlist(devices);
        return found_;
    }

    // First in, last out: miniupnpc's sockets need it.
    SocketLibraryUse sockets_;
    UPNPUrls urls_{};
    IGDdatas data_{};
    std::string lan_;
    bool found_ = false;
};

} // namespace

std::unique_ptr<HomeRouter> MakeUpnpRouter() {
    return std::make_unique<UpnpRouter>();
}

} // namespace marloven
