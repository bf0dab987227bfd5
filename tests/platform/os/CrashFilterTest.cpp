#include "platform/os/CrashFilter.h"
#include "TestFolder.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string g_logPath;
DWORD SevenLines() { return 7; }

void WriteEndSummary() {
    // Stands in for the log's end summary, which a crash must not write.
    if (FILE* f = std::fopen(g_logPath.c_str(), "ab")) {
        std::fputs("End\n", f);
        std::fclose(f);
    }
}

// The sanitizers would report the fault themselves; the filter must see it.
__attribute__((no_sanitize("undefined"))) void NullWrite() {
    volatile int* volatile p = nullptr;
    *p = 1;
}

__attribute__((no_sanitize("undefined"))) void DivideByZero() {
    volatile int zero = 0;
    volatile int v = 10 / zero;
    (void)v;
}

volatile bool g_keepRecursing = true;

__attribute__((noinline)) int Recurse(int depth) {
    if (!g_keepRecursing) return 0;
    volatile char pad[256];
    pad[0] = static_cast<char>(depth);
    return Recurse(depth + 1) + pad[0];
}
void Overflow() { Recurse(0); }

// Runs `crash` in a child that opens a log, registers an end summary and
// installs the filter; returns the child's exit status and the log text.
int CrashInChild(void (*crash)(), std::string& log, bool backslashes = false) {
    g_logPath = (VornaTest::FreshFolder() / "Vorna3Log.log").string();
    VornaTest::WriteText(g_logPath, "| 1 | Thu Dec 10 12:00:00 2026 |         | Begin\n");
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        std::atexit(WriteEndSummary);
        std::string installed = g_logPath;
        if (backslashes)
            for (char& c : installed)
                if (c == '/') c = '\\';
        Platform::InstallCrashFilter(installed.c_str(), SevenLines);
        crash();
        std::exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    log = VornaTest::ReadText(g_logPath);
    return status;
}

// The part of the crash line after the time text.
std::string AfterTime(const std::string& log) {
    const size_t second = log.find('\n') + 1;
    const std::string line = log.substr(second);
    const size_t col = line.find(" | ERROR   | ");
    return col == std::string::npos ? line : line.substr(0, 6) + "<time>" + line.substr(col);
}

TEST(CrashFilter, NullWriteIsLoggedAsAccessViolationWithoutEndSummary) {
    std::string log;
    const int status = CrashInChild(NullWrite, log);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGSEGV);
    const std::string crash = AfterTime(log);
    EXPECT_EQ(crash.rfind("| 8 | <time> | ERROR   | EXCEPTION_ACCESS_VIOLATION : 0x ", 0), 0u) << log;
    // The program counter in lower-case hexadecimal, then the line end.
    const size_t at = crash.find("0x ");
    ASSERT_NE(at, std::string::npos) << log;
    const std::string hex = crash.substr(at + 3);
    EXPECT_EQ(hex.find_first_not_of("0123456789abcdef"), hex.size() - 1) << hex;
    EXPECT_EQ(hex.back(), '\n');
    EXPECT_EQ(log.find("End"), std::string::npos);
}

TEST(CrashFilter, IntegerDivisionByZeroIsLoggedByName) {
    std::string log;
    const int status = CrashInChild(DivideByZero, log, true); // a log path written with '\\'
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGFPE);
    EXPECT_NE(log.find(" | ERROR   | EXCEPTION_INT_DIVIDE_BY_ZERO : 0x "), std::string::npos) << log;
    EXPECT_EQ(log.find("End"), std::string::npos);
}

TEST(CrashFilter, StackOverflowIsReportedFromTheAlternateStack) {
    std::string log;
    const int status = CrashInChild(Overflow, log);
    ASSERT_TRUE(WIFEXITED(status)) << log;
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGSEGV);
    EXPECT_NE(log.find(" | ERROR   | EXCEPTION_STACK_OVERFLOW : 0x "), std::string::npos) << log;
}

