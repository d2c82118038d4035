#pragma once
// The move number written on a stone, for players who want to see the order of the moves.

#include <QColor>
#include <QRectF>

#include "kivola/core/match_state.h"

class QPainter;

namespace kivola {

// Light on the black stone, dark on the white one, on every skin.
QColor moveNumberColour(StoneColour colour);
// Centred on the stone's rectangle, in device pixels of whatever the painter draws on, so it is
// as sharp at twice the density as at one. Up to three digits fit a stone.
void paintMoveNumber(QPainter& painter, const QRectF& stone, int number, StoneColour colour);

} // namespace kivola
