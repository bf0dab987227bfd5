#pragma once
// The processor's own description.
#include <string>

namespace Platform {

// The processor brand string of the extended identification leaves
// 0x80000002-0x80000004, without leading blanks; empty when the processor
// lacks those leaves (or is not an x86 one).
std::string CpuBrandString();

} // namespace Platform
