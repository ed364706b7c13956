#pragma once

#include <cstdint>
#include <vector>

#include "BladeEncoder.h"

// Puts an information tag frame over the frame its stream reserved at the
// start of the file at path (a narrow path as the system spells it). The
// file is changed only when it starts with that reserved frame, so a tag
// never lands in a file of another stream or a file the caller rewrote.
BE_ERR WriteInfoTagFrame(const char* path, const std::vector<uint8_t>& tag);
