#pragma once

#include <cstddef>
#include <cstdint>

// Reading the four-byte header of a layer III frame.

// Bytes of the frame that starts with this header, padding slot included;
// 0 when the bytes are no layer III header. header holds at least 4 bytes.
uint32_t Mp3FrameBytes(const uint8_t* header);

// Offset from the frame's start of the data after the side information,
// where an information tag begins.
size_t Mp3SideInfoEnd(const uint8_t* header);
