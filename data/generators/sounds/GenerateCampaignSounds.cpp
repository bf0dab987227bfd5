// Synthesises the campaign's music and sounds and encodes them as Ogg Vorbis.
// usage: generate_campaign_sounds <output folder>
// Writes into Sounds/: MainMenu.ogg (12 s of stereo music, long enough to be
// streamed), the one-shot effects Shot.ogg, Splash.ogg, Explosion.ogg and
// Ram.ogg, and the loops Fire.ogg, ShipStop.ogg, ShipMove.ogg and Sea.ogg
// (mono, decoded whole).
#include "data/generators/sounds/OggWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kMusicRate = 44100;
constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

double NoteHz(int semitonesFromA4) { return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0); }

// A plucked tone into one stereo channel pair, at the given pan (0 left, 1 right).
void AddPluck(std::vector<float>& stereo, double start, double length, double hz, double level, double pan) {
    const auto first = static_cast<size_t>(start * kMusicRate);
    const auto count = static_cast<size_t>(length * kMusicRate);
    const double left = std::cos(pan * kPi / 2.0), right = std::sin(pan * kPi / 2.0);
    for (size_t i = 0; i < count && 2 * (first + i) + 1 < stereo.size(); ++i) {
        const double t = static_cast<double>(i) / kMusicRate;
        const double env = std::min(1.0, t / 0.01) * std::exp(-t * 2.5) * std::min(1.0, (length - t) / 0.05);
        const double w = 2.0 * kPi * hz * t;
        const double v = level * std::max(0.0, env) * (std::sin(w) + 0.4 * std::sin(2.0 * w) + 0.2 * std::sin(3.0 * w));
        stereo[2 * (first + i)] += static_cast<float>(v * left);
        stereo[2 * (first + i) + 1] += static_cast<float>(v * right);
    }
}

// A slow march in a minor key: melody right of centre, bass left of centre.
std::vector<float> MainMenu() {
    const double seconds = 12.0;
    std::vector<float> stereo(static_cast<size_t>(seconds * kMusicRate) * 2, 0.0f);
    const int melody[] = {0, 3, 7, 5, 3, 2, 3, 0, -2, 0, 2, 3, 5, 3, 2, 0, 7, 8, 7, 5, 3, 5, 2, 0};
    const int bass[] = {-12, -9, -14, -7, -12, -9, -7, -12};
    const double beat = seconds / 24.0;
    for (int i = 0; i < 24; ++i) AddPluck(stereo, i * beat, beat * 0.98, NoteHz(melody[i]), 0.25, 0.7);
    const double bar = seconds / 8.0;
    for (int i = 0; i < 8; ++i) AddPluck(stereo, i * bar, bar * 0.98, NoteHz(bass[i] - 12), 0.3, 0.3);
    return stereo;
}

std::vector<float> Noise(double seconds, unsigned seed, double smoothing) {
    std::vector<float> out(static_cast<size_t>(seconds * kRate));
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    float low = 0.0f;
    for (float& s : out) {
        low += static_cast<float>(smoothing) * (uniform(random) - low);
        s = low;
    }
    return out;
}

// A sharp crack with a short rumble.
std::vector<float> Shot() {
    std::vector<float> out = Noise(1.0, 11, 0.3);
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double boom = std::exp(-t * 6.0) * std::sin(2.0 * kPi * 70.0 * t);
        out[i] = static_cast<float>(0.7 * std::exp(-t * 12.0) * out[i] * 2.0 + 0.4 * boom);
    }
    return out;
}

// A hiss that swells and falls away.
std::vector<float> Splash() {
    std::vector<float> out = Noise(1.2, 12, 0.6);
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        out[i] = static_cast<float>(0.6 * std::min(1.0, t / 0.05) * std::exp(-t * 3.0) * out[i]);
    }
    return out;
}

// A long, dark roar.
std::vector<float> Explosion() {
    std::vector<float> out = Noise(2.0, 13, 0.05);
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double boom = std::exp(-t * 2.0) * std::sin(2.0 * kPi * 40.0 * t);
        out[i] = static_cast<float>(std::exp(-t * 1.5) * (out[i] * 4.0 * 0.5 + 0.5 * boom));
    }
    return out;
}

