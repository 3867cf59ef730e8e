// TBuffer: one block of the socket's send queue. Bytes are appended behind the write
// count and taken from the read count; there is no wrap-around. When everything written
// has been taken, both counts return to 0 and the block can be filled again.
#pragma once
#include <cstdint>
#include <vector>

#include "core/Classes.h"

constexpr int kSocketBufferSize = 1514;

class TBuffer : public TObject {
public:
    // A size of 0 or less means the default 1514 bytes.
    explicit TBuffer(int size = kSocketBufferSize);
    // Copies as much of data as fits and returns how much that was (0 when full).
    int Write(const void* data, int len);
    // The unread bytes: a pointer to them (null when none) and their number in len.
    const uint8_t* Peek(int& len) const;
    // Takes n unread bytes away (at most what is unread).
    void Remove(int n);
    // Resizes the block; unread bytes are kept (a smaller size cannot drop them).
    void SetBufSize(int size);
    int BufSize() const { return static_cast<int>(data_.size()); }
    int Unread() const { return wr_ - rd_; }
    int Room() const { return BufSize() - wr_; }

private:
    std::vector<uint8_t> data_;
    int wr_ = 0;
    int rd_ = 0;
};