TEST(CrashFilter, NamesFollowSignalAndCode) {
    struct Case {
        int signal, code;
        bool overflow;
        const char* text;
    } cases[] = {
        {SIGSEGV, SEGV_MAPERR, false, "EXCEPTION_ACCESS_VIOLATION : 0x "},
        {SIGSEGV, SEGV_MAPERR, true, "EXCEPTION_STACK_OVERFLOW : 0x "},
        {SIGBUS, BUS_ADRALN, false, "EXCEPTION_DATATYPE_MISALIGNMENT : 0x "},
        {SIGBUS, BUS_ADRERR, false, "EXCEPTION_IN_PAGE_ERROR : 0x "},
        {SIGILL, ILL_ILLOPC, false, "EXCEPTION_ILLEGAL_INSTRUCTION : 0x "},
        {SIGILL, ILL_PRVOPC, false, "EXCEPTION_PRIV_INSTRUCTION : 0x "},
        {SIGFPE, FPE_INTDIV, false, "EXCEPTION_INT_DIVIDE_BY_ZERO : 0x "},
        {SIGFPE, FPE_INTOVF, false, "EXCEPTION_INT_OVERFLOW : 0x "},
        {SIGFPE, FPE_FLTDIV, false, "EXCEPTION_FLT_DIVIDE_BY_ZERO : 0x "},
        {SIGFPE, FPE_FLTOVF, false, "EXCEPTION_FLT_OVERFLOW : 0x "},
        {SIGFPE, FPE_FLTUND, false, "EXCEPTION_FLT_UNDERFLOW : 0x "},
        {SIGFPE, FPE_FLTRES, false, "EXCEPTION_FLT_INEXACT_RESULT : 0x "},
        {SIGFPE, FPE_FLTINV, false, "EXCEPTION_FLT_INVALID_OPERATION : 0x "},
        {SIGFPE, FPE_FLTSUB, false, "EXCEPTION_ARRAY_BOUNDS_EXCEEDED : 0x "},
        {SIGTRAP, TRAP_TRACE, false, "EXCEPTION_SINGLE_STEP : 0x "},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(Platform::CrashExceptionText(c.signal, c.code, c.overflow), c.text) << c.signal << "/" << c.code;
    EXPECT_EQ(Platform::CrashExceptionText(SIGTERM, 0, false), nullptr);
}

TEST(CrashFilter, LineHasTheLogsErrorFormAndTheCtimeDate) {
    char buf[256];
    size_t n = Platform::FormatCrashLine(buf, sizeof buf, 12, 1700000000, "EXCEPTION_ACCESS_VIOLATION : 0x ", 0x4a5bcu);
    EXPECT_EQ(std::string(buf, n), "| 12 | Tue Nov 14 22:13:20 2023 | ERROR   | EXCEPTION_ACCESS_VIOLATION : 0x 4a5bc\n");
    // The date agrees with the C library's for days across leap years and
    // single-digit days (padded with a blank as ctime does).
    for (long long t : {0LL, 951782400LL, 1078099199LL, 1709251199LL, 4102444800LL, 1700000000LL + 86400 * 17}) {
        n = Platform::FormatCrashLine(buf, sizeof buf, 1, t, "", 0);
        const time_t tt = static_cast<time_t>(t);
        tm utc{};
        gmtime_r(&tt, &utc);
        static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
        static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
        char expected[64];
        std::snprintf(expected, sizeof expected, "%s %s%3d %.2d:%.2d:%.2d %d", kDays[utc.tm_wday], kMonths[utc.tm_mon],
                      utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, utc.tm_year + 1900);
        EXPECT_EQ(std::string(buf + 6, 24), expected) << t;
    }
    // A small buffer is never overrun.
    EXPECT_EQ(Platform::FormatCrashLine(buf, 10, 1, 0, "EXCEPTION_ACCESS_VIOLATION : 0x ", 0xffff), 10u);
}

TEST(CrashFilter, ErrorModeIsRecorded) {
    const UINT before = SetErrorMode(SEM_NOGPFAULTERRORBOX);
    EXPECT_EQ(SetErrorMode(before), SEM_NOGPFAULTERRORBOX);
}

} // namespace
