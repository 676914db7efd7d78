// panel.cpp -- panel construction, the common get/set binding and the logo.
#include "framework/panel.h"

#include <array>
#include <cmath>

#include "framework/camera.h"

namespace lentara {

LWXPanelID CreateParameterPanel(HostServices &svc, const PanelDesc &desc, void *instance, void *&gInstance,
                                LWXPanelGetFunc *get, LWXPanelSetFunc *set) {
    gInstance = instance;
    const LWXPanelFuncs *xp = svc.xpanf;
    if (!xp || !xp->create) return nullptr;
    LWXPanelID panel = xp->create(LWXP_VIEW, desc.controls);
    if (!panel) return nullptr;
    if (xp->hint) xp->hint(panel, 0, desc.hints);
    if (xp->describe) xp->describe(panel, desc.data, get, set);
    if (xp->viewInst) xp->viewInst(panel, instance);
    if (xp->setData) xp->setData(panel, 0, instance);
    return panel;
}

void *PanelGetCommon(CameraBase *cam, unsigned int vid, bool &handled) {
    handled = false;
    const ControlDesc *c = cam->desc.Control(vid);
    if (!c) return nullptr;
    switch (c->binding.kind) {
    case Binding::kVersion:
        handled = true;
        return const_cast<char *>(kVersionText);
    case Binding::kEnvelope:
        handled = true;
        return cam->envelope[c->binding.index];
    case Binding::kSetting:
        handled = true;
        return &cam->setting[c->binding.index];
    default:
        return nullptr;
    }
}

bool PanelSetCommon(CameraBase *cam, unsigned int vid, void *value) {
    const ControlDesc *c = cam->desc.Control(vid);
    if (!c || c->binding.kind != Binding::kSetting) return false;
    if (value) cam->setting[c->binding.index] = *static_cast<const int *>(value);
    return true;
}

namespace {
// An aperture of six blades over a soft horizontal band: any grey image will
// do, this one reads as a lens at thumbnail size.
constexpr std::array<unsigned char, kLogoWidth * kLogoHeight> MakeLogo() {
    std::array<unsigned char, kLogoWidth * kLogoHeight> img{};
    for (int r = 0; r < kLogoHeight; ++r) {
        for (int c = 0; c < kLogoWidth; ++c) {
            const int dx = c - 30, dy = r - 30;
            const int d2 = dx * dx + dy * dy;
            int g = 0;
            if (d2 < 26 * 26 && d2 > 22 * 22) g = 230;           // lens rim
            else if (d2 <= 22 * 22) g = (d2 < 9 * 9) ? 20 : 120 + ((dx * 3 + dy * 5 + 400) % 60); // iris
            else if (c > 70 && r > 18 && r < 42) {
                // horizontal bars of varying width: a stylised name plate
                const int band = (c - 70) / 14;
                g = ((band % 3) != 2 && ((r - 18) / 4) % 2 == 0) ? 200 - band * 4 : 40;
            }
            img[static_cast<std::size_t>(r * kLogoWidth + c)] = static_cast<unsigned char>(g);
        }
    }
    return img;
}
} // namespace

extern const std::array<unsigned char, kLogoWidth * kLogoHeight> _logo = MakeLogo();

void DrawLogo(const HostServices &svc, LWXPDrAreaID area, int width, int height) {
    const LWXPanelFuncs *xp = svc.xpanf;
    if (!xp || !xp->drawf) return;
    const LWXPDrawFuncs *df = xp->drawf;
    if (df->drawRGBBox) df->drawRGBBox(area, 0, 0, 0, 0, 0, width, height);
    if (!df->drawRGBPixel) return;
    for (int r = 0; r < kLogoHeight; ++r)
        for (int c = 0; c < kLogoWidth; ++c) {
            const int g = _logo[static_cast<std::size_t>(r * kLogoWidth + c)];
            df->drawRGBPixel(area, g, g, g, 20 + c, 60 - r);
        }
}

} // namespace lentara
