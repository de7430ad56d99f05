#include "cad/styles.h"

#include <cmath>
#include <stdexcept>
#include <utility>

namespace tessaro {

double LineType::Length() const {
  double length = 0.0;
  for (const double e : pattern) length += std::isfinite(e) ? std::abs(e) : 0.0;
  return length;
}

std::string DrawingStyles::Key(std::string_view name) {
  std::string key(name);
  for (char& c : key) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return key;
}

LineTypeIndex DrawingStyles::AddLineType(std::string_view name, std::vector<double> pattern) {
  std::string key = Key(name);
  if (const auto found = lineTypeByName_.find(key); found != lineTypeByName_.end()) {
    lineTypes_[found->second].pattern = std::move(pattern);
    return found->second;
  }
  if (lineTypes_.size() >= kLineTypeContinuous) throw std::length_error("too many line types");
  const auto index = static_cast<LineTypeIndex>(lineTypes_.size());
  lineTypes_.push_back(LineType{std::string(name), std::move(pattern)});
  lineTypeByName_.emplace(std::move(key), index);
  return index;
}

std::optional<LineTypeIndex> DrawingStyles::FindLineType(std::string_view name) const {
  const auto found = lineTypeByName_.find(Key(name));
  if (found == lineTypeByName_.end()) return std::nullopt;
  return found->second;
}

const LineType* DrawingStyles::Pattern(LineTypeIndex index) const {
  if (index >= lineTypes_.size()) return nullptr;
  const LineType& type = lineTypes_[index];
  return type.Length() > 0 ? &type : nullptr;
}

void DrawingStyles::SetGlobalScale(double scale) {
  globalScale_ = std::isfinite(scale) && scale > 0 ? scale : 1.0;
}

void DrawingStyles::SetEntityLineStyle(std::uint8_t type, std::uint32_t index, EntityLineStyle style) {
  const std::uint64_t key = (static_cast<std::uint64_t>(type) << 32) | index;
  if (!std::isfinite(style.scale) || style.scale <= 0) style.scale = 1.0;
  if (style == EntityLineStyle{}) {
    entityLines_.erase(key);
  } else {
    entityLines_[key] = style;
  }
}

EntityLineStyle DrawingStyles::EntityLine(std::uint8_t type, std::uint32_t index) const {
  if (entityLines_.empty()) return {};
  const auto found = entityLines_.find((static_cast<std::uint64_t>(type) << 32) | index);
  return found == entityLines_.end() ? EntityLineStyle{} : found->second;
}

void DrawingStyles::AddTextStyle(TextStyle style) {
  std::string key = Key(style.name);
  if (const auto found = textStyleByName_.find(key); found != textStyleByName_.end()) {
    textStyles_[found->second] = std::move(style);
    return;
  }
  textStyleByName_.emplace(std::move(key), textStyles_.size());
  textStyles_.push_back(std::move(style));
}

const TextStyle* DrawingStyles::FindTextStyle(std::string_view name) const {
  if (textStyles_.empty()) return nullptr;
  const auto found = textStyleByName_.find(Key(name));
  return found == textStyleByName_.end() ? nullptr : &textStyles_[found->second];
}

void DrawingStyles::SetHeights(std::uint8_t type, std::uint32_t index, std::vector<double> z) {
  heights_[(static_cast<std::uint64_t>(type) << 32) | index] = std::move(z);
}

std::span<const double> DrawingStyles::Heights(std::uint8_t type, std::uint32_t index) const {
  if (heights_.empty()) return {};
  const auto found = heights_.find((static_cast<std::uint64_t>(type) << 32) | index);
  return found == heights_.end() ? std::span<const double>() : std::span<const double>(found->second);
}

void DrawingStyles::SetHeaderVariable(HeaderVariable variable) {
  for (HeaderVariable& held : header_) {
    if (held.name == variable.name) {
      held.groups = std::move(variable.groups);
      return;
    }
  }
  header_.push_back(std::move(variable));
}

const HeaderVariable* DrawingStyles::FindHeaderVariable(std::string_view name) const {
  for (const HeaderVariable& held : header_) {
    if (held.name == name) return &held;
  }
  return nullptr;
}

}  // namespace tessaro
