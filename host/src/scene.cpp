#include "standin/scene.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "handles.h"

namespace standin {

double Channel::at(double t) const { return at(keys, value, t); }

double Channel::at(const std::vector<Key> &keys, double value, double t) {
    if (keys.empty()) return value;
    if (!(t > keys.front().time)) return keys.front().value;  // also a NaN time
    if (t >= keys.back().time) return keys.back().value;
    auto hi = std::upper_bound(keys.begin(), keys.end(), t, [](double x, const Key &k) { return x < k.time; });
    auto lo = hi - 1;
    double span = hi->time - lo->time;
    if (span <= 0.0) return hi->value;
    double u = (t - lo->time) / span;
    return lo->value + (hi->value - lo->value) * u;
}

void Channel::setKeys(std::vector<Key> k) {
    std::stable_sort(k.begin(), k.end(), [](const Key &a, const Key &b) { return a.time < b.time; });
    keys = std::move(k);
}

Axes axesFromHPB(double h, double p, double b) {
    const double ch = std::cos(h), sh = std::sin(h);
    const double cp = std::cos(p), sp = std::sin(p);
    const double cb = std::cos(b), sb = std::sin(b);
    Axes a;
    a.right[0] = ch * cb + sh * sp * sb;
    a.right[1] = cp * sb;
    a.right[2] = -sh * cb + ch * sp * sb;
    a.up[0] = -ch * sb + sh * sp * cb;
    a.up[1] = cp * cb;
    a.up[2] = sh * sb + ch * sp * cb;
    a.forward[0] = sh * cp;
    a.forward[1] = -sp;
    a.forward[2] = ch * cp;
    return a;
}

struct Scene::Item {
    std::uintptr_t handle = 0;  // the item's ID
    std::uintptr_t group = 0;   // its channel group's ID
    int type = LWI_OBJECT;
    std::string name;
    Channel motion[6];
    Channel cam[9];
    bool focalLengthSet = false;
    int resW = 640, resH = 480;
    bool motionBlur = false;
};

Scene::Scene() = default;
Scene::~Scene() = default;

Scene::Item *Scene::get(LWItemID id) const {
    if (!id) return nullptr;
    for (const auto &it : items_)
        if (it->handle == HandleOf(id)) return it.get();
    return nullptr;
}

LWItemID Scene::addItem(int type, const std::string &name) {
    auto item = std::make_unique<Item>();
    item->handle = NewHandle();
    item->group = NewHandle();
    item->type = type;
    item->name = name;
    item->cam[static_cast<int>(CamProp::ZoomFactor)].value = 3.2;
    item->cam[static_cast<int>(CamProp::FocalDistance)].value = 10.0;
    item->cam[static_cast<int>(CamProp::FStop)].value = 4.0;
    item->cam[static_cast<int>(CamProp::BlurLength)].value = 0.5;
    item->cam[static_cast<int>(CamProp::Separation)].value = 0.06;
    item->cam[static_cast<int>(CamProp::PixelAspect)].value = 1.0;
    item->cam[static_cast<int>(CamProp::FilmWidth)].value = 0.036;
    item->cam[static_cast<int>(CamProp::FilmHeight)].value = 0.024;
    std::unique_lock<std::shared_mutex> lock(mutex_);
    items_.push_back(std::move(item));
    return HandleId<LWItemID>(items_.back()->handle);
}

LWItemID Scene::addCamera(const std::string &name) { return addItem(LWI_CAMERA, name); }
LWItemID Scene::addObject(const std::string &name) { return addItem(LWI_OBJECT, name); }

bool Scene::removeItem(LWItemID id) {
    std::unique_lock<std::shared_mutex> lock(mutex_);
    for (auto it = items_.begin(); it != items_.end(); ++it)
        if ((*it)->handle == HandleOf(id)) {
            items_.erase(it);
            return true;
        }
    return false;
}

bool Scene::moveItem(LWItemID id, std::size_t index) {
    std::unique_lock<std::shared_mutex> lock(mutex_);
    for (auto it = items_.begin(); it != items_.end(); ++it)
        if ((*it)->handle == HandleOf(id)) {
            auto keep = std::move(*it);
            items_.erase(it);
            if (index > items_.size()) index = items_.size();
            items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index), std::move(keep));
            return true;
        }
    return false;
}

bool Scene::contains(LWItemID id) const {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    return get(id) != nullptr;
}

std::vector<LWItemID> Scene::items(int type) const {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    std::vector<LWItemID> out;
    for (const auto &it : items_)
        if (it->type == type) out.push_back(HandleId<LWItemID>(it->handle));
    return out;
}

LWItemID Scene::find(const std::string &name) const {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    for (const auto &it : items_)
        if (it->name == name) return HandleId<LWItemID>(it->handle);
    return nullptr;
}

LWItemID Scene::first(int type) const {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    for (const auto &it : items_)
        if (it->type == type) return HandleId<LWItemID>(it->handle);
    return nullptr;
}

LWItemID Scene::next(LWItemID id) const {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->handle == HandleOf(id)) {
            for (std::size_t j = i + 1; j < items_.size(); ++j)
                if (items_[j]->type == items_[i]->type) return HandleId<LWItemID>(items_[j]->handle);
            return nullptr;
        }
    return nullptr;
}

int Scene::type(LWItemID id) const {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    const Item *it = get(id);
    return it ? it->type : -1;
}

