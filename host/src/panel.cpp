#include "standin/panel.h"

#include "standin/host.h"
#include "handles.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace standin {

static std::uint32_t low32(std::uintptr_t w) { return static_cast<std::uint32_t>(w & 0xFFFFFFFFu); }

std::vector<std::uintptr_t> hintWords(const LWXPanelHint *hints, std::size_t maxWords) {
    std::vector<std::uintptr_t> out;
    if (!hints) return out;
    std::size_t i = 0;
    auto take = [&](std::uintptr_t &w) {
        if (i >= maxWords) return false;
        w = reinterpret_cast<std::uintptr_t>(hints[i++]);
        out.push_back(w);
        return true;
    };
    for (;;) {
        std::uintptr_t tag;
        if (!take(tag) || tag == 0) break;
        unsigned fixed = low32(tag) & 0x7Fu;
        bool ok = true;
        for (unsigned a = 0; a < fixed && ok; ++a) {
            std::uintptr_t w;
            ok = take(w);
        }
        if (ok && (low32(tag) & 0x80u)) {
            std::uintptr_t w;
            while ((ok = take(w)) && w != 0) {
            }
        }
        if (!ok) break;
    }
    return out;
}

std::vector<HintEntry> parseHints(const std::vector<std::uintptr_t> &words) {
    std::vector<HintEntry> out;
    std::size_t i = 0;
    while (i < words.size() && words[i] != 0) {
        HintEntry e;
        e.tag = low32(words[i++]);
        unsigned fixed = e.tag & 0x7Fu;
        for (unsigned a = 0; a < fixed && i < words.size(); ++a) e.args.push_back(words[i++]);
        if (e.tag & 0x80u) {
            while (i < words.size() && words[i] != 0) e.ids.push_back(words[i++]);
            if (i < words.size()) ++i;  // the list's 0
        }
        out.push_back(std::move(e));
    }
    return out;
}

// ---- drawing area

// Thumbnail pixels need no coverage feedback in the fuzz build: a thumbnail
// writes thousands per draw, and every comparison on the way was traced.
#if defined(__clang__)
#define STANDIN_NO_COVERAGE __attribute__((no_sanitize("coverage")))
#else
#define STANDIN_NO_COVERAGE
#endif

namespace {

struct DrawArea {
    Raster *raster;
};

// Palette entries 4136 + n of the classic panels; anything else draws grey.
void paletteColour(int index, int rgb[3]) {
    static const int table[][3] = {
        {0, 0, 0},       {255, 255, 255}, {112, 112, 112}, {200, 200, 200}, {255, 255, 255}, {180, 180, 255},
        {150, 150, 150}, {96, 96, 96},    {60, 60, 60},    {220, 200, 120}, {128, 128, 128}, {200, 80, 80},
        {0, 0, 0},
    };
    int n = index - 4136;
    const int *c = (n >= 0 && n < static_cast<int>(sizeof table / sizeof table[0])) ? table[n] : table[10];
    rgb[0] = c[0];
    rgb[1] = c[1];
    rgb[2] = c[2];
}

STANDIN_NO_COVERAGE unsigned char clampByte(int v) { return static_cast<unsigned char>(v < 0 ? 0 : v > 255 ? 255 : v); }

STANDIN_NO_COVERAGE void putPixel(LWXPDrAreaID area, int r, int g, int b, int x, int y) {
    auto *a = static_cast<DrawArea *>(area);
    if (!a || !a->raster) return;
    Raster &ras = *a->raster;
    if (x < 0 || y < 0 || x >= ras.width || y >= ras.height) return;
    unsigned char *p = &ras.rgb[3 * (static_cast<std::size_t>(y) * ras.width + x)];
    p[0] = clampByte(r);
    p[1] = clampByte(g);
    p[2] = clampByte(b);
}

STANDIN_NO_COVERAGE void fillBox(LWXPDrAreaID area, int r, int g, int b, int x, int y, int w, int h) {
    auto *a = static_cast<DrawArea *>(area);
    if (!a || !a->raster || w <= 0 || h <= 0) return;
    const Raster &ras = *a->raster;
    long long x0 = x < 0 ? 0 : x, y0 = y < 0 ? 0 : y;
    long long x1 = static_cast<long long>(x) + w, y1 = static_cast<long long>(y) + h;
    if (x1 > ras.width) x1 = ras.width;
    if (y1 > ras.height) y1 = ras.height;
    for (long long yy = y0; yy < y1; ++yy)
        for (long long xx = x0; xx < x1; ++xx) putPixel(area, r, g, b, static_cast<int>(xx), static_cast<int>(yy));
}

void dPixel(LWXPDrAreaID area, int colour, int x, int y) {
    int c[3];
    paletteColour(colour, c);
    putPixel(area, c[0], c[1], c[2], x, y);
}

STANDIN_NO_COVERAGE void dRGBPixel(LWXPDrAreaID area, int r, int g, int b, int x, int y) { putPixel(area, r, g, b, x, y); }

void dLine(LWXPDrAreaID area, int colour, int x, int y, int x2, int y2) {
    int c[3];
    paletteColour(colour, c);
    auto *a = static_cast<DrawArea *>(area);
    if (!a || !a->raster) return;
    // Clip the walk to a margin around the raster so huge coordinates cannot
    // make it run for ages.
    long long dx = std::llabs(static_cast<long long>(x2) - x), dy = -std::llabs(static_cast<long long>(y2) - y);
    long long sx = x < x2 ? 1 : -1, sy = y < y2 ? 1 : -1, err = dx + dy;
    long long cx = x, cy = y;
    for (long long steps = 0; steps < 100000; ++steps) {
        if (cx >= -1 && cy >= -1 && cx <= a->raster->width && cy <= a->raster->height)
            putPixel(area, c[0], c[1], c[2], static_cast<int>(cx), static_cast<int>(cy));
        if (cx == x2 && cy == y2) break;
        long long e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            cx += sx;
        }
        if (e2 <= dx) {
            err += dx;
            cy += sy;
        }
    }
}

