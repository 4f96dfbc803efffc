#include "io/ExrTextReader.h"

#include <OpenEXR/openexr.h>
#include <sys/stat.h>

#include <array>
#include <memory>

namespace tessaform {
namespace {

// The library's default reporter prints to stderr; the reason travels in
// the result instead.
void keepQuiet(exr_const_context_t, exr_result_t, const char*) {}

struct ContextClose {
    void operator()(exr_context_t context) const { exr_finish(&context); }
};
using ExrContext = std::unique_ptr<std::remove_pointer_t<exr_context_t>, ContextClose>;

Failure exrFailure(exr_result_t code)
{
    return Failure{std::string("the OpenEXR image is damaged or cut short (") + exr_get_default_error_message(code) +
                   ")"};
}

Result<ExrContext> openForReading(const std::string& path)
{
    exr_context_initializer_t settings = EXR_DEFAULT_CONTEXT_INITIALIZER;
    settings.error_handler_fn = keepQuiet;
    // A damaged table of blocks is a damaged file, not one to patch up.
    settings.flags = EXR_CONTEXT_FLAG_STRICT_HEADER | EXR_CONTEXT_FLAG_SILENT_HEADER_PARSE |
                     EXR_CONTEXT_FLAG_DISABLE_CHUNK_RECONSTRUCTION;
    exr_context_t context = nullptr;
    const exr_result_t opened = exr_start_read(&context, path.c_str(), &settings);
    ExrContext owned(context);
    if (opened != EXR_ERR_SUCCESS) {
        return exrFailure(opened);
    }
    return owned;
}

// Every block is where the table says and ends within the file.
Result<void> checkBlocks(exr_const_context_t context, std::uint64_t fileSize)
{
    exr_storage_t storage = EXR_STORAGE_LAST_TYPE;
    exr_attr_box2i_t window{};
    int32_t rowsPerBlock = 0;
    exr_result_t code = exr_get_storage(context, 0, &storage);
    if (code == EXR_ERR_SUCCESS && storage != EXR_STORAGE_SCANLINE) {
        return Failure{"only OpenEXR scanline images are read"};
    }
    if (code == EXR_ERR_SUCCESS) {
        code = exr_get_data_window(context, 0, &window);
    }
    if (code == EXR_ERR_SUCCESS) {
        code = exr_get_scanlines_per_chunk(context, 0, &rowsPerBlock);
    }
    for (std::int64_t y = window.min.y; code == EXR_ERR_SUCCESS && y <= window.max.y; y += rowsPerBlock) {
        exr_chunk_info_t block{};
        code = exr_read_scanline_chunk_info(context, 0, static_cast<int>(y), &block);
        if (code == EXR_ERR_SUCCESS &&
            (block.data_offset > fileSize || block.packed_size > fileSize - block.data_offset)) {
            return Failure{"the OpenEXR image is damaged or cut short (a block reaches past its end)"};
        }
    }
    if (code != EXR_ERR_SUCCESS) {
        return exrFailure(code);
    }
    return {};
}

Result<std::vector<PngText>> stringAttributes(exr_const_context_t context)
{
    int32_t count = 0;
    if (const exr_result_t code = exr_get_attribute_count(context, 0, &count); code != EXR_ERR_SUCCESS) {
        return exrFailure(code);
    }
    std::vector<PngText> texts;
    for (int32_t index = 0; index < count; ++index) {
        const exr_attribute_t* attribute = nullptr;
        if (const exr_result_t code =
                exr_get_attribute_by_index(context, 0, EXR_ATTR_LIST_FILE_ORDER, index, &attribute);
            code != EXR_ERR_SUCCESS) {
            return exrFailure(code);
        }
        if (attribute->type == EXR_ATTR_STRING && attribute->string != nullptr) {
            const exr_attr_string_t& text = *attribute->string;
            texts.push_back({attribute->name, std::string(text.str, static_cast<std::size_t>(text.length)), false});
        }
    }
    return texts;
}

}  // namespace

bool startsWithExrMagic(std::FILE* stream)
{
    constexpr std::array<unsigned char, 4> kMagic{0x76, 0x2F, 0x31, 0x01};
    const long at = std::ftell(stream);
    std::array<unsigned char, 4> bytes{};
    const bool read = std::fread(bytes.data(), 1, bytes.size(), stream) == bytes.size();
    std::fseek(stream, at, SEEK_SET);
    return read && bytes == kMagic;
}

Result<std::vector<PngText>> readExrTexts(const std::string& path)
{
    struct stat file;
    if (::stat(path.c_str(), &file) != 0 || !S_ISREG(file.st_mode)) {
        return Failure{"not a regular file"};
    }
    const Result<ExrContext> context = openForReading(path);
    if (!context) {
        return Failure{context.error()};
    }
    if (const Result<void> whole = checkBlocks(context->get(), static_cast<std::uint64_t>(file.st_size)); !whole) {
        return Failure{whole.error()};
    }
    return stringAttributes(context->get());
}

}  // namespace tessaform
