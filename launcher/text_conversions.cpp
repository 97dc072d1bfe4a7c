// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/text_conversions.h"

namespace marloven {

QString FromBytes(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string ToBytes(const QString& text) {
    return text.toLatin1().toStdString();
}

QString QStringFromPath(const std::filesystem::path& path) {
    return QString::fromStdU16String(path.u16string());
}

std::filesystem::path PathFromQString(const QString& text) {
    return std::filesystem::path(text.toStdU16String());
}

std::filesystem::path PathFromNarrow(const std::string& text) {
#if defined(_WIN32) && defined(__GLIBCXX__)
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
#else
    return std::filesystem::path(text);
#endif
}

std::string NarrowText(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

QString MessageText(std::string_view message) {
    return QString::fromLocal8Bit(message.data(), static_cast<qsizetype>(message.size()));
}

} // namespace marloven
