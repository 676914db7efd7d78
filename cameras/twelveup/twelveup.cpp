// twelveup.cpp -- the 12Up camera ("Vantor12UpCam"): the frame as 4 columns by
// 3 rows, each tile through a scene camera picked in the panel.
//
// Tiles are named row-column from the bottom left (1-1 ... 1-4 along the
// bottom row, 3-4 top right); tile number = (row - 1) * 4 + (column - 1).
// Scene block: the twelve choices in tile order, one unsigned 32-bit value
// each.
#include "cameras/twelveup/twelveup.h"

#include "cameras/twelveup/layout.h"
#include "composite/gridcamera.h"

namespace TwelveUpCam {

using namespace lentara;

constexpr ControlDesc Choice(unsigned int tile, const char *label) {
    return OwnControl(ID_CAM_FIRST + tile, label, "iPopChoice", "integer");
}

struct TwelveUp {
    static constexpr char serverName[] = "Vantor12UpCam";
    static constexpr char describeText[] = "Vantor12UpCam Dec 11 2010 10:02:14";
    static constexpr const GridLayout &layout = kLayout;
    static constexpr unsigned int logoId = ID_LOGO, versionId = ID_VERSION, firstChoiceId = ID_CAM_FIRST;
    static constexpr ControlDesc controls[] = {
        Thumbnail(ID_LOGO),          VersionLine(ID_VERSION),
        Choice(0, "1-1 Camera"),     Choice(1, "1-2 Camera"),  Choice(2, "1-3 Camera"),  Choice(3, "1-4 Camera"),
        Choice(4, "2-1 Camera"),     Choice(5, "2-2 Camera"),  Choice(6, "2-3 Camera"),  Choice(7, "2-4 Camera"),
        Choice(8, "3-1 Camera"),     Choice(9, "3-2 Camera"),  Choice(10, "3-3 Camera"), Choice(11, "3-4 Camera"),
    };
};

const CameraServers kServers = GridType<TwelveUp>::Servers();

} // namespace TwelveUpCam
