#pragma once
// A display and adapter made up by the test.
#include "tools/common/CDX9KelRender.h"

namespace VornaTest {

struct FakeDisplay {
    bool modesOk = true;
    bool adapterOk = true;
    Platform::DisplayMode desktop{1280, 1024, 60, 1};
    std::vector<Platform::DisplayMode> modes;
    Platform::AdapterInfo adapter;

    FakeDisplay() {
        adapter.renderer = "Test Adapter 3000";
        adapter.glMajor = 3;
        adapter.glMinor = 3;
        adapter.maxSamples = 8;
        adapter.sampleCounts = {8, 4, 2};
        adapter.maxAnisotropy = 16;
        adapter.maxTextureSize = 8192;
    }

    VornaTools::DisplayBackend Backend() const {
        VornaTools::DisplayBackend b;
        b.queryModes = [*this](Platform::DisplayMode& d, std::vector<Platform::DisplayMode>& m, std::string& e) {
            if (!modesOk) {
                e = "no display";
                return false;
            }
            d = desktop;
            m = modes;
            return true;
        };
        b.queryAdapter = [*this](Platform::AdapterInfo& a, std::string& e) {
            if (!adapterOk) {
                e = "no context";
                return false;
            }
            a = adapter;
            return true;
        };
        b.processorBrand = [] { return std::string("Test CPU"); };
        return b;
    }
};

} // namespace VornaTest
