#pragma once

// Geometry the game window relies on. The board picture is shown at client (0, -1),
// so a client rectangle lies one pixel higher in the picture than its client y.

#include <QRect>
#include <array>

namespace artgen {

inline constexpr int kPictureWidth = 605;
inline constexpr int kPictureHeight = 425;
inline constexpr int kPictureTopInClient = -1;

inline constexpr int kLines = 15;
inline constexpr int kGridFirst = 19;   // first line, picture pixels, both axes
inline constexpr int kGridStep = 28;
inline constexpr int kGridLast = kGridFirst + (kLines - 1) * kGridStep;   // 411
inline constexpr int kBoardRight = kGridLast + kGridFirst;                 // 430: same margin as the left
inline constexpr int kStoneSize = 22;

inline constexpr int kSkins = 3;
inline constexpr int kButtons = 4;   // open, save, take back, restart

// Button rectangles in client coordinates, per skin.
inline constexpr std::array<std::array<QRect, kButtons>, kSkins> kButtonRects{{
    {QRect(464, 169, 100, 30), QRect(464, 222, 100, 30), QRect(464, 270, 100, 30), QRect(464, 324, 100, 30)},
    {QRect(471, 169, 86, 28), QRect(472, 222, 86, 28), QRect(471, 271, 86, 28), QRect(470, 324, 86, 28)},
    {QRect(463, 169, 100, 30), QRect(463, 222, 100, 30), QRect(463, 271, 100, 30), QRect(463, 324, 100, 30)},
}};

inline constexpr QRect kGaugeRect(456, 130, 116, 18);
inline constexpr std::array<QRect, 2> kIndicatorRects{QRect(464, 370, 22, 22), QRect(464, 395, 22, 22)};
inline constexpr std::array<QRect, 2> kLabelRects{QRect(502, 373, 97, 25), QRect(502, 398, 97, 21)};

// A flat button keeps a 2-pixel border of its own around the glyph, so each of the two
// glyph images is the button less 4 pixels in both directions.
inline constexpr int kGlyphInset = 2;

constexpr QRect toPicture(QRect client) { return client.translated(0, -kPictureTopInClient); }

constexpr QSize glyphImageSize(int skin)
{
    const QRect r = kButtonRects[skin][0];
    return {r.width() - 2 * kGlyphInset, r.height() - 2 * kGlyphInset};
}

}  // namespace artgen
