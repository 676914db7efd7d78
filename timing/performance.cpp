// performance.cpp -- the Performance camera ("PerformanceCamera"): hands every
// ray to a scene camera picked in its panel, unchanged, and counts the cycles
// each handed-over evaluation takes. When rendering ends a results panel shows
// the number of calls, the total and the average cycles per call of the last
// frame set up.
//
// Scene block: the camera choice (unsigned 32-bit), nothing else.
// At most one Performance camera exists at a time.
#include "timing/performance.h"

#include "composite/composite.h"
#include "framework/handler.h"
#include "timing/stats.h"

namespace PerformanceCam {

using namespace lentara;

HostServices services;
void *gInstance = nullptr;
unsigned char bPerformancecamActive = 0;
const char kOnlyOnePerformance[] = "Only one Performance Camera allowed in a scene";
const SoleInstance kOnePerformance = {&bPerformancecamActive, kOnlyOnePerformance, false};
const char kPerformanceVersion[] = "v0.8 Dec  2 2010";

// ---- parameter panel -------------------------------------------------------

// The version line is this module's own, so the type answers it itself.
constexpr ControlDesc kControls[] = {
    Thumbnail(ID_LOGO),
    OwnControl(ID_VERSION, "Version", "sInfo", "string"),
    OwnControl(ID_CAMERA, "Camera to Test", "iPopChoice", "integer"),
};

extern LWXPanelHint InterfaceHint[];

// ---- results panel ---------------------------------------------------------

constexpr ControlDesc kResultControls[] = {
    Thumbnail(ID_LOGO),
    OwnControl(ID_NUMCALLS, "Number of Calls", "sInfo", "string"),
    OwnControl(ID_TOTALTIME, "Total time", "sInfo", "string"),
    OwnControl(ID_AVERAGETIME, "Average time per call", "sInfo", "string"),
};
auto &resultTables = panelTablesOf<kResultControls>;

extern LWXPanelHint InterfaceHint2[];

const CameraTypeDesc kDesc = CameraType("PerformanceCamera", "PerformanceCamera Dec  2 2010 13:16:08", services,
                                        gInstance, kNeedsCameraEval | kPanelsEverywhere)
                                   .Panel<kControls>(InterfaceHint)
                                   .Flags(LWCAMTYPEF_SUPPORTSDOF)
                                   .OneAtATime(kOnePerformance);

class CameraPlugin final : public CompositeCamera {
public:
    static const CameraTypeDesc &Desc() { return kDesc; }
    // One tile: the camera under test, chosen by ID_CAMERA.
    explicit CameraPlugin(LWItemID self) : CompositeCamera(kDesc, 1, ID_CAMERA, self) {
        ResetTimings(BackToBack, kBackToBackMinStart);
        BackToBack.averageTicks = 0.0;
        texts.chNumCalls[0] = texts.chTotalTime[0] = texts.chAverageTime[0] = '\0';
    }
    ~CameraPlugin() override { DestroyResultsPanel(); }

    // Evaluations of the camera under test; written by every render thread.
    mutable SharedTimings MainTimer;
    // Back-to-back counter reads, timed at each new frame (not shown).
    _Timings BackToBack;
    ResultTexts texts;
    LWXPanelID resultsPanel = nullptr;

    void FrameSetUp() override {
        ResetTimings(BackToBack, kBackToBackMinStart);
        MainTimer.Reset(kMainMinStart);
        // How long two counter reads in a row take, for comparison; the
        // measurements are not corrected by it.
        for (int i = 0; i < kBaselinePairs; ++i) {
            _RdtscInfo start, stop;
            GetRdtscInfo(start);
            GetRdtscInfo(stop);
            CalculateTimes(BackToBack, DeltaTicks(start, stop));
        }
    }

    // The ray is the picked camera's, for the film point as received. The
    // start and stop readings are this call's own, so concurrent calls do not
    // mix their measurements. Every call is counted once a camera is picked;
    // what is timed is the call into the evaluation service and the stop
    // reading, with the checks of the sample and of the returned ray outside.
    // A sample that is not handed on times an empty window.
    int Evaluate(double fpx, double fpy, double lpx, double lpy, double fraction, LWCameraRay *ray,
                 const LWCameraAccess *) const override {
        const Tile &tile = tiles[0];
        if (!tile.tileEvaluator) return LWCAMTYPEEVAL_NO_RAY;
        const LWCameraEvaluationFuncs *ce = TileServiceFor(svc(), tile, fpx, fpy, lpx, lpy, fraction, ray);
        const TileNesting nesting;
        _RdtscInfo start, stop;
        if (!ce || !nesting.ok()) {
            GetRdtscInfo(start);
            GetRdtscInfo(stop);
            MainTimer.Add(DeltaTicks(start, stop));
            return LWCAMTYPEEVAL_NO_RAY;
        }
        GetRdtscInfo(start);
        const int r = ce->evaluate(tile.tileEvaluator, fpx, fpy, lpx, lpy, fraction, ray);
        GetRdtscInfo(stop);
        MainTimer.Add(DeltaTicks(start, stop));
        return TileRayResult(r, *ray);
    }