void dBox(LWXPDrAreaID area, int colour, int x, int y, int w, int h) {
    int c[3];
    paletteColour(colour, c);
    fillBox(area, c[0], c[1], c[2], x, y, w, h);
}

void dRGBBox(LWXPDrAreaID area, int r, int g, int b, int x, int y, int w, int h) { fillBox(area, r, g, b, x, y, w, h); }

void dBorder(LWXPDrAreaID area, int, int x, int y, int w, int h) {
    if (w <= 0 || h <= 0) return;
    fillBox(area, 80, 80, 80, x, y, w, 1);
    fillBox(area, 80, 80, 80, x, y + h - 1, w, 1);
    fillBox(area, 80, 80, 80, x, y, 1, h);
    fillBox(area, 80, 80, 80, x + w - 1, y, 1, h);
}

int dTextWidth(LWXPDrAreaID, char *text) { return text ? 6 * static_cast<int>(std::strlen(text)) : 0; }
int dTextHeight(LWXPDrAreaID, char *) { return 8; }

// Text is drawn as one 4 x 6 block per visible character, enough to see
// where it lands.
void dText(LWXPDrAreaID area, char *text, int colour, int x, int y) {
    auto *a = static_cast<DrawArea *>(area);
    if (!a || !a->raster || !text) return;
    a->raster->texts.push_back(text);
    int c[3];
    paletteColour(colour, c);
    std::size_t n = std::strlen(text);
    for (std::size_t i = 0; i < n && i < 4096; ++i)
        if (text[i] != ' ') fillBox(area, c[0], c[1], c[2], x + 6 * static_cast<int>(i), y + 1, 4, 6);
}

LWXPDrawFuncs gDraw = {dPixel, dRGBPixel, dLine, dBox, dRGBBox, dBorder, dTextWidth, dTextHeight, dText};

PanelService *service() {
    Host *h = Host::current();
    return h ? &h->panels() : nullptr;
}

}  // namespace

LWXPDrawFuncs *PanelService::drawFuncs() { return &gDraw; }

PanelService::PanelService() {
    funcs_.version = 1;
    funcs_.drawf = &gDraw;
    funcs_.create = fCreate;
    funcs_.destroy = fDestroy;
    funcs_.describe = fDescribe;
    funcs_.hint = fHint;
    funcs_.getData = fGetData;
    funcs_.setData = fSetData;
    funcs_.formGet = fFormGet;
    funcs_.formSet = fFormSet;
    funcs_.viewInst = fViewInst;
    funcs_.viewRefresh = fViewRefresh;
    funcs_.post = fPost;
    funcs_.open = fOpen;
}

PanelService::~PanelService() = default;

PanelRecord *PanelService::rec(LWXPanelID panel) const {
    auto it = panels_.find(HandleOf(panel));
    return it == panels_.end() ? nullptr : it->second.get();
}

void PanelService::forget(LWXPanelID panel) {
    if (panels_.erase(HandleOf(panel))) ++destroyed_;
}

std::vector<LWXPanelID> PanelService::panels() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<LWXPanelID> out;
    for (const auto &entry : panels_) out.push_back(HandleId<LWXPanelID>(entry.first));
    return out;
}

const PanelRecord *PanelService::record(LWXPanelID panel) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return rec(panel);
}

