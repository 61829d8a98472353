#pragma once
// The file calls on which the promise "nothing leaves a device or a card before it is on disk"
// rests: creating an output, writing it, flushing it, giving it its name and removing a source;
// and reading a source, since a read that fails must never pass for the end of a file.
// A real file system almost never fails them, so a test puts a gate before them that can make
// one fail as a full or failing disk would, and that sees the order in which they come.
#include <filesystem>

namespace zep {

enum class FileCall { Create, Write, Flush, Link, Remove, Read };

class FileCallGate {
public:
    virtual ~FileCallGate() = default;
    // Asked before each call, with the name it concerns (the file, or for Link the new name).
    // False: the call is not made and fails with an input/output error.
    virtual bool Allow(FileCall call, const std::filesystem::path& path) = 0;
};

// Puts a gate before the file calls of the whole process; nullptr removes it. Without a gate
// every call is made. The gate must outlive its installation.
void SetFileCallGate(FileCallGate* gate);

// What the backend asks before each of those calls: true when the call may be made.
bool FileCallAllowed(FileCall call, const std::filesystem::path& path);

}  // namespace zep
