// The scene the stand-in host presents to plug-ins: cameras and objects with
// keyframed motion and camera settings.  All members are safe to call from
// several threads; edits take an exclusive lock, queries a shared one.
#ifndef STANDIN_SCENE_H
#define STANDIN_SCENE_H

#include "module/lwhost.h"

#include <memory>
#include <shared_mutex>
#include <string>
#include <vector>

namespace standin {

struct Key {
    double time;
    double value;
};

// A keyed channel: linear between keys, held constant before the first and
// after the last key; without keys it is the plain value.
struct Channel {
    double value = 0.0;
    std::vector<Key> keys;  // sorted by time

    double at(double t) const;
    // The same for keys held elsewhere (no copy of them).
    static double at(const std::vector<Key> &keys, double value, double t);
    void setKeys(std::vector<Key> k);  // sorts
};

enum class Motion { X, Y, Z, Heading, Pitch, Bank };

enum class CamProp {
    ZoomFactor,     // default 3.2
    FocalLength,    // mm; derived from zoom and film height unless set
    FocalDistance,  // metres, default 10
    FStop,          // default 4
    BlurLength,     // default 0.5
    Separation,     // eye separation, metres, default 0.06
    PixelAspect,    // default 1
    FilmWidth,      // metres, default 0.036
    FilmHeight,     // metres, default 0.024
};

struct Axes {
    double right[3], up[3], forward[3];
};

// Rotation of heading h, pitch p, bank b (radians): bank about Z, then pitch
// about X, then heading about Y, in LightWave's left-handed frame.
Axes axesFromHPB(double h, double p, double b);

class Scene {
public:
    Scene();
    ~Scene();
    Scene(const Scene &) = delete;
    Scene &operator=(const Scene &) = delete;

    LWItemID addCamera(const std::string &name);
    LWItemID addObject(const std::string &name);
    LWItemID addItem(int type, const std::string &name);  // LWI_CAMERA or LWI_OBJECT
    bool removeItem(LWItemID item);
    // Moves the item to `index` among all items (insertion order otherwise).
    bool moveItem(LWItemID item, std::size_t index);
    bool contains(LWItemID item) const;
    std::vector<LWItemID> items(int type) const;
    LWItemID find(const std::string &name) const;

    // Item info semantics: first item of a type, next of the same type.
    LWItemID first(int type) const;
    LWItemID next(LWItemID item) const;
    int type(LWItemID item) const;  // -1 for an unknown id
    std::string name(LWItemID item) const;
    // The stored name; valid until the item is renamed or the scene destroyed.
    const char *nameData(LWItemID item) const;
    void rename(LWItemID item, const std::string &name);
    LWChanGroupID chanGroup(LWItemID item) const;

    // Motion.
    void setPosition(LWItemID item, double x, double y, double z);
    void setRotation(LWItemID item, double h, double p, double b);
    void setMotionKeys(LWItemID item, Motion channel, std::vector<Key> keys);
    void position(LWItemID item, double t, double out[3]) const;
    void rotation(LWItemID item, double t, double out[3]) const;
    Axes axes(LWItemID item, double t) const;
    // Writes the vector of an LWIP_* code; unknown codes and items give zeros.
    void param(LWItemID item, int code, double t, double out[3]) const;

    // Camera settings (ignored for non-camera items).
    void setCamera(LWItemID item, CamProp prop, double value);
    void setCameraKeys(LWItemID item, CamProp prop, std::vector<Key> keys);
    double camera(LWItemID item, CamProp prop, double t) const;
    void setResolution(LWItemID item, int width, int height);
    void resolution(LWItemID item, int *width, int *height) const;
    void setMotionBlur(LWItemID item, bool on);
    bool motionBlur(LWItemID item) const;

private:
    struct Item;
    Item *get(LWItemID id) const;  // null for unknown ids; caller holds the lock

    mutable std::shared_mutex mutex_;
    std::vector<std::unique_ptr<Item>> items_;  // a removed item is freed; IDs are never reused
};

}  // namespace standin

#endif
