#include <mivra/Graphics/RenderTarget.hpp>

#include "Graphics/detail/RenderBatch.hpp"

#include <algorithm>
#include <cassert>
#include <vector>

namespace mivra::detail
{
namespace
{
// A batch is sent once it holds this many vertices (2.6 MB), so that drawing without ever
// displaying does not grow it without end.
constexpr std::size_t MaxBatchVertices = std::size_t{1} << 17;
// A batch reaches OpenGL in draw calls of at most this many vertices (a multiple of every
// primitive's size), its state set once. Mesa's software rasteriser fills small draw calls of
// rectangles (sprites, glyphs, filled rectangles) on a fast path it does not take for large ones:
// 10,000 sprites draw in about 60 % of the time of one call, rectangles in 20 %, and the extra
// calls cost a driver on a graphics card next to nothing.
constexpr std::size_t DrawCallVertices = 1200;
// A draw this large costs more to copy than its own draw call: it is drawn as it is.
constexpr std::size_t DirectDrawVertices = 2048;

// The draws gathered since the batch opened. Without a shader the vertices are already
// transformed and the states' transform is the identity; a shader sees the untransformed
// vertices and its own transform, as when drawn alone.
struct OpenBatch
{
    RenderTarget* target{};
    std::vector<Vertex> vertices; // grows to the largest batch and stays: no allocation once warm
    std::size_t count{};
    PrimitiveType type{PrimitiveType::Triangles};
    RenderStates states;
};

// This thread's batch, reached through a plain pointer that stays readable (null) once the
// thread's storage is torn down: render targets that outlive it (static ones) still ask for it
// when they go.
thread_local OpenBatch* current = nullptr;

struct BatchStorage
{
    OpenBatch batch;
    BatchStorage() { current = &batch; }
    ~BatchStorage() { current = nullptr; }
    BatchStorage(const BatchStorage&) = delete;
    BatchStorage& operator=(const BatchStorage&) = delete;
};

OpenBatch& storage()
{
    thread_local BatchStorage storage;
    return storage.batch;
}

// The vertices a draw adds to a batch: strips and fans become separate triangles (in the order
// the driver takes them apart itself, so that the same triangles are rasterised), and a trailing
// incomplete primitive is dropped as OpenGL drops it.
std::size_t batchedCount(PrimitiveType type, std::size_t count)
{
    switch (type)
    {
    case PrimitiveType::TriangleStrip:
    case PrimitiveType::TriangleFan: return count < 3 ? 0 : (count - 2) * 3;
    case PrimitiveType::Triangles: return count - count % 3;
    case PrimitiveType::Lines: return count - count % 2;
    case PrimitiveType::Points:
    case PrimitiveType::LineStrip: break;
    }
    return count;
}

PrimitiveType batchedType(PrimitiveType type)
{
    return type == PrimitiveType::TriangleStrip || type == PrimitiveType::TriangleFan ? PrimitiveType::Triangles : type;
}

// The states a draw is gathered under: a shader keeps the draw's transform, the fixed pipeline
// gets the vertices moved already.
RenderStates batchedStates(const RenderStates& states)
{
    RenderStates batched = states;
    if (!states.shader)
        batched.transform = Transform::Identity;
    return batched;
}

// Copies a vertex, moving its position by the transform's 2D part (as the modelview matrix would).
struct TransformedCopy
{
    const float* m;
    Vertex operator()(const Vertex& v) const
    {
        return {{m[0] * v.position.x + m[4] * v.position.y + m[12], m[1] * v.position.x + m[5] * v.position.y + m[13]},
                v.color,
                v.texCoords};
    }
};

struct PlainCopy
{
    Vertex operator()(const Vertex& v) const { return v; }
};

template <typename Copy>
void appendVertices(Vertex* out, const Vertex* in, std::size_t count, PrimitiveType type, Copy copy)
{
    switch (type)
    {
    case PrimitiveType::TriangleStrip:
        for (std::size_t i = 0; i + 2 < count; ++i)
        {
            const std::size_t odd = i & 1u;
            *out++ = copy(in[i + odd]);
            *out++ = copy(in[i + 1 - odd]);
            *out++ = copy(in[i + 2]);
        }
        break;
    case PrimitiveType::TriangleFan:
        for (std::size_t i = 1; i + 1 < count; ++i)
        {
            *out++ = copy(in[0]);
            *out++ = copy(in[i]);
            *out++ = copy(in[i + 1]);
        }
        break;
    default:
        for (std::size_t i = 0; i < batchedCount(type, count); ++i)
            *out++ = copy(in[i]);
        break;
    }
}

} // namespace

void RenderBatch::sendOpen()
{
    OpenBatch& batch = *current;
    // Drawing binds the batch's texture and shader through uses of their own; they find the batch
    // on its way and leave it.
    if (batch.count > 0)
        batch.target->drawBatch(batch.vertices.data(), batch.count, batch.type, batch.states, DrawCallVertices);
    batch.target = nullptr;
    batch.count = 0;
}

bool RenderBatch::add(RenderTarget& target, const Vertex* vertices, std::size_t vertexCount, PrimitiveType type,
                      const RenderStates& states)
{
    const std::size_t count = batchedCount(type, vertexCount);
    if (type == PrimitiveType::LineStrip || count >= DirectDrawVertices)
        return false;
    if (count == 0)
        return true;
    assert(!GlUse::active() && "RenderTarget::draw: drawing while OpenGL state is being changed");
    OpenBatch& batch = storage();
    const PrimitiveType batchType = batchedType(type);
    const RenderStates gathered = batchedStates(states);
    if (batch.target &&
        (batch.target != &target || batch.type != batchType || batch.count + count > MaxBatchVertices ||
         batch.states.texture != gathered.texture || batch.states.shader != gathered.shader ||
         batch.states.blendMode != gathered.blendMode || batch.states.stencilMode != gathered.stencilMode ||
         batch.states.transform != gathered.transform))
    {
        const GlUse sendOpenBatch;
    }
    if (!batch.target)
    {
        batch.target = &target;
        batch.type = batchType;
        batch.states = gathered;
    }
    if (batch.count + count > batch.vertices.size())
        batch.vertices.resize(std::max(batch.count + count, 2 * batch.vertices.size()));
    Vertex* out = batch.vertices.data() + batch.count;
    batch.count += count;
    // A shader sees the vertices as given, with the transform in its modelview matrix.
    if (states.shader || states.transform == Transform::Identity)
        appendVertices(out, vertices, vertexCount, type, PlainCopy{});
    else
        appendVertices(out, vertices, vertexCount, type, TransformedCopy{states.transform.getMatrix()});
    return true;
}

bool RenderBatch::open()
{
    return current && current->target;
}

bool RenderBatch::heldBy(const RenderTarget& target)
{
    return current && current->target == &target;
}

bool RenderBatch::uses(const Texture& texture)
{
    return open() && (current->states.texture == &texture || current->states.shader);
}

bool RenderBatch::uses(const Shader& shader)
{
    return open() && current->states.shader == &shader;
}

void RenderBatch::discard(const RenderTarget& target)
{
    if (current && current->target == &target)
    {
        current->target = nullptr;
        current->count = 0;
    }
}
void RenderBatch::retarget(const RenderTarget& from, RenderTarget& to)
{
    if (current && current->target == &from)
        current->target = &to;
}
} // namespace mivra::detail
