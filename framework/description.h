// description.h -- the one description of a camera type: its enveloped
// parameters, integer settings, panel controls with their bindings and its
// scene block. The panel tables the host receives, the panel get/set
// bindings and the scene block's save and load all derive from it.
#pragma once

#include <array>
#include <cstddef>

#include "framework/services.h"
#include "module/lwhost.h"

namespace lentara {

constexpr int kMaxParams = 24;
constexpr int kMaxSettings = 24;

// One enveloped parameter: channel name (also the value field's name) and
// default.
struct ParamDesc {
    const char *channel;
    double defaultValue;
};

// One plain 32-bit setting (popup choice, switch).
struct SettingDesc {
    const char *name;
    int defaultValue;
};

// One entry of a scene block, in save order. A reserved entry is a 32-bit
// word written as 0 and skipped on load (index unused).
struct BlockItem {
    enum Kind { kEnvelope, kSetting, kReserved } kind;
    int index;
};

constexpr BlockItem BlockEnvelope(int param) { return {BlockItem::kEnvelope, param}; }
constexpr BlockItem BlockSetting(int setting) { return {BlockItem::kSetting, setting}; }
constexpr BlockItem BlockReserved() { return {BlockItem::kReserved, 0}; }

// What a panel id reads and writes through the panel's get and set callbacks.
struct Binding {
    enum Kind : unsigned char {
        kNothing,  // get answers null (thumbnails)
        kVersion,  // the fixed version line
        kEnvelope, // get answers the parameter's envelope
        kSetting,  // get answers the setting's address, set writes it
        kOwn,      // the type's PanelValue / PanelChange answer it
    } kind;
    int index; // parameter or setting index
};

// One panel control: the control table's row, the data table's row and the
// binding. A control without a data type has no data row (thumbnails); one
// without a label is an id the panel may ask for that has no control.
struct ControlDesc {
    unsigned int id;
    const char *label;
    const char *controlClass;
    const char *dataType;
    const char *dataLabel; // the data row's name where it differs from the label
    Binding binding;
};

constexpr ControlDesc Thumbnail(unsigned int id) {
    return {id, "Logo", "dThumbnail", nullptr, nullptr, {Binding::kNothing, 0}};
}
constexpr ControlDesc VersionLine(unsigned int id) {
    return {id, "Version", "sInfo", "string", nullptr, {Binding::kVersion, 0}};
}
constexpr ControlDesc EnvelopeControl(unsigned int id, const char *label, const char *controlClass, int param,
                                      const char *dataLabel = nullptr) {
    return {id, label, controlClass, "float", dataLabel, {Binding::kEnvelope, param}};
}
constexpr ControlDesc SettingControl(unsigned int id, const char *label, const char *controlClass, int setting,
                                     const char *dataLabel = nullptr) {
    return {id, label, controlClass, "integer", dataLabel, {Binding::kSetting, setting}};
}
// An angle, shown in degrees.
constexpr ControlDesc AngleControl(unsigned int id, const char *label, int param, const char *dataLabel = nullptr) {
    return EnvelopeControl(id, label, "angle-env", param, dataLabel);
}
// A distance, shown in the scene's units.
constexpr ControlDesc DistanceControl(unsigned int id, const char *label, int param) {
    return EnvelopeControl(id, label, "distance-env", param);
}
// The usual kinds of setting control: a checkbox and a popup choice.
constexpr ControlDesc BooleanControl(unsigned int id, const char *label, int setting) {
    return SettingControl(id, label, "iBoolean", setting);
}
constexpr ControlDesc PopupControl(unsigned int id, const char *label, int setting) {
    return SettingControl(id, label, "iPopChoice", setting);
}
// The zoom factor's control as the host's own camera panel shows it.
constexpr ControlDesc ZoomControl(unsigned int id, int param) {
    return EnvelopeControl(id, "ZoomFactor", "zoomfactor-env", param);
}
constexpr ControlDesc OwnControl(unsigned int id, const char *label, const char *controlClass, const char *dataType,
                                 const char *dataLabel = nullptr) {
    return {id, label, controlClass, dataType, dataLabel, {Binding::kOwn, 0}};
}
// Ids without a control of their own that the panel may still ask for: one
// yields a parameter's envelope, the other a setting.
constexpr ControlDesc EnvelopeAlias(unsigned int id, int param) {
    return {id, nullptr, nullptr, nullptr, nullptr, {Binding::kEnvelope, param}};
}
constexpr ControlDesc SettingAlias(unsigned int id, int setting) {
    return {id, nullptr, nullptr, nullptr, nullptr, {Binding::kSetting, setting}};
}

// The two tables the host's panel is made from, in the description's order,
// each ended by a zero row.
template <std::size_t N>
struct PanelTables {
    LWXPanelControl InterfaceCreate[N + 1];
    LWXPanelDataDesc InterfaceXData[N + 1];
};

template <std::size_t N>
constexpr PanelTables<N> MakePanelTables(const ControlDesc (&controls)[N]) {
    PanelTables<N> t{};
    std::size_t nc = 0, nd = 0;
    for (const ControlDesc &c : controls) {
        if (!c.label) continue;
        t.InterfaceCreate[nc++] = {c.id, c.label, c.controlClass};
        if (c.dataType) t.InterfaceXData[nd++] = {c.id, c.dataLabel ? c.dataLabel : c.label, c.dataType};
    }
    return t;
}

// The tables of one constant control list, made at compile time.
template <const auto &Controls>
inline auto panelTablesOf = MakePanelTables(Controls);

struct PanelDesc {
    LWXPanelControl *controls; // InterfaceCreate
    LWXPanelDataDesc *data;    // InterfaceXData
    LWXPanelHint *hints;       // InterfaceHint
};

// A type of which at most one instance exists at a time: while `active` is
// set, creation fails with `message`; `refuseCopy` answers every copy with it.
struct SoleInstance {
    unsigned char *active;
    const char *message;
    bool refuseCopy;
};

// A camera type's description, written with the setters below:
//   const CameraTypeDesc kDesc = CameraType("Name", "Name Dec 11 2010 ...", services, gInstance, kNeedsVParm)
//       .Tables(kParams, kSettings, kBlock, ZoomFactor).Panel<kControls>(InterfaceHint).Flags(...);
struct CameraTypeDesc {
    const char *serverName = nullptr;
    const char *describeText = nullptr;
    HostServices *services = nullptr;
    void **gInstance = nullptr; // the instance whose panel was built last
    unsigned needs = 0;         // ServiceNeeds of the handler activation
    const ParamDesc *params = nullptr;
    int paramCount = 0;
    int zoomParam = -1; // index of the "ZoomFactor" parameter, -1 for none
    const SettingDesc *settings = nullptr;
    int settingCount = 0;
    const BlockItem *block = nullptr;
    int blockCount = 0;
    const ControlDesc *controls = nullptr;
    int controlCount = 0;
    PanelDesc panel = {nullptr, nullptr, nullptr};
    unsigned int flags = 0; // C_Flags result
    const SoleInstance *sole = nullptr;
    const char *versionText = nullptr; // the panel's version line; null: this release's (kVersionText)

