#pragma once
// The few operations the serial port component needs from a serial device, so the same
// event thread drives the Linux device, the Windows device and a simulated one.
// Kept free of Qt: the Windows backend includes it and is compiled without Qt.
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

// Error kinds of the serial port; what() is the whole message.
class EComError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
// The device could not be opened: "Unable to open com port: " + the system's text.
class EComHandle : public EComError {
public:
    explicit EComHandle(const std::string& systemText)
        : EComError("Unable to open com port: " + systemText) {}
};
// The device opened but refused its settings: "Unable to set com state: " + the system's text.
class EComState : public EComError {
public:
    explicit EComState(const std::string& systemText)
        : EComError("Unable to set com state: " + systemText) {}
};

// Device event bits; the values are the Windows communication event bits so that the
// Windows backend passes them through unchanged.
namespace ComEv {
constexpr std::uint32_t RxChar = 0x0001;
constexpr std::uint32_t RxFlag = 0x0002;
constexpr std::uint32_t TxEmpty = 0x0004;
constexpr std::uint32_t Cts = 0x0008;
constexpr std::uint32_t Dsr = 0x0010;
constexpr std::uint32_t Rlsd = 0x0020;
constexpr std::uint32_t Break = 0x0040;
constexpr std::uint32_t Err = 0x0080;
constexpr std::uint32_t Ring = 0x0100;
} // namespace ComEv

// Bits of the modem-status word, again the Windows values.
namespace ComMs {
constexpr std::uint32_t Cts = 0x10;
constexpr std::uint32_t Dsr = 0x20;
constexpr std::uint32_t Ring = 0x40;
constexpr std::uint32_t Rlsd = 0x80;
} // namespace ComMs

// Line settings in plain numbers (the component translates its enumerations).
struct TComSettings {
    int baudRate = 9600;
    int dataBits = 8;    // 5..8
    int parity = 0;      // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int stopBits = 0;    // 0 one, 1 one and a half, 2 two
    int flowControl = 0; // 0 none (RTS low), 1 RTS/CTS (RTS raised), 2 XON/XOFF
    bool enableDTR = true;
    int readBufSize = 2048;
    int writeBufSize = 2048;
};

class IComDevice {
public:
    enum class TWait {
        Events,  // mask holds one or more selected events
        Stopped, // wake() was called; the thread is to leave
        Retry,   // nothing to report this time (a dropped wait); wait again
        Lost,    // the device has gone away; waiting again would only fail again
    };

    virtual ~IComDevice() = default;

    // Opens the device exclusively. Throws EComHandle.
    virtual void open() = 0;
    // Applies line settings and raises DTR/RTS as they ask. Throws EComState.
    virtual void configure(const TComSettings& settings) = 0;
    // Chooses the events (ComEv bits) that wait() reports. Throws EComState.
    virtual void setEventMask(std::uint32_t mask) = 0;
    // Event thread only: blocks until a selected event, wake(), or loss of the device.
    virtual TWait wait(std::uint32_t& mask) = 0;
    // Any thread: makes the current and every later wait() return Stopped. May be called
    // repeatedly; each call tries again to interrupt a wait that is already blocked.
    virtual void wake() = 0;
    // Reads the modem-status word (ComMs bits), pending line errors cleared first. False when
    // the lines could not be read; status is then left alone.
    virtual bool modemStatus(std::uint32_t& status) = 0;
    // Bytes waiting in the input queue; 0 on failure.
    virtual int inQue() = 0;
    // Drops pending input.
    virtual void purgeInput() = 0;
    // Releases the device; harmless when already closed.
    virtual void close() = 0;
};

// The platform's real device for a device name ("COM3" on Windows, a path on Linux).
std::unique_ptr<IComDevice> CreatePlatformComDevice(const std::string& name);
// True when the name is a character device that can be opened exclusively right now.
bool ProbeComDevice(const std::string& name);
