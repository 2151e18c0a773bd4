#include "TerrainMesh.hpp"

#include <new>
#include <stdexcept>

namespace island
{
bool TerrainMesh::allocate(std::size_t count)
{
    try
    {
        vertices.assign(count, Vertex{});
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    catch (const std::length_error&)
    {
        return false;
    }
    workers.startTerrainWorkers();
    return true;
}
} // namespace island
