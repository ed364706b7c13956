#pragma once

#include <memory>
#include <vector>

#include <taglib/id3v2frame.h>

// ID3v2 frames on their way from a source's tags into an MP3: owned here
// until a tag takes them over.
using Id3FrameList = std::vector<std::unique_ptr<TagLib::ID3v2::Frame>>;