std::string Scene::name(LWItemID id) const {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    const Item *it = get(id);
    return it ? it->name : std::string();
}

const char *Scene::nameData(LWItemID id) const {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    const Item *it = get(id);
    return it ? it->name.c_str() : nullptr;
}

void Scene::rename(LWItemID id, const std::string &name) {
    std::unique_lock<std::shared_mutex> lock(mutex_);
    if (Item *it = get(id)) it->name = name;
}

LWChanGroupID Scene::chanGroup(LWItemID id) const {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    Item *it = get(id);
    return it ? HandleId<LWChanGroupID>(it->group) : nullptr;
}

void Scene::setPosition(LWItemID id, double x, double y, double z) {
    std::unique_lock<std::shared_mutex> lock(mutex_);
    if (Item *it = get(id)) {
        const double v[3] = {x, y, z};
        for (int i = 0; i < 3; ++i) it->motion[i] = Channel{v[i], {}};
    }
}

void Scene::setRotation(LWItemID id, double h, double p, double b) {
    std::unique_lock<std::shared_mutex> lock(mutex_);
    if (Item *it = get(id)) {
        const double v[3] = {h, p, b};
        for (int i = 0; i < 3; ++i) it->motion[3 + i] = Channel{v[i], {}};
    }
}

void Scene::setMotionKeys(LWItemID id, Motion channel, std::vector<Key> keys) {
    std::unique_lock<std::shared_mutex> lock(mutex_);
    if (Item *it = get(id)) it->motion[static_cast<int>(channel)].setKeys(std::move(keys));
}

void Scene::position(LWItemID id, double t, double out[3]) const {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    const Item *it = get(id);
    for (int i = 0; i < 3; ++i) out[i] = it ? it->motion[i].at(t) : 0.0;
}

void Scene::rotation(LWItemID id, double t, double out[3]) const {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    const Item *it = get(id);
    for (int i = 0; i < 3; ++i) out[i] = it ? it->motion[3 + i].at(t) : 0.0;
}

Axes Scene::axes(LWItemID id, double t) const {
    double r[3];
    rotation(id, t, r);
    return axesFromHPB(r[0], r[1], r[2]);
}

void Scene::param(LWItemID id, int code, double t, double out[3]) const {
    out[0] = out[1] = out[2] = 0.0;
    if (!contains(id)) return;
    auto copy = [out](const double v[3]) {
        for (int i = 0; i < 3; ++i) out[i] = v[i];
    };
    switch (code) {
    case LWIP_POSITION:
    case LWIP_W_POSITION: position(id, t, out); break;
    case LWIP_ROTATION: rotation(id, t, out); break;
    case LWIP_SCALING: out[0] = out[1] = out[2] = 1.0; break;
    case LWIP_RIGHT: copy(axes(id, t).right); break;
    case LWIP_UP: copy(axes(id, t).up); break;
    case LWIP_FORWARD: copy(axes(id, t).forward); break;
    case LWIP_W_RIGHT:
    case LWIP_W_UP:
    case LWIP_W_FORWARD: {
        // Rows of the item-to-world rotation: world axis k in item coordinates.
        Axes a = axes(id, t);
        int k = code - LWIP_W_RIGHT;
        out[0] = a.right[k];
        out[1] = a.up[k];
        out[2] = a.forward[k];
        break;
    }
    default: break;  // pivot, pivot rotation: zero
    }
}

void Scene::setCamera(LWItemID id, CamProp prop, double value) {
    std::unique_lock<std::shared_mutex> lock(mutex_);
    if (Item *it = get(id)) {
        it->cam[static_cast<int>(prop)] = Channel{value, {}};
        if (prop == CamProp::FocalLength) it->focalLengthSet = true;
    }
}

void Scene::setCameraKeys(LWItemID id, CamProp prop, std::vector<Key> keys) {
    std::unique_lock<std::shared_mutex> lock(mutex_);
    if (Item *it = get(id)) {
        it->cam[static_cast<int>(prop)].setKeys(std::move(keys));
        if (prop == CamProp::FocalLength) it->focalLengthSet = true;
    }
}

double Scene::camera(LWItemID id, CamProp prop, double t) const {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    const Item *it = get(id);
    if (!it) return 0.0;
    if (prop == CamProp::FocalLength && !it->focalLengthSet) {
        // Focal length that gives the zoom factor on the film height, in mm.
        double zoom = it->cam[static_cast<int>(CamProp::ZoomFactor)].at(t);
        double filmH = it->cam[static_cast<int>(CamProp::FilmHeight)].at(t);
        return zoom * filmH * 0.5 * 1000.0;
    }
    return it->cam[static_cast<int>(prop)].at(t);
}

void Scene::setResolution(LWItemID id, int width, int height) {
    std::unique_lock<std::shared_mutex> lock(mutex_);
    if (Item *it = get(id)) {
        it->resW = width;
        it->resH = height;
    }
}

void Scene::resolution(LWItemID id, int *width, int *height) const {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    const Item *it = get(id);
    if (width) *width = it ? it->resW : 0;
    if (height) *height = it ? it->resH : 0;
}

void Scene::setMotionBlur(LWItemID id, bool on) {
    std::unique_lock<std::shared_mutex> lock(mutex_);
    if (Item *it = get(id)) it->motionBlur = on;
}

bool Scene::motionBlur(LWItemID id) const {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    const Item *it = get(id);
    return it && it->motionBlur;
}

}  // namespace standin
