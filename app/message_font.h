#pragma once

#include <optional>
#include <string>

class QFont;

namespace arb {

// The system's message font as the system reports it: a face name and a height in pixels,
// negative for a character height (the usual case), positive for a cell height.
struct MessageFontInfo {
    std::string faceName;
    int lfHeight = 0;
};

// A font as the window sets it: face and size in points (negative: a cell height).
struct FontChoice {
    std::string face;
    int points = 0;
    bool operator==(const FontChoice&) const = default;
};

// a * b / c with a 64-bit product, rounded to the nearest integer (halves away from zero);
// -1 when c is 0 or the result does not fit, as the Windows call of that name does.
int MulDiv(int a, int b, int c);

// The window font's size for a reported height: lfHeight * -0.75 (72 / 96, whatever the
// screen's resolution), rounded to the nearest integer with halves to the even neighbour.
int MessageFontPoints(int lfHeight);

// The window font after adopting the system's message font; with no answer from the system,
// "Tahoma" at the magnitude of the current size. An empty reported face keeps the current one;
// a face longer than 31 bytes is cut.
FontChoice AdoptMessageFont(const std::optional<MessageFontInfo>& system,
                            const FontChoice& current);

// The character height in pixels a control gets for a window font of `points` on a screen of
// `pixelsPerInch` (a cell height when points is negative).
inline int ControlPixelHeight(int points, int pixelsPerInch) {
    return MulDiv(points, pixelsPerInch, 72);
}

// What the desktop reports as its general font, standing for the system message font; none when
// there is no application or the font has neither a face nor a size.
std::optional<MessageFontInfo> QueryDesktopMessageFont();

// Sets `font`'s face and size from the system's message font (see AdoptMessageFont). Only the
// face and the size change.
void UseSystemMessageFont(QFont& font);
// The same with the system's answer given, for tests.
void UseMessageFont(QFont& font, const std::optional<MessageFontInfo>& system);

} // namespace arb
