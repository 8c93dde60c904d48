// output_file.cpp - the module's output files: pwrite/pwritev/pread on POSIX, CreateFileW/WriteFile/ReadFile on Windows.
#include "platform/output_file.h"

#include <algorithm>
#include <cstdint>

#if defined(_WIN32)
#  include "platform/windows_api.h"
#else
#  include <fcntl.h>
#  include <sys/uio.h>
#  include <unistd.h>

#  include <cerrno>
#endif

namespace qorin::platform {

#if defined(_WIN32)

namespace {

// One WriteFile or ReadFile moves at most a DWORD of bytes; a gigabyte keeps well inside it.
constexpr std::size_t kLargestCall = std::size_t{1} << 30;

DWORD callBytes(std::size_t left) { return static_cast<DWORD>(left < kLargestCall ? left : kLargestCall); }

OVERLAPPED at(std::uint64_t offset) {
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(offset);
    where.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return where;
}

}  // namespace

OutputFile::OutputFile(const NativePath& path) : handle_(INVALID_HANDLE_VALUE), path_(path) {
    // Others may read the file while it is written, and move or delete it (a deleted file goes
    // once this handle is closed); nobody else may write it.
    handle_ = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

OutputFile::~OutputFile() { close(); }

bool OutputFile::isOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

bool OutputFile::writeAt(std::uint64_t offset, const void* data, std::size_t bytes) {
    const WritePiece piece{data, bytes};
    return writeAt(offset, &piece, 1);
}

bool OutputFile::writeAt(std::uint64_t offset, const WritePiece* pieces, std::size_t count) {
    if (!isOpen()) return false;
    for (std::size_t k = 0; k < count; ++k) {
        const auto* from = static_cast<const unsigned char*>(pieces[k].data);
        std::size_t left = pieces[k].bytes;
        while (left > 0) {
            OVERLAPPED where = at(offset);
            DWORD written = 0;
            if (!WriteFile(handle_, from, callBytes(left), &written, &where) || written == 0) return false;
            from += written;
            left -= written;
            offset += written;
        }
    }
    return true;
}

std::int64_t OutputFile::readAt(std::uint64_t offset, void* data, std::size_t bytes) {
    if (!isOpen()) return -1;
    auto* to = static_cast<unsigned char*>(data);
    std::size_t done = 0;
    while (done < bytes) {
        OVERLAPPED where = at(offset + done);
        DWORD read = 0;
        if (!ReadFile(handle_, to + done, callBytes(bytes - done), &read, &where)) {
            if (GetLastError() == ERROR_HANDLE_EOF) break;
            return -1;
        }
        if (read == 0) break;
        done += read;
    }
    return static_cast<std::int64_t>(done);
}

bool OutputFile::flush() { return isOpen() && FlushFileBuffers(handle_) != FALSE; }

bool OutputFile::close() {
    if (!isOpen()) return true;
    const bool closed = CloseHandle(handle_) != FALSE;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
}

bool OutputFile::remove() {
    close();
    return DeleteFileW(path_.c_str()) != FALSE;
}

#else

namespace {

// Pieces handed to one pwritev; the system takes at most IOV_MAX (1024 on Linux) at once.
constexpr std::size_t kVectorBatch = 1024;

}  // namespace

OutputFile::OutputFile(const NativePath& path) : descriptor_(-1), path_(path) {
    do {
        descriptor_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    } while (descriptor_ < 0 && errno == EINTR);
}

OutputFile::~OutputFile() { close(); }

bool OutputFile::isOpen() const { return descriptor_ >= 0; }

bool OutputFile::writeAt(std::uint64_t offset, const void* data, std::size_t bytes) {
    const WritePiece piece{data, bytes};
    return writeAt(offset, &piece, 1);
}

bool OutputFile::writeAt(std::uint64_t offset, const WritePiece* pieces, std::size_t count) {
    if (!isOpen()) return false;
    std::size_t next = 0;  // the first piece not wholly written
    std::size_t done = 0;  // bytes of it already written
    for (;;) {
        while (next < count && done == pieces[next].bytes) {
            ++next;
            done = 0;
        }
        if (next == count) return true;
        iovec vectors[kVectorBatch];
        int used = 0;
        for (std::size_t k = next; k < count && used < static_cast<int>(kVectorBatch); ++k) {
            const std::size_t skip = k == next ? done : 0;
            if (pieces[k].bytes == skip) continue;
            vectors[used].iov_base = const_cast<unsigned char*>(static_cast<const unsigned char*>(pieces[k].data) + skip);
            vectors[used].iov_len = pieces[k].bytes - skip;
            ++used;
        }
        const ssize_t written = ::pwritev(descriptor_, vectors, used, static_cast<off_t>(offset));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        offset += static_cast<std::uint64_t>(written);
        // What the system took may end inside a piece: the next call starts there.
        std::size_t left = static_cast<std::size_t>(written);
        while (left > 0) {
            const std::size_t rest = pieces[next].bytes - done;
            const std::size_t taken = std::min(left, rest);
            done += taken;
            left -= taken;
            if (done == pieces[next].bytes) {
                ++next;
                done = 0;
            }
        }
    }
}

std::int64_t OutputFile::readAt(std::uint64_t offset, void* data, std::size_t bytes) {
    if (!isOpen()) return -1;
    auto* to = static_cast<unsigned char*>(data);
    std::size_t done = 0;
    while (done < bytes) {
        const ssize_t read = ::pread(descriptor_, to + done, bytes - done, static_cast<off_t>(offset + done));
        if (read < 0 && errno == EINTR) continue;
        if (read < 0) return -1;
        if (read == 0) break;
        done += static_cast<std::size_t>(read);
    }
    return static_cast<std::int64_t>(done);
}

bool OutputFile::flush() { return isOpen() && ::fdatasync(descriptor_) == 0; }

bool OutputFile::close() {
    if (!isOpen()) return true;
    // The descriptor is gone whatever close reports, EINTR included: it is not closed again.
    const bool closed = ::close(descriptor_) == 0;
    descriptor_ = -1;
    return closed;
}

bool OutputFile::remove() {
    close();
    return ::unlink(path_.c_str()) == 0;
}

#endif

}  // namespace qorin::platform
