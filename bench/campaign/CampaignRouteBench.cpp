// Route planning cost: FindPath over 1,000 random start and target pairs on
// generated maps of 50 to 500 obstacles (islands as boxes, ships as circles),
// with a fixed seed. Prints mean, p95 and max per call in microseconds and
// the result counts.
#include "bench/BenchReport.h"
#include "campaign/routes/CDX9KelSeaPath.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <vector>

using namespace VornaCampaign;

namespace {

void RunMap(int obstacles, unsigned seed) {
    std::mt19937 rng(seed);
    // The map grows with the obstacle count so the sea stays as crowded.
    const float half = 300.0f * std::sqrt(static_cast<float>(obstacles) / 50.0f);
    std::uniform_real_distribution<float> pos(-half, half), size(4.0f, 40.0f), unit(0.0f, 1.0f);
    CKelSeaObstacleField field;
    for (int i = 0; i < obstacles; ++i) {
        const float x = pos(rng), z = pos(rng);
        if (unit(rng) < 0.7f) {
            const float w = size(rng), d = size(rng);
            field.AddBox(x - w / 2, z - d / 2, x + w / 2, z + d / 2, i);
        } else {
            field.AddCircle(x, z, 5.0f, i);
        }
    }
    CDX9KelSeaPathGenerator gen;
    CDX9KelSeaPathFinder finder(&gen);
    finder.SetObstacleQuery(&field);
    SeaMoveParams params;
    params.m_fMaxSpeed = 10.0f;
    params.m_fMaxTurnRate = 0.05f;
    params.m_fAcceleration = 0.05f;
    params.m_fStartSpeed = 5.0f;
    std::vector<double> micros;
    int counts[5] = {};
    for (int k = 0; k < 1000; ++k) {
        SeaMover mover;
        D3DXMatrixRotationY(&mover.m_mWorld, unit(rng) * 6.2831853f);
        mover.m_mWorld._41 = pos(rng);
        mover.m_mWorld._43 = pos(rng);
        mover.m_fRadius = 5.0f;
        const float tx = pos(rng), tz = pos(rng);
        const auto t0 = std::chrono::steady_clock::now();
        const int code = finder.FindPath(&mover, &params, 0.0f, 300.0f, tx, 0.0f, tz);
        const auto t1 = std::chrono::steady_clock::now();
        micros.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
        if (code >= 0 && code <= 4) ++counts[code];
    }
    std::sort(micros.begin(), micros.end());
    double sum = 0;
    for (double m : micros) sum += m;
    const std::string name = "FindPath/obstacles:" + std::to_string(obstacles);
    const std::string extra = "found=" + std::to_string(counts[4]) + " not_found=" + std::to_string(counts[3]) +
                              " occupied=" + std::to_string(counts[2]);
    VornaBench::Figure(name + "/mean", sum / micros.size(), "us", extra);
    VornaBench::Figure(name + "/p95", micros[micros.size() * 95 / 100], "us");
    VornaBench::Figure(name + "/max", micros.back(), "us");
}

} // namespace

int main() {
    for (int n : {50, 100, 250, 500}) RunMap(n, 1234u + static_cast<unsigned>(n));
    return 0;
}
