#include "stirrups/section_stirrups.h"

namespace tessaro {

void DrawSectionStirrups(Canvas&, const DrawOptions&, const SectionStirrupInput&) {}

}  // namespace tessaro
