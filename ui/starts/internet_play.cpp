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
    // The tunnel's host always asks for its code, and DOSBox waits only 5 s for the
    // tunnel's answer: the player is asked before DOSBox starts rather than while it waits.
    // A game from the meeting place's list is found there by its code alone.
    const bool meetsOnly = link.address.host.empty();
    if ((link.mode == LaunchMode::Network || meetsOnly) && link.side == LinkSide::Join &&
        !link.code) {
        link.code = AskGameCode(prompter, meetsOnly ? dialog.ListedHostName()
                                                    : MessageText(ShowLinkAddress(link.address)));
        if (!link.code) {
            return std::nullopt;
        }
    }
    return link;
}

std::optional<GameCode> AskGameCode(Prompter& prompter, const QString& host) {
    QString note;
    for (;;) {
        const auto typed = prompter.AskText(
            note + QStringLiteral("The host at %1 asks for its game code. Type the code the host "
                                  "told you (such as K7PW-2QXM):")
                       .arg(host));
        if (!typed) {
            return std::nullopt;
        }
        if (const auto code = ParseGameCode(NarrowText(typed->trimmed()))) {
            return code;
        }
        note = QStringLiteral("\"%1\" is no game code: eight letters and digits.\n\n").arg(*typed);
    }
}

} // namespace marloven
