#include "ui/link_settings.h"

#include "ui/launcher_settings.h"

namespace marloven {

namespace {

struct LinkKeys {
    QString group;
    int defaultPort;
};

// Dialling needs no choice: the number is in the phonebook.
LinkKeys KeysOf(LaunchMode mode) {
    switch (mode) {
    case LaunchMode::AlreadyConnected:
        return {QStringLiteral("NullModem"), kDefaultNullModemPort};
    case LaunchMode::Network:
        return {QStringLiteral("Ipx"), kDefaultIpxPort};
    case LaunchMode::SinglePlayer:
    case LaunchMode::Dial:
    case LaunchMode::Answer:
        break;
    }
    return {QStringLiteral("ModemAnswer"), kDefaultModemListenPort};
}

struct NamedLink {
    std::string_view startName;
    LaunchMode mode;
};
constexpr NamedLink kNamedLinks[] = {{"dial", LaunchMode::Dial},
                                     {"answer", LaunchMode::Answer},
                                     {"connected", LaunchMode::AlreadyConnected},
                                     {"network", LaunchMode::Network}};

} // namespace

InternetLink LoadLinkChoice(LaunchMode mode) {
    const LinkKeys keys = KeysOf(mode);
    const auto settings = OpenLauncherSettings();
    settings->beginGroup(keys.group);
    InternetLink link;
    link.mode = mode;
    link.side = settings->value("Side").toString() == "join" ? LinkSide::Join : LinkSide::Host;
    link.hostAddress = settings->value("Host").toString().toStdString();
    bool number = false;
    link.port = settings->value("Port").toInt(&number);
    if (!number || link.port < 1 || link.port > kHighestPort) {
        link.port = keys.defaultPort;
    }
    return link;
}

void SaveLinkChoice(const InternetLink& link) {
    const auto settings = OpenLauncherSettings();
    settings->beginGroup(KeysOf(link.mode).group);
    settings->setValue("Port", link.port);
    if (link.mode != LaunchMode::Answer && link.mode != LaunchMode::Dial) {
        settings->setValue("Side", link.side == LinkSide::Join ? "join" : "host");
        settings->setValue("Host", QString::fromStdString(link.hostAddress));
    }
}

std::optional<InternetLink> RememberedLink(std::string_view startName, int comPortIndex) {
    for (const NamedLink& named : kNamedLinks) {
        if (named.startName == startName) {
            InternetLink link = LoadLinkChoice(named.mode);
            link.comPortIndex = comPortIndex;
            return link;
        }
    }
    return std::nullopt;
}

} // namespace marloven
