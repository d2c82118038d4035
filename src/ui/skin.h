#pragma once
// Skin geometry: where the side panel's controls stand and how far the sprites shift.

#include <QRect>
#include <QVariant>
#include <array>
#include <cstdint>
#include <optional>

namespace kivola {

// The three looks of the board. Resource files count them from 0, the menu items' tags from 1.
enum class Skin : std::uint8_t { Wood, Crystal, Marble };
inline constexpr int kSkinCount = 3;
constexpr int skinNumber(Skin skin) { return static_cast<int>(skin); }
// The skin a menu item's tag names; none for a tag that names none.
inline std::optional<Skin> skinOfTag(const QVariant& tag) {
    const int number = tag.toInt() - 1;
    if (number < 0 || number >= kSkinCount) {
        return std::nullopt;
    }
    return static_cast<Skin>(number);
}
inline constexpr int kClientWidth = 603;
inline constexpr int kCompactClientHeight = 424;
inline constexpr int kTallClientHeight = 512;
inline constexpr QPoint kBoardPictureOrigin{0, -1};

struct SkinLayout {
    QRect gauge;
    QPoint firstStone;   // Image2
    QPoint firstLabel;   // Label1
    QPoint secondStone;  // Image1
    QPoint secondLabel;  // Label2
    QRect openButton;
    QRect saveButton;
    QRect regretButton;
    QRect restartButton;
    int pieceOffset;     // added to both coordinates of every sprite
};

inline const std::array<SkinLayout, kSkinCount>& skinLayout() {
    static const std::array<SkinLayout, kSkinCount> table{{
        // wood
        {QRect(456, 130, 116, 18), QPoint(464, 370), QPoint(502, 373), QPoint(464, 395), QPoint(502, 398),
         QRect(464, 169, 100, 30), QRect(464, 222, 100, 30), QRect(464, 270, 100, 30), QRect(464, 324, 100, 30), -2},
        // crystal
        {QRect(456, 130, 116, 18), QPoint(464, 370), QPoint(502, 373), QPoint(464, 395), QPoint(502, 398),
         QRect(471, 169, 86, 28), QRect(472, 222, 86, 28), QRect(471, 271, 86, 28), QRect(470, 324, 86, 28), 0},
        // marble
        {QRect(456, 130, 116, 18), QPoint(464, 370), QPoint(502, 373), QPoint(464, 395), QPoint(502, 398),
         QRect(463, 169, 100, 30), QRect(463, 222, 100, 30), QRect(463, 271, 100, 30), QRect(463, 324, 100, 30), -3},
    }};
    return table;
}

inline const SkinLayout& layoutOf(Skin skin) { return skinLayout()[static_cast<std::size_t>(skin)]; }

} // namespace kivola
