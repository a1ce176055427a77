#include "CVzrT8100Sim.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <limits>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr char STX = 0x02;
constexpr char ETX = 0x03;
constexpr char ENQ = 0x05;
constexpr char ACK = 0x06;
constexpr char NAK = 0x15;

constexpr int MAX_TEXT = 254;       // longest frame text the instrument takes
constexpr int FRAME_WAIT_MS = 1000; // ENQ answered, frame not begun: give up
constexpr int BYTE_GAP_MS = 500;    // pause inside a frame that drops it
constexpr int ACK_WAIT_MS = 500;    // reply sent, the computer's ACK awaited
constexpr int WRITE_WAIT_MS = 500;  // a full line buffer is waited on this long
constexpr int FLOOD_PERIOD_MS = 2;  // about 9600 baud of junk, with no quiet gap
constexpr int FLOOD_CHUNK = 2;
// One byte at 9600 baud: start bit, eight data bits, stop bit.
constexpr std::chrono::microseconds BYTE_TIME(10 * 1000000 / 9600);
constexpr int HUNG_UP_LOOK_MS = 50; // a hung-up side is looked at again this often

// Texts on the line are Shift-JIS, as on the instrument's Japanese panel.
QByteArray ToLine(const QString& text) {
    QStringEncoder encoder("Shift_JIS");
    if (!encoder.isValid()) {
        return text.toLatin1();
    }
    QByteArray bytes = encoder.encode(text);
    return bytes;
}

QString FromLine(const QByteArray& bytes) {
    QStringDecoder decoder("Shift_JIS");
    if (!decoder.isValid()) {
        return QString::fromLatin1(bytes);
    }
    QString text = decoder.decode(bytes);
    return text;
}

int MsSince(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to) {
    return int(std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count());
}

} // namespace

CVzrT8100Sim::CVzrT8100Sim() {
    m_baModel = DEFAULT_MODEL_TEXT;
    m_model.SetIdentPayload(ModelIdent());
}

CVzrT8100Sim::~CVzrT8100Sim() {
    Stop();
}

bool CVzrT8100Sim::Start() {
    if (m_thread.joinable()) {
        return true;
    }
    const int fdMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fdMaster < 0) {
        return false;
    }
    char name[128] = {};
    if (grantpt(fdMaster) != 0 || unlockpt(fdMaster) != 0 ||
        ptsname_r(fdMaster, name, sizeof name) != 0) {
        ::close(fdMaster);
        return false;
    }
    // Held for the simulator's whole life, so the program closing its side never hangs the
    // pair up.
    const int fdSlave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fdSlave < 0) {
        ::close(fdMaster);
        return false;
    }
    termios tio{};
    if (tcgetattr(fdSlave, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetispeed(&tio, B9600);
        cfsetospeed(&tio, B9600);
        tcsetattr(fdSlave, TCSANOW, &tio);
    }
    int afdWake[2] = {-1, -1};
    if (pipe2(afdWake, O_NONBLOCK | O_CLOEXEC) != 0) {
        ::close(fdSlave);
        ::close(fdMaster);
        return false;
    }
    const int flags = fcntl(fdMaster, F_GETFL);
    fcntl(fdMaster, F_SETFL, flags | O_NONBLOCK);

    {
        std::lock_guard lock(m_mutex);
        m_fdMaster = fdMaster;
        m_fdSlave = fdSlave;
        m_afdWake[0] = afdWake[0];
        m_afdWake[1] = afdWake[1];
        m_strPath = QString::fromLocal8Bit(name);
        m_state = LineState::Idle;
        m_baFrame.clear();
    }
    m_bStop = false;
    m_thread = std::thread(&CVzrT8100Sim::Serve, this);
    return true;
}

void CVzrT8100Sim::Stop() {
    if (m_thread.joinable()) {
        m_bStop = true;
        Wake();
        m_thread.join();
    }
    CloseFds();
}

void CVzrT8100Sim::CloseFds() {
    std::lock_guard lock(m_mutex);
    for (int* fd : {&m_fdMaster, &m_fdSlave, &m_afdWake[0], &m_afdWake[1]}) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
    m_strPath.clear();
}

bool CVzrT8100Sim::IsServing() const {
    std::lock_guard lock(m_mutex);
    return m_fdMaster >= 0;
}

QString CVzrT8100Sim::PortPath() const {
    std::lock_guard lock(m_mutex);
    return m_strPath;
}