void *PanelService::get(LWXPanelID panel, unsigned int vid) const {
    LWXPanelGetFunc *fn;
    void *inst;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        PanelRecord *r = rec(panel);
        if (!r || !r->get) return nullptr;
        fn = r->get;
        inst = r->instance;
    }
    return fn(inst, vid);
}

int PanelService::set(LWXPanelID panel, unsigned int vid, void *value) const {
    LWXPanelSetFunc *fn;
    void *inst;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        PanelRecord *r = rec(panel);
        if (!r || !r->set) return LWXPRC_NONE;
        fn = r->set;
        inst = r->instance;
    }
    return fn(inst, vid, value);
}

const PanelControl *PanelService::control(LWXPanelID panel, unsigned int cid) const {
    std::lock_guard<std::mutex> lock(mutex_);
    PanelRecord *r = rec(panel);
    if (!r) return nullptr;
    for (const auto &c : r->controls)
        if (c.cid == cid) return &c;
    return nullptr;
}

std::string PanelService::datatype(LWXPanelID panel, unsigned int vid) const {
    std::lock_guard<std::mutex> lock(mutex_);
    PanelRecord *r = rec(panel);
    if (!r) return std::string();
    for (const auto &d : r->data)
        if (d.vid == vid) return d.datatype;
    return std::string();
}

std::vector<HintEntry> PanelService::hintEntries(LWXPanelID panel) const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<HintEntry> out;
    PanelRecord *r = rec(panel);
    if (!r) return out;
    for (const auto &call : r->hints) out.insert(out.end(), call.entries.begin(), call.entries.end());
    return out;
}

const HintEntry *PanelService::findHint(LWXPanelID panel, unsigned int tag, unsigned int cid) const {
    std::lock_guard<std::mutex> lock(mutex_);
    PanelRecord *r = rec(panel);
    if (!r) return nullptr;
    const HintEntry *found = nullptr;  // the last one given wins
    for (const auto &call : r->hints)
        for (const auto &e : call.entries)
            if (e.tag == tag && !e.args.empty() && low32(e.args[0]) == cid) found = &e;
    return found;
}

int PanelService::popupCount(LWXPanelID panel, unsigned int cid) const {
    const HintEntry *h = findHint(panel, XPTAG_POPFUNCS, cid);
    if (!h || h->args.size() < 3 || !h->args[1]) return -1;
    void *user;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        PanelRecord *r = rec(panel);
        user = r ? r->userData : nullptr;
    }
    auto fn = reinterpret_cast<LWXPanelPopCntFunc *>(h->args[1]);
    return fn(user);
}

std::string PanelService::popupName(LWXPanelID panel, unsigned int cid, int index) const {
    const HintEntry *h = findHint(panel, XPTAG_POPFUNCS, cid);
    if (!h || h->args.size() < 3 || !h->args[2]) return std::string();
    void *user;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        PanelRecord *r = rec(panel);
        user = r ? r->userData : nullptr;
    }
    auto fn = reinterpret_cast<LWXPanelPopNameFunc *>(h->args[2]);
    const char *name = fn(user, index);
    return name ? name : std::string();
}

std::vector<std::string> PanelService::popupChoices(LWXPanelID panel, unsigned int cid) const {
    std::vector<std::string> out;
    int n = popupCount(panel, cid);
    for (int i = 0; i < n && i < 10000; ++i) out.push_back(popupName(panel, cid, i));
    return out;
}

bool PanelService::draw(LWXPanelID panel, unsigned int cid, int w, int h, Raster &out) const {
    const HintEntry *hint = findHint(panel, XPTAG_DRAWCBFUNC, cid);
    if (!hint || hint->args.size() < 2 || !hint->args[1] || w < 0 || h < 0) return false;
    out.width = w;
    out.height = h;
    out.rgb.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3, 0);
    out.texts.clear();
    DrawArea area{&out};
    auto fn = reinterpret_cast<LWXPanelControlDrawFunc *>(hint->args[1]);
    fn(panel, cid, &area, w, h);
    return true;
}

