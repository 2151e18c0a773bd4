#pragma once

#include <mivra/Graphics/Drawable.hpp>
#include <mivra/Graphics/PrimitiveType.hpp>
#include <mivra/Graphics/Vertex.hpp>

#include <cstddef>

namespace mivra
{
class RenderTarget;
struct RenderStates;

/// Vertices kept in graphics memory: filled once (or now and then) with update() and drawn many
/// times without sending them again.
class VertexBuffer : public Drawable
{
public:
    /// How often the contents are expected to change; a hint for the driver.
    enum class Usage
    {
        Stream,  ///< every frame or so
        Dynamic, ///< now and then
        Static,  ///< rarely or never
    };

    /// No buffer yet (create() makes it), drawn as points, Stream usage.
    VertexBuffer() = default;
    /// No buffer yet, drawn as `type`.
    explicit VertexBuffer(PrimitiveType type);
    /// No buffer yet, with that usage hint.
    explicit VertexBuffer(Usage usage);
    /// No buffer yet, drawn as `type`, with that usage hint.
    VertexBuffer(PrimitiveType type, Usage usage);
    /// A copy has a buffer of its own with the same contents; when it cannot be made, the copy has none (reported through the diagnostics sink).
    VertexBuffer(const VertexBuffer& copy);
    /// Copies the contents into a buffer of its own, as the copy constructor does.
    VertexBuffer& operator=(const VertexBuffer& right);
    /// Takes the other's buffer, which is left without one.
    ///@{
    VertexBuffer(VertexBuffer&& other) noexcept;
    VertexBuffer& operator=(VertexBuffer&& other) noexcept;
    ///@}
    ~VertexBuffer() override;

    /// (Re)allocates room for vertexCount vertices, contents undefined. False, reported through the
    /// diagnostics sink, when the driver could not allocate it or vertex buffers are unavailable.
    bool create(std::size_t vertexCount);
    /// The number of vertices the buffer holds.
    [[nodiscard]] std::size_t getVertexCount() const { return m_size; }

    /// Copies getVertexCount() vertices from `vertices` to the start of the buffer. False, reported
    /// through the diagnostics sink, when the buffer has not been created, no vertices are given or the
    /// driver refuses.
    bool update(const Vertex* vertices);
    /// Copies vertexCount vertices to the buffer from vertex `offset` on. The range must lie within
    /// the buffer, except that a range starting at 0 may grow the buffer (which then holds exactly
    /// vertexCount vertices). False, reported through the diagnostics sink, when the buffer has not
    /// been created, the range does not fit, growing fails or the driver refuses.
    bool update(const Vertex* vertices, std::size_t vertexCount, unsigned int offset);

    /// Exchanges buffers, primitive types and usages with `other`.
    void swap(VertexBuffer& other) noexcept;

    /// The OpenGL buffer's name; 0 before create().
    [[nodiscard]] unsigned int getNativeHandle() const { return m_buffer; }

    /// How the vertices are joined when drawn.
    void setPrimitiveType(PrimitiveType type) { m_primitiveType = type; }
    /// The primitive type.
    [[nodiscard]] PrimitiveType getPrimitiveType() const { return m_primitiveType; }
    /// The usage hint, applied at the next create().
    void setUsage(Usage usage) { m_usage = usage; }
    /// The usage hint.
    [[nodiscard]] Usage getUsage() const { return m_usage; }

    /// Binds the buffer as the source of vertex arrays (nullptr: none).
    static void bind(const VertexBuffer* vertexBuffer);
    /// Whether the graphics driver supports vertex buffers.
    [[nodiscard]] static bool isAvailable();

protected:
    void draw(RenderTarget& target, RenderStates states) const override;

private:
    unsigned int m_buffer{};
    std::size_t m_size{};
    PrimitiveType m_primitiveType{PrimitiveType::Points};
    Usage m_usage{Usage::Stream};
};
} // namespace mivra
