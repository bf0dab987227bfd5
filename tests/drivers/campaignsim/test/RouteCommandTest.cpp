// campaignsim route on the demo strait: the result codes the map gives and a
// plan that is the same on every run.
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>

namespace {

struct Result {
    int exitCode = -1;
    std::string out;
};

Result Route(const std::string& arguments) {
    Result r;
    const std::string command = "cd '" VORNA_BIN_DIR "' && ./campaignsim route demo_strait.map " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) r.out.append(buffer, n);
    const int status = pclose(pipe);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

} // namespace

TEST(RouteCommand, ResultCodesOnTheDemoMap) {
    const struct {
        const char* args;
        const char* expected;
    } cases[] = {
        {"--from -200,-150 --to 150,200 --time 3000", "result 4 (found)"},
        {"--from -200,-150 --to -150,-40", "result 2 (target occupied)"},
        {"--from -200,-150 --to 150,200 --used 8 --time 10", "result 1 (not enough time)"},
        {"--from -200,-150 --to 150,200 --time 0", "result 0 (error)"},
    };
    for (const auto& c : cases) {
        const Result r = Route(c.args);
        EXPECT_NE(r.out.find(c.expected), std::string::npos) << c.args << "\n" << r.out;
    }
    EXPECT_NE(Route("--from -200,-150 --to -150,-40").out.find("target taken by West_Island"), std::string::npos);
    EXPECT_EQ(Route("--from nowhere --to 1,2").exitCode, 2);
}

TEST(RouteCommand, PlanAroundTheIslandsIsRepeatable) {
    const Result a = Route("--from -200,-150 --to 150,200 --time 3000 --svg /dev/null");
    const Result b = Route("--from -200,-150 --to 150,200 --time 3000");
    ASSERT_EQ(a.exitCode, 0);
    EXPECT_EQ(a.out, b.out);
    EXPECT_NE(a.out.find("detour "), std::string::npos);
    EXPECT_NE(a.out.find("way point "), std::string::npos);
}