QStringList CVzrT8100Sim::CommandLog() const {
    std::lock_guard lock(m_mutex);
    if (m_nLogHead == 0) {
        return m_listLog;
    }
    return m_listLog.mid(m_nLogHead) + m_listLog.mid(0, m_nLogHead);
}

void CVzrT8100Sim::ClearLog() {
    std::lock_guard lock(m_mutex);
    m_listLog.clear();
    m_nLogHead = 0;
    m_nLogged = 0;
}

int CVzrT8100Sim::LogCapacity() const {
    std::lock_guard lock(m_mutex);
    return m_nLogCapacity;
}

void CVzrT8100Sim::SetLogCapacity(int capacity) {
    std::lock_guard lock(m_mutex);
    capacity = qMax(1, capacity);
    // keep the most recent entries, oldest first
    QStringList recent =
        m_nLogHead == 0 ? m_listLog : m_listLog.mid(m_nLogHead) + m_listLog.mid(0, m_nLogHead);
    if (recent.size() > capacity) {
        recent.erase(recent.begin(), recent.end() - capacity);
    }
    m_listLog = recent;
    m_nLogHead = 0;
    m_nLogCapacity = capacity;
}

qint64 CVzrT8100Sim::LoggedCount() const {
    std::lock_guard lock(m_mutex);
    return m_nLogged;
}

qint64 CVzrT8100Sim::WakeCount() const {
    std::lock_guard lock(m_mutex);
    return m_nWakeups;
}

void CVzrT8100Sim::AppendLog(const QString& text) {
    ++m_nLogged;
    if (m_listLog.size() < m_nLogCapacity) {
        m_listLog.append(text);
        return;
    }
    // full: the oldest entry makes room
    m_listLog[m_nLogHead] = text;
    m_nLogHead = (m_nLogHead + 1) % m_listLog.size();
}

int CVzrT8100Sim::EnqCount() const {
    std::lock_guard lock(m_mutex);
    return m_nEnq;
}

int CVzrT8100Sim::AckCount() const {
    std::lock_guard lock(m_mutex);
    return m_nAck;
}

void CVzrT8100Sim::SetModelText(const QString& text) {
    std::lock_guard lock(m_mutex);
    m_baModel = ToLine(text);
    m_bIdentOverride = false;
    m_model.SetIdentPayload(ModelIdent());
}

void CVzrT8100Sim::SetIdentText(const QString& text) {
    std::lock_guard lock(m_mutex);
    m_bIdentOverride = true;
    m_baIdentOverride = ToLine(text);
    m_model.SetIdentPayload(ModelIdent());
}

void CVzrT8100Sim::SetAutoTrigger(bool on, int delayMs) {
    {
        std::lock_guard lock(m_mutex);
        m_model.SetAutoTrigger(on, delayMs);
    }
    Wake(); // the serving thread may be asleep until a time that no longer holds
}

void CVzrT8100Sim::SetAutoGun(bool on) {
    {
        std::lock_guard lock(m_mutex);
        m_model.SetAutoGun(on);
    }
    Wake();
}

void CVzrT8100Sim::SetTimeScale(double scale) {
    {
        std::lock_guard lock(m_mutex);
        m_model.SetTimeScale(scale);
    }
    Wake();
}

void CVzrT8100Sim::SetDischargeHold(bool on, int ms) {
    std::lock_guard lock(m_mutex);
    m_model.SetDischargeHold(on, ms);
}

void CVzrT8100Sim::SetLinePacing(bool on) {
    m_bPacing = on;
}

bool CVzrT8100Sim::LinePacing() const {
    return m_bPacing;
}

void CVzrT8100Sim::GunPress() {
    {
        std::lock_guard lock(m_mutex);
        m_model.GunPress(Clock::now());
    }
    Wake(); // a series may start or pause: the serving thread's sleep no longer holds
}

void CVzrT8100Sim::GunRelease() {
    {
        std::lock_guard lock(m_mutex);
        m_model.GunRelease(Clock::now());
    }
    Wake(); // a series may start or pause: the serving thread's sleep no longer holds
}

void CVzrT8100Sim::SetSilent(bool silent) {
    {
        std::lock_guard lock(m_mutex);
        m_bSilent = silent;
        // the cable is back: whatever was half received is gone
        m_state = LineState::Idle;
        m_baFrame.clear();
    }
    Wake();
}

