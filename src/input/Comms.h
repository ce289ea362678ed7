#pragma once
// TComPort: a serial port used only for its modem-status lines. The timing contacts are
// switches between the port's outputs and inputs (start: RTS->CTS, stop 1: DTR->DSR,
// stop 2: DTR->DCD); the port raises DTR/RTS while open and reports input-line changes.
//
// While the port is open a TComThread waits on the device without time-out. Each event mask
// it gets is handed to the GUI thread, where DoEvents emits the notifications, and the thread
// waits for that call to finish before it waits on the device again. So all handlers run on
// the GUI thread, one at a time, and the next device wait starts only after they returned.
// The notifications are signals of the port; connect receivers that live in the port's
// thread (a direct call), or the hand-over no longer waits for them.
//
// The line notifications carry the tick counter as the event thread read it the moment its
// wait returned: a busy GUI thread delays the handler, not the time of the edge.
//
// Port numbers: Port n means "COMn". On Windows that is the device \\.\COMn; on Linux the
// number maps to a device name, see PortNames.h.
#include "input/ComDevice.h"
#include "input/ComDeviceSim.h"
#include "input/PortNames.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <optional>
#include <QObject>
#include <string>
#include <thread>

enum TBaudRate {
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000,
    brUser
};
enum TParity { prNone, prOdd, prEven, prMark, prSpace };
enum TStopBits { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum TFlowControl { fcNone, fcRtsCts, fcXonXoff };
enum TEvent { evRxChar, evTxEmpty, evRxFlag, evRing, evBreak, evCTS, evDSR, evError, evRLSD };

// A set of TEvent (bit i = the event of ordinal i).
class TEvents {
public:
    constexpr TEvents() = default;
    constexpr TEvents(std::initializer_list<TEvent> events) {
        for (TEvent e : events)
            m_bits |= bit(e);
    }
    static constexpr TEvents all() {
        TEvents s;
        s.m_bits = 0x1FF;
        return s;
    }
    constexpr bool contains(TEvent e) const { return (m_bits & bit(e)) != 0; }
    constexpr TEvents& insert(TEvent e) {
        m_bits |= bit(e);
        return *this;
    }
    constexpr TEvents& remove(TEvent e) {
        m_bits &= ~bit(e);
        return *this;
    }
    constexpr bool isEmpty() const { return m_bits == 0; }
    constexpr quint16 bits() const { return m_bits; }
    friend constexpr bool operator==(TEvents a, TEvents b) { return a.m_bits == b.m_bits; }
    friend constexpr TEvents operator|(TEvents a, TEvent e) { return a.insert(e); }

private:
    static constexpr quint16 bit(TEvent e) { return quint16(1u << unsigned(e)); }
    quint16 m_bits = 0;
};

// Bits per second that a TBaudRate stands for (brUser: the given user rate).
int BaudRateValue(TBaudRate rate, int userRate);
// The device event mask (ComEv bits) for a set of events.
quint32 EventMaskOf(TEvents events);

class TComPort;

// The event thread of an open port. Created by Open, stopped and joined by Close.
//
// Stopping while a hand-over is on its way: the hand-over abandons itself. The thread waits
// for the GUI thread's DoEvents or for the stop request, whichever comes first; a hand-over
// the GUI thread has not yet begun is marked abandoned and later skipped. So Close never
// waits on the GUI thread and cannot deadlock, also when called from inside a handler, and
// no handler runs for that port after Close has returned.
class TComThread {
public:
    TComThread(TComPort* owner, IComDevice* device, quint64 generation);
    ~TComThread();
    TComThread(const TComThread&) = delete;
    TComThread& operator=(const TComThread&) = delete;

    // Starts the thread and returns once it runs at its raised priority.
    void Start();
    // Asks the thread to leave, wakes it until it has, and joins it. GUI thread.
    void Stop();
    std::thread::native_handle_type NativeHandle() { return m_thread.native_handle(); }
    // The scheduling the thread got, for example "SCHED_FIFO 40" (see ThreadPriority.h).
    std::string Priority();

    struct THandOver;

private:
    void Execute();
    void HandOver(quint32 mask, quint32 tick);

    TComPort* m_owner;
    IComDevice* m_device;
    quint64 m_generation;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::mutex m_mx;
    std::condition_variable m_stateCv;
    bool m_started = false;                // guarded by m_mx
    bool m_finished = false;               // guarded by m_mx
    std::string m_priority;                // guarded by m_mx
    std::shared_ptr<THandOver> m_handOver; // guarded by m_mx
};

class TComPort : public QObject {
    Q_OBJECT
public:
    using TDeviceFactory = std::function<std::unique_ptr<IComDevice>(int port)>;

