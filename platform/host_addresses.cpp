// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/host_addresses.h"

#include "qt_text/text_conversions.h"

#include <QHostAddress>
#include <QNetworkInterface>

namespace marloven {

std::vector<std::string> LocalIpv4Addresses() {
    std::vector<std::string> addresses;
    for (const QHostAddress& address : QNetworkInterface::allAddresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol) {
            addresses.push_back(NarrowText(address.toString()));
        }
    }
    return addresses;
}

} // namespace marloven
