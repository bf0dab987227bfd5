#pragma once
// The lookup that turns localisation keys (texts beginning with the key
// prefix, "_LN_" by default) into the player's language. The localisation
// manager installs its names here once they are loaded; readers of data
// files (the XML value readers) ask through it. With nothing installed no
// text is a key and every text stays as written.
namespace Vorna3D {

class ILocalizedNames {
public:
    virtual ~ILocalizedNames() = default;
    // The localised text of `key`, or null when `key` is null, does not begin
    // with the key prefix, or is not found. A key that is only the beginning
    // of longer keys gives an empty text, not null. The text stays valid until
    // the names are loaded again or uninstalled.
    virtual const char* GetLocalizedName(const char* key) const = 0;
};

// Installs the names (null uninstalls). The caller keeps ownership and must
// uninstall before destroying them. Main thread only.
void SetLocalizedNames(const ILocalizedNames* names);
const ILocalizedNames* GetLocalizedNames();

// The localised text of `text` when it is a known key, else `text` itself.
const char* LocalizeText(const char* text);

} // namespace Vorna3D
