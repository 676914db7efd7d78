// panel.h -- parameter panels: building a camera's panel from its tables, the
// generic get/set binding, hint-word helpers and the logo.
#pragma once

#include <array>
#include <cstdint>

#include "framework/services.h"
#include "module/lwhost.h"

namespace lentara {

struct PanelDesc;
class CameraBase;

// One word of a hint array. Integers are sign-extended to pointer width, as
// the host's own helper does; pointers and functions are stored as they are.
inline LWXPanelHint HintWord(long long v) { return reinterpret_cast<LWXPanelHint>(static_cast<std::intptr_t>(v)); }
inline LWXPanelHint HintWordU(unsigned int v) {
    return reinterpret_cast<LWXPanelHint>(static_cast<std::uintptr_t>(v));
}
template <class F>
LWXPanelHint HintFunc(F *f) {
    return reinterpret_cast<LWXPanelHint>(f);
}

// Builds the view panel: records the instance in gInstance, creates the panel
// from the control table, applies the hints, describes the data with the
// given callbacks and binds the instance. Null when the host has no panel.
LWXPanelID CreateParameterPanel(HostServices &svc, const PanelDesc &desc, void *instance, void *&gInstance,
                                LWXPanelGetFunc *get, LWXPanelSetFunc *set);

// The get/set binding every camera uses first: the version line, enveloped
// controls (their envelope handle), the zoom alias id and 32-bit settings.
// `handled` tells whether the id was one of these.
void *PanelGetCommon(CameraBase *cam, unsigned int vid, bool &handled);
bool PanelSetCommon(CameraBase *cam, unsigned int vid, void *value);

// Logo image: 60 rows of 280 grey bytes, bottom row first.
constexpr int kLogoWidth = 280;
constexpr int kLogoHeight = 60;
extern const std::array<unsigned char, kLogoWidth * kLogoHeight> _logo;

// Draws the logo into a thumbnail area: black fill, then the image at x 20,
// rows from y 60 upward.
void DrawLogo(const HostServices &svc, LWXPDrAreaID area, int width, int height);

// A thumbnail draw callback bound to one namespace's services.
template <HostServices *Svc>
void PanelControlDrawFunc(LWXPanelID, unsigned int, LWXPDrAreaID area, int w, int h) {
    DrawLogo(*Svc, area, w, h);
}

// The hint words of the logo thumbnail every panel shows: its size and its
// draw callback, bound to one namespace's services (a HostServices *).
#define LENTARA_LOGO_HINTS(id, services)                                                                    \
    HintWordU(XPTAG_CTRLCFG), HintWordU(id), HintWord(0), HintWordU(0x80000001u), HintWordU(XPTAG_DRAWCBFUNC), \
        HintWordU(id), HintFunc(&PanelControlDrawFunc<services>)

// The hint words of a control whose value enables no other control.
#define LENTARA_ENABLES_NOTHING_HINT(id)                                                                    \
    HintWordU(XPTAG_ENABLE), HintWordU(id), HintWord(0), HintWord(0), HintWord(0), HintWord(0)

} // namespace lentara
