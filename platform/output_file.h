// output_file.h - a file the module writes (a recording's TIFF), through the system's own calls and its own names.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/native_path.h"

namespace qorin::platform {

// One piece of a gather write: `bytes` bytes from `data`.
struct WritePiece {
    const void* data;
    std::size_t bytes;
};

// A file created for writing (an existing one is emptied), written and read at offsets without a
// buffer of its own: each write has reached the system when it returns, so the file holds it
// should the process end right after.  On Windows it is opened by its UTF-16 name, and others may
// read, rename or delete it while it is written.  Every call reports failure by its result; the
// system's reason is not kept.
class OutputFile {
public:
    explicit OutputFile(const NativePath& path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Whether the file was created and is not closed.
    bool isOpen() const;

    // Writes `bytes` bytes at `offset`, all of them or false.
    bool writeAt(std::uint64_t offset, const void* data, std::size_t bytes);
    // Writes the pieces one after another from `offset` on, all of them or false.
    bool writeAt(std::uint64_t offset, const WritePiece* pieces, std::size_t count);
    // Reads up to `bytes` bytes at `offset`; the number read (fewer at the end of the file), or
    // -1 when the read fails.
    std::int64_t readAt(std::uint64_t offset, void* data, std::size_t bytes);
    // Has the system put what was written on the storage device.
    bool flush();
    // Closes the file; false when the system reports a failure of the last writes.
    bool close();
    // Closes the file and deletes it.
    bool remove();

private:
#if defined(_WIN32)
    void* handle_;  // a HANDLE, INVALID_HANDLE_VALUE when closed
#else
    int descriptor_;  // -1 when closed
#endif
    NativePath path_;
};

}  // namespace qorin::platform