void CVzrT8100Sim::InjectNak(int count) {
    std::lock_guard lock(m_mutex);
    m_nNakPending = qMax(0, count);
}

void CVzrT8100Sim::RefuseCommand(const QString& prefix) {
    std::lock_guard lock(m_mutex);
    if (!m_listRefused.contains(prefix)) {
        m_listRefused.append(prefix);
    }
}

void CVzrT8100Sim::ClearRefusals() {
    std::lock_guard lock(m_mutex);
    m_listRefused.clear();
}

void CVzrT8100Sim::InjectBadBcc(int count) {
    std::lock_guard lock(m_mutex);
    m_nBadBccPending = qMax(0, count);
}

void CVzrT8100Sim::SetReplyPayload(const QString& query, const QByteArray& payload) {
    std::lock_guard lock(m_mutex);
    m_hashRaw.remove(query.toLatin1());
    m_hashPayload.insert(query.toLatin1(), payload);
}

void CVzrT8100Sim::SetRawReply(const QString& query, const QByteArray& bytes) {
    std::lock_guard lock(m_mutex);
    m_hashPayload.remove(query.toLatin1());
    m_hashRaw.insert(query.toLatin1(), bytes);
}

void CVzrT8100Sim::ClearReplyOverrides() {
    std::lock_guard lock(m_mutex);
    m_hashPayload.clear();
    m_hashRaw.clear();
}

void CVzrT8100Sim::SendGarbage(const QByteArray& bytes) {
    {
        std::lock_guard lock(m_mutex);
        m_baGarbage += bytes;
    }
    Wake();
}

void CVzrT8100Sim::SetByteDelayMs(int ms) {
    m_nByteDelayMs = qMax(0, ms);
}

void CVzrT8100Sim::SetFlood(bool on) {
    {
        std::lock_guard lock(m_mutex);
        m_bFlood = on;
        m_tpFlood = Clock::now();
    }
    Wake();
}

void CVzrT8100Sim::InjectErrorOnNextStart(int code) {
    std::lock_guard lock(m_mutex);
    m_model.InjectErrorOnNextStart(code);
}

void CVzrT8100Sim::FailQuery(const QString& query, int count) {
    std::lock_guard lock(m_mutex);
    if (count > 0) {
        m_hashFailQuery.insert(query.toLatin1(), count);
    } else {
        m_hashFailQuery.remove(query.toLatin1());
    }
}

void CVzrT8100Sim::SilenceExchanges(int count) {
    std::lock_guard lock(m_mutex);
    m_nSilentExchanges = qMax(0, count);
}

void CVzrT8100Sim::StopAfterDischarges(int n, int code) {
    std::lock_guard lock(m_mutex);
    m_model.StopAfterDischarges(n, code);
}

quint8 CVzrT8100Sim::Status() const {
    std::lock_guard lock(m_mutex);
    m_model.Advance(Clock::now());
    return m_model.Status();
}

QStringList CVzrT8100Sim::SequenceMemory() const {
    std::lock_guard lock(m_mutex);
    return m_model.SequenceMemory();
}

CVzrT8100Sim::Step CVzrT8100Sim::LoadedStep() const {
    std::lock_guard lock(m_mutex);
    return m_model.LoadedStep();
}

int CVzrT8100Sim::ErrorCode() const {
    std::lock_guard lock(m_mutex);
    m_model.Advance(Clock::now());
    return m_model.ErrorCode();
}

int CVzrT8100Sim::DischargesDone() const {
    std::lock_guard lock(m_mutex);
    m_model.Advance(Clock::now());
    return m_model.DischargesDone();
}

void CVzrT8100Sim::SetLogCallback(std::function<void(const QString&)> callback) {
    std::lock_guard lock(m_mutex);
    m_fnLog = std::move(callback);
}

quint8 CVzrT8100Sim::Bcc(const QByteArray& text) {
    quint8 bcc = 0;
    for (const char c : text) {
        bcc ^= quint8(c);
    }
    return bcc ^ quint8(ETX);
}

QByteArray CVzrT8100Sim::Frame(const QByteArray& text) {
    QByteArray frame;
    frame.reserve(text.size() + 3);
    frame += STX;
    frame += text;
    frame += ETX;
    frame += char(Bcc(text));
    return frame;
}

void CVzrT8100Sim::Serve() {
    char buffer[512];
    ssize_t nRead = 0;
    while (!m_bStop && WaitForInput(buffer, sizeof buffer, nRead)) {
        Answer(buffer, nRead);
    }
}

