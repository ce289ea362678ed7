#include "input/Comms.h"

#include "core/TickCount.h"
#include "input/ThreadPriority.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <QMetaObject>

int BaudRateValue(TBaudRate rate, int userRate) {
    static constexpr int values[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                     19200, 38400, 56000, 57600, 115200, 128000, 256000};
    if (rate >= br110 && rate <= br256000) return values[rate];
    return userRate;
}

quint32 EventMaskOf(TEvents events) {
    static constexpr struct {
        TEvent event;
        quint32 bit;
    } map[] = {{evRxChar, ComEv::RxChar}, {evRxFlag, ComEv::RxFlag}, {evTxEmpty, ComEv::TxEmpty},
               {evCTS, ComEv::Cts},       {evDSR, ComEv::Dsr},       {evRLSD, ComEv::Rlsd},
               {evBreak, ComEv::Break},   {evError, ComEv::Err},     {evRing, ComEv::Ring}};
    quint32 mask = 0;
    for (const auto& m : map)
        if (events.contains(m.event)) mask |= m.bit;
    return mask;
}

// One event mask on its way to the GUI thread.
struct TComThread::THandOver {
    enum TState { Pending, Running, Done, Abandoned };
    std::mutex mx;
    std::condition_variable cv;
    TState state = Pending;
};

TComThread::TComThread(TComPort* owner, IComDevice* device, quint64 generation)
    : m_owner(owner), m_device(device), m_generation(generation) {}

TComThread::~TComThread() {
    Stop();
}

void TComThread::Start() {
    m_thread = std::thread([this] { Execute(); });
    std::unique_lock lock(m_mx);
    m_stateCv.wait(lock, [&] { return m_started; });
}

std::string TComThread::Priority() {
    std::lock_guard lock(m_mx);
    return m_priority;
}

void TComThread::Execute() {
    // Raised from inside: the thread must be on a core the moment an edge wakes it, also
    // while the GUI thread and the rest of the machine are busy.
    {
        const std::string priority = RaiseCurrentThreadPriority();
        std::lock_guard lock(m_mx);
        m_priority = priority;
        m_started = true;
    }
    m_stateCv.notify_all();
    while (!m_stop) {
        std::uint32_t mask = 0;
        const IComDevice::TWait result = m_device->wait(mask);
        // First thing after the wake-up: this is the time of the edge, whenever the GUI
        // thread gets to it.
        const quint32 tick = TickCount();
        if (result == IComDevice::TWait::Stopped || m_stop) break;
        if (result == IComDevice::TWait::Lost) {
            // Waiting again would fail at once, again and again; let the GUI thread close
            // the port instead. Not blocking: Close joins this thread.
            TComPort* owner = m_owner;
            const quint64 generation = m_generation;
            QMetaObject::invokeMethod(
                owner, [owner, generation] { owner->DeviceLost(generation); },
                Qt::QueuedConnection);
            break;
        }
        if (result == IComDevice::TWait::Events) HandOver(mask, tick);
    }
    m_device->purgeInput();
    {
        std::lock_guard lock(m_mx);
        m_finished = true;
    }
    m_stateCv.notify_all();
}

void TComThread::HandOver(quint32 mask, quint32 tick) {
    auto handOver = std::make_shared<THandOver>();
    {
        std::lock_guard lock(m_mx);
        m_handOver = handOver;
    }
    TComPort* owner = m_owner;
    const quint64 generation = m_generation;
    // The call holds its own reference to the hand-over, never to this thread object,
    // which may be gone by the time an abandoned call comes up in the GUI queue.
    QMetaObject::invokeMethod(
        owner,
        [owner, handOver, mask, generation, tick] {
            {
                std::lock_guard lock(handOver->mx);
                if (handOver->state != THandOver::Pending) return;
                handOver->state = THandOver::Running;
            }
            struct TFinish {
                THandOver* h;
                ~TFinish() {
                    {
                        std::lock_guard lock(h->mx);
                        h->state = THandOver::Done;
                    }
                    h->cv.notify_all();
                }
            } finish{handOver.get()};
            owner->DoEvents(mask, generation, tick);
        },
        Qt::QueuedConnection);
    {
        std::unique_lock lock(handOver->mx);
        handOver->cv.wait(lock, [&] { return handOver->state == THandOver::Done || m_stop; });
        if (handOver->state == THandOver::Pending) handOver->state = THandOver::Abandoned;
    }
    std::lock_guard lock(m_mx);
    m_handOver.reset();
}

