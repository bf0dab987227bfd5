#pragma once
// The end the ship object readers share once their file is read: the new
// object is kept when its text form loads (or the file was binary), and
// deleted when the file was not read or did not load.
#include "engine3/core/CDX9KelLog.h"
#include "seabattle/game/CVR3GAMEIO.h"

namespace SeaBattle {

// `object` on success, else null with `object` deleted; a load that fails
// writes the line `loadFailed` (the operation's name and the failed reader).
template <class T, class Load>
T* KeepLoadedObject(CVR3GAMEIO::EReadResult read, T* object, const char* loadFailed, Load load) {
    if (read == CVR3GAMEIO::READ_DOCUMENT && !load()) {
        Vorna3D::g_Log.Write(3, "%s\n", loadFailed);
        delete object;
        return nullptr;
    }
    if (read == CVR3GAMEIO::READ_FAILED) {
        delete object;
        return nullptr;
    }
    return object;
}

} // namespace SeaBattle
