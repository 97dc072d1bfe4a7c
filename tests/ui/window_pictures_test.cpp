// SPDX-License-Identifier: GPL-3.0-or-later
// The windows as pictures: tools/render_windows draws each one offscreen, and each
// picture must match its checked-in copy under tests/windows. A change of layout then
// shows as a picture to look at; when the change is meant, the new picture, written
// beside the old one, replaces it.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>

namespace marloven::test {
namespace {

const QString kPictureDir = QStringLiteral(MARLOVEN_SOURCE_DIR "/tests/windows");
// A window that looks different is drawn here, in the build folder: the test never
// writes into the sources.
const QString kNewPictureDir = QStringLiteral(MARLOVEN_BINARY_DIR "/tests/windows");
// The demo page shows the game directory's path, so it has the same name everywhere.
const QString kSampleGameDir = QStringLiteral("/tmp/marloven-window-pictures");

// Font rendering may shade the edges of letters a little differently from one machine
// to the next: a pixel counts as changed when a colour channel moves by more than this,
// and a picture may have this share of its pixels changed.
constexpr int kChannelTolerance = 64;
constexpr double kChangedShare = 0.002;

bool Changed(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) > kChannelTolerance ||
           std::abs(qGreen(a) - qGreen(b)) > kChannelTolerance ||
           std::abs(qBlue(a) - qBlue(b)) > kChannelTolerance;
}

// Why the drawn picture does not pass for the expected one, or empty when it does.
QString Mismatch(const QImage& drawn, const QImage& expected) {
    if (expected.isNull()) {
        return "there is no checked-in picture";
    }
    if (drawn.size() != expected.size()) {
        return QString("the size is %1x%2 instead of %3x%4")
            .arg(drawn.width())
            .arg(drawn.height())
            .arg(expected.width())
            .arg(expected.height());
    }
    const QImage a = drawn.convertToFormat(QImage::Format_RGB32);
    const QImage b = expected.convertToFormat(QImage::Format_RGB32);
    qsizetype changed = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* lineA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* lineB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            changed += Changed(lineA[x], lineB[x]) ? 1 : 0;
        }
    }
    if (static_cast<double>(changed) > kChangedShare * a.width() * a.height()) {
        return QString("%1 pixels changed").arg(changed);
    }
    return {};
}

// The windows are drawn with the fonts every machine that builds Marloven has (DejaVu,
// in Debian's base system, and Liberation, which scripts/setup installs) and no
// others, so that a font some other package brought along cannot change the pictures.
QProcessEnvironment KnownFontsOnly(const QTemporaryDir& dir) {
    const QString config = dir.filePath("fonts.conf");
    QFile file(config);
    if (file.open(QIODevice::WriteOnly)) {
        file.write("<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n"
                   "<fontconfig>\n"
                   "  <dir>/usr/share/fonts/truetype/dejavu</dir>\n"
                   "  <dir>/usr/share/fonts/truetype/liberation</dir>\n"
                   "  <cachedir>" +
                   dir.filePath("font-cache").toUtf8() +
                   "</cachedir>\n"
                   "  <include ignore_missing=\"yes\">/etc/fonts/conf.d</include>\n"
                   "</fontconfig>\n");
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("FONTCONFIG_FILE", config);
    return environment;
}

TEST(WindowPictures, EachWindowLooksLikeItsCheckedInPicture) {
#ifdef _WIN32
    GTEST_SKIP() << "the checked-in pictures are drawn with Linux's fonts";
#endif
    QTemporaryDir drawnDir;
    ASSERT_TRUE(drawnDir.isValid());
    QProcess render;
    render.setProcessEnvironment(KnownFontsOnly(drawnDir));
    render.start(RENDER_WINDOWS_PATH, {"--game-dir", kSampleGameDir, drawnDir.path()});
    ASSERT_TRUE(render.waitForFinished(60000));
    ASSERT_EQ(render.exitCode(), 0) << render.readAllStandardError().toStdString();

    const QDir pictures(kPictureDir);
    const QDir newPictures(kNewPictureDir);
    ASSERT_TRUE(newPictures.mkpath("."));
    const QStringList drawn = QDir(drawnDir.path()).entryList({"*.png"}, QDir::Files);
    ASSERT_GE(drawn.size(), 12);
    for (const QString& name : drawn) {
        const QString newPicture = newPictures.filePath(QString(name).replace(".png", ".new.png"));
        QFile::remove(newPicture);
        const QString mismatch =
            Mismatch(QImage(QDir(drawnDir.path()).filePath(name)), QImage(pictures.filePath(name)));
        if (!mismatch.isEmpty()) {
            QFile::copy(QDir(drawnDir.path()).filePath(name), newPicture);
            ADD_FAILURE() << name.toStdString() << ": " << mismatch.toStdString()
                          << "; the window as drawn now is " << newPicture.toStdString();
        }
    }
    for (const QString& name : pictures.entryList({"*.png"}, QDir::Files)) {
        EXPECT_TRUE(drawn.contains(name)) << name.toStdString() << " is no window any more";
    }
}

} // namespace
} // namespace marloven::test
