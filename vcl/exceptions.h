// Error types of the component layer.
#pragma once

#include <stdexcept>
#include <string>

namespace vcl {

// The silent abort: ends the running handler chain without a message. It is
// deliberately not a std::exception, so that only the event dispatcher
// (TApplication) catches it.
struct EAbort {};

// Raises the silent abort.
[[noreturn]] inline void Abort() {
    throw EAbort{};
}

// The root of the errors this system raises (the silent abort aside): the
// component layer's Exception and the database, server, script and desktop
// errors derive from it, each keeping its own meaning for what catches it.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Every error the component layer and the module report to the user derives
// from Exception; the category tells where it came from, the message is what
// the user reads.
class Exception : public Error {
public:
    using Error::Error;
};

class EConvertError : public Exception {  // a value that cannot be converted
public:
    using Exception::Exception;
};
class EVariantError : public Exception {  // wrong variant type or index
public:
    using Exception::Exception;
};
class EDatabaseError : public Exception {  // dataset state, fields, filters, packets
public:
    using Exception::Exception;
};
class EWireError : public Exception {  // malformed wire JSON
public:
    using Exception::Exception;
};

}  // namespace vcl
