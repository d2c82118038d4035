#pragma once
// What the game core asks of whoever draws the stones. Entry k belongs to stone k.

namespace kivola {

class StoneDisplay {
public:
    virtual ~StoneDisplay() = default;

    // Entry k for the stone at (x, y); colour 1 is the first mover's, 0 the second's.
    // Created visible, above every earlier entry.
    virtual void createPiece(int k, int x, int y, int colour) = 0;
    virtual void showPiece(int k) = 0;
    virtual void bringPieceToFront(int k) = 0;
    virtual void destroyPiece(int k) = 0;
    virtual void stopBlink() = 0;
    virtual void startBlink() = 0;
};

} // namespace kivola
