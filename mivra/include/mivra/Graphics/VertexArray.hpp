#pragma once

#include <mivra/Graphics/Drawable.hpp>
#include <mivra/Graphics/PrimitiveType.hpp>
#include <mivra/Graphics/Rect.hpp>
#include <mivra/Graphics/Vertex.hpp>

#include <cstddef>
#include <vector>

namespace mivra
{
/// A growable array of vertices drawn as one primitive type.
class VertexArray : public Drawable
{
public:
    /// No vertices, drawn as points.
    VertexArray() = default;
    /// `vertexCount` default vertices drawn as `type`.
    explicit VertexArray(PrimitiveType type, std::size_t vertexCount = 0)
        : m_vertices(vertexCount), m_primitiveType(type)
    {
    }

    /// The number of vertices.
    [[nodiscard]] std::size_t getVertexCount() const { return m_vertices.size(); }
    /// Vertex `index`, which must be below getVertexCount() (asserted).
    ///@{
    [[nodiscard]] Vertex& operator[](std::size_t index);
    [[nodiscard]] const Vertex& operator[](std::size_t index) const;
    ///@}

    /// Removes every vertex, keeping the storage.
    void clear() { m_vertices.clear(); }
    /// Keeps the first `vertexCount` vertices, adding default ones as needed.
    void resize(std::size_t vertexCount) { m_vertices.resize(vertexCount); }
    /// Adds a vertex at the end.
    void append(const Vertex& vertex) { m_vertices.push_back(vertex); }

    /// How the vertices are joined when drawn.
    void setPrimitiveType(PrimitiveType type) { m_primitiveType = type; }
    /// The primitive type.
    [[nodiscard]] PrimitiveType getPrimitiveType() const { return m_primitiveType; }

    /// The smallest rectangle holding every vertex position; empty when there are none.
    [[nodiscard]] FloatRect getBounds() const;

protected:
    void draw(RenderTarget& target, RenderStates states) const override;

private:
    std::vector<Vertex> m_vertices;
    PrimitiveType m_primitiveType{PrimitiveType::Points};
};
} // namespace mivra
