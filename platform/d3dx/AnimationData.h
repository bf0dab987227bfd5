#pragma once
// The key frames an animation controller evaluates, shared by a controller
// and its clones.
#include "platform/d3dx/XFileReader.h"
#include "platform/d3dx/d3dx9.h"

struct ID3DXAnimationController::Data {
    XFile::Scene scene; // only ticksPerSecond and animationSets are used
    // outputOf[set][animation]: index into the controller's outputs, or -1
    // when no frame of that name exists.
    std::vector<std::vector<int>> outputOf;
};