bool CVzrT8100Sim::WaitForInput(char* buffer, size_t size, ssize_t& nRead) {
    nRead = 0;
    int timeoutMs = 0;
    {
        std::lock_guard lock(m_mutex);
        timeoutMs = PollTimeoutMs(Clock::now());
    }
    pollfd fds[2] = {{m_fdMaster, POLLIN, 0}, {m_afdWake[0], POLLIN, 0}};
    const int rc = ::poll(fds, 2, timeoutMs);
    if (rc < 0 && errno != EINTR) {
        return false;
    }
    if (m_bStop) {
        return false;
    }
    {
        std::lock_guard lock(m_mutex);
        ++m_nWakeups;
    }
    // a side that hung up answers every poll at once: look again only now and then
    const int hungUpWaitMs = timeoutMs < 0 ? HUNG_UP_LOOK_MS : qMin(timeoutMs, HUNG_UP_LOOK_MS);
    if (fds[1].revents & POLLIN) {
        while (::read(m_afdWake[0], buffer, size) > 0) {
        }
    }
    if (fds[0].revents & POLLIN) {
        nRead = ::read(m_fdMaster, buffer, size);
    }
    if (nRead > 0) {
        PaceInput(nRead, Clock::now());
    }
    if (nRead < 0 && errno != EAGAIN && errno != EINTR) {
        nRead = 0;
        pollfd wake = {m_afdWake[0], POLLIN, 0};
        ::poll(&wake, 1, hungUpWaitMs);
    } else if (!(fds[0].revents & POLLIN) && (fds[0].revents & (POLLHUP | POLLERR))) {
        // nothing to read from a hung-up side: wait out the clock instead of spinning
        pollfd wake = {m_afdWake[0], POLLIN, 0};
        ::poll(&wake, 1, hungUpWaitMs);
    }
    return true;
}

void CVzrT8100Sim::Answer(const char* buffer, ssize_t nRead) {
    QByteArray out;
    QByteArray flood;
    QStringList logged;
    std::function<void(const QString&)> fnLog;
    {
        std::lock_guard lock(m_mutex);
        const Clock::time_point now = Clock::now();
        for (ssize_t i = 0; i < nRead; ++i) {
            HandleByte(buffer[i], now, out, logged);
        }
        Tick(now, out);
        if (m_bFlood && MsSince(m_tpFlood, now) >= FLOOD_PERIOD_MS) {
            m_tpFlood = now;
            for (int i = 0; i < FLOOD_CHUNK; ++i) {
                // printable junk: never a control byte the dialogue could take for an answer
                flood += char(0x30 + m_ucFloodByte);
                m_ucFloodByte = quint8((m_ucFloodByte + 7) % 0x4B);
            }
        }
        if (!logged.isEmpty()) {
            fnLog = m_fnLog;
        }
    }
    if (fnLog) {
        for (const QString& text : logged) {
            fnLog(text);
        }
    }
    WriteOut(out);
    if (!out.isEmpty()) {
        // The wait for the computer's ACK begins once the reply is all out, not when it
        // was composed: slow bytes would otherwise use up the wait before the last one.
        std::lock_guard lock(m_mutex);
        if (m_state == LineState::AwaitAck) {
            m_tpState = Clock::now();
        }
    }
    if (!flood.isEmpty()) {
        // junk that does not fit the line is simply lost
        WriteAll(flood.constData(), flood.size(), 0);
    }
}

int CVzrT8100Sim::PollTimeoutMs(Clock::time_point now) const {
    if (m_bFlood) {
        return 1;
    }
    std::optional<Clock::time_point> due = m_model.NextDue();
    auto earliest = [&due](Clock::time_point when) {
        if (!due || when < *due) {
            due = when;
        }
    };
    // a line state is given up once its wait is over (Tick compares with '>')
    const auto after = [this](int ms) { return m_tpState + std::chrono::milliseconds(ms + 1); };
    switch (m_state) {
    case LineState::Idle:
        break;
    case LineState::AwaitFrame:
        earliest(after(FRAME_WAIT_MS));
        break;
    case LineState::InFrame:
    case LineState::AwaitBcc:
        earliest(after(BYTE_GAP_MS));
        break;
    case LineState::AwaitAck:
        earliest(after(ACK_WAIT_MS));
        break;
    }
    if (!m_baGarbage.isEmpty()) {
        return 0;
    }
    if (!due) {
        return -1;
    }
    if (*due <= now) {
        return 0;
    }
    // rounded up: waking a little early would only mean a second wake-up for nothing
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*due - now).count();
    return int(qMin<qint64>(wait, std::numeric_limits<int>::max()));
}

