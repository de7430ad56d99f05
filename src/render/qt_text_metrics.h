// Text widths from the fonts the painter really uses, for laying out MTEXT in the engine.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "cad/text_metrics.h"
#include "render/scene.h"

namespace tessaro::render {

// The advances of the TextFont a face is drawn with (render/scene.h). Safe to use from
// several threads.
class QtTextMetrics final : public TextMetrics {
public:
  double Advance(std::string_view text, const FontFace& face) const override;

private:
  mutable std::mutex mutex_;
  mutable std::unordered_map<std::string, std::shared_ptr<const TextFont>> fonts_;
};

}  // namespace tessaro::render
