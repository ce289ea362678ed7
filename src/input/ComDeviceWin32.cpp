// Serial device on Windows: overlapped WaitCommEvent, cancelled through a stop event.
// No Qt here, so the file also compiles with a plain cross compiler.
#ifdef _WIN32
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0600 // CancelIoEx
#endif
#include "input/ComDevice.h"

#include <windows.h>

#include <atomic>
#include <string>

namespace {

// The system's message for an error code, without its line end; the code in decimal when
// the system has no message for it.
std::string ErrorText(DWORD code) {
    char buf[256] = {};
    const DWORD n =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buf, 255, nullptr);
    if (n == 0) return std::to_string(code);
    std::string s(buf, n);
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' '))
        s.pop_back();
    return s;
}

std::string LastErrorText() {
    return ErrorText(GetLastError());
}

bool IsNtFamily() {
    OSVERSIONINFOA vi{};
    vi.dwOSVersionInfoSize = sizeof vi;
    if (!GetVersionExA(&vi)) return true;
    return vi.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// COM10 and up are reachable only through the device namespace, so the NT family always
// uses it; a name that already carries a namespace prefix is taken as it is.
std::string DevicePath(const std::string& name, const char* prefix) {
    if (name.rfind("\\\\", 0) == 0 || name.rfind("//", 0) == 0) return name;
    return IsNtFamily() ? prefix + name : name;
}

HANDLE OpenComHandle(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_FLAG_OVERLAPPED, nullptr);
}

class TWin32ComDevice : public IComDevice {
public:
    explicit TWin32ComDevice(std::string name) : m_name(std::move(name)) {}
    ~TWin32ComDevice() override { close(); }

    void open() override {
        m_handle = OpenComHandle(DevicePath(m_name, "\\\\.\\"));
        if (m_handle == INVALID_HANDLE_VALUE) throw EComHandle(LastErrorText());
        m_stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_ov.hEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr);
        if (!m_stopEvent || !m_ov.hEvent) {
            const std::string text = LastErrorText();
            close();
            throw EComHandle(text);
        }
    }

    void configure(const TComSettings& s) override {
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        dcb.BaudRate = DWORD(s.baudRate);
        dcb.fBinary = 1;
        dcb.fDtrControl = s.enableDTR ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
        dcb.fRtsControl = RTS_CONTROL_DISABLE;
        if (s.flowControl == 1) {
            dcb.fOutxCtsFlow = 1;
            dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
        } else if (s.flowControl == 2) {
            dcb.fOutX = 1;
            dcb.fInX = 1;
        }
        dcb.XonChar = 0x11;
        dcb.XoffChar = 0x13;
        dcb.XonLim = WORD(s.writeBufSize / 4);
        dcb.XoffLim = 1;
        dcb.ByteSize = BYTE(s.dataBits);
        dcb.Parity = BYTE(s.parity);
        dcb.StopBits = BYTE(s.stopBits);
        if (!SetCommState(m_handle, &dcb)) fail();
        COMMTIMEOUTS t{};
        if (!GetCommTimeouts(m_handle, &t)) fail();
        t.ReadIntervalTimeout = 0xFFFFFFFF;
        t.ReadTotalTimeoutMultiplier = 0;
        t.ReadTotalTimeoutConstant = 0;
        t.WriteTotalTimeoutMultiplier = 1000;
        t.WriteTotalTimeoutConstant = 1500;
        if (!SetCommTimeouts(m_handle, &t)) fail();
        if (!SetupComm(m_handle, DWORD(s.readBufSize), DWORD(s.writeBufSize))) fail();
    }

    void setEventMask(std::uint32_t mask) override {
        if (!SetCommMask(m_handle, mask)) fail();
    }

    TWait wait(std::uint32_t& mask) override {
        if (m_stop) return TWait::Stopped;
        m_eventMask = 0;
        ResetEvent(m_ov.hEvent);
        if (!WaitCommEvent(m_handle, &m_eventMask, &m_ov)) {
            // Failing at once (not pending) means the device no longer answers; re-issuing
            // the wait would only fail again.
            if (GetLastError() != ERROR_IO_PENDING) return TWait::Lost;
            HANDLE handles[2] = {m_stopEvent, m_ov.hEvent};
            const DWORD w = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
            if (w != WAIT_OBJECT_0 + 1) {
                // The system still owns the mask and the OVERLAPPED until the call ends.
                CancelIoEx(m_handle, &m_ov);
                DWORD n = 0;
                GetOverlappedResult(m_handle, &m_ov, &n, TRUE);
                return w == WAIT_OBJECT_0 ? TWait::Stopped : TWait::Lost;
            }
            DWORD n = 0;
            if (!GetOverlappedResult(m_handle, &m_ov, &n, FALSE)) {
                DWORD errors = 0;
                COMSTAT stat{};
                return ClearCommError(m_handle, &errors, &stat) ? TWait::Retry : TWait::Lost;
            }
        }
        if (m_stop) return TWait::Stopped;
        if (m_eventMask == 0) return TWait::Retry; // the mask was changed during the wait
        mask = m_eventMask;
        return TWait::Events;
    }

    void wake() override {
        m_stop = true;
        if (m_stopEvent) SetEvent(m_stopEvent);
    }

    bool modemStatus(std::uint32_t& status) override {
        if (m_handle == INVALID_HANDLE_VALUE) return false;
        DWORD errors = 0;
        COMSTAT stat{};
        ClearCommError(m_handle, &errors, &stat);
        DWORD word = 0;
        if (!GetCommModemStatus(m_handle, &word)) return false;
        status = word;
        return true;
    }

    int inQue() override {
        if (m_handle == INVALID_HANDLE_VALUE) return 0;
        DWORD errors = 0;
        COMSTAT stat{};
        if (!ClearCommError(m_handle, &errors, &stat)) return 0;
        return int(stat.cbInQue);
    }

    void purgeInput() override {
        if (m_handle != INVALID_HANDLE_VALUE) PurgeComm(m_handle, PURGE_RXABORT | PURGE_RXCLEAR);
    }

    void close() override {
        if (m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
        if (m_ov.hEvent) CloseHandle(m_ov.hEvent);
        m_ov.hEvent = nullptr;
        if (m_stopEvent) CloseHandle(m_stopEvent);
        m_stopEvent = nullptr;
    }

private:
    [[noreturn]] void fail() { throw EComState(LastErrorText()); }

    std::string m_name;
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    HANDLE m_stopEvent = nullptr;
    OVERLAPPED m_ov{};
    DWORD m_eventMask = 0;
    std::atomic<bool> m_stop{false};
};

} // namespace

std::unique_ptr<IComDevice> CreatePlatformComDevice(const std::string& name) {
    return std::make_unique<TWin32ComDevice>(name);
}

bool ProbeComDevice(const std::string& name) {
    if (name.empty()) return false;
    const HANDLE h = OpenComHandle(DevicePath(name, "//./"));
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool isChar = GetFileType(h) == FILE_TYPE_CHAR;
    CloseHandle(h);
    return isChar;
}
#endif