void CVzrT8100Sim::HandleByte(char byte, Clock::time_point now, QByteArray& out,
                              QStringList& logged) {
    if (m_bSilent) {
        // a pulled cable: the computer's attempts are counted, nothing is heard
        if (byte == ENQ) {
            ++m_nEnq;
        }
        return;
    }
    switch (m_state) {
    case LineState::Idle:
        if (byte == ENQ) {
            AnswerEnq(out);
            m_tpState = now;
        }
        break;
    case LineState::AwaitFrame:
        if (byte == ENQ) {
            AnswerEnq(out);
            m_tpState = now;
        } else if (byte == STX) {
            m_state = LineState::InFrame;
            m_baFrame.clear();
            m_ucBcc = 0;
            m_tpState = now;
        }
        break;
    case LineState::InFrame:
        m_tpState = now;
        if (byte == ETX) {
            m_ucBcc ^= quint8(ETX);
            m_state = LineState::AwaitBcc;
        } else if (byte == ENQ) {
            // the computer gave up on this frame and begins a new exchange
            m_baFrame.clear();
            AnswerEnq(out);
        } else if (m_baFrame.size() >= MAX_TEXT) {
            m_baFrame.clear();
            m_state = LineState::Idle;
        } else {
            m_baFrame += byte;
            m_ucBcc ^= quint8(byte);
        }
        break;
    case LineState::AwaitBcc: {
        m_state = LineState::Idle;
        const QByteArray text = m_baFrame;
        m_baFrame.clear();
        if (quint8(byte) != m_ucBcc) {
            out += NAK;
            break;
        }
        const QString strText = FromLine(text);
        AppendLog(strText);
        logged.append(strText);
        m_tpState = now;
        HandleText(text, now, out);
        break;
    }
    case LineState::AwaitAck:
        if (byte == ACK) {
            ++m_nAck;
            m_state = LineState::Idle;
        } else if (byte == ENQ) {
            AnswerEnq(out);
            m_tpState = now;
        }
        break;
    }
}

void CVzrT8100Sim::AnswerEnq(QByteArray& out) {
    ++m_nEnq;
    if (m_nSilentExchanges > 0) {
        // a dropped line for this exchange: the computer's ENQ is lost
        --m_nSilentExchanges;
        m_state = LineState::Idle;
        return;
    }
    if (m_nNakPending > 0) {
        --m_nNakPending;
        out += NAK;
        m_state = LineState::Idle;
        return;
    }
    out += ACK;
    m_state = LineState::AwaitFrame;
}

void CVzrT8100Sim::HandleText(const QByteArray& text, Clock::time_point now, QByteArray& out) {
    const QString strText = QString::fromLatin1(text);
    for (const QString& prefix : std::as_const(m_listRefused)) {
        if (strText.startsWith(prefix)) {
            out += NAK;
            return;
        }
    }
    if (text.startsWith('Q')) {
        const auto failing = m_hashFailQuery.find(text);
        if (failing != m_hashFailQuery.end()) {
            // the frame was heard, the reply never comes
            if (--*failing <= 0) {
                m_hashFailQuery.erase(failing);
            }
            m_state = LineState::Idle;
            return;
        }
        const auto raw = m_hashRaw.constFind(text);
        if (raw != m_hashRaw.cend()) {
            out += *raw;
            m_state = LineState::AwaitAck;
            return;
        }
        QByteArray payload;
        const auto fixed = m_hashPayload.constFind(text);
        if (fixed != m_hashPayload.cend()) {
            payload = *fixed;
        } else {
            const std::optional<QByteArray> answer = m_model.Query(text, now);
            if (!answer) {
                out += NAK;
                return;
            }
            payload = *answer;
        }
        QByteArray frame = Frame(text.left(2) + payload);
        if (m_nBadBccPending > 0) {
            --m_nBadBccPending;
            frame.back() = char(frame.back() ^ 0x5A);
        }
        out += frame;
        m_state = LineState::AwaitAck;
        return;
    }
    const std::optional<CSimModel::Command> cmd = CSimModel::ParseCommand(text);
    if (!cmd) {
        out += NAK;
        return;
    }
    if (m_nNakPending > 0) {
        --m_nNakPending;
        out += NAK;
        return;
    }
    m_model.Execute(*cmd, now);
    out += ACK;
}

