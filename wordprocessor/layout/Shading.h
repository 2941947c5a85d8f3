#pragma once

#include <pugixml.hpp>

#include <QColor>

#include <optional>

namespace quill {

// The colour a shading element (w:shd) paints: its fill, with its pattern colour laid over it as much as
// the pattern covers (w:val "pct25" a quarter, "solid" all of it). Automatic fill is white and automatic
// pattern colour black; an invalid colour when nothing is painted; unset when `shd` is null.
std::optional<QColor> shadingColor(pugi::xml_node shd);

} // namespace quill
