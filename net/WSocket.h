// TWSocket: a non-blocking, event-driven TCP/UDP socket for the user-interface thread.
// Winsock posts socket events to a hidden window of the component's own; the component
// turns them into its state machine and its events and keeps outgoing data in TBuffer
// blocks until the network takes it. The unit's resolvers and error texts come with it
// (net/Resolve.h, net/SocketErrors.h).
#pragma once
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Classes.h"
#include "net/Resolve.h"
#include "net/SocketApi.h"
#include "net/SocketErrors.h"
#include "net/WSockbuf.h"

enum TSocketState {
    wsInvalidState, wsOpened, wsBound, wsConnecting, wsConnected, wsAccepting, wsListening, wsClosed
};
enum TSocketSendFlags { wsSendNormal = 0, wsSendUrgent = 1 };
enum TSocketLingerOnOff { wsLingerOff = 0, wsLingerOn = 1, wsLingerNoSet = 2 };
enum TSocksAuthentication { socksNoAuthentication, socksAuthenticateUsercode };

// The hidden window's private message numbers.
enum : uint32_t {
    WM_ASYNCSELECT = 1025,
    WM_ASYNCGETHOSTBYNAME = 1026,
    WM_ASYNCGETHOSTBYADDR = 1027,
    WM_CLOSE_DELAYED = 1028,
    WM_WSOCKET_RELEASE = 1029,
    WM_TRIGGER_EXCEPTION = 1030,
};

class TCustomWSocket;
using TDataAvailable = std::function<void(TObject* Sender, uint16_t Error)>;
using TDataSent = std::function<void(TObject* Sender, uint16_t Error)>;
using TSendData = std::function<void(TObject* Sender, int32_t BytesSent)>;
using TSessionConnected = std::function<void(TObject* Sender, uint16_t Error)>;
using TSessionClosed = std::function<void(TObject* Sender, uint16_t Error)>;
using TSessionAvailable = std::function<void(TObject* Sender, uint16_t Error)>;
using TChangeState = std::function<void(TObject* Sender, TSocketState OldState, TSocketState NewState)>;
using TDnsLookupDone = std::function<void(TObject* Sender, uint16_t Error)>;
using TBgExceptionEvent = std::function<void(TObject* Sender, const Exception& E, bool& CanClose)>;

class SocketWindow;  // the message plumbing (net/WSocketWindow.cpp)

class TCustomWSocket : public TComponent {
public:
    explicit TCustomWSocket(TComponent* owner = nullptr);
    ~TCustomWSocket() override;
    TCustomWSocket(const TCustomWSocket&) = delete;
    TCustomWSocket& operator=(const TCustomWSocket&) = delete;

    virtual void Connect();
    virtual void Close();
    virtual void Abort();
    virtual void Shutdown(int how);
    virtual void CloseDelayed();
    virtual void Flush();
    virtual int32_t Send(const void* data, int len);
    virtual int32_t SendText(const std::string& s);
    virtual int32_t SendTo(const net::SockAddrIn& dest, const void* data, int len);
    virtual int32_t Receive(void* buffer, int size);
    virtual void ReceiveText(std::string& s);
    virtual int32_t ReceiveFrom(void* buffer, int size, net::SockAddrIn& from, int& fromLen);
    virtual int32_t GetRcvdCount();
    virtual void DnsLookup(const std::string& host);
    virtual void ReverseDnsLookup(const std::string& addr);
    virtual void CancelDnsLookup();
    virtual void Pause();
    virtual void Resume();
    virtual void ResetDefaults();
    virtual void MessagePump();

    // Properties.
    const std::string& Addr() const { return addrStr_; }
    void SetAddr(const std::string& v);
    const std::string& Port() const { return portStr_; }
    void SetPort(const std::string& v);
    const std::string& Proto() const { return protoStr_; }
    void SetProto(const std::string& v);
    const std::string& LocalAddr() const { return localAddrStr_; }
    void SetLocalAddr(const std::string& v);
    const std::string& LocalPort() const { return localPortStr_; }
    void SetLocalPort(const std::string& v);
    std::string PeerAddr();
    std::string PeerPort();
    const std::string& DnsResult() const { return dnsResult_; }
    const std::vector<std::string>& DnsResultList() const { return dnsResultList_; }
    TSocketState State() const { return state_; }
    int32_t ReadCount() const { return readCount_; }
    int32_t RcvdCount() { return GetRcvdCount(); }
    int32_t LastError() const { return lastError_; }
    bool MultiThreaded() const { return multiThreaded_; }
    void SetMultiThreaded(bool v) { multiThreaded_ = v; }
    int32_t FlushTimeout() const { return flushTimeout_; }
    void SetFlushTimeout(int32_t v) { flushTimeout_ = v; }
    TSocketSendFlags SendFlags() const;
    void SetSendFlags(int v);
    TSocketLingerOnOff LingerOnOff() const { return lingerOnOff_; }
    void SetLingerOnOff(TSocketLingerOnOff v) { lingerOnOff_ = v; }
    int32_t LingerTimeout() const { return lingerTimeout_; }
    void SetLingerTimeout(int32_t v) { lingerTimeout_ = v; }
    // The socket handle (kInvalidSocket when there is none).
    net::TSocketHandle Handle() const { return hSocket_; }
    // How many blocks the send queue holds and how many bytes wait in them.
    size_t QueuedBlocks() const { return queue_.size(); }
    int QueuedBytes() const;
    bool AllSent() const { return allSent_; }

