// Viewport drawing recorder: an LWCustomObjAccess whose functions append
// every call to a list that tests inspect.
#ifndef STANDIN_DRAW_H
#define STANDIN_DRAW_H

#include "module/lwhost.h"

#include <mutex>
#include <string>
#include <vector>

namespace standin {

struct DrawCall {
    std::string op;            // "setColor", "setPattern", "point", "line", "triangle", "quad",
                               // "circle", "disk", "text", "setCSysItem", "polygon",
                               // "polyIndexed", "setDrawMode", "setPart", "setTexture", "setUVs"
    std::vector<double> values;  // rgba, points (3 per point, in order), radius after centre
    int csys = -1;               // -1 when the call has none
    std::string text;
    LWItemID item = nullptr;     // setCSysItem
    unsigned int mode = 0;       // setDrawMode / setPart / setPattern / text justify
};

class DrawRecorder {
public:
    explicit DrawRecorder(int view = LWVIEW_PERSP, int flags = 0);
    DrawRecorder(const DrawRecorder &) = delete;
    DrawRecorder &operator=(const DrawRecorder &) = delete;

    LWCustomObjAccess *access() { return &access_; }
    std::vector<DrawCall> calls() const;
    std::vector<DrawCall> calls(const std::string &op) const;
    std::size_t count(const std::string &op) const;
    void clear();

private:
    void add(DrawCall call);
    static DrawRecorder *self(void *d) { return static_cast<DrawRecorder *>(d); }

    LWCustomObjAccess access_{};
    mutable std::mutex mutex_;
    std::vector<DrawCall> calls_;
};

}  // namespace standin

#endif
