// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt_text/text_conversions.h"

#include <QFile>

namespace marloven {

QString FromBytes(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string ToBytes(const QString& text) {
    return text.toLatin1().toStdString();
}

// Where paths are bytes (POSIX), a name that is not valid UTF-8 (a Latin-1 folder from
// an older disk) is shown as Qt shows file names; turned into UTF-16 it would throw.
// Windows paths are UTF-16 already.
QString QStringFromPath(const std::filesystem::path& path) {
#ifdef _WIN32
    return QString::fromStdU16String(path.u16string());
#else
    const std::string& bytes = path.native();
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
#endif
}

std::filesystem::path PathFromQString(const QString& text) {
#ifdef _WIN32
    return std::filesystem::path(text.toStdU16String());
#else
    return std::filesystem::path(QFile::encodeName(text).toStdString());
#endif
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
