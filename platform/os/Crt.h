#pragma once
// C run-time calls that Linux's C library lacks: the secure random source and
// the heap check. Every random number goes through one installable source, so
// a test can fix the sequence exactly.
#include "platform/os/WinTypes.h"

#include <cstdint>
#include <vector>

using errno_t = int;

// rand_s: one uniform 32-bit value of the installed source (by default the
// kernel's random generator). 0 on success; EINVAL for a null pointer.
errno_t rand_s(unsigned int* randomValue);

#define _HEAPEMPTY (-1)
#define _HEAPOK (-2)
#define _HEAPBADBEGIN (-3)
#define _HEAPBADNODE (-4)
#define _HEAPEND (-5)
#define _HEAPBADPTR (-6)
// _heapchk: the allocator here offers no consistency walk; always _HEAPOK.
int _heapchk();

namespace Platform {

class IRandomSource {
public:
    virtual ~IRandomSource() = default;
    // One uniform 32-bit value; may be called from any thread.
    virtual std::uint32_t Next() = 0;
    // The position of a source that can be put back where it was (a seeded
    // generator): false when the source has none (the kernel's generator).
    virtual bool GetState(std::uint64_t& state) const {
        (void)state;
        return false;
    }
    // Puts the source at a position GetState gave; false when it cannot.
    virtual bool SetState(std::uint64_t state) {
        (void)state;
        return false;
    }
};

// Installs the source of rand_s; null restores the system source. The caller
// keeps ownership and must outlive its installation.
void SetRandomSource(IRandomSource* source);
// The installed source's position, and putting it back (a saved game that
// goes on as it would have); false when the source keeps none.
bool GetRandomState(std::uint64_t& state);
bool SetRandomState(std::uint64_t state);

// Returns the given values in order and starts again after the last one
// (0 for ever when empty). Not for use from several threads at once.
class SequenceRandom : public IRandomSource {
public:
    explicit SequenceRandom(std::vector<std::uint32_t> values) : m_values(std::move(values)) {}
    std::uint32_t Next() override {
        if (m_values.empty()) return 0;
        const std::uint32_t v = m_values[m_next];
        m_next = (m_next + 1) % m_values.size();
        return v;
    }

private:
    std::vector<std::uint32_t> m_values;
    std::size_t m_next = 0;
};

} // namespace Platform
