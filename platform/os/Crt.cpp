#include "platform/os/Crt.h"

#include <atomic>
#include <cerrno>
#include <mutex>
#include <random>
#include <sys/random.h>

namespace {

class SystemRandom : public Platform::IRandomSource {
public:
    std::uint32_t Next() override {
        std::uint32_t v = 0;
        if (getrandom(&v, sizeof v, 0) == static_cast<ssize_t>(sizeof v)) return v;
        // No kernel generator: a seeded engine still gives uniform values.
        static std::mutex lock;
        static std::mt19937 fallback{std::random_device{}()};
        std::lock_guard<std::mutex> l(lock);
        return fallback();
    }
};

// Constant-initialised, so rand_s works even from other objects' constructors.
constinit SystemRandom g_systemRandom;
std::atomic<Platform::IRandomSource*> g_random{&g_systemRandom};

} // namespace

errno_t rand_s(unsigned int* randomValue) {
    if (!randomValue) return EINVAL;
    *randomValue = g_random.load()->Next();
    return 0;
}

int _heapchk() { return _HEAPOK; }

namespace Platform {

void SetRandomSource(IRandomSource* source) { g_random.store(source ? source : &g_systemRandom); }

bool GetRandomState(std::uint64_t& state) { return g_random.load()->GetState(state); }

bool SetRandomState(std::uint64_t state) { return g_random.load()->SetState(state); }

} // namespace Platform
