// frame_buffer.h - the temporary frame and picture buffers of a capture, owned or viewing an array.
#pragma once

#include <cstdint>
#include <utility>

namespace qorin {

// A temporary frame or picture buffer, released on every path out of the command; or a
// view of memory someone else owns (part of a result array), never released by the view.
class FrameBuffer {
public:
    FrameBuffer() = default;
    FrameBuffer(FrameBuffer&& other) noexcept { *this = std::move(other); }
    FrameBuffer& operator=(FrameBuffer&& other) noexcept {
        if (this != &other) {
            release();
            data_ = other.data_;
            size_ = other.size_;
            owned_ = other.owned_;
            other.data_ = nullptr;
            other.size_ = 0;
        }
        return *this;
    }
    ~FrameBuffer() { release(); }

    // Allocates `bytes` bytes without throwing; false (and the buffer empty) when a size
    // cannot be represented or the memory is not there.
    bool allocate(std::uint64_t bytes) noexcept;
    // Refers to `bytes` bytes at `data` without owning them.
    void view(std::uint8_t* data, std::uint64_t bytes) noexcept {
        release();
        data_ = data;
        size_ = bytes;
        owned_ = false;
    }
    std::uint8_t* data() const { return data_; }
    std::uint64_t size() const { return size_; }
    void release() noexcept {
        if (owned_) delete[] data_;
        data_ = nullptr;
        size_ = 0;
    }

private:
    std::uint8_t* data_ = nullptr;
    std::uint64_t size_ = 0;
    bool owned_ = false;
};

// A buffer of `bytes` bytes, or the command's allocation message.
FrameBuffer allocateFrameBuffer(std::uint64_t bytes, const char* failMessage);

}  // namespace qorin
