#pragma once
// A sea with seeded noise and height tables built at a fixed time, for the
// benchmarks that measure it or ride on it.
#include "engine3/world/ocean/CDX9KelOceanSurface.h"
#include "platform/os/Crt.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace VornaBench {

inline std::unique_ptr<Vorna3D::CDX9KelOceanSurface> MakeSea(std::uint32_t seed, float amplitude, double time) {
    std::vector<std::uint32_t> seq;
    for (int i = 0; i < 1021; ++i) seq.push_back(seed = seed * 1664525u + 1013904223u);
    Platform::SequenceRandom random(seq);
    Platform::SetRandomSource(&random);
    auto sea = std::make_unique<Vorna3D::CDX9KelOceanSurface>();
    sea->InitNoise();
    Platform::SetRandomSource(nullptr);
    sea->SetAmplitude(amplitude);
    sea->SetTime(time);
    sea->AnimateNoise();
    return sea;
}

} // namespace VornaBench
