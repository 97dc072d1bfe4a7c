#include "ui/internet_play.h"
#include "ui/text_conversions.h"

#include "platform/host_addresses.h"
#include "ui/link_dialog.h"
#include "ui/link_settings.h"
#include "ui/look.h"
#include "ui/prompter.h"

namespace marloven {

std::optional<InternetLink> AskInternetLink(Prompter& prompter, LinkDialog& dialog, LaunchMode mode,
                                            int comPortIndex) {
    if (const auto refusal = ComPortRefusal(mode, comPortIndex)) {
        prompter.Inform(FromBytes(*refusal));
        return std::nullopt;
    }
    InternetLink link = LoadLinkChoice(mode);
    link.comPortIndex = comPortIndex;
    if (mode == LaunchMode::Dial) {
        return link;
    }
    dialog.Prepare(link, LocalIpv4Addresses());
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    link = dialog.Choice();
    if (const auto refusal = InternetLinkRefusal(link)) {
        prompter.Inform(FromBytes(*refusal));
        return std::nullopt;
    }
    SaveLinkChoice(link);
    return link;
}

} // namespace marloven
