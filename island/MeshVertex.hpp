#pragma once

#include <mivra/Graphics/Color.hpp>
#include <mivra/Graphics/Vertex.hpp>

namespace island
{
using Color = mivra::Color;
using Vertex = mivra::Vertex;
} // namespace island
