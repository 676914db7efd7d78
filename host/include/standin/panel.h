// The panel service ("LWXPanel"): records what a plug-in builds (controls,
// data descriptions, callbacks, hints) and lets tests drive the panel the way
// a user would: read and set values, open popups, draw thumbnails.
#ifndef STANDIN_PANEL_H
#define STANDIN_PANEL_H

#include "module/lwhost.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace standin {

struct PanelControl {
    unsigned int cid;
    std::string label;
    std::string ctrlclass;
};

struct PanelDataDesc {
    unsigned int vid;
    std::string name;
    std::string datatype;
};

// One tag of a hint array with its fixed arguments and optional id list.
struct HintEntry {
    unsigned int tag;
    std::vector<std::uintptr_t> args;
    std::vector<std::uintptr_t> ids;  // without the terminating 0
};

struct HintCall {
    unsigned int id;                    // 0 = the panel
    std::vector<std::uintptr_t> words;  // raw words including the final 0
    std::vector<HintEntry> entries;
};

struct PanelRecord {
    int type = 0;
    std::vector<PanelControl> controls;
    std::vector<PanelDataDesc> data;
    LWXPanelGetFunc *get = nullptr;
    LWXPanelSetFunc *set = nullptr;
    void *instance = nullptr;
    void *userData = nullptr;
    std::vector<HintCall> hints;
    int describeCalls = 0;
};

// An RGB raster a thumbnail draws into; pixels are r, g, b bytes row by row.
struct Raster {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    const unsigned char *pixel(int x, int y) const { return &rgb[3 * (static_cast<std::size_t>(y) * width + x)]; }
    std::vector<std::string> texts;  // strings passed to drawText
};

class PanelService {
public:
    PanelService();
    ~PanelService();

    LWXPanelFuncs *funcs() { return &funcs_; }

    std::vector<LWXPanelID> panels() const;  // live panels in creation order
    // Null once the panel is destroyed (its record is freed then).
    const PanelRecord *record(LWXPanelID panel) const;
    int created() const { return created_.load(); }
    int destroyed() const { return destroyed_.load(); }
    int livePanels() const { return created_.load() - destroyed_.load(); }
    // Destroys a panel as the host does when it disposes of an interface; a
    // panel that is already gone is left alone.
    void close(LWXPanelID panel);

    // Values through the recorded callbacks and instance.
    void *get(LWXPanelID panel, unsigned int vid) const;
    int set(LWXPanelID panel, unsigned int vid, void *value) const;
    const PanelControl *control(LWXPanelID panel, unsigned int cid) const;
    std::string datatype(LWXPanelID panel, unsigned int vid) const;

    // All hint entries given to the panel (any id), in call order.
    std::vector<HintEntry> hintEntries(LWXPanelID panel) const;
    const HintEntry *findHint(LWXPanelID panel, unsigned int tag, unsigned int cid) const;

    // Popups: -1 / empty when the control has no XPTAG_POPFUNCS.
    int popupCount(LWXPanelID panel, unsigned int cid) const;
    std::string popupName(LWXPanelID panel, unsigned int cid, int index) const;
    std::vector<std::string> popupChoices(LWXPanelID panel, unsigned int cid) const;

    // Calls the control's XPTAG_DRAWCBFUNC with a w x h area; false when none.
    bool draw(LWXPanelID panel, unsigned int cid, int w, int h, Raster &out) const;

    // Text listing: one line per control "cid label [class] = value".
    // "-env" values are read from the vparm at `time`.
    std::string dump(LWXPanelID panel, double time) const;

    void setPostResult(int result) { postResult_ = result; }
    int postCalls() const { return postCalls_.load(); }
    int openCalls() const { return openCalls_.load(); }

    static LWXPDrawFuncs *drawFuncs();

private:
    PanelRecord *rec(LWXPanelID panel) const;  // caller holds the lock
    void forget(LWXPanelID panel);              // caller holds the lock

    static LWXPanelID fCreate(int, LWXPanelControl *);
    static void fDestroy(LWXPanelID);
    static void fDescribe(LWXPanelID, LWXPanelDataDesc *, LWXPanelGetFunc *, LWXPanelSetFunc *);
    static void fHint(LWXPanelID, unsigned int, LWXPanelHint *);
    static void *fGetData(LWXPanelID, unsigned int);
    static void fSetData(LWXPanelID, unsigned int, void *);
    static void *fFormGet(LWXPanelID, unsigned int);
    static void fFormSet(LWXPanelID, unsigned int, void *);
    static void fViewInst(LWXPanelID, void *);
    static void fViewRefresh(LWXPanelID);
    static int fPost(LWXPanelID);
    static int fOpen(LWXPanelID);

    LWXPanelFuncs funcs_{};
    mutable std::mutex mutex_;
    std::map<std::uintptr_t, std::unique_ptr<PanelRecord>> panels_;  // live ones by handle: creation order
    std::atomic<int> created_{0}, destroyed_{0}, postCalls_{0}, openCalls_{0};
    std::atomic<int> postResult_{1};
};

// Walks a hint array by its tag encoding (low 7 bits: fixed argument count,
// 0x80: id list ended by 0) and returns the words up to and including the
// terminating 0.  Stops after `maxWords` words for an unterminated array.
std::vector<std::uintptr_t> hintWords(const LWXPanelHint *hints, std::size_t maxWords = 4096);
std::vector<HintEntry> parseHints(const std::vector<std::uintptr_t> &words);

}  // namespace standin

#endif
