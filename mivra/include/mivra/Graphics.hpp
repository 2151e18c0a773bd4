#pragma once

#include <mivra/System/Angle.hpp>
#include <mivra/System/Clock.hpp>
#include <mivra/System/Exception.hpp>
#include <mivra/System/String.hpp>
#include <mivra/System/Vector2.hpp>

#include <mivra/Graphics/BlendMode.hpp>
#include <mivra/Graphics/CircleShape.hpp>
#include <mivra/Graphics/Color.hpp>
#include <mivra/Graphics/Drawable.hpp>
#include <mivra/Graphics/Font.hpp>
#include <mivra/Graphics/Glyph.hpp>
#include <mivra/Graphics/Image.hpp>
#include <mivra/Graphics/PrimitiveType.hpp>
#include <mivra/Graphics/Rect.hpp>
#include <mivra/Graphics/RectangleShape.hpp>
#include <mivra/Graphics/RenderStates.hpp>
#include <mivra/Graphics/RenderTarget.hpp>
#include <mivra/Graphics/Shader.hpp>
#include <mivra/Graphics/Shape.hpp>
#include <mivra/Graphics/Sprite.hpp>
#include <mivra/Graphics/StencilMode.hpp>
#include <mivra/Graphics/Text.hpp>
#include <mivra/Graphics/Texture.hpp>
#include <mivra/Graphics/Transform.hpp>
#include <mivra/Graphics/Transformable.hpp>
#include <mivra/Graphics/Vertex.hpp>
#include <mivra/Graphics/VertexArray.hpp>
#include <mivra/Graphics/View.hpp>

#if __has_include(<mivra/Window/Window.hpp>)
#include <mivra/Graphics/RenderTexture.hpp>
#include <mivra/Graphics/RenderWindow.hpp>
#include <mivra/Window/Context.hpp>
#include <mivra/Window/ContextSettings.hpp>
#include <mivra/Window/Event.hpp>
#include <mivra/Window/Keyboard.hpp>
#include <mivra/Window/Mouse.hpp>
#include <mivra/Window/Touch.hpp>
#include <mivra/Window/VideoMode.hpp>
#include <mivra/Window/Window.hpp>
#include <mivra/Window/WindowEnums.hpp>
#endif