void CVzrT8100Sim::Tick(Clock::time_point now, QByteArray& out) {
    m_model.Advance(now);
    const int elapsed = MsSince(m_tpState, now);
    switch (m_state) {
    case LineState::Idle:
        break;
    case LineState::AwaitFrame:
        if (elapsed > FRAME_WAIT_MS) {
            m_state = LineState::Idle;
        }
        break;
    case LineState::InFrame:
    case LineState::AwaitBcc:
        if (elapsed > BYTE_GAP_MS) {
            m_baFrame.clear();
            m_state = LineState::Idle;
        }
        break;
    case LineState::AwaitAck:
        if (elapsed > ACK_WAIT_MS) {
            m_state = LineState::Idle;
        }
        break;
    }
    if (!m_baGarbage.isEmpty()) {
        out += m_baGarbage;
        m_baGarbage.clear();
    }
}

void CVzrT8100Sim::WriteOut(const QByteArray& bytes) {
    if (bytes.isEmpty()) {
        return;
    }
    const int delayMs = m_nByteDelayMs;
    const bool bPacing = m_bPacing;
    if (delayMs <= 0 && !bPacing) {
        WriteAll(bytes.constData(), bytes.size(), WRITE_WAIT_MS);
        return;
    }
    // An answer cannot go out before the computer's last byte has come in.
    if (bPacing && !PauseUntil(m_tpInputDone)) {
        return;
    }
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        // each byte is there once it has crossed the line
        Clock::duration gap = bPacing ? Clock::duration(BYTE_TIME) : Clock::duration::zero();
        if (i > 0) {
            gap = std::max<Clock::duration>(gap, std::chrono::milliseconds(delayMs));
        }
        if (gap > Clock::duration::zero() && !PauseUntil(Clock::now() + gap)) {
            return;
        }
        WriteAll(bytes.constData() + i, 1, WRITE_WAIT_MS);
    }
}

// The computer's bytes take their time on the line too: the last of them has arrived only
// a byte time after the one before it.
void CVzrT8100Sim::PaceInput(qsizetype bytes, Clock::time_point now) {
    if (!m_bPacing) {
        return;
    }
    m_tpInputDone = std::max(m_tpInputDone, now) + bytes * BYTE_TIME;
}

bool CVzrT8100Sim::WriteAll(const char* data, qsizetype size, int waitMs) {
    while (size > 0) {
        const ssize_t n = ::write(m_fdMaster, data, size_t(size));
        if (n > 0) {
            data += n;
            size -= n;
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            return false;
        }
        // the line buffer is full: nobody reads the other side
        if (waitMs <= 0) {
            return false;
        }
        pollfd pfd = {m_fdMaster, POLLOUT, 0};
        if (::poll(&pfd, 1, waitMs) <= 0 || m_bStop) {
            return false;
        }
    }
    return true;
}

// Sleeps to the microsecond, waking early only to be stopped.
bool CVzrT8100Sim::PauseUntil(Clock::time_point end) {
    char scratch[64];
    while (!m_bStop) {
        const auto remaining =
            std::chrono::duration_cast<std::chrono::nanoseconds>(end - Clock::now());
        if (remaining.count() <= 0) {
            return true;
        }
        const timespec ts = {time_t(remaining.count() / 1000000000),
                             long(remaining.count() % 1000000000)};
        pollfd pfd = {m_afdWake[0], POLLIN, 0};
        if (::ppoll(&pfd, 1, &ts, nullptr) > 0) {
            // a wake-up for new garbage or flood is picked up by the next round anyway
            while (::read(m_afdWake[0], scratch, sizeof scratch) > 0) {
            }
        }
    }
    return false;
}

void CVzrT8100Sim::Wake() {
    // Written under the lock: a Stop on another thread closing the pipe in between could
    // otherwise leave the byte to a descriptor that has since been reused for something else.
    std::lock_guard lock(m_mutex);
    if (m_afdWake[1] >= 0) {
        const char c = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_afdWake[1], &c, 1);
    }
}

QByteArray CVzrT8100Sim::ModelIdent() const {
    return m_bIdentOverride ? m_baIdentOverride : QByteArray(IDENT_TEXT) + m_baModel;
}
