// The scene-object reader on arbitrary bytes: a loaded object must hold
// only registered units within its levels, and giving it back must leave the
// managers as they were.
#include "FuzzGameIO.h"

#include "engine3/core/resources/CDX9KelGraphicResources.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    VornaFuzz::FuzzWorld& w = VornaFuzz::World();
    Vorna3D::CDX9KelModelManager* models = w.scene->GetGraphicsResManager()->m_pModelManager;
    size_t before = 0;
    for (auto* r : models->m_vResources) before += r != nullptr;
    VornaFuzz::PutInput("f.scobjxml", data, size);
    Vorna3D::CDX9KelSceneObject* o = w.io.CreateSceneObjectFromFile("f.scobjxml");
    if (o) {
        if (o->m_vLODs.size() > static_cast<size_t>(Vorna3D::KEL_MAX_LODS)) std::abort();
        for (const auto& lod : o->m_vLODs)
            for (const auto* u : lod.m_vUnits)
                if (u && u->m_pOwner != o) std::abort();
        w.io.DeleteSceneObject(o);
    }
    size_t after = 0;
    for (auto* r : models->m_vResources) after += r != nullptr;
    if (after != before) std::abort();
    return 0;
}
