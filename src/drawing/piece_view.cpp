#include "drawing/piece_view.h"

namespace tessaro {

void DrawPieceView(Canvas&, PieceViewState&, const DrawOptions&, const StackProfile&, PieceViewArgs&) {}

}  // namespace tessaro
