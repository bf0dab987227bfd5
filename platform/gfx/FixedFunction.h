#pragma once
// The fixed-function emulation and the drawing code's per-device objects.
#include "platform/gfx/DeviceState.h"

#include <string>
#include <vector>

namespace Platform {

// The fixed-function program's uniforms, looked up once after linking: a
// name lookup per uniform and draw cost the main thread more than the
// uniforms themselves.
enum FixedUniform {
    kUView, kUProj, kUBlend, kUIndexed, kUPretransformed, kUViewport, kULighting, kUHasColor, kUMatDiffuse,
    kUMatAmbient, kUMatEmissive, kUAmbient, kULightOn, kULightDiffuse, kULightAmbient, kULightDir, kUTex0, kUTexOn,
    kUColorOp, kUAlphaOp, kUAlphaFunc, kUAlphaRef, kUPointSprite, kUPointScale, kUPointSize, kUPointLimits,
    kUPointABC, kUClipAdjust, kFixedUniformCount
};

struct DrawExtras {
    GLuint fixedProgram = 0;
    GLint fixedUniforms[kFixedUniformCount] = {};
    bool fixedFailed = false;
    GLuint paletteBuffer = 0;
    GLuint effectProgram = 0; // the effect pass in progress, 0 for none
    GLuint fbo = 0;
    GLuint upBuffer = 0;
    GLuint upIndexBuffer = 0;
};
DrawExtras& Extras(DeviceState& s);

// Binds the fixed-function program and uploads the device's transforms,
// material, light, stage-0 and alpha-test states. 0 when it cannot compile.
GLuint UseFixedFunction(DeviceState& s, bool pretransformed, bool hasColor);

// The elements of a flexible vertex format, in Direct3D's order.
bool DeclarationFromFvf(DWORD fvf, std::vector<D3DVERTEXELEMENT9>& out);

// Compiles and links GLSL 330 sources. Vertex inputs get the locations of
// AttributeLocation by name; fragment output 0 is `outColor`. On failure
// returns 0 and `log` holds the compiler's and linker's text.
GLuint CompileProgram(const std::string& vertex, const std::string& fragment, std::string& log);

} // namespace Platform
