// What a drawing keeps besides its entities for drawing them as their authors saw them and
// for writing them back: line types with their dash patterns, each entity's line type and
// scale when it has its own, text styles with their fonts, and the header variables as a
// file gave them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tessaro {

using LineTypeIndex = std::uint16_t;
// An entity's line type when it names none of the table: that of its layer, or of the
// insert that places its block.
inline constexpr LineTypeIndex kLineTypeByLayer = 0xFFFF;
inline constexpr LineTypeIndex kLineTypeByBlock = 0xFFFE;
// A continuous line, whatever the table holds.
inline constexpr LineTypeIndex kLineTypeContinuous = 0xFFFD;

// A line type: dash lengths in drawing units as DXF code 49 gives them, a positive length a
// dash, a negative one a gap, 0 a dot. No elements: a continuous line.
struct LineType {
  std::string name{};
  std::vector<double> pattern{};
  // The length of one repeat of the pattern; 0 for a continuous line.
  double Length() const;
};

// An entity's own line type and scale (DXF codes 6 and 48).
struct EntityLineStyle {
  LineTypeIndex lineType = kLineTypeByLayer;
  double scale = 1.0;
  friend bool operator==(const EntityLineStyle&, const EntityLineStyle&) = default;
};

// A header variable as read: its name ("$INSUNITS") and its groups (code, value text).
struct HeaderVariable {
  std::string name{};
  std::vector<std::pair<int, std::string>> groups{};
};

// A text style (the STYLE table): its font as the file names it, a font file ("arial.ttf",
// "romans.shx") or a family ("Times New Roman", from the style's extended data), and the
// bold and italic the extended data asks for.
struct TextStyle {
  std::string name{};
  std::string fontFile{};
  std::string family{};
  bool bold = false;
  bool italic = false;
};

class DrawingStyles {
public:
  // Text styles by name (any letter case); adding a name the table holds replaces it.
  void AddTextStyle(TextStyle style);
  const TextStyle* FindTextStyle(std::string_view name) const;
  const std::vector<TextStyle>& TextStyles() const { return textStyles_; }

  // Adding a name the table holds (any letter case) replaces its pattern and keeps its index.
  LineTypeIndex AddLineType(std::string_view name, std::vector<double> pattern);
  std::optional<LineTypeIndex> FindLineType(std::string_view name) const;
  const std::vector<LineType>& LineTypes() const { return lineTypes_; }
  // The pattern of `index`, or nothing for a continuous line or an index the table lacks.
  const LineType* Pattern(LineTypeIndex index) const;

  // $LTSCALE: the scale of every line type's pattern.
  double GlobalScale() const { return globalScale_; }
  void SetGlobalScale(double scale);

  // Entities with a line style of their own, by the pool their type keeps them in.
  void SetEntityLineStyle(std::uint8_t type, std::uint32_t index, EntityLineStyle style);
  EntityLineStyle EntityLine(std::uint8_t type, std::uint32_t index) const;
  bool HasEntityLineStyles() const { return !entityLines_.empty(); }

  // The heights (z) of an entity's points, by the pool its type keeps it in, for writing it
  // back in 3-D; none for an entity in the drawing's plane.
  void SetHeights(std::uint8_t type, std::uint32_t index, std::vector<double> z);
  std::span<const double> Heights(std::uint8_t type, std::uint32_t index) const;
  bool HasHeights() const { return !heights_.empty(); }

  // Header variables in file order; setting a name held replaces its groups.
  void SetHeaderVariable(HeaderVariable variable);
  const HeaderVariable* FindHeaderVariable(std::string_view name) const;
  const std::vector<HeaderVariable>& HeaderVariables() const { return header_; }

private:
  static std::string Key(std::string_view name);

  std::vector<LineType> lineTypes_;
  std::unordered_map<std::string, LineTypeIndex> lineTypeByName_;
  double globalScale_ = 1.0;
  std::unordered_map<std::uint64_t, EntityLineStyle> entityLines_;
  std::unordered_map<std::uint64_t, std::vector<double>> heights_;
  std::vector<HeaderVariable> header_;
  std::vector<TextStyle> textStyles_;
  std::unordered_map<std::string, std::size_t> textStyleByName_;
};

}  // namespace tessaro