    template <std::size_t N>
    constexpr CameraTypeDesc Params(const ParamDesc (&p)[N], int zoom = -1) const {
        static_assert(N <= kMaxParams, "too many parameters");
        CameraTypeDesc d = *this;
        d.params = p;
        d.paramCount = static_cast<int>(N);
        d.zoomParam = zoom;
        return d;
    }
    template <std::size_t N>
    constexpr CameraTypeDesc Settings(const SettingDesc (&s)[N]) const {
        static_assert(N <= kMaxSettings, "too many settings");
        CameraTypeDesc d = *this;
        d.settings = s;
        d.settingCount = static_cast<int>(N);
        return d;
    }
    template <std::size_t N>
    constexpr CameraTypeDesc Block(const BlockItem (&b)[N]) const {
        CameraTypeDesc d = *this;
        d.block = b;
        d.blockCount = static_cast<int>(N);
        return d;
    }
    // The three tables at once: parameters (zoom: the "ZoomFactor" one, -1
    // for none), integer settings and the scene block.
    template <std::size_t P, std::size_t S, std::size_t B>
    constexpr CameraTypeDesc Tables(const ParamDesc (&p)[P], const SettingDesc (&s)[S], const BlockItem (&b)[B],
                                    int zoom = -1) const {
        return Params(p, zoom).Settings(s).Block(b);
    }
    template <std::size_t P, std::size_t B>
    constexpr CameraTypeDesc Tables(const ParamDesc (&p)[P], const BlockItem (&b)[B], int zoom = -1) const {
        return Params(p, zoom).Block(b);
    }
    template <const auto &Controls>
    constexpr CameraTypeDesc Panel(LWXPanelHint *hints) const {
        CameraTypeDesc d = *this;
        d.controls = Controls;
        d.controlCount = static_cast<int>(sizeof Controls / sizeof Controls[0]);
        d.panel = {panelTablesOf<Controls>.InterfaceCreate, panelTablesOf<Controls>.InterfaceXData, hints};
        return d;
    }
    template <const auto &Controls, std::size_t N>
    constexpr CameraTypeDesc Panel(std::array<LWXPanelHint, N> &hints) const {
        return Panel<Controls>(hints.data());
    }
    constexpr CameraTypeDesc Flags(unsigned int f) const {
        CameraTypeDesc d = *this;
        d.flags = f;
        return d;
    }
    // A version line of the type's own (a module released apart from the
    // collection).
    constexpr CameraTypeDesc Version(const char *text) const {
        CameraTypeDesc d = *this;
        d.versionText = text;
        return d;
    }
    constexpr CameraTypeDesc OneAtATime(const SoleInstance &rule) const {
        CameraTypeDesc d = *this;
        d.sole = &rule;
        return d;
    }

    // The control with the id, or null.
    const ControlDesc *Control(unsigned int id) const {
        for (int i = 0; i < controlCount; ++i)
            if (controls[i].id == id) return &controls[i];
        return nullptr;
    }
};

constexpr CameraTypeDesc CameraType(const char *serverName, const char *describeText, HostServices &services,
                                    void *&gInstance, unsigned needs) {
    CameraTypeDesc d;
    d.serverName = serverName;
    d.describeText = describeText;
    d.services = &services;
    d.gInstance = &gInstance;
    d.needs = needs;
    return d;
}

} // namespace lentara
