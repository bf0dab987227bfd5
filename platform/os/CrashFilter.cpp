#include "platform/os/CrashFilter.h"
#include "platform/os/Paths.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <fcntl.h>
#include <signal.h>
#include <ucontext.h>
#include <unistd.h>

namespace {

std::atomic<UINT> g_errorMode{0};

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGTRAP};
constexpr std::size_t kPathCapacity = 4096;
constexpr std::size_t kAltStackSize = 64 * 1024;

// Written before the handlers are installed and read only inside them.
char g_logPath[kPathCapacity];
std::atomic<Platform::CrashLineCounterFn> g_lineCounter{nullptr};
std::atomic<bool> g_plainLines{false};
std::atomic<long> g_utcOffsetSeconds{0};
volatile sig_atomic_t g_inHandler = 0;

// The fault lies at or just below the stack pointer: the thread ran into the
// guard page below its stack.
bool IsStackOverflow(std::uintptr_t faultAddress, std::uintptr_t sp) {
    constexpr std::uintptr_t kBelow = 64 * 1024, kAbove = 4096;
    return faultAddress + kBelow >= sp && faultAddress < sp + kAbove;
}

void ProgramCounterAndStack(void* context, std::uintptr_t& pc, std::uintptr_t& sp) {
    pc = sp = 0;
    if (!context) return;
    const auto* uc = static_cast<const ucontext_t*>(context);
#if defined(__x86_64__)
    pc = static_cast<std::uintptr_t>(uc->uc_mcontext.gregs[REG_RIP]);
    sp = static_cast<std::uintptr_t>(uc->uc_mcontext.gregs[REG_RSP]);
#elif defined(__i386__)
    pc = static_cast<std::uintptr_t>(uc->uc_mcontext.gregs[REG_EIP]);
    sp = static_cast<std::uintptr_t>(uc->uc_mcontext.gregs[REG_ESP]);
#elif defined(__aarch64__)
    pc = static_cast<std::uintptr_t>(uc->uc_mcontext.pc);
    sp = static_cast<std::uintptr_t>(uc->uc_mcontext.sp);
#else
    (void)uc;
#endif
}

void WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n <= 0) return;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

