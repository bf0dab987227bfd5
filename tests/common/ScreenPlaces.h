#pragma once
// Where a screen file of the campaign puts its dialogs and controls in a
// window of a given size, read from the file as the program reads it: a
// dialog's borders are percents of the window, a control's (and a radio
// list's check buttons') percents of its dialog, each edge cut to a whole
// pixel. Header only: the tests that include it link TinyXML.
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <tinyxml.h>

namespace VornaTest {

struct ScreenBox {
    int left = 0, top = 0, right = 0, bottom = 0;
    int X() const { return (left + right) / 2; }
    int Y() const { return (top + bottom) / 2; }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    // A point at the given percents of the box.
    int XAt(double percent) const { return left + static_cast<int>(percent * Width() / 100.0); }
    int YAt(double percent) const { return top + static_cast<int>(percent * Height() / 100.0); }
    bool Valid() const { return right > left && bottom > top; }
};

class ScreenPlaces {
public:
    ScreenPlaces(const std::filesystem::path& file, int width, int height) : m_iWidth(width), m_iHeight(height) {
        m_bLoaded = m_Doc.LoadFile(file.c_str());
    }
    bool Loaded() const { return m_bLoaded; }

    // The dialog of that element name; an empty box when there is none.
    ScreenBox Dialog(const std::string& name) const {
        const TiXmlElement* d = FindDialog(name);
        return d ? Box(d, {0, 0, m_iWidth, m_iHeight}) : ScreenBox{};
    }
    // The dialog's control at `index` among its Controls' elements (from 0,
    // in file order); with `sub` >= 0, that check button of a radio list.
    ScreenBox Control(const std::string& dialog, int index, int sub = -1) const {
        const TiXmlElement* d = FindDialog(dialog);
        const TiXmlElement* controls = d ? d->FirstChildElement("Controls") : nullptr;
        if (!controls) return {};
        const TiXmlElement* c = controls->FirstChildElement();
        for (int i = 0; c && i < index; ++i) c = c->NextSiblingElement();
        if (c && sub >= 0) {
            c = c->FirstChildElement("CheckButton");
            for (int i = 0; c && i < sub; ++i) c = c->NextSiblingElement("CheckButton");
        }
        return c ? Box(c, Box(d, {0, 0, m_iWidth, m_iHeight})) : ScreenBox{};
    }

private:
    const TiXmlElement* FindDialog(const std::string& name) const {
        const TiXmlElement* root = m_Doc.RootElement();
        const TiXmlElement* dialogs = root ? root->FirstChildElement("Dialogs") : nullptr;
        return dialogs ? dialogs->FirstChildElement(name.c_str()) : nullptr;
    }
    static double Percent(const TiXmlElement* borders, const char* edge) {
        const TiXmlElement* e = borders->FirstChildElement(edge);
        return e && e->GetText() ? std::atof(e->GetText()) : 0.0;
    }
    static ScreenBox Box(const TiXmlElement* e, const ScreenBox& parent) {
        const TiXmlElement* b = e->FirstChildElement("Borders");
        if (!b) return {};
        const float w = static_cast<float>(parent.Width()), h = static_cast<float>(parent.Height());
        auto cut = [](double percent, float span) {
            return static_cast<int>(std::trunc(static_cast<float>(percent) * span / 100.0f));
        };
        return {parent.left + cut(Percent(b, "l"), w), parent.top + cut(Percent(b, "t"), h),
                parent.left + cut(Percent(b, "r"), w), parent.top + cut(Percent(b, "b"), h)};
    }

    TiXmlDocument m_Doc;
    int m_iWidth, m_iHeight;
    bool m_bLoaded = false;
};

} // namespace VornaTest