void TComThread::Stop() {
    if (!m_thread.joinable()) return;
    m_stop = true;
    {
        std::lock_guard lock(m_mx);
        if (m_handOver) {
            // Taking the hand-over's mutex orders this with the thread's check of m_stop.
            { std::lock_guard inner(m_handOver->mx); }
            m_handOver->cv.notify_all();
        }
    }
    // A wake-up can land just before the thread blocks; repeat it until the thread is out.
    m_device->wake();
    std::unique_lock lock(m_mx);
    while (!m_stateCv.wait_for(lock, std::chrono::milliseconds(2), [&] { return m_finished; })) {
        lock.unlock();
        m_device->wake();
        lock.lock();
    }
    lock.unlock();
    m_thread.join();
}

TComPort::TComPort(QObject* parent) : QObject(parent), m_factory(PlatformDeviceFactory()) {}

TComPort::~TComPort() {
    Close();
}

void TComPort::setDataBits(int v) {
    const quint8 clamped = quint8(v >= 9 ? 8 : v < 5 ? 5 : v);
    if (clamped == m_DataBits) return;
    m_DataBits = clamped;
}

void TComPort::setDeviceFactory(TDeviceFactory f) {
    m_factory = f ? std::move(f) : PlatformDeviceFactory();
}

TComPort::TDeviceFactory TComPort::PlatformDeviceFactory() {
    return [](int port) {
        return CreatePlatformComDevice(PortDeviceName(port).toLocal8Bit().toStdString());
    };
}

void TComPort::Open() {
    Close();
    std::unique_ptr<IComDevice> device = m_factory(m_Port);
    if (!device) throw EComHandle(std::strerror(ENODEV));
    device->open();
    try {
        TComSettings s;
        s.baudRate = BaudRateValue(m_BaudRate, m_BaudRateUser);
        s.dataBits = m_DataBits;
        s.parity = int(m_Parity);
        s.stopBits = int(m_StopBits);
        s.flowControl = int(m_FlowControl);
        s.enableDTR = m_EnableDTR;
        s.readBufSize = m_ReadBufSize;
        s.writeBufSize = m_WriteBufSize;
        device->configure(s);
        device->setEventMask(EventMaskOf(m_Events));
        ++m_generation;
        auto thread = std::make_unique<TComThread>(this, device.get(), m_generation);
        thread->Start();
        m_thread = std::move(thread);
    } catch (...) {
        // Keeping the handle would make every later Open of this port fail.
        device->close();
        throw;
    }
    m_device = std::move(device);
    m_Connected = true;
    emit OnOpen();
}

void TComPort::Close() {
    if (!m_Connected) return;
    if (m_thread) {
        m_thread->Stop();
        m_thread.reset();
    }
    if (m_device) {
        m_device->close();
        m_device.reset();
    }
    m_Connected = false;
    emit OnClose();
}

quint32 TComPort::ModemStatus() {
    return TryModemStatus().value_or(0);
}

std::optional<quint32> TComPort::TryModemStatus() {
    std::uint32_t status = 0;
    if (!m_device || !m_device->modemStatus(status)) return std::nullopt;
    return status;
}

int TComPort::InQue() {
    return m_device ? m_device->inQue() : 0;
}

std::thread::native_handle_type TComPort::EventThreadHandle() {
    return m_thread ? m_thread->NativeHandle() : std::thread::native_handle_type{};
}

QString TComPort::EventThreadPriority() {
    return m_thread ? QString::fromStdString(m_thread->Priority()) : QString();
}

void TComPort::DoEvents(quint32 mask, quint64 generation, quint32 tick) {
    // A handler may close or reopen the port; the rest of this mask then belongs to a
    // device that is no longer there.
    auto current = [&] { return m_Connected && generation == m_generation; };
    auto has = [&](quint32 bit) { return (mask & bit) && current(); };
    if (has(ComEv::RxChar)) emit OnRxChar(InQue());
    if (has(ComEv::TxEmpty)) emit OnTxEmpty();
    if (has(ComEv::Break)) emit OnBreak();
    if (has(ComEv::Ring)) emit OnRing(tick);
    if (has(ComEv::Cts)) emit OnCTS(tick);
    if (has(ComEv::Dsr)) emit OnDSR(tick);
    if (has(ComEv::RxFlag)) emit OnRxFlag();
    if (has(ComEv::Rlsd)) emit OnRLSD(tick);
    if (has(ComEv::Err)) emit OnError();
}

void TComPort::DeviceLost(quint64 generation) {
    if (m_Connected && generation == m_generation) Close();
}
