// camera.cpp -- common instance state, enveloped parameters and scene blocks.
#include "framework/camera.h"

#include <cstring>

#include "framework/panel.h"

namespace lentara {

const char kVersionText[] = "v1.5 Dec 11 2010";

LWVParmID create_vpenv(const HostServices &svc, int type, const char *name, LWChanGroupID group,
                       const char *owner, double *initial) {
    const LWVParmFuncs *vp = svc.vparmf;
    if (!vp || !vp->create) return nullptr;
    LWVParmID env = vp->create(type, LWVPDT_NOTXTR);
    if (!env) return nullptr;
    if (vp->setup) vp->setup(env, name, group, nullptr, nullptr, owner, nullptr);
    if (vp->setVal) {
        // The host reads three doubles even for a scalar envelope.
        double v[3] = {*initial, 0.0, 0.0};
        vp->setVal(env, v);
    }
    return env;
}

CameraBase::CameraBase(const CameraTypeDesc &d, LWItemID it) : desc(d), item(it) {
    std::memset(&cameraAccess, 0, sizeof cameraAccess);
    std::memset(&frameInfo, 0, sizeof frameInfo);
    std::memset(envelope, 0, sizeof envelope);
    std::memset(value, 0, sizeof value);
    std::memset(setting, 0, sizeof setting);

    HostServices &s = svc();
    for (int i = 0; i < desc.paramCount; ++i) value[i] = desc.params[i].defaultValue;
    for (int i = 0; i < desc.settingCount; ++i) setting[i] = desc.settings[i].defaultValue;
    if (desc.zoomParam >= 0 && s.camerainfo && s.camerainfo->zoomFactor)
        value[desc.zoomParam] = s.camerainfo->zoomFactor(item, s.CurrentTime());

    LWChanGroupID group = (s.iteminfo && s.iteminfo->chanGroup) ? s.iteminfo->chanGroup(item) : nullptr;
    for (int i = 0; i < desc.paramCount; ++i)
        envelope[i] = create_vpenv(s, LWVP_FLOAT, desc.params[i].channel, group, desc.serverName, &value[i]);
}

CameraBase::~CameraBase() {
    const LWVParmFuncs *vp = svc().vparmf;
    for (int i = 0; i < desc.paramCount; ++i)
        if (envelope[i] && vp && vp->destroy) vp->destroy(envelope[i]);
}

void CameraBase::get_vpValues(double time) {
    const LWVParmFuncs *vp = svc().vparmf;
    if (!vp || !vp->getVal) return;
    for (int i = 0; i < desc.paramCount; ++i) {
        if (!envelope[i]) continue; // keeps its default
        double result[3] = {value[i], 0.0, 0.0};
        vp->getVal(envelope[i], time, nullptr, result);
        value[i] = result[0];
    }
}

void CameraBase::SetValue(int index, double v) {
    value[index] = v;
    const LWVParmFuncs *vp = svc().vparmf;
    if (!envelope[index] || !vp || !vp->setVal) return;
    // The host reads three doubles even for a scalar envelope.
    double w[3] = {v, 0.0, 0.0};
    vp->setVal(envelope[index], w);
}

LWVParmID CameraBase::ScratchEnvelope(int i) const {
    double v = value[i];
    return create_vpenv(svc(), LWVP_FLOAT, desc.params[i].channel, nullptr, desc.serverName, &v);
}

void CameraBase::Save(const LWSaveState *save) const {
    if (!save) return;
    const LWVParmFuncs *vp = svc().vparmf;
    for (int b = 0; b < desc.blockCount; ++b) {
        const BlockItem &it = desc.block[b];
        if (it.kind == BlockItem::kEnvelope) {
            // Without a record here the rest of the block would be read back
            // from the wrong place, so the block ends instead (a short block
            // leaves the remaining settings as they are when it is loaded).
            // A parameter without an envelope writes a scratch envelope's
            // record holding its value.
            if (!vp || !vp->save) return;
            if (envelope[it.index]) {
                vp->save(envelope[it.index], save);
                continue;
            }
            LWVParmID scratch = ScratchEnvelope(it.index);
            if (!scratch) return;
            vp->save(scratch, save);
            if (vp->destroy) vp->destroy(scratch);
        } else if (save->writeU4) {
            const unsigned int v = it.kind == BlockItem::kSetting ? static_cast<unsigned int>(setting[it.index]) : 0u;
            save->writeU4(save->writeData, &v, 1);
        }
    }
}

void CameraBase::Load(const LWLoadState *load) {
    if (!load) return;
    const LWVParmFuncs *vp = svc().vparmf;
    for (int b = 0; b < desc.blockCount; ++b) {
        const BlockItem &it = desc.block[b];
        if (it.kind == BlockItem::kEnvelope) {
            // A record that cannot be read, or that the host reports as
            // broken, ends the load: what follows would be read from inside
            // it, so the remaining settings stay as they are. A parameter
            // without an envelope (the host could not make one) reads its
            // record into a scratch envelope.
            if (!vp || !vp->load) return;
            if (envelope[it.index]) {
                if (vp->load(envelope[it.index], load)) return;
                continue;
            }
            LWVParmID scratch = ScratchEnvelope(it.index);
            if (!scratch) return;
            const LWError broken = vp->load(scratch, load);
            if (vp->destroy) vp->destroy(scratch);
            if (broken) return;
        } else if (it.kind == BlockItem::kReserved) {
            unsigned int ignored = 0;
            if (load->readU4) load->readU4(load->readData, &ignored, 1);
        } else if (load->readU4) {
            // A short block leaves the setting as it was.
            unsigned int v = static_cast<unsigned int>(setting[it.index]);
            if (load->readU4(load->readData, &v, 1) == 1) setting[it.index] = static_cast<std::int32_t>(v);
        }
    }
}

void *CameraBase::PanelValue(unsigned int vid) {
    bool handled;
    return PanelGetCommon(this, vid, handled);
}

void CameraBase::PanelChange(unsigned int vid, void *v) { PanelSetCommon(this, vid, v); }

void CameraBase::CopyCommon(const CameraBase &from) {
    cameraAccess = from.cameraAccess;
    frameInfo = from.frameInfo;
    std::memcpy(value, from.value, sizeof value);
    std::memcpy(setting, from.setting, sizeof setting);
    const LWVParmFuncs *vp = svc().vparmf;
    for (int i = 0; i < desc.paramCount; ++i)
        if (envelope[i] && from.envelope[i] && vp && vp->copy) vp->copy(envelope[i], from.envelope[i]);
    renderMode = 0;
    currentFrame = 0;
    currentTime = 0.0;
    frameSeen = false;
}

bool CameraBase::NewFrameRecords(const LWFrameInfo *frame, const LWCameraAccess *access) {
    if (!frame || !access) return false;
    if (frameSeen && std::memcmp(frame, &frameInfo, sizeof frameInfo) == 0 &&
        std::memcmp(access, &cameraAccess, sizeof cameraAccess) == 0)
        return false;
    // The common evaluation: a type's extension runs once the records are
    // stored, from its own frame set-up.
    CameraBase::get_vpValues(frame->start);
    std::memcpy(&frameInfo, frame, sizeof frameInfo);
    std::memcpy(&cameraAccess, access, sizeof cameraAccess);
    frameSeen = true;
    return true;
}

bool SingleViewCamera::NewFrame(const LWFrameInfo *frame, const LWCameraAccess *access) {
    const bool changed = NewFrameRecords(frame, access);
    // Unchanged records keep the samples, unless there are none to keep.
    if (!frameSeen || (!changed && !samples.Empty())) return false;
    samples.SetUp(svc().iteminfo, cameraAccess.cameraID, frameInfo.start, frameInfo.duration,
                  SampleCountFor(frameInfo.motionSteps));
    // Without item info no samples are made; unchanged records then changed nothing.
    return changed || !samples.Empty();
}

} // namespace lentara
