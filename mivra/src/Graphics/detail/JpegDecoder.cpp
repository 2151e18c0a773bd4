#include "ImageDecoder.hpp"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

namespace mivra::detail
{
namespace
{
// Progressive files may hold any number of scans, each a full pass over the image: a small file
// can keep the decoder busy for minutes. Real encoders write about a dozen.
constexpr int maxScans = 500;
// Coefficient buffers of progressive files; past this the decoder gives up instead of swapping.
constexpr long maxDecoderMemory = 768L * 1024 * 1024;

// Everything the decoder touches lives here, in plain C types: libjpeg reports errors by longjmp,
// which skips destructors, so the frames it jumps over must hold nothing that needs one.
struct JpegState
{
    jpeg_error_mgr errors{};
    jpeg_progress_mgr progress{};
    std::jmp_buf jump{};
    char message[JMSG_LENGTH_MAX]{};
    // The caller's pixel buffer, owned by a frame the jumps never cross. Decoding straight into it
    // matters: a second buffer and a copy of a whole image cost more than the decoding itself, as
    // every fresh page faults in.
    std::vector<std::uint8_t>* pixels{};
    JDIMENSION width{};
    JDIMENSION height{};
    bool tooLarge{};
};

JpegState& stateOf(j_common_ptr cinfo)
{
    return *static_cast<JpegState*>(cinfo->client_data);
}

[[noreturn]] void failJpeg(j_common_ptr cinfo)
{
    JpegState& state = stateOf(cinfo);
    if (state.message[0] == '\0')
        cinfo->err->format_message(cinfo, state.message);
    std::longjmp(state.jump, 1);
}

// Warnings about lost entropy-coded data mean the picture is damaged: libjpeg would paint the
// missing part grey and call it a success. Other warnings (stray bytes between markers, an unknown
// JFIF revision) leave the picture whole and are ignored.
void warnJpeg(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return; // trace messages
    const int code = cinfo->err->msg_code;
    if (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER || code == JWRN_HUFF_BAD_CODE || code == JWRN_MUST_RESYNC ||
        code == JWRN_NOT_SEQUENTIAL || code == JWRN_BOGUS_PROGRESSION)
    {
        JpegState& state = stateOf(cinfo);
        cinfo->err->format_message(cinfo, state.message);
        std::longjmp(state.jump, 1);
    }
}

void watchScans(j_common_ptr cinfo)
{
    if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > maxScans)
    {
        std::snprintf(stateOf(cinfo).message, JMSG_LENGTH_MAX, "more than %d scans", maxScans);
        std::longjmp(stateOf(cinfo).jump, 1);
    }
}

// Adobe writes CMYK inverted; multiplying by K gives the RGB that viewers show.
void cmykToRgba(unsigned char* row, JDIMENSION width)
{
    for (JDIMENSION x = 0; x < width; ++x)
    {
        unsigned char* p = row + x * 4;
        const unsigned k = p[3];
        p[0] = static_cast<unsigned char>((p[0] * k + 127) / 255);
        p[1] = static_cast<unsigned char>((p[1] * k + 127) / 255);
        p[2] = static_cast<unsigned char>((p[2] * k + 127) / 255);
        p[3] = 255;
    }
}

// Returns true with *state.pixels holding width * height RGBA pixels, or false with state.message
// set. Nothing with a destructor may live in this frame (see JpegState).
bool runJpegDecoder(const unsigned char* data, unsigned long size, JpegState& state)
{
    jpeg_decompress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = jpeg_std_error(&state.errors);
    state.errors.error_exit = failJpeg;
    state.errors.emit_message = warnJpeg;
    cinfo.client_data = &state;
    if (setjmp(state.jump) != 0)
    {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = maxDecoderMemory;
    state.progress.progress_monitor = watchScans;
    cinfo.progress = &state.progress;
    jpeg_mem_src(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);

    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGBA;
    jpeg_calc_output_dimensions(&cinfo);
    state.width = cinfo.output_width;
    state.height = cinfo.output_height;
    if (cinfo.output_width == 0 || cinfo.output_height == 0 || cinfo.output_width > maxImageSide ||
        cinfo.output_height > maxImageSide ||
        static_cast<std::uint64_t>(cinfo.output_width) * cinfo.output_height > maxImagePixels)
    {
        state.tooLarge = true;
        jpeg_destroy_decompress(&cinfo);
        return false;
    }

    const std::size_t stride = static_cast<std::size_t>(cinfo.output_width) * 4;
    // Reserved, not filled: the rows are added as they are decoded, so that a header claiming more
    // rows than the data holds fails without touching the memory of the missing ones.
    std::vector<std::uint8_t>& pixels = *state.pixels;
    bool reserved = true;
    try
    {
        pixels.clear();
        pixels.reserve(stride * cinfo.output_height);
    }
    catch (const std::bad_alloc&)
    {
        reserved = false;
    }
    if (!reserved)
    {
        std::snprintf(state.message, JMSG_LENGTH_MAX, "out of memory");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_start_decompress(&cinfo);
    while (cinfo.output_scanline < cinfo.output_height)
    {
        // Within the reserved capacity: no reallocation, nothing thrown.
        pixels.resize(stride * (cinfo.output_scanline + 1));
        unsigned char* row = pixels.data() + stride * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
        if (cmyk)
            cmykToRgba(row, cinfo.output_width);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}
} // namespace

bool decodeJpeg(const std::uint8_t* data, std::size_t size, DecodedImage& image, std::string& error)
{
    if (size > 0xffffffffu)
    {
        error = "the file is too large";
        return false;
    }
    JpegState state;
    state.pixels = &image.pixels;
    if (!runJpegDecoder(data, static_cast<unsigned long>(size), state))
    {
        image.pixels = {};
        if (state.tooLarge)
            acceptImageSize(state.width, state.height, error);
        else
            error = std::string("not a readable JPEG (") + state.message + ")";
        return false;
    }
    image.width = state.width;
    image.height = state.height;
    return true;
}
} // namespace mivra::detail
