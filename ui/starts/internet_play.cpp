// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/starts/internet_play.h"
#include "qt_text/text_conversions.h"

#include "launcher/launcher_settings.h"
#include "launcher/link_settings.h"
#include "platform/host_addresses.h"
#include "ui/dialogs/link_dialog.h"
#include "ui/look/look.h"
#include "ui/prompter.h"

namespace marloven {

std::optional<InternetLink> AskInternetLink(Prompter& prompter, LauncherSettings& settings,
                                            LinkDialog& dialog, LaunchMode mode, int comPortIndex) {
    if (const auto refusal = ComPortRefusal(mode, comPortIndex)) {
        prompter.Inform(FromBytes(*refusal));
        return std::nullopt;
    }
    InternetLink link = dialog.TakeOffer(mode).value_or(LoadLinkChoice(settings, mode));
    link.comPortIndex = comPortIndex;
    if (mode == LaunchMode::Dial) {
        return link;
    }
    dialog.Prepare(link, LocalIpv4Addresses(), settings.Get(LauncherKey::RouterAsk).toBool());
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const std::optional<InternetLink> chosen = dialog.Choice();
    if (!chosen) {
        prompter.Inform(MessageText(dialog.ChoiceRefusal()));
        return std::nullopt;
    }
    link = *chosen;
    if (const auto refusal = InternetLinkRefusal(link)) {
        prompter.Inform(FromBytes(*refusal));
        return std::nullopt;
    }
    SaveLinkChoice(settings, link);
    return link;
}

} // namespace marloven
