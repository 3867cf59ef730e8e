// The asynchronous socket's data path: the send queue and its draining as the network takes
// it, and receiving, including the loop that hands each arrival to OnDataAvailable.
#include <algorithm>

#include "net/WSocket.h"
#include "net/WSocketWindow.h"

using namespace net;

// ---- sending

int32_t TCustomWSocket::Send(const void* data, int len) {
    if (state_ != wsConnected) {
        Api().SetLastError(WSAENOTCONN_);
        ReportWinsockError("Send");
        return -1;
    }
    allSent_ = false;
    if (len <= 0 || data == nullptr) {
        len = 0;
    } else {
        const uint8_t* p = static_cast<const uint8_t*>(data);
        int left = len;
        if (!queue_.empty()) {
            int n = queue_.back()->Write(p, left);
            p += n;
            left -= n;
        }
        while (left > 0) {
            queue_.push_back(std::make_unique<TBuffer>(kSocketBufferSize));
            int n = queue_.back()->Write(p, left);
            p += n;
            left -= n;
        }
    }
    net::TSocketHandle s = hSocket_;
    TryToSend();
    // The connection died under the send: the data is lost, and saying it was taken
    // would report a failure as a success.
    if (hSocket_ != s) return -1;
    if (allSent_) dataSentPosted_ = window_->Window().Post(WM_ASYNCSELECT, s, MakeSelectLParam(FD_WRITE_, 0));
    return len;
}

int32_t TCustomWSocket::SendText(const std::string& s) { return Send(s.data(), static_cast<int>(s.size())); }

void TCustomWSocket::TryToSend() {
    if (hSocket_ == kInvalidSocket) return;
    // An OnSendData handler that sends again lands here while the loop below runs: its
    // bytes are queued, and the running loop sends them in turn.
    if (sending_) return;
    sending_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{sending_};
    const net::TSocketHandle s = hSocket_;
    ISocketApi& api = Api();
    while (true) {
        if (queue_.empty()) {
            allSent_ = true;
            return;
        }
        TBuffer& first = *queue_.front();
        int len = 0;
        const uint8_t* p = first.Peek(len);
        if (len > 0) {
            int n = sockType_ == kSockDgram ? api.SendTo(hSocket_, p, len, sendFlags_, sin_)
                                            : api.Send(hSocket_, p, len, sendFlags_);
            if (n == 0) return;
            if (n < 0) {
                int code = api.LastError();
                if (code == WSAEINVAL_ || code == WSAENOTSOCK_ || code == WSAECONNABORTED_ ||
                    code == WSAECONNRESET_ || code == WSAENOTCONN_) {
                    closeReported_ = true;
                    Close();
                    lastError_ = code;
                    NotifySessionClosed(static_cast<uint16_t>(code));
                    return;
                }
                if (code == WSAEWOULDBLOCK_) return;
                ReportWinsockError("TryToSend failed");
                return;
            }
            // Taken off the queue before the handler runs, which may send or close (the
            // block may be gone afterwards).
            first.Remove(n);
            if (OnSendData) OnSendData(this, n);
            if (hSocket_ != s || queue_.empty()) return;  // the handler closed the socket
            if (n < len) return;
            continue;
        }
        if (queue_.size() > 1) {
            queue_.pop_front();
            continue;
        }
        allSent_ = true;
        return;
    }
}

int32_t TCustomWSocket::SendTo(const SockAddrIn& dest, const void* data, int len) {
    if (hSocket_ == kInvalidSocket || data == nullptr || len < 0) return -1;
    int n = Api().SendTo(hSocket_, data, len, sendFlags_, dest);
    if (n > 0 && OnSendData) OnSendData(this, n);
    if (n < 0) lastError_ = Api().LastError();
    return n;
}

void TCustomWSocket::Flush() {
    if (sending_) return;  // called from a handler of the sending loop, which goes on sending
    while (hSocket_ != kInvalidSocket && !allSent_) {
        TryToSend();
        if (hSocket_ == kInvalidSocket || allSent_) break;
        MessagePump();
    }
}

// ---- receiving

int32_t TCustomWSocket::Receive(void* buffer, int size) {
    if (buffer == nullptr || size <= 0) return 0;
    int n = Api().Recv(hSocket_, buffer, size, 0);
    if (n < 0)
        lastError_ = Api().LastError();
    else
        readCount_ += n;
    return n;
}

void TCustomWSocket::ReceiveText(std::string& s) {
    int32_t count = GetRcvdCount();
    // A failed count (-1) must not size the string: that would ask for ~4 GB.
    if (count <= 0) {
        s.clear();
        return;
    }
    s.assign(static_cast<size_t>(count), '\0');
    int n = Receive(s.data(), count);
    s.resize(n > 0 ? static_cast<size_t>(n) : 0);
}

int32_t TCustomWSocket::ReceiveFrom(void* buffer, int size, SockAddrIn& from, int& fromLen) {
    if (buffer == nullptr || size <= 0) return 0;
    int n = Api().RecvFrom(hSocket_, buffer, size, 0, &from);
    if (n < 0) {
        lastError_ = Api().LastError();
    } else {
        readCount_ += n;
        fromLen = static_cast<int>(sizeof(SockAddrIn));
    }
    return n;
}

int32_t TCustomWSocket::GetRcvdCount() {
    uint32_t count = 0;
    if (Api().BytesWaiting(hSocket_, count) != 0) {
        ReportWinsockError("ioctlSocket");
        return -1;
    }
    return static_cast<int32_t>(std::min<uint32_t>(count, 0x7FFFFFFF));
}

void TCustomWSocket::ReceiveLoop(uint16_t error) {
    ISocketApi& api = Api();
    net::TSocketHandle s = hSocket_;
    try {
        while (true) {
            lastError_ = 0;
            int32_t before = readCount_;
            bool discarded = false;
            if (!NotifyDataAvailable(error)) {
                char scratch[1024];
                int n = api.Recv(s, scratch, sizeof scratch, 0);
                if (n < 0) {
                    lastError_ = api.LastError();
                    if (lastError_ == WSAEWOULDBLOCK_) {
                        lastError_ = 0;
                        break;
                    }
                } else {
                    discarded = n > 0;
                }
            }
            if (lastError_ != 0) break;
            // The handler closed the socket: nothing is left to read from it.
            if (hSocket_ != s || s == kInvalidSocket) break;
            // A handler that leaves the data where it is would be called again and again
            // for ever; the system tells again when the data is read.
            if (!discarded && readCount_ == before) break;
            uint32_t waiting = 0;
            if (api.BytesWaiting(s, waiting) != 0) {
                lastError_ = api.LastError();
                break;
            }
            if (waiting == 0) break;
        }
    } catch (const Exception&) {
        // An event handler's exception only ends the loop.
    }
}
