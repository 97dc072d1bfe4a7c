#pragma once

#include <stdexcept>
#include <string>

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
