#pragma once
// The window's pictures: the boards, stones and button glyphs of every skin.

#include <QPixmap>
#include <QString>
#include <array>
#include <functional>

#include "kivola/core/match_state.h"
#include "skin.h"

class QRect;
class QToolButton;
class QWidget;

namespace kivola {

inline constexpr QSize kBoardPictureSize{605, 425};

// A picture comes from res/ beside the executable, else from the built-in copy; on a
// high-density screen the file drawn at twice the density comes first. A copy that does not
// fit its place is passed over.
class Artwork {
public:
    // screen: the widget whose pixel ratio chooses between plain and dense files.
    explicit Artwork(const QWidget& screen);
    // Until start-up names the application folder only the built-in copies are read. The
    // stones are read anew.
    void openFolder(const QString& appPath);

    // Throws when no copy fits, so a change of skin stops before anything in view changes.
    QPixmap board(Skin skin) const;
    const QPixmap& stone(Skin skin, StoneColour colour) const;
    // The file holds the normal look and the disabled one side by side; the button takes both
    // and stands at rect. Throws when no copy fits.
    void applyGlyph(QToolButton& button, const QString& file, const QRect& rect) const;

private:
    void loadStones();
    // A null pixmap when no copy fits.
    QPixmap load(const QString& file, const std::function<bool(const QPixmap&)>& fits) const;

    const QWidget& screen_;
    QString resFolder_;
    std::array<QPixmap, 2 * kSkinCount> stones_; // 2s white, 2s + 1 black, for skin s
};

} // namespace kivola
