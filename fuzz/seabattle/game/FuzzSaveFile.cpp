// The save readers on arbitrary bytes, as a scenario save and as a duel
// save: never a crash, an overrun or an allocation the bytes cannot pay for.
// What reads is written again and must read back to the same image.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "seabattle/game/CVR3GAMESaveImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string error;
    SeaBattle::SVR3ScenarioSave scenario, scenarioAgain;
    if (SeaBattle::ReadScenarioSave(bytes, scenario, error)) {
        const std::string written = SeaBattle::WriteScenarioSave(scenario);
        if (!SeaBattle::ReadScenarioSave(written, scenarioAgain, error) ||
            SeaBattle::WriteScenarioSave(scenarioAgain) != written)
            std::abort();
    }
    SeaBattle::SVR3DuelSave duel, duelAgain;
    if (SeaBattle::ReadDuelSave(bytes, duel, error)) {
        const std::string written = SeaBattle::WriteDuelSave(duel);
        if (!SeaBattle::ReadDuelSave(written, duelAgain, error) || SeaBattle::WriteDuelSave(duelAgain) != written)
            std::abort();
    }
    return 0;
}
