#include "data/generators/mapbuild/MapBuilder.h"

#include "campaign/data/DataFiles.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <locale>
#include <map>
#include <set>
#include <sstream>
#include <tinyxml.h>
#include <vector>

namespace MapBuild {

namespace {

constexpr std::size_t kField = 40;

struct Refusal {
    std::string why;
};

[[noreturn]] void Refuse(const std::string& why) { throw Refusal{why}; }

class Writer {
public:
    void U32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) m_out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
    void F32(float f) {
        std::uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        U32(bits);
    }
    void Text(const std::string& s) {
        std::string field = s;
        field.resize(kField, '\0');
        m_out += field;
    }
    std::string& Bytes() { return m_out; }

private:
    std::string m_out;
};

std::vector<float> Floats(const TiXmlElement* e, const char* attribute, std::size_t count, bool required,
                          std::vector<float> fallback = {}) {
    const char* text = e ? e->Attribute(attribute) : nullptr;
    if (!text) {
        if (required) Refuse(std::string("missing ") + (e ? e->Value() : "element") + " " + attribute);
        return fallback;
    }
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    std::vector<float> values;
    float v;
    while (in >> v) values.push_back(v);
    if (!in.eof() || values.size() != count)
        Refuse(std::string(e->Value()) + " " + attribute + " needs " + std::to_string(count) + " numbers: \"" + text +
               "\"");
    for (float f : values)
        if (!std::isfinite(f)) Refuse(std::string(e->Value()) + " " + attribute + " is not finite");
    return values;
}

float Float(const TiXmlElement* e, const char* attribute, float fallback) {
    return Floats(e, attribute, 1, false, {fallback})[0];
}

const TiXmlElement* Child(const TiXmlElement* parent, const char* name, bool required) {
    const TiXmlElement* e = parent->FirstChildElement(name);
    if (!e && required) Refuse(std::string("missing element ") + name);
    return e;
}

std::string FileName(const TiXmlElement* e, const char* attribute, const std::string& text) {
    if (text.size() >= kField) Refuse(std::string(e->Value()) + " " + attribute + " \"" + text + "\" is longer than 39");
    if (!VornaCampaign::IsSafeDataFileName(text.c_str()))
        Refuse(std::string(e->Value()) + " " + attribute + " \"" + text + "\" leaves its folder");
    return text;
}

// Up to three blank-separated file names; the first is required.
std::vector<std::string> FileNames(const TiXmlElement* e, const char* attribute) {
    const char* text = e->Attribute(attribute);
    if (!text) Refuse(std::string(e->Value()) + " needs " + attribute);
    std::istringstream in(text);
    std::vector<std::string> names;
    std::string name;
    while (in >> name) names.push_back(FileName(e, attribute, name));
    if (names.empty() || names.size() > 3)
        Refuse(std::string(e->Value()) + " " + attribute + " needs one to three file names");
    names.resize(3);
    return names;
}

// Letters, digits, '_', '-' and '.', starting with a letter or '_' and not
// with "xml" in any case: a name that an XML element may carry.
bool IsXmlElementName(const std::string& name) {
    if (name.empty()) return false;
    const auto letter = [](unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (!letter(name[0]) && name[0] != '_') return false;
    for (unsigned char c : name)
        if (!letter(c) && !(c >= '0' && c <= '9') && c != '_' && c != '-' && c != '.') return false;
    if (name.size() >= 3) {
        std::string head = name.substr(0, 3);
        for (char& c : head) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (head == "xml") return false;
    }
    return true;
}

std::string ObjectName(const TiXmlElement* e, std::set<std::string>& names) {
    const char* text = e->Attribute("name");
    const std::string name = text ? text : "";
    if (name.size() >= kField) Refuse("name \"" + name + "\" is longer than 39");
    if (!IsXmlElementName(name)) Refuse("name \"" + name + "\" cannot be an XML element name");
    if (!names.insert(name).second) Refuse("name \"" + name + "\" is used twice");
    return name;
}

// The name a unit carries on the map: the lists that name units (targets to
// destroy, the computer's purposes, the scenario's mobile units) are XML
// element names read with every "_" as a blank, so a "_" of the description
// is written as a blank and those lists can name the unit.
std::string UnitName(const std::string& name) {
    std::string out = name;
    for (char& c : out)
        if (c == '_') c = ' ';
    return out;
}

void Placement(const TiXmlElement* e, Writer& w) {
    const std::vector<float> p = Floats(e, "position", 3, true);
    const float yaw = Float(e, "yaw", 0.0f) * 3.14159265358979f / 180.0f;
    const float s = Float(e, "scale", 1.0f);
    if (!(s > 0.0f)) Refuse(std::string(e->Value()) + " scale must be above 0");
    const float c = std::cos(yaw), n = std::sin(yaw);
    const float m[16] = {c * s, 0, -n * s, 0, 0, s, 0, 0, n * s, 0, c * s, 0, p[0], p[1], p[2], 1};
    for (float f : m) w.F32(f);
}

void Vector(Writer& w, const std::vector<float>& v) {
    for (float f : v) w.F32(f);
}

void Build(const TiXmlElement* map, Writer& w) {
    if (std::strcmp(map->Value(), "Map") != 0) Refuse("the root element is not Map");
    const char* title = map->Attribute("name");
    if (!title || std::strlen(title) >= kField) Refuse("the map needs a name of at most 39 characters");
    w.Text(title);
    const TiXmlElement* scene = Child(map, "SceneBox", true);
    const TiXmlElement* area = Child(map, "MapArea", true);
    const std::vector<float> sceneMin = Floats(scene, "min", 3, true), sceneMax = Floats(scene, "max", 3, true);
    const std::vector<float> areaMin = Floats(area, "min", 3, true), areaMax = Floats(area, "max", 3, true);
    for (int i = 0; i < 3; ++i) {
        if (sceneMin[i] > sceneMax[i]) Refuse("SceneBox min is above max");
        if (areaMin[i] > areaMax[i]) Refuse("MapArea min is above max");
        if (areaMin[i] < sceneMin[i] || areaMax[i] > sceneMax[i]) Refuse("MapArea is not inside SceneBox");
    }
    Vector(w, sceneMin);
    Vector(w, sceneMax);
    Vector(w, areaMin);
    Vector(w, areaMax);
    const TiXmlElement* sky = Child(map, "Sky", true);
    w.Text(FileName(sky, "texture", sky->Attribute("texture") ? sky->Attribute("texture") : ""));
    const TiXmlElement* sun = Child(map, "Sun", false);
    w.F32(Float(sun, "shininess", 1000.0f));
    w.F32(Float(sun, "strength", 200.0f));
    Vector(w, Floats(sun, "colour", 4, false, {0.3f, 0.2f, 0.1f, 0.1f}));
    const TiXmlElement* water = Child(map, "Water", true);
    w.Text(FileName(water, "texture", water->Attribute("texture") ? water->Attribute("texture") : ""));
    w.F32(Float(water, "amplitude", 2.0f));
    Vector(w, Floats(water, "colour", 3, false, {0.15f, 0.31f, 0.4f}));

    std::set<std::string> names;
    std::vector<const TiXmlElement*> statics, units;
    if (const TiXmlElement* list = Child(map, "Statics", false))
        for (const TiXmlElement* e = list->FirstChildElement("Static"); e; e = e->NextSiblingElement("Static"))
            statics.push_back(e);
    if (const TiXmlElement* list = Child(map, "Units", false))
        for (const TiXmlElement* e = list->FirstChildElement("Unit"); e; e = e->NextSiblingElement("Unit"))
            units.push_back(e);

    w.U32(static_cast<std::uint32_t>(statics.size()));
    for (const TiXmlElement* e : statics) {
        w.Text(ObjectName(e, names));
        for (const std::string& f : FileNames(e, "models")) w.Text(f);
        for (const std::string& f : FileNames(e, "effects")) w.Text(f);
    }
    for (const TiXmlElement* e : statics) Placement(e, w);

    std::map<std::string, std::string> sideOf;
    w.U32(static_cast<std::uint32_t>(units.size()));
    for (const TiXmlElement* e : units) {
        const std::string name = ObjectName(e, names);
        w.Text(UnitName(name));
        for (const std::string& f : FileNames(e, "models")) w.Text(f);
        for (const std::string& f : FileNames(e, "effects")) w.Text(f);
        const char* description = e->Attribute("description");
        if (!description || !*description) Refuse("unit " + name + " needs a description file");
        w.Text(FileName(e, "description", description));
        const char* side = e->Attribute("side");
        const std::string sideText = side ? side : "";
        if (sideText != "SIDE1" && sideText != "SIDE2" && sideText != "UNSIDE")
            Refuse("unit " + name + " has side \"" + sideText + "\"; it must be SIDE1, SIDE2 or UNSIDE");
        w.Text(sideText);
        sideOf[name] = sideText;
    }
    if (units.empty()) {
        if (Child(map, "Columns", false)) Refuse("columns need units");
        return;
    }
    for (const TiXmlElement* e : units) Placement(e, w);

    std::vector<const TiXmlElement*> columns;
    if (const TiXmlElement* list = Child(map, "Columns", false))
        for (const TiXmlElement* e = list->FirstChildElement("Column"); e; e = e->NextSiblingElement("Column"))
            columns.push_back(e);
    w.U32(static_cast<std::uint32_t>(columns.size()));
    std::set<std::string> placed;
    for (const TiXmlElement* e : columns) {
        const float speed = Float(e, "speed", 0.0f);
        if (speed < 0.0f) Refuse("a column's speed is below 0");
        std::vector<std::string> ships;
        std::string side;
        for (const TiXmlElement* s = e->FirstChildElement("Ship"); s; s = s->NextSiblingElement("Ship")) {
            const std::string ship = s->GetText() ? s->GetText() : "";
            const auto found = sideOf.find(ship);
            if (found == sideOf.end()) Refuse("column ship \"" + ship + "\" is no unit of the map");
            if (found->second == "UNSIDE") Refuse("column ship \"" + ship + "\" belongs to no side");
            if (!side.empty() && side != found->second) Refuse("column of " + ship + " mixes the sides");
            side = found->second;
            if (!placed.insert(ship).second) Refuse("ship \"" + ship + "\" stands in two columns");
            ships.push_back(ship);
        }
        if (ships.empty()) Refuse("a column has no ships");
        w.F32(speed);
        w.U32(static_cast<std::uint32_t>(ships.size()));
        for (const std::string& s : ships) w.Text(UnitName(s));
    }
}

} // namespace

bool BuildMapFile(const std::string& xml, std::string& out, std::string& error) {
    TiXmlDocument doc;
    if (!VornaCampaign::ParseXmlText(xml, doc) || !doc.RootElement()) {
        error = "the description is no XML document";
        return false;
    }
    try {
        Writer w;
        Build(doc.RootElement(), w);
        out = std::move(w.Bytes());
        return true;
    } catch (const Refusal& r) {
        error = r.why;
        return false;
    }
}

} // namespace MapBuild
