// Common vocabulary of the program: the base object, events with a Sender,
// and the exception base that the units derive their errors from.
#pragma once
#include <functional>
#include <stdexcept>
#include <string>

class TObject {
public:
    virtual ~TObject() = default;
};

// An event is an optional callback; its first argument is the component that fires it.
using TNotifyEvent = std::function<void(TObject* Sender)>;

// Base of every exception the program raises; Message is what the error box shows.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& msg) : std::runtime_error(msg) {}
    std::string Message() const { return what(); }
};

// A text that should have been an integer was not one.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// A component: owned by another component (usually its form), named.
class TComponent : public TObject {
public:
    explicit TComponent(TComponent* owner = nullptr) : owner_(owner) {}
    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& n) { name_ = n; }
    int Tag() const { return tag_; }
    void SetTag(int t) { tag_ = t; }

private:
    TComponent* owner_;
    std::string name_;
    int tag_ = 0;
};
