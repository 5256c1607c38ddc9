// Files built into the program: its resource script, the header of symbols the script
// includes and the files it names (icons). The program hands them to the framework.
#pragma once

#include <cstddef>

namespace platform {

struct EmbeddedFile {
    const char* name; // file name without folder, e.g. "app.ico"; null ends the list
    const unsigned char* data;
    size_t size;
};

// The program's resources: `files` ends with a null name; `script` and `header` name the
// resource script and its header among them. Called once as the program starts (before any
// window); the files stay valid for the life of the process.
void SetResourceFiles(const EmbeddedFile* files, const char* script, const char* header);

} // namespace platform
