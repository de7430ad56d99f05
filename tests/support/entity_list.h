// One readable line per layer, block and entity of a drawing, so that a failing comparison
// names what differs: the type, layer and colour, then the values that matter, numbers to
// six digits. tests/support/ezdxf_listing.py prints the same from a DXF file read by ezdxf.
#pragma once

#include <string>
#include <vector>

#include "cad/drawing.h"

namespace tessaro::test {

struct ListOptions {
  bool layers = false;            // the layer table first, as a DXF file has it
  bool onlyWhatDxfHolds = false;  // leave out what the DXF writer leaves out
};

std::string Number(double value);
// The lines of the entities of a list; an insert takes the attributes that follow it.
std::vector<std::string> EntityLines(const Drawing& d, const std::vector<EntityHeader>& list, bool onlyWhatDxfHolds = false);
// Layers (when asked), blocks with their entities indented, then the entities.
std::string ListDrawing(const Drawing& d, ListOptions options = {});
// The entities only, one line each.
std::vector<std::string> ListEntities(const Drawing& d);

// Two listings are the same when every word is the same or both are numbers that differ at
// most in their sixth digit (a value written as its shortest text may round the other way).
void ExpectSameListing(const std::string& actual, const std::string& expected);

}  // namespace tessaro::test
