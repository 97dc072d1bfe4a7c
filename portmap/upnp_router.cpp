// SPDX-License-Identifier: GPL-3.0-or-later
// UPnP IGD through miniupnpc: most home routers speak it.
#include "os/socket_library.h"
#include "portmap/port_mapping.h"

#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>
#include <miniupnpc/upnperrors.h>

#include <string>

namespace marloven {

namespace {

constexpr int kConflictInMappingEntry = 718;
constexpr int kOnlyPermanentLeasesSupported = 725;
constexpr int kNoSuchEntryInArray = 714;
constexpr const char* kDescription = "Marloven";

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
        char lan[64] = {};
        const int kind = UPNP_GetValidIGD(devices, &urls_, &data_, lan, sizeof lan);
        freeUPNPDevlist(devices);
        // 1: an IGD that says it is connected; 2: one that says it is not, which may
        // still forward. Anything else is no router of ours.
        if (kind == 1 || kind == 2) {
            found_ = true;
            lan_ = lan;
        } else if (kind != 0) {
            FreeUPNPUrls(&urls_);
        }
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
