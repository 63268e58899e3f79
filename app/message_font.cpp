#include "app/message_font.h"

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>

#include <cstdint>
#include <cstdlib>
#include <limits>

namespace arb {

namespace {

constexpr std::size_t kMaxFaceBytes = 31;

int ScreenPixelsPerInch() {
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (const QScreen* screen = app->primaryScreen()) {
            return qRound(screen->logicalDotsPerInchY());
        }
    }
    return 96;
}

// Cuts to at most kMaxFaceBytes without splitting a UTF-8 sequence.
std::string CutFace(std::string face) {
    if (const auto nul = face.find('\0'); nul != std::string::npos) {
        face.resize(nul);
    }
    if (face.size() <= kMaxFaceBytes) {
        return face;
    }
    std::size_t end = kMaxFaceBytes;
    while (end > 0 && (static_cast<unsigned char>(face[end]) & 0xC0) == 0x80) {
        --end;
    }
    face.resize(end);
    return face;
}

int CurrentPoints(const QFont& font) {
    if (font.pointSize() > 0) {
        return font.pointSize();
    }
    if (font.pixelSize() > 0) {
        return MulDiv(font.pixelSize(), 72, ScreenPixelsPerInch());
    }
    return 0;
}

} // namespace

int MulDiv(int a, int b, int c) {
    if (c == 0) {
        return -1;
    }
    const std::int64_t product = std::int64_t{a} * b;
    const bool negative = (product < 0) != (c < 0);
    const std::uint64_t magnitude = static_cast<std::uint64_t>(std::llabs(product));
    const std::uint64_t divisor = static_cast<std::uint64_t>(std::llabs(std::int64_t{c}));
    const std::uint64_t quotient = (magnitude + divisor / 2) / divisor;
    if (quotient > static_cast<std::uint64_t>(std::numeric_limits<int>::max())) {
        return -1;
    }
    const int q = static_cast<int>(quotient);
    return negative ? -q : q;
}

int MessageFontPoints(int lfHeight) {
    // -0.75 * h = (-3 * h) / 4, exact in integers; round halves to the even neighbour.
    const std::int64_t n = -3 * std::int64_t{lfHeight};
    std::int64_t q = n / 4;
    std::int64_t r = n % 4;
    if (r < 0) { // floor division
        r += 4;
        q -= 1;
    }
    if (r > 2 || (r == 2 && (q & 1) != 0)) {
        q += 1;
    }
    return static_cast<int>(q);
}

FontChoice AdoptMessageFont(const std::optional<MessageFontInfo>& system,
                            const FontChoice& current) {
    if (!system) {
        return {"Tahoma", std::abs(current.points)};
    }
    std::string face = CutFace(system->faceName);
    return {face.empty() ? current.face : std::move(face), MessageFontPoints(system->lfHeight)};
}

std::optional<MessageFontInfo> QueryDesktopMessageFont() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return std::nullopt;
    }
    const QFont general = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    MessageFontInfo info;
    info.faceName = general.family().toStdString();
    if (general.pixelSize() > 0) {
        info.lfHeight = -general.pixelSize();
    } else if (general.pointSizeF() > 0) {
        info.lfHeight = -qRound(general.pointSizeF() * ScreenPixelsPerInch() / 72.0);
    } else if (info.faceName.empty()) {
        return std::nullopt;
    }
    return info;
}

void UseMessageFont(QFont& font, const std::optional<MessageFontInfo>& system) {
    const FontChoice chosen =
        AdoptMessageFont(system, {font.family().toStdString(), CurrentPoints(font)});
    font.setFamily(QString::fromStdString(chosen.face));
    if (chosen.points > 0) {
        font.setPointSize(chosen.points);
    } else if (chosen.points < 0) {
        // A cell height; Qt sizes by character height, the nearest it offers.
        font.setPixelSize(ControlPixelHeight(-chosen.points, ScreenPixelsPerInch()));
    } else {
        // Size 0: the font system's default height.
        font.setPointSizeF(QFont().pointSizeF() > 0 ? QFont().pointSizeF() : 9.0);
    }
}

void UseSystemMessageFont(QFont& font) {
    UseMessageFont(font, QueryDesktopMessageFont());
}

} // namespace arb
