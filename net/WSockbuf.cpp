// The send-buffer block; see WSockbuf.h.
#include "net/WSockbuf.h"

#include <algorithm>
#include <cstring>

TBuffer::TBuffer(int size) : data_(static_cast<size_t>(size > 0 ? size : kSocketBufferSize)) {}

int TBuffer::Write(const void* data, int len) {
    if (len <= 0 || data == nullptr) return 0;
    int n = std::min(len, Room());
    if (n > 0) std::memcpy(data_.data() + wr_, data, static_cast<size_t>(n));
    wr_ += n;
    return n;
}

const uint8_t* TBuffer::Peek(int& len) const {
    len = wr_ - rd_;
    return len > 0 ? data_.data() + rd_ : nullptr;
}

void TBuffer::Remove(int n) {
    if (n <= 0) return;
    rd_ += std::min(n, wr_ - rd_);
    if (rd_ >= wr_) rd_ = wr_ = 0;
}

void TBuffer::SetBufSize(int size) {
    if (size <= 0) size = kSocketBufferSize;
    // Move the unread bytes to the front, then never shrink below them: a resize must not
    // lose data that was accepted for sending.
    int unread = wr_ - rd_;
    if (rd_ > 0 && unread > 0) std::memmove(data_.data(), data_.data() + rd_, static_cast<size_t>(unread));
    rd_ = 0;
    wr_ = unread;
    data_.resize(static_cast<size_t>(std::max(size, unread)));
}
