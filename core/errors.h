// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>
#include <string>

// How failures travel through the launcher, each way for its own reason:
// - FileError (below), thrown: reading or writing one of the game's files failed. It
//   ends the action under way; the window catches it at the action's edge
//   (ReportFileErrors) and shows its text in the error box.
// - std::error_code, returned by the file layer (file_io.h): the system's reason for
//   one failed write, which its caller words for the player (DescribeWriteError).
// - std::optional<std::string>, returned by a check (DosboxRefusal, ComPortRefusal,
//   InternetLinkRefusal, ...) or by a step that may refuse (Relay::Open): why a start
//   would be refused, in the player's words; nothing when it may go ahead. Asked before
//   anything is written or started. The same type in every layer, Qt's included: the
//   window turns it into its text where it shows it (qt_text/text_conversions.h).
// - RunResult (platform/program_runner.h): what became of a start, with the reason
//   of a refusal.
// - GifLoadAborted (widgets/gif_image.h), thrown: a picture file that is no GIF ends
//   its load without a word, as a damaged star must not keep the launcher from opening.
// - Exit codes and the error output: only at the program's edge (app/), for the
//   command line.
namespace marloven {

// A failing file operation: it ends the current action, and the window shows its
// text in the application's error box.
class FileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

std::string CannotOpenFileMessage(const std::string& fileName);
std::string CannotCreateFileMessage(const std::string& fileName);

} // namespace marloven
