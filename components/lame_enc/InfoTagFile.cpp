#include "InfoTagFile.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The reserved frame carries the tag frame's own header and nothing but
// zeros; a frame that already holds this very tag is accepted too, so
// writing a tag twice does no harm.
bool IsReservedFor(const std::vector<uint8_t>& frame, const std::vector<uint8_t>& tag)
{
    constexpr size_t kHeaderSize = 4;
    if (!std::equal(tag.begin(), tag.begin() + kHeaderSize, frame.begin()))
        return false;
    return std::all_of(frame.begin() + kHeaderSize, frame.end(), [](uint8_t b) { return b == 0; })
        || frame == tag;
}

} // namespace

BE_ERR WriteInfoTagFrame(const char* path, const std::vector<uint8_t>& tag)
{
    if (!path || tag.size() < 4)
        return BE_ERR_TAG_FILE;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "r+b"));
    if (!file)
        return BE_ERR_TAG_FILE;
    std::vector<uint8_t> first(tag.size());
    if (std::fread(first.data(), 1, first.size(), file.get()) != first.size()
        || !IsReservedFor(first, tag))
        return BE_ERR_TAG_FILE;
    if (std::fseek(file.get(), 0, SEEK_SET) != 0
        || std::fwrite(tag.data(), 1, tag.size(), file.get()) != tag.size())
        return BE_ERR_TAG_FILE;
    // A failing close is a failed write (the data may not have reached the disk).
    return std::fclose(file.release()) == 0 ? BE_ERR_SUCCESSFUL : BE_ERR_TAG_FILE;
}