// A grinding crunch of hull on hull.
std::vector<float> Ram() {
    std::vector<float> out = Noise(1.5, 14, 0.15);
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double grind = 0.5 + 0.5 * std::sin(2.0 * kPi * 23.0 * t);
        out[i] = static_cast<float>(0.8 * std::exp(-t * 2.0) * out[i] * 2.0 * grind);
    }
    return out;
}

// Loops hold whole cycles of every periodic part and fade their noise in
// and out across the seam, so they repeat without a click.
std::vector<float> SeamlessNoise(double seconds, unsigned seed, double smoothing) {
    std::vector<float> a = Noise(seconds, seed, smoothing);
    const std::vector<float> b = Noise(seconds, seed + 100, smoothing);
    for (size_t i = 0; i < a.size(); ++i) {
        const double phase = static_cast<double>(i) / static_cast<double>(a.size());
        const double wa = std::sin(kPi * phase), wb = std::cos(kPi * phase);
        a[i] = static_cast<float>(a[i] * wa + b[(i + b.size() / 2) % b.size()] * std::abs(wb));
    }
    return a;
}

// Crackling flames.
std::vector<float> Fire() {
    std::vector<float> out = SeamlessNoise(2.0, 15, 0.2);
    std::mt19937 random(16);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    for (size_t i = 0; i < out.size(); ++i) {
        out[i] *= 0.4f;
        if (uniform(random) < 0.002) out[i] += static_cast<float>(uniform(random) - 0.5);
    }
    return out;
}

// An engine at a given speed: hum of the shaft and the beat of the screws.
std::vector<float> Engine(double hz, double beat, double level) {
    std::vector<float> out(static_cast<size_t>(2.0 * kRate));
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double pulse = 0.6 + 0.4 * std::sin(2.0 * kPi * beat * t);
        const double hum = std::sin(2.0 * kPi * hz * t) + 0.5 * std::sin(4.0 * kPi * hz * t);
        out[i] = static_cast<float>(level * hum * pulse);
    }
    return out;
}

// Surf: slow swells of soft noise.
std::vector<float> Sea() {
    std::vector<float> out = SeamlessNoise(4.0, 17, 0.08);
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        out[i] = static_cast<float>(out[i] * 1.2 * (0.55 + 0.45 * std::sin(2.0 * kPi * 0.5 * t)));
    }
    return out;
}

bool Write(const std::filesystem::path& path, const std::vector<float>& samples, int channels, int rate) {
    std::filesystem::create_directories(path.parent_path());
    std::vector<float> clipped(samples);
    for (float& s : clipped) s = std::clamp(s, -1.0f, 1.0f);
    if (OggWriter::WriteOgg(path.string(), clipped, channels, rate)) return true;
    std::fprintf(stderr, "generate_campaign_sounds: cannot write %s\n", path.c_str());
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: generate_campaign_sounds <output folder>\n");
        return 2;
    }
    const std::filesystem::path folder = std::filesystem::path(argv[1]) / "Sounds";
    bool ok = true;
    ok &= Write(folder / "MainMenu.ogg", MainMenu(), 2, kMusicRate);
    ok &= Write(folder / "Shot.ogg", Shot(), 1, kRate);
    ok &= Write(folder / "Splash.ogg", Splash(), 1, kRate);
    ok &= Write(folder / "Explosion.ogg", Explosion(), 1, kRate);
    ok &= Write(folder / "Ram.ogg", Ram(), 1, kRate);
    ok &= Write(folder / "Fire.ogg", Fire(), 1, kRate);
    ok &= Write(folder / "ShipStop.ogg", Engine(40.0, 2.0, 0.3), 1, kRate);
    ok &= Write(folder / "ShipMove.ogg", Engine(60.0, 5.0, 0.35), 1, kRate);
    ok &= Write(folder / "Sea.ogg", Sea(), 1, kRate);
    return ok ? 0 : 1;
}
