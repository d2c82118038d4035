#pragma once
// What the game core asks of whoever draws the stones. Entry k belongs to stone k.

#include "kivola/core/match_state.h"

namespace kivola {

class StoneDisplay {
public:
    virtual ~StoneDisplay() = default;

    // Entry k for the stone at (x, y), created visible, above every earlier entry.
    virtual void createPiece(int k, int x, int y, StoneColour colour) = 0;
    virtual void showPiece(int k) = 0;
    virtual void bringPieceToFront(int k) = 0;
    virtual void destroyPiece(int k) = 0;
    virtual void stopBlink() = 0;
    virtual void startBlink() = 0;
};

} // namespace kivola
