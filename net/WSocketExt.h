// TWSocketExt: the asynchronous socket with a numeric port, one event that delivers
// everything received at once, and remote settings that can survive a close.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "net/WSocket.h"

using TReceiveBufferEvent = std::function<void(TObject* Sender, void* Buf, int32_t Count,
                                               const std::string& FromAddr, uint16_t FromPort)>;

class TWSocketExt : public TWSocket {
public:
    explicit TWSocketExt(TComponent* owner = nullptr);

    // Port as a whole number; 0 when it is not one (empty, a service name, trailing text,
    // or beyond 16 bits). Setting it sets Port's text (so only while closed).
    uint16_t PortNumber() const;
    void SetPortNumber(uint16_t n);
    bool PreserveSettings() const { return preserve_; }
    void SetPreserveSettings(bool v) { preserve_ = v; }
    // Sends a datagram to address:port straight away; the byte count or -1.
    int32_t SendToAddr(const void* buf, int count, uint16_t port, const std::string& addr);

    void ResetDefaults() override;

    TReceiveBufferEvent OnReceiveBuffer;

protected:
    bool NotifyDataAvailable(uint16_t error) override;
    virtual void NotifyReceiveBuffer(void* buf, int32_t count, uint16_t fromPort, const std::string& fromAddr);
    // When the data being handled arrived (a tick count): the posting time of the socket
    // message that announced it, unless that is unknown or implausible (later than now, or
    // more than a minute ago), then now. The user-interface thread may have been busy
    // meanwhile; a time answer must not be taken as that much older than it is.
    static uint32_t ArrivalTick();

private:
    bool preserve_ = false;
};