std::string PanelService::dump(LWXPanelID panel, double time) const {
    std::vector<PanelControl> controls;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        PanelRecord *r = rec(panel);
        if (!r) return std::string();
        controls = r->controls;
    }
    std::ostringstream os;
    for (const auto &c : controls) {
        os << "0x" << std::hex << c.cid << std::dec << " \"" << c.label << "\" [" << c.ctrlclass << "]";
        // An "-env" control's value is its envelope whatever data type the
        // plug-in described for it (cameras describe them as "float").
        auto endsWithEnv = [](const std::string &t) { return t.size() > 4 && t.compare(t.size() - 4, 4, "-env") == 0; };
        std::string type = endsWithEnv(c.ctrlclass) ? c.ctrlclass : datatype(panel, c.cid);
        if (type.empty()) type = c.ctrlclass;
        if (c.ctrlclass != "dThumbnail") {
            void *v = get(panel, c.cid);
            char buf[64];
            if (!v) {
                os << " = (null)";
            } else if (endsWithEnv(type)) {
                Host *host = Host::current();
                double val = host ? host->envelopes().value(v, time) : 0.0;
                std::snprintf(buf, sizeof buf, "%.6g", val);
                os << " = " << buf << " (env)";
            } else if (type == "integer" || type[0] == 'i') {
                os << " = " << *static_cast<int *>(v);
            } else if (type == "string" || type[0] == 's') {
                os << " = \"" << static_cast<const char *>(v) << "\"";
            } else if (type == "float" || type == "distance" || type == "percent" || type == "angle") {
                std::snprintf(buf, sizeof buf, "%.6g", *static_cast<double *>(v));
                os << " = " << buf;
            }
        }
        os << "\n";
    }
    return os.str();
}

// ---- service functions

LWXPanelID PanelService::fCreate(int type, LWXPanelControl *controls) {
    PanelService *s = service();
    if (!s) return nullptr;
    auto r = std::make_unique<PanelRecord>();
    r->type = type;
    for (int i = 0; controls && i < 10000 && controls[i].cid != 0; ++i)
        r->controls.push_back({controls[i].cid, controls[i].label ? controls[i].label : "",
                               controls[i].ctrlclass ? controls[i].ctrlclass : ""});
    const std::uintptr_t handle = NewHandle();
    std::lock_guard<std::mutex> lock(s->mutex_);
    s->panels_.emplace(handle, std::move(r));
    ++s->created_;
    return HandleId<LWXPanelID>(handle);
}

void PanelService::close(LWXPanelID panel) {
    std::lock_guard<std::mutex> lock(mutex_);
    forget(panel);
}

void PanelService::fDestroy(LWXPanelID panel) {
    PanelService *s = service();
    if (!s) return;
    std::lock_guard<std::mutex> lock(s->mutex_);
    s->forget(panel);
}

void PanelService::fDescribe(LWXPanelID panel, LWXPanelDataDesc *data, LWXPanelGetFunc *get, LWXPanelSetFunc *set) {
    PanelService *s = service();
    if (!s) return;
    std::lock_guard<std::mutex> lock(s->mutex_);
    PanelRecord *r = s->rec(panel);
    if (!r) return;
    r->data.clear();
    for (int i = 0; data && i < 10000 && data[i].vid != 0; ++i)
        r->data.push_back({data[i].vid, data[i].name ? data[i].name : "", data[i].datatype ? data[i].datatype : ""});
    r->get = get;
    r->set = set;
    ++r->describeCalls;
}

void PanelService::fHint(LWXPanelID panel, unsigned int id, LWXPanelHint *hints) {
    PanelService *s = service();
    if (!s) return;
    HintCall call;
    call.id = id;
    call.words = hintWords(hints);
    call.entries = parseHints(call.words);
    std::lock_guard<std::mutex> lock(s->mutex_);
    if (PanelRecord *r = s->rec(panel)) r->hints.push_back(std::move(call));
}

void *PanelService::fGetData(LWXPanelID panel, unsigned int id) {
    PanelService *s = service();
    if (!s) return nullptr;
    std::lock_guard<std::mutex> lock(s->mutex_);
    PanelRecord *r = s->rec(panel);
    return (r && id == 0) ? r->userData : nullptr;
}

void PanelService::fSetData(LWXPanelID panel, unsigned int id, void *data) {
    PanelService *s = service();
    if (!s) return;
    std::lock_guard<std::mutex> lock(s->mutex_);
    PanelRecord *r = s->rec(panel);
    if (r && id == 0) r->userData = data;
}

void *PanelService::fFormGet(LWXPanelID, unsigned int) { return nullptr; }
void PanelService::fFormSet(LWXPanelID, unsigned int, void *) {}

void PanelService::fViewInst(LWXPanelID panel, void *instance) {
    PanelService *s = service();
    if (!s) return;
    std::lock_guard<std::mutex> lock(s->mutex_);
    if (PanelRecord *r = s->rec(panel)) r->instance = instance;
}

void PanelService::fViewRefresh(LWXPanelID) {}

int PanelService::fPost(LWXPanelID panel) {
    PanelService *s = service();
    if (!s || !s->record(panel)) return 0;
    ++s->postCalls_;
    return s->postResult_.load();
}

int PanelService::fOpen(LWXPanelID panel) {
    PanelService *s = service();
    if (!s || !s->record(panel)) return 0;
    ++s->openCalls_;
    return 1;
}

}  // namespace standin