    explicit TComPort(QObject* parent = nullptr);
    ~TComPort() override; // closes first

    TBaudRate BaudRate() const { return m_BaudRate; }
    void setBaudRate(TBaudRate v) { m_BaudRate = v; }
    int BaudRateUser() const { return m_BaudRateUser; }
    void setBaudRateUser(int v) { m_BaudRateUser = v; }
    quint8 Port() const { return m_Port; }
    void setPort(quint8 v) { m_Port = v; }
    TParity Parity() const { return m_Parity; }
    void setParity(TParity v) { m_Parity = v; }
    TStopBits StopBits() const { return m_StopBits; }
    void setStopBits(TStopBits v) { m_StopBits = v; }
    TFlowControl FlowControl() const { return m_FlowControl; }
    void setFlowControl(TFlowControl v) { m_FlowControl = v; }
    quint8 DataBits() const { return m_DataBits; }
    void setDataBits(int v); // 9 and more -> 8, below 5 -> 5
    TEvents Events() const { return m_Events; }
    void setEvents(TEvents v) { m_Events = v; }
    bool EnableDTR() const { return m_EnableDTR; }
    void setEnableDTR(bool v) { m_EnableDTR = v; }
    int WriteBufSize() const { return m_WriteBufSize; }
    void setWriteBufSize(int v) { m_WriteBufSize = v; }
    int ReadBufSize() const { return m_ReadBufSize; }
    void setReadBufSize(int v) { m_ReadBufSize = v; }

    // Opens the port (closing it first when open). Throws EComHandle or EComState; a failed
    // Open leaves the port closed and the device released.
    void Open();
    // Stops the event thread, releases the device and calls OnClose; nothing when closed.
    void Close();
    // The modem-status word: CTS 0x10, DSR 0x20, RING 0x40, RLSD 0x80; 0 while closed.
    quint32 ModemStatus();
    // The same, but empty while closed or when the device could not be read: a failed read
    // is no line state at all, and must not be taken for "every line inactive".
    std::optional<quint32> TryModemStatus();
    // Bytes waiting in the input queue; 0 while closed.
    int InQue();
    bool Connected() const { return m_Connected; }

    // The device backend Open uses; by default the platform's real serial device.
    void setDeviceFactory(TDeviceFactory f);
    static TDeviceFactory PlatformDeviceFactory();

    // The event thread (for diagnostics and benchmarks); only meaningful while open.
    std::thread::native_handle_type EventThreadHandle();
    // The scheduling the event thread got ("" while closed).
    QString EventThreadPriority();

signals:
    // All emitted on the GUI thread with this port as sender(). A line notification's tick is
    // TickCount() read by the event thread when its wait returned.
    void OnRxChar(int InQue);
    void OnTxEmpty();
    void OnBreak();
    void OnRing(quint32 tick);
    void OnCTS(quint32 tick);
    void OnDSR(quint32 tick);
    void OnRxFlag();
    void OnRLSD(quint32 tick);
    void OnError();
    void OnOpen();
    void OnClose();

private:
    friend class TComThread;
    // GUI thread: emits the notifications for the bits of one event mask, in the fixed order.
    void DoEvents(quint32 mask, quint64 generation, quint32 tick);
    // GUI thread: the device of that opening has gone away.
    void DeviceLost(quint64 generation);

    TBaudRate m_BaudRate = br9600;
    int m_BaudRateUser = 9600;
    quint8 m_Port = 1;
    TParity m_Parity = prNone;
    TStopBits m_StopBits = sbOneStopBit;
    TFlowControl m_FlowControl = fcNone;
    quint8 m_DataBits = 8;
    TEvents m_Events = TEvents::all();
    bool m_EnableDTR = true;
    int m_WriteBufSize = 2048;
    int m_ReadBufSize = 2048;

    bool m_Connected = false;
    quint64 m_generation = 0; // counts openings, so late messages of an old one are ignored
    TDeviceFactory m_factory;
    std::unique_ptr<IComDevice> m_device;
    std::unique_ptr<TComThread> m_thread;
};

// Devices over shared simulated lines (see ComDeviceSim.h), for tests and demos.
TComPort::TDeviceFactory SimulatedDeviceFactory(std::shared_ptr<TSimComLines> lines);

#ifndef _WIN32
// The Linux device opened on a tty (a pseudo-terminal in tests and benchmarks) whose modem
// lines are the simulated ones.
TComPort::TDeviceFactory SimulatedTtyDeviceFactory(std::shared_ptr<TSimComLines> lines,
                                                   std::string tty);
#endif