    TDataAvailable OnDataAvailable;
    TDataSent OnDataSent;
    TSendData OnSendData;
    TSessionConnected OnSessionConnected;
    TSessionClosed OnSessionClosed;
    TSessionAvailable OnSessionAvailable;
    TChangeState OnChangeState;
    TDnsLookupDone OnDnsLookupDone;
    TNotifyEvent OnError;
    TBgExceptionEvent OnBgException;

protected:
    void ChangeState(TSocketState newState);
    virtual bool NotifyDataAvailable(uint16_t error);
    virtual void NotifySessionConnected(uint16_t error);
    virtual void NotifySessionClosed(uint16_t error);
    virtual void NotifyDataSent(uint16_t error);
    virtual void NotifySessionAvailable(uint16_t error);
    virtual void NotifyDnsLookupDone(uint16_t error);
    virtual void NotifyError();
    virtual void ReportError(const std::string& msg);
    void ReportWinsockError(const std::string& function);
    void TryToSend();
    net::ISocketApi& Api();

private:
    friend class SocketWindow;
    void HandleSocketEvent(uintptr_t wParam, intptr_t lParam);
    void ReceiveLoop(uint16_t error);
    void InternalClose(bool shut, uint16_t error);
    void ApplyLinger();
    std::string BindSocket();  // empty, or the failure's text
    void HandleBackgroundException(const Exception& e);
    void HandleLookupDone(uint32_t msg, uintptr_t wParam, intptr_t lParam);
    void StartLookup(const std::string& text, bool reverse);
    void ClearQueue() { queue_.clear(); }

    std::unique_ptr<SocketWindow> window_;
    net::TSocketHandle hSocket_ = net::kInvalidSocket;
    net::SockAddrIn sin_;
    int sockType_ = net::kSockStream;
    int proto_ = net::kIpProtoTcp;
    std::string addrStr_, portStr_, protoStr_, localAddrStr_ = "0.0.0.0", localPortStr_ = "0";
    bool addrAssigned_ = false, portAssigned_ = false, protoAssigned_ = false;
    bool addrResolved_ = false, portResolved_ = false, protoResolved_ = false, localPortResolved_ = false;
    uint16_t localPortNum_ = 0;
    std::deque<std::unique_ptr<TBuffer>> queue_;
    bool sending_ = false;  // TryToSend is running
    bool allSent_ = true;
    // Send found the queue empty and posted the "all sent" event; the peer's close may be
    // queued ahead of it, and must not swallow it.
    bool dataSentPosted_ = false;
    bool closeReported_ = false;
    bool paused_ = false;
    bool destroying_ = false;
    bool closing_ = false;  // inside a close that pumps messages while it waits
    TSocketState state_ = wsClosed;
    int32_t readCount_ = 0;
    int32_t lastError_ = 0;
    bool multiThreaded_ = false;
    int32_t flushTimeout_ = 60;
    int sendFlags_ = wsSendNormal;
    TSocketLingerOnOff lingerOnOff_ = wsLingerOn;
    int32_t lingerTimeout_ = 0;
    uintptr_t dnsRequest_ = 0;
    std::string dnsResult_;
    std::vector<std::string> dnsResultList_;
};

// The optional layers. The program never gives a proxy server and never turns line mode
// on or waits, so each of them passes everything through to the socket itself.
class TCustomSocksWSocket : public TCustomWSocket {
public:
    using TCustomWSocket::TCustomWSocket;
    void ResetDefaults() override;
    const std::string& SocksLevel() const { return socksLevel_; }
    void SetSocksLevel(const std::string& v);
    const std::string& SocksServer() const { return socksServer_; }
    void SetSocksServer(const std::string& v);
    const std::string& SocksPort() const { return socksPort_; }
    void SetSocksPort(const std::string& v);
    std::string SocksUsercode, SocksPassword;
    TSocksAuthentication SocksAuthentication = socksNoAuthentication;
    void Connect() override;

private:
    std::string socksLevel_ = "5", socksServer_, socksPort_;
};

class TCustomLineWSocket : public TCustomSocksWSocket {
public:
    using TCustomSocksWSocket::TCustomSocksWSocket;
    bool LineMode = false;
    std::string LineEnd = "\r\n";
    bool LineEcho = false;
    bool LineEdit = false;
};

class TCustomSyncWSocket : public TCustomLineWSocket {
public:
    using TCustomLineWSocket::TCustomLineWSocket;
};

class TWSocket : public TCustomSyncWSocket {
public:
    using TCustomSyncWSocket::TCustomSyncWSocket;
};
