// Information-object files ("infobjxml"): a ship type's card. From
// "Displacement" on, each element is looked up among the siblings that
// follow the last one found, so the file's order matters.
#include <cstdint>
#include <limits>

#include <tinyxml.h>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/SafeXml.h"
#include "engine3/core/XMLReaders.h"
#include "platform/os/Numbers.h"
#include "seabattle/game/CVR3GAMEIO.h"
#include "seabattle/game/CVR3GAMEInformationShip.h"

using namespace Vorna3D;

namespace SeaBattle {

namespace {

// The sibling chain: each search starts after the last element found.
class Chain {
public:
    explicit Chain(const TiXmlElement* root) : m_pRoot(root) {}
    const TiXmlElement* Next(const char* name) {
        const TiXmlElement* e = m_pLast ? m_pLast->NextSiblingElement(name) : m_pRoot->FirstChildElement(name);
        if (e)
            m_pLast = e;
        return e;
    }
    void SetLast(const TiXmlElement* e) {
        if (e)
            m_pLast = e;
    }

private:
    const TiXmlElement* m_pRoot;
    const TiXmlElement* m_pLast = nullptr;
};

void ReadText(const TiXmlElement* e, std::string& field) {
    if (e)
        ReadXMLString(e, true, field);
}

void ReadInt(const TiXmlElement* e, int32_t& field) {
    if (e)
        field = ReadXMLInt(e);
}

void ReadFloat4List(const TiXmlElement* list, std::vector<CVR3GAMEInformationFloat4>& out, bool colour) {
    for (const VR3ListEntry& e : VR3ListEntries(list)) {
        if (!e.element)
            continue;
        CVR3GAMEInformationFloat4 v;
        if (colour) {
            const D3DXCOLOR c = ReadXMLAttributeColor(e.element);
            v = {c.r, c.g, c.b, c.a};
        } else {
            const D3DXVECTOR4 p = ReadXMLAttributeVector4(e.element);
            v = {p.x, p.y, p.z, p.w};
        }
        out.push_back(v);
    }
}

} // namespace

CVR3GAMEInformationShip* CVR3GAMEIO::CreateInformationShip(const char* fileName) {
    TiXmlDocument doc;
    // The binary kind gives no record either.
    if (ReadKindFile(VR3_KIND_INFORMATION_OBJECT, FOLDER_INFORMATION_OBJECTS, fileName,
                     "CVR3GAMEIO::CreateInformationShip()", doc) != READ_DOCUMENT)
        return nullptr;
    CVR3GAMEInformationShip* info = CreateInformationShipFromXML(doc);
    if (!info) {
        g_Log.Write(3, "CVR3GAMEIO::CreateInformationShip() : CreateInformationShipFromXML() failed\n");
        return nullptr;
    }
    info->m_strName = fileName;
    return info;
}

CVR3GAMEInformationShip* CVR3GAMEIO::CreateInformationShipFromXML(const TiXmlDocument& doc) {
    const TiXmlElement* root = doc.FirstChildElement("InformationShip");
    if (!root)
        return nullptr;
    auto* info = new CVR3GAMEInformationShip();
    ReadText(root->FirstChildElement("ShipTypeName"), info->ShipTypeName);
    const TiXmlElement* level = root->FirstChildElement("ShipTypeLevel");
    ReadInt(level, info->ShipTypeLevel);
    const TiXmlElement* column = root->FirstChildElement("ColumnNum");
    ReadInt(column, info->ColumnNum);

    // A missing chain element keeps its constructor value; the search goes
    // on after the last element found.
    Chain chain(root);
    chain.SetLast(root->FirstChildElement("ShipTypeName"));
    chain.SetLast(level);
    chain.SetLast(column);
    ReadText(chain.Next("Displacement"), info->Displacement);
    ReadText(chain.Next("MaxSpeed"), info->MaxSpeed);
    ReadInt(chain.Next("GunsSidesCount1"), info->GunsSidesCount1);
    ReadText(chain.Next("GunsSidesName1"), info->GunsSidesName1);
    ReadInt(chain.Next("GunsSidesCount2"), info->GunsSidesCount2);
    ReadText(chain.Next("GunsSidesName2"), info->GunsSidesName2);
    ReadInt(chain.Next("GunsTurnCount1"), info->GunsTurnCount1);
    ReadText(chain.Next("GunsTurnName1"), info->GunsTurnName1);
    ReadInt(chain.Next("GunsTurnCount2"), info->GunsTurnCount2);
    ReadText(chain.Next("GunsTurnName2"), info->GunsTurnName2);
    ReadInt(chain.Next("GunsTurnCount3"), info->GunsTurnCount3);
    ReadText(chain.Next("GunsTurnName3"), info->GunsTurnName3);
    ReadText(chain.Next("ArmourBelt"), info->ArmourBelt);
    ReadText(chain.Next("ArmourDeck"), info->ArmourDeck);
    ReadText(chain.Next("ArmourTower"), info->ArmourTower);
    ReadInt(chain.Next("DisplUnitCost"), info->DisplUnitCost);

    const TiXmlElement* icon = chain.Next("Icon");
    const TiXmlElement* borders = icon ? icon->FirstChildElement("Borders") : nullptr;
    const TiXmlElement* texture = borders ? borders->NextSiblingElement("Texture") : nullptr;
    const TiXmlElement* font = texture ? texture->NextSiblingElement("Font") : nullptr;
    const TiXmlElement* textPosition = font ? font->NextSiblingElement("TextRelativePosition") : nullptr;
    const TiXmlElement* coordinates = icon ? icon->FirstChildElement("TextCoordinates") : nullptr;
    const TiXmlElement* colours = icon ? icon->FirstChildElement("TextColors") : nullptr;
    const struct {
        const TiXmlElement* element;
        const char* name;
    } required[] = {{icon, "Icon"},       {borders, "Borders"},
                    {texture, "Texture"}, {font, "Font"},
                    {textPosition, "TextRelativePosition"}, {coordinates, "TextCoordinates"},
                    {colours, "TextColors"}};
    for (const auto& r : required) {
        if (!r.element) {
            g_Log.Write(3, "CVR3GAMEIO::CreateInformationShipFromXML() : not found %s\n", r.name);
            delete info;
            return nullptr;
        }
    }
    info->IconBorders = {ReadXMLAttributeInt(borders, "l"), ReadXMLAttributeInt(borders, "t"),
                         ReadXMLAttributeInt(borders, "r"), ReadXMLAttributeInt(borders, "b")};
    ReadText(texture, info->IconTexture);
    ReadText(font, info->IconFont);
    const FloatRect rel = ReadXMLAttributeRect(textPosition);
    info->TextRelativePosition = {rel.left, rel.top, rel.right, rel.bottom};
    ReadFloat4List(coordinates, info->TextCoordinates, false);
    ReadFloat4List(colours, info->TextColors, true);

    // The shop's price is displacement x unit cost (the cost counts as
    // unsigned); money is a signed 32-bit value, so a type it cannot hold is
    // refused here rather than wrapping in the shop.
    const int64_t displacement = Platform::ParseInt(info->Displacement.c_str());
    const int64_t price = displacement * static_cast<int64_t>(static_cast<uint32_t>(info->DisplUnitCost));
    if (price < 0 || price > std::numeric_limits<int32_t>::max()) {
        g_Log.Write(3, "CVR3GAMEIO::CreateInformationShipFromXML() : ship price out of range : %lld\n",
                    static_cast<long long>(price));
        delete info;
        return nullptr;
    }
    return info;
}

} // namespace SeaBattle