    void RenderEnded() override;
    void CreateResultsPanel();
    void DestroyResultsPanel() {
        if (!resultsPanel) return;
        const LWXPanelFuncs *xp = svc().xpanf;
        if (xp && xp->destroy) xp->destroy(resultsPanel);
        resultsPanel = nullptr;
    }

    void *PanelValue(unsigned int vid) override {
        if (vid == ID_VERSION) return const_cast<char *>(kPerformanceVersion);
        return CompositeCamera::PanelValue(vid);
    }

    // The picked position and the last frame's records; the destination keeps
    // its own carrier item and evaluator.
    void CopyFrom(const CameraBase &other) override {
        const auto &from = static_cast<const CameraPlugin &>(other);
        frameInfo = from.frameInfo;
        cameraAccess = from.cameraAccess;
        tiles[0].tileChoice = from.tiles[0].tileChoice;
    }
};

void *PanelGet2(void *inst, unsigned int vid);
int PanelSet2(void *, unsigned int, void *) { return 1; }

void CameraPlugin::CreateResultsPanel() {
    gInstance = this;
    const LWXPanelFuncs *xp = svc().xpanf;
    if (!xp || !xp->create) return;
    // At most one results panel per camera: the previous one has been shown.
    DestroyResultsPanel();
    LWXPanelID panel = xp->create(LWXP_VIEW, resultTables.InterfaceCreate);
    if (!panel) return;
    resultsPanel = panel;
    if (xp->hint) xp->hint(panel, 0, InterfaceHint2);
    if (xp->describe) xp->describe(panel, resultTables.InterfaceXData, PanelGet2, PanelSet2);
    if (xp->setData) xp->setData(panel, 0, this);
    if (xp->viewInst) xp->viewInst(panel, this);
    if (xp->post) xp->post(panel);
}

// Results only for a render in which this camera set up a frame and
// measured something; the picked camera is cleaned up after either way.
void CameraPlugin::RenderEnded() {
    const _Timings t = MainTimer.Snapshot();
    if (cameraAccess.cameraID == selfItem() && selfItem() && t.callCount != 0) {
        FormatResults(t, texts);
        CreateResultsPanel();
    }
}

void *PanelGet2(void *inst, unsigned int vid) {
    if (!inst) return nullptr;
    auto *cam = static_cast<CameraPlugin *>(inst);
    switch (vid) {
    case ID_NUMCALLS:
        return cam->texts.chNumCalls;
    case ID_TOTALTIME:
        return cam->texts.chTotalTime;
    case ID_AVERAGETIME:
        return cam->texts.chAverageTime;
    default:
        return nullptr;
    }
}

LWXPanelHint InterfaceHint[] = {
    HintWordU(XPTAG_FOCUS), HintWord(-1),
    LENTARA_LOGO_HINTS(ID_LOGO, &services),
    LENTARA_CHOICE_POPUP_HINT(CameraPlugin, ID_CAMERA),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_VERSION), HintWord(0),
    LENTARA_ENABLES_NOTHING_HINT(ID_CAMERA),
    HintWordU(XPTAG_END),
};

LWXPanelHint InterfaceHint2[] = {
    HintWordU(XPTAG_DLOGTYPE), HintWord(4),
    HintWordU(XPTAG_FOCUS), HintWord(-1),
    LENTARA_LOGO_HINTS(ID_LOGO, &services),
    HintWordU(XPTAG_DIVADD), HintWordU(ID_AVERAGETIME), HintWord(0),
    HintWordU(XPTAG_END),
};

using CB = Callbacks<CameraPlugin>;

int CameraHandler(int version, GlobalFunc *global, void *local, void *serverData) {
    return CB::CameraHandler(version, global, local, serverData);
}

int CameraInterface(int version, GlobalFunc *global, void *local, void *serverData) {
    return CB::CameraInterface(version, global, local, serverData);
}

// No gizmo server: the camera draws nothing in the viewport.
const CameraServers kServers = {CameraHandler, CameraInterface, nullptr};

} // namespace PerformanceCam
