// delegation.cpp -- camera list, evaluator life and scene block of the tiles.
#include "composite/delegation.h"

#include <cmath>

namespace lentara {

const char kNoCameraName[] = "(none)";

namespace {

const LWCameraEvaluationFuncs *Service(const HostServices &svc) { return svc.camevalfuncs; }

void DestroyEvaluator(const HostServices &svc, Tile &tile) {
    if (!tile.tileEvaluator) return;
    const LWCameraEvaluationFuncs *ce = Service(svc);
    if (ce && ce->destroy) ce->destroy(tile.tileEvaluator);
    tile.tileEvaluator = nullptr;
}

LWCameraEvaluatorID CreateEvaluator(const HostServices &svc, LWItemID item) {
    const LWCameraEvaluationFuncs *ce = Service(svc);
    return (ce && ce->create) ? ce->create(item) : nullptr;
}

} // namespace

int CameraListCount(const HostServices &svc, LWItemID carrier) { return 1 + CountItems(svc, carrier); }

const char *CameraListName(const HostServices &svc, LWItemID carrier, int index) {
    if (index <= 0 || !svc.iteminfo || !svc.iteminfo->name) return kNoCameraName;
    LWItemID cam = getItemByIndex(svc, carrier, index - 1);
    if (!cam) return kNoCameraName;
    const char *name = svc.iteminfo->name(cam);
    return name ? name : kNoCameraName;
}

void PickCamera(const HostServices &svc, LWItemID carrier, Tile &tile, int value) {
    tile.tileChoice = value;
    // value - 1 without overflow: INT_MIN names no camera either way.
    tile.tileItem = value > 0 ? getItemByIndex(svc, carrier, value - 1) : nullptr;
    DestroyEvaluator(svc, tile);
    if (tile.tileItem && carrier)
        tile.tileEvaluator = CreateEvaluator(svc, tile.tileItem);
    else
        tile.tileChoice = 0;
}

void InitTiles(const HostServices &svc, LWItemID carrier, Tile *tiles, int count, int mode) {
    for (int i = 0; i < count; ++i)
        tiles[i].tileItem = tiles[i].tileChoice > 0 ? getItemByIndex(svc, carrier, tiles[i].tileChoice - 1) : nullptr;
    for (int i = 0; i < count; ++i) {
        DestroyEvaluator(svc, tiles[i]);
        if (tiles[i].tileItem) tiles[i].tileEvaluator = CreateEvaluator(svc, tiles[i].tileItem);
    }
    const LWCameraEvaluationFuncs *ce = Service(svc);
    if (!ce || !ce->init) return;
    for (int i = 0; i < count; ++i)
        if (tiles[i].tileEvaluator) ce->init(tiles[i].tileEvaluator, mode); // errors are not passed on
}

void NewTimeTiles(const HostServices &svc, const Tile *tiles, int count, LWFrame frame, LWTime time) {
    const LWCameraEvaluationFuncs *ce = Service(svc);
    if (!ce || !ce->newTime) return;
    for (int i = 0; i < count; ++i)
        if (tiles[i].tileEvaluator) ce->newTime(tiles[i].tileEvaluator, frame, time);
}

void NewFrameTiles(const HostServices &svc, const Tile *tiles, int count, LWFrame frame, LWTime time) {
    const LWCameraEvaluationFuncs *ce = Service(svc);
    if (!ce) return;
    for (int i = 0; i < count; ++i) {
        if (!tiles[i].tileEvaluator) continue;
        if (ce->newTime) ce->newTime(tiles[i].tileEvaluator, frame, time);
        if (ce->newFrame) ce->newFrame(tiles[i].tileEvaluator);
    }
}

int PreviewTiles(const HostServices &svc, const Tile *tiles, int count, double lpx, double lpy,
                 LWDMatrix4 projection) {
    const LWCameraEvaluationFuncs *ce = Service(svc);
    if (!ce || !ce->preview || !projection) return 0;
    int result = 0;
    for (int i = 0; i < count; ++i)
        if (tiles[i].tileEvaluator) result = ce->preview(tiles[i].tileEvaluator, lpx, lpy, projection);
    return result;
}

void CleanUpTiles(const HostServices &svc, const Tile *tiles, int count) {
    const LWCameraEvaluationFuncs *ce = Service(svc);
    if (!ce || !ce->cleanUp) return;
    for (int i = 0; i < count; ++i)
        if (tiles[i].tileEvaluator) ce->cleanUp(tiles[i].tileEvaluator);
}

void DestroyTiles(const HostServices &svc, Tile *tiles, int count) {
    for (int i = 0; i < count; ++i) DestroyEvaluator(svc, tiles[i]);
}

void SaveChoices(const LWSaveState *save, const Tile *tiles, int count) {
    if (!save || !save->writeU4) return;
    for (int i = 0; i < count; ++i) {
        const unsigned int v = static_cast<unsigned int>(tiles[i].tileChoice);
        save->writeU4(save->writeData, &v, 1);
    }
}

void LoadChoices(const HostServices &svc, const LWLoadState *load, Tile *tiles, int count) {
    if (!load) return;
    for (int i = 0; i < count; ++i) {
        DestroyEvaluator(svc, tiles[i]);
        tiles[i].tileItem = nullptr;
    }
    if (!load->readU4) return;
    for (int i = 0; i < count; ++i) {
        unsigned int v = 0;
        if (load->readU4(load->readData, &v, 1) != 1) return;
        tiles[i].tileChoice = static_cast<std::int32_t>(v);
    }
}

} // namespace lentara
