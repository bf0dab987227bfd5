// Synthesises the demo's music and sound effects and encodes them as Ogg
// Vorbis. usage: generate_sounds <output folder>
// Writes Sound/Music/menu1.ogg, menu2.ogg (long enough to be streamed) and
// Sound/Effects/click.ogg, gun.ogg, engine_loop.ogg (decoded whole).
#include "data/generators/sounds/OggWriter.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

double NoteHz(int semitonesFromA4) { return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0); }

// A soft organ-like tone: a few harmonics under an attack/release envelope.
void AddNote(std::vector<float>& out, double start, double length, double hz, double level) {
    const auto first = static_cast<size_t>(start * kRate);
    const auto count = static_cast<size_t>(length * kRate);
    for (size_t i = 0; i < count && first + i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double attack = std::min(1.0, t / 0.03);
        const double release = std::min(1.0, (length - t) / 0.12);
        const double env = std::max(0.0, std::min(attack, release));
        const double w = 2.0 * kPi * hz * t;
        const double v = std::sin(w) + 0.35 * std::sin(2.0 * w) + 0.15 * std::sin(3.0 * w);
        out[first + i] += static_cast<float>(level * env * v);
    }
}

std::vector<float> Music(const std::vector<int>& melody, const std::vector<int>& bass, double seconds) {
    std::vector<float> out(static_cast<size_t>(seconds * kRate), 0.0f);
    const double beat = seconds / static_cast<double>(melody.size());
    for (size_t i = 0; i < melody.size(); ++i) AddNote(out, i * beat, beat * 0.95, NoteHz(melody[i]), 0.22);
    const double bar = seconds / static_cast<double>(bass.size());
    for (size_t i = 0; i < bass.size(); ++i) AddNote(out, i * bar, bar * 0.98, NoteHz(bass[i] - 24), 0.18);
    return out;
}

std::vector<float> Click() {
    std::vector<float> out(static_cast<size_t>(0.08 * kRate));
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        out[i] = static_cast<float>(0.6 * std::exp(-t * 90.0) * std::sin(2.0 * kPi * 2000.0 * t));
    }
    return out;
}

std::vector<float> Gun() {
    std::vector<float> out(static_cast<size_t>(1.2 * kRate));
    std::mt19937 random(7);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    float low = 0.0f;
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        low += 0.08f * (noise(random) - low);  // a darker, rumbling noise
        const double boom = std::exp(-t * 4.0) * std::sin(2.0 * kPi * 55.0 * t * (1.0 - 0.3 * t));
        out[i] = static_cast<float>(0.55 * std::exp(-t * 3.0) * low * 3.0 + 0.45 * boom);
    }
    return out;
}

std::vector<float> EngineLoop() {
    // 2 s holding whole cycles of every component, so the loop has no seam.
    std::vector<float> out(static_cast<size_t>(2.0 * kRate));
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double thump = 0.5 + 0.5 * std::sin(2.0 * kPi * 4.0 * t);
        const double hum = std::sin(2.0 * kPi * 48.0 * t) + 0.5 * std::sin(2.0 * kPi * 96.0 * t) +
                           0.25 * std::sin(2.0 * kPi * 144.0 * t);
        out[i] = static_cast<float>(0.3 * hum * (0.6 + 0.4 * thump));
    }
    return out;
}

bool Write(const std::filesystem::path& path, const std::vector<float>& samples) {
    std::filesystem::create_directories(path.parent_path());
    if (OggWriter::WriteOgg(path.string(), samples, 1, kRate)) return true;
    std::fprintf(stderr, "generate_sounds: cannot write %s\n", path.c_str());
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: generate_sounds <output folder>\n");
        return 2;
    }
    const std::filesystem::path root(argv[1]);
    // 9 s each: above the streaming threshold of 300,000 samples.
    const std::vector<int> melody1 = {0, 3, 7, 10, 7, 3, 5, 8, 12, 8, 5, 3, 2, 5, 7, 0};
    const std::vector<int> bass1 = {0, 5, 3, 7};
    const std::vector<int> melody2 = {-5, -2, 2, 5, 3, 2, 0, -2, -5, 0, 3, 7, 5, 3, 2, -2};
    const std::vector<int> bass2 = {-5, 0, -2, 2};
    bool ok = true;
    ok &= Write(root / "Sound/Music/menu1.ogg", Music(melody1, bass1, 9.0));
    ok &= Write(root / "Sound/Music/menu2.ogg", Music(melody2, bass2, 9.0));
    ok &= Write(root / "Sound/Effects/click.ogg", Click());
    ok &= Write(root / "Sound/Effects/gun.ogg", Gun());
    ok &= Write(root / "Sound/Effects/engine_loop.ogg", EngineLoop());
    return ok ? 0 : 1;
}