void CrashHandler(int signalNumber, siginfo_t* info, void* context) {
    if (g_inHandler) _exit(128 + signalNumber);
    g_inHandler = 1;
    std::uintptr_t pc, sp;
    ProgramCounterAndStack(context, pc, sp);
    const auto faultAddress = reinterpret_cast<std::uintptr_t>(info ? info->si_addr : nullptr);
    const bool overflow = signalNumber == SIGSEGV && sp != 0 && IsStackOverflow(faultAddress, sp);
    if (g_plainLines.load()) {
        if (g_logPath[0] && (overflow || Platform::PlainCrashLogged(signalNumber, info ? info->si_code : 0))) {
            char line[64];
            const std::size_t n = Platform::FormatPlainCrashLine(line, sizeof line, pc);
            const int fd = ::open(g_logPath, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
            if (fd >= 0) {
                WriteAll(fd, line, n);
                ::close(fd);
            }
        }
        _exit(128 + signalNumber);
    }
    const char* text = Platform::CrashExceptionText(signalNumber, info ? info->si_code : 0, overflow);
    if (text && g_logPath[0]) {
        DWORD number = 0;
        if (Platform::CrashLineCounterFn counter = g_lineCounter.load()) {
            const DWORD c = counter();
            number = c == 4294967294u ? 1u : c + 1u;
        }
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        char line[512];
        const std::size_t n = Platform::FormatCrashLine(line, sizeof line, number,
                                                        static_cast<long long>(now.tv_sec) + g_utcOffsetSeconds.load(),
                                                        text, pc);
        const int fd = ::open(g_logPath, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        if (fd >= 0) {
            WriteAll(fd, line, n);
            ::close(fd);
        }
    }
    _exit(128 + signalNumber);
}

// Appends text to out[pos..size); returns the new position.
std::size_t Put(char* out, std::size_t size, std::size_t pos, const char* text) {
    while (*text && pos < size) out[pos++] = *text++;
    return pos;
}

std::size_t PutUnsigned(char* out, std::size_t size, std::size_t pos, unsigned long long v, unsigned base,
                        int minDigits, char pad) {
    char digits[32];
    int n = 0;
    do {
        const unsigned d = static_cast<unsigned>(v % base);
        digits[n++] = static_cast<char>(d < 10 ? '0' + d : 'a' + d - 10);
        v /= base;
    } while (v != 0 && n < 32);
    while (n < minDigits && n < 32) digits[n++] = pad;
    while (n > 0 && pos < size) out[pos++] = digits[--n];
    return pos;
}

} // namespace

UINT SetErrorMode(UINT mode) { return g_errorMode.exchange(mode); }

namespace Platform {

const char* CrashExceptionText(int signalNumber, int signalCode, bool stackOverflow) {
    switch (signalNumber) {
    case SIGSEGV:
        return stackOverflow ? "EXCEPTION_STACK_OVERFLOW : 0x " : "EXCEPTION_ACCESS_VIOLATION : 0x ";
    case SIGBUS:
        return signalCode == BUS_ADRALN ? "EXCEPTION_DATATYPE_MISALIGNMENT : 0x " : "EXCEPTION_IN_PAGE_ERROR : 0x ";
    case SIGILL:
        return signalCode == ILL_PRVOPC || signalCode == ILL_PRVREG ? "EXCEPTION_PRIV_INSTRUCTION : 0x "
                                                                    : "EXCEPTION_ILLEGAL_INSTRUCTION : 0x ";
    case SIGFPE:
        switch (signalCode) {
        case FPE_INTDIV: return "EXCEPTION_INT_DIVIDE_BY_ZERO : 0x ";
        case FPE_INTOVF: return "EXCEPTION_INT_OVERFLOW : 0x ";
        case FPE_FLTDIV: return "EXCEPTION_FLT_DIVIDE_BY_ZERO : 0x ";
        case FPE_FLTOVF: return "EXCEPTION_FLT_OVERFLOW : 0x ";
        case FPE_FLTUND: return "EXCEPTION_FLT_UNDERFLOW : 0x ";
        case FPE_FLTRES: return "EXCEPTION_FLT_INEXACT_RESULT : 0x ";
        case FPE_FLTSUB: return "EXCEPTION_ARRAY_BOUNDS_EXCEEDED : 0x ";
        default: return "EXCEPTION_FLT_INVALID_OPERATION : 0x ";
        }
    case SIGTRAP: return "EXCEPTION_SINGLE_STEP : 0x ";
    default: return nullptr;
    }
}

std::size_t FormatCrashLine(char* out, std::size_t size, DWORD lineNumber, long long localSeconds, const char* text,
                            std::uintptr_t address) {
    static const char kDays[] = "SunMonTueWedThuFriSat";
    static const char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
    // Civil date from days since 1970-01-01 (proleptic Gregorian).
    long long days = localSeconds / 86400, secs = localSeconds % 86400;
    if (secs < 0) {
        secs += 86400;
        --days;
    }
    const int weekday = static_cast<int>(((days % 7) + 11) % 7); // 1970-01-01 was a Thursday
    const long long z = days + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const long long day = doy - (153 * mp + 2) / 5 + 1;
    const long long month = mp < 10 ? mp + 3 : mp - 9; // 1..12
    const long long year = yoe + era * 400 + (month <= 2 ? 1 : 0);

    char dayName[4] = {kDays[weekday * 3], kDays[weekday * 3 + 1], kDays[weekday * 3 + 2], 0};
    char monthName[4] = {kMonths[(month - 1) * 3], kMonths[(month - 1) * 3 + 1], kMonths[(month - 1) * 3 + 2], 0};
    std::size_t pos = 0;
    pos = Put(out, size, pos, "| ");
    pos = PutUnsigned(out, size, pos, lineNumber, 10, 1, '0');
    pos = Put(out, size, pos, " | ");
    pos = Put(out, size, pos, dayName);
    pos = Put(out, size, pos, " ");
    pos = Put(out, size, pos, monthName);
    pos = PutUnsigned(out, size, pos, static_cast<unsigned long long>(day), 10, 3, ' ');
    pos = Put(out, size, pos, " ");
    pos = PutUnsigned(out, size, pos, static_cast<unsigned long long>(secs / 3600), 10, 2, '0');
    pos = Put(out, size, pos, ":");
    pos = PutUnsigned(out, size, pos, static_cast<unsigned long long>(secs / 60 % 60), 10, 2, '0');
    pos = Put(out, size, pos, ":");
    pos = PutUnsigned(out, size, pos, static_cast<unsigned long long>(secs % 60), 10, 2, '0');
    pos = Put(out, size, pos, " ");
    if (year < 0) pos = Put(out, size, pos, "-");
    pos = PutUnsigned(out, size, pos, static_cast<unsigned long long>(year < 0 ? -year : year), 10, 1, '0');
    pos = Put(out, size, pos, " | ERROR   | ");
    pos = Put(out, size, pos, text ? text : "");
    pos = PutUnsigned(out, size, pos, address, 16, 1, '0');
    pos = Put(out, size, pos, "\n");
    return pos;
}

bool PlainCrashLogged(int signalNumber, int signalCode) {
    switch (signalNumber) {
    case SIGSEGV: return true;
    case SIGBUS: return signalCode != BUS_ADRALN;
    case SIGFPE: return signalCode == FPE_INTDIV;
    default: return false;
    }
}

std::size_t FormatPlainCrashLine(char* out, std::size_t size, std::uintptr_t address) {
    std::size_t pos = Put(out, size, 0, "EXCEPTION : 0x ");
    pos = PutUnsigned(out, size, pos, address, 16, 1, '0');
    return Put(out, size, pos, "\n");
}

void InstallPlainCrashFilter(const char* logPath) {
    InstallCrashFilter(logPath, nullptr);
    g_plainLines.store(true);
}

void InstallCrashFilter(const char* logPath, CrashLineCounterFn lineCounter) {
    g_plainLines.store(false);
    // Block the handlers while the path changes.
    sigset_t fatal, old;
    sigemptyset(&fatal);
    for (int s : kFatalSignals) sigaddset(&fatal, s);
    pthread_sigmask(SIG_BLOCK, &fatal, &old);

    // The path as the file system spells it, settled now: the handler may not allocate.
    const std::string path = logPath && *logPath ? NativePath(logPath) : std::string();
    const std::size_t n = std::min(path.size(), kPathCapacity - 1);
    if (n) std::memcpy(g_logPath, path.data(), n);
    g_logPath[n] = '\0';
    g_lineCounter.store(lineCounter);
    const std::time_t now = std::time(nullptr);
    tm local{};
    if (localtime_r(&now, &local)) g_utcOffsetSeconds.store(local.tm_gmtoff);

    // The installing thread keeps its alternate stack for good.
    static ScopedAlternateSignalStack* s_mainStack = new ScopedAlternateSignalStack;
    (void)s_mainStack;

    struct sigaction sa{};
    sa.sa_sigaction = CrashHandler;
    sa.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sa.sa_mask = fatal;
    for (int s : kFatalSignals) sigaction(s, &sa, nullptr);
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
}

void RemoveCrashFilter() {
    struct sigaction sa{};
    sa.sa_handler = SIG_DFL;
    sigemptyset(&sa.sa_mask);
    for (int s : kFatalSignals) sigaction(s, &sa, nullptr);
}

ScopedAlternateSignalStack::ScopedAlternateSignalStack() {
    stack_t current{};
    if (sigaltstack(nullptr, &current) == 0 && !(current.ss_flags & SS_DISABLE)) return;
    m_stack = std::malloc(kAltStackSize);
    if (!m_stack) return;
    stack_t st{};
    st.ss_sp = m_stack;
    st.ss_size = kAltStackSize;
    if (sigaltstack(&st, nullptr) != 0) {
        std::free(m_stack);
        m_stack = nullptr;
    }
}

ScopedAlternateSignalStack::~ScopedAlternateSignalStack() {
    if (!m_stack) return;
    stack_t st{};
    st.ss_flags = SS_DISABLE;
    sigaltstack(&st, nullptr);
    std::free(m_stack);
}

} // namespace Platform
