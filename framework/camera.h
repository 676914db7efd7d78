// camera.h -- what every camera type shares: its description table, the
// instance state common to all types, enveloped parameters, scene blocks and
// the frame set-up with motion sampling.
#pragma once

#include <cstdint>

#include "framework/motion.h"
#include "framework/services.h"
#include "module/lwhost.h"

namespace lentara {

constexpr int kMaxParams = 24;
constexpr int kMaxSettings = 24;

// One enveloped parameter: channel name (also the value field's name),
// default, the panel control that edits it (0 for none) and whether the scene
// block holds it.
struct ParamDesc {
    const char *channel;
    double defaultValue;
    unsigned int panelId;
    bool saved;
};

// One plain 32-bit setting (popup choice, switch).
struct SettingDesc {
    const char *name;
    int defaultValue;
    unsigned int panelId;
};

// One entry of a scene block, in save order. A reserved entry is a 32-bit
// word written as 0 and skipped on load (index unused).
struct BlockItem {
    enum Kind { kEnvelope, kSetting, kReserved } kind;
    int index;
};

struct PanelDesc {
    LWXPanelControl *controls;  // InterfaceCreate
    LWXPanelDataDesc *data;     // InterfaceXData
    LWXPanelHint *hints;        // InterfaceHint
    unsigned int versionId;     // the "Version" line
    unsigned int zoomAliasId;   // an id that yields the ZoomFactor envelope, 0 for none
};

struct CameraTypeDesc {
    const char *serverName;
    const char *describeText;
    HostServices *services;
    const ParamDesc *params;
    int paramCount;
    int zoomParam; // index of the "ZoomFactor" parameter, -1 for none
    const SettingDesc *settings;
    int settingCount;
    const BlockItem *block;
    int blockCount;
    PanelDesc panel;
    unsigned int flags; // C_Flags result
};

// The fixed panel version line and build stamp of this release.
extern const char kVersionText[];

// Creates an enveloped parameter in the item's channel group and gives it the
// initial value; null (and nothing else done) when the host cannot create it.
LWVParmID create_vpenv(const HostServices &svc, int type, const char *name, LWChanGroupID group,
                       const char *owner, double *initial);

// State common to every camera instance. Each camera namespace derives its
// own CameraPlugin from it and adds its own fields.
class CameraBase {
public:
    CameraBase(const CameraTypeDesc &desc, LWItemID item);
    ~CameraBase();
    CameraBase(const CameraBase &) = delete;
    CameraBase &operator=(const CameraBase &) = delete;

    const CameraTypeDesc &desc;
    LWCameraAccess cameraAccess;
    LWFrameInfo frameInfo;
    int renderMode = 0;
    int currentFrame = 0;
    double currentTime = 0.0;
    LWItemID item; // the camera item given at creation
    LWVParmID envelope[kMaxParams];
    double value[kMaxParams];
    std::int32_t setting[kMaxSettings];
    bool frameSeen = false; // a frame has been set up since creation or copy

    // Evaluates every envelope at the time into its value field.
    void get_vpValues(double time);
    // Sets a parameter's value field and its envelope's plain value (which a
    // keyed envelope ignores).
    void SetValue(int index, double v);
    // Writes and reads the scene block in the type's save order.
    void Save(const LWSaveState *save) const;
    void Load(const LWLoadState *load);
    // A scratch envelope standing in for parameter i's record when the host
    // could not make the parameter's envelope: set up like that envelope but
    // in no channel group, holding the parameter's value. Null when none can
    // be made; the caller destroys it.
    LWVParmID ScratchEnvelope(int i) const;
    // Takes over another instance's records, values, settings and envelope
    // contents; render state is reset.
    void CopyCommon(const CameraBase &from);
    // Frame set-up: true when the frame or access record changed (values
    // re-evaluated and the records stored).
    bool NewFrameRecords(const LWFrameInfo *frame, const LWCameraAccess *access);

    HostServices &svc() const { return *desc.services; }

    // The film of a ray: the last frame set up's, or before the first frame
    // (and after a copy) that of the call's access record.
    const double *FilmOf(const LWCameraAccess *access) const {
        return (!frameSeen && access) ? access->filmSize : cameraAccess.filmSize;
    }

    // The usual render callbacks; camera types hide them where they differ.
    LWError InitRender(int mode) {
        renderMode = mode;
        return nullptr;
    }
    void CleanUpRender() {}
    LWError NewTime(LWFrame frame, LWTime time) {
        currentFrame = frame;
        currentTime = time;
        get_vpValues(time);
        return nullptr;
    }
    LWError NewFrameCallback(const LWFrameInfo *frame, const LWCameraAccess *access) {
        NewFrameRecords(frame, access);
        return nullptr;
    }
    int Preview(double, double, LWDMatrix4, const LWCameraAccess *) { return 0; }
    void CopyFrom(const CameraBase &from) { CopyCommon(from); }
};

// Base of the single-view cameras: adds the motion samples of the camera item.
class SingleViewCamera : public CameraBase {
public:
    using CameraBase::CameraBase;
    MotionSamples samples;

    // Frame set-up with motion sampling; true when the records changed or the
    // samples were made anew (see CameraBase::NewFrameRecords).
    bool NewFrame(const LWFrameInfo *frame, const LWCameraAccess *access);
    void CopyFrom(const SingleViewCamera &from) {
        CopyCommon(from);
        samples.CleanUp();
    }
    LWError NewFrameCallback(const LWFrameInfo *frame, const LWCameraAccess *access) {
        NewFrame(frame, access);
        return nullptr;
    }
    // The pose for the fraction, either the per-thread cached one or `scratch`
    // filled in; see PoseForFraction.
    const Pose &PoseAt(double fraction, const LWCameraAccess *access, Pose &scratch) const {
        return PoseForFraction(samples, fraction, access, scratch);
    }
    // By value, for paths off the per-ray one.
    Pose PoseAt(double fraction, const LWCameraAccess *access) const {
        Pose scratch;
        return PoseAt(fraction, access, scratch);
    }
};

} // namespace lentara
