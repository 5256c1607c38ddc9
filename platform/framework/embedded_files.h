// Files of res/ built into the executable (the resource script, its header and the icon).
#pragma once

#include <cstddef>

namespace platform {

struct EmbeddedFile {
    const char* name; // file name without folder, e.g. "Vistrel.rc"; null ends the list
    const unsigned char* data;
    size_t size;
};

const EmbeddedFile* EmbeddedFiles();

} // namespace platform
