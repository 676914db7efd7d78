// A camera panel's tables and hints as text, so a test compares them whole
// and a mismatch shows where.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "standin/host.h"

namespace testsupport {

// A hint entry: tag, fixed arguments (functions and pointers as "fn" or
// "ptr", null as "null"), then "|" and the id list when the tag has one.
inline std::string HintText(const standin::HintEntry &e) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%08X", e.tag);
    std::string s = buf;
    for (std::size_t i = 0; i < e.args.size(); ++i) {
        const bool fn = (e.tag == XPTAG_DRAWCBFUNC && i == 1) || (e.tag == XPTAG_POPFUNCS && i >= 1);
        const bool ptr = e.tag == XPTAG_ENABLE && (i == 1 || i == 3);
        if (fn || ptr)
            s += e.args[i] ? (fn ? " fn" : " ptr") : " null";
        else
            s += " " + std::to_string(static_cast<long long>(static_cast<std::intptr_t>(e.args[i])));
    }
    if (e.tag & 0x80u) {
        s += " |";
        for (std::uintptr_t id : e.ids) s += " " + std::to_string(id);
    }
    return s;
}

// The expected text of a hint entry: tag and numeric arguments, then the
// tail as written (pointer words, id list); " |" is added for a tag with an
// id list when the tail does not already hold it.
inline std::string Hint(unsigned int tag, std::vector<long long> args, const char *tail = "") {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%08X", tag);
    std::string s = buf;
    for (long long a : args) s += " " + std::to_string(a);
    s += tail;
    if ((tag & 0x80u) && std::string(tail).find('|') == std::string::npos) s += " |";
    return s;
}

// The hints a panel with its logo at 0x8005 starts with.
inline const std::vector<std::string> kCommonHead = {
    Hint(XPTAG_FOCUS, {-1}),
    Hint(XPTAG_CTRLCFG, {0x8005, 0, 0x80000001LL}),
    Hint(XPTAG_DRAWCBFUNC, {0x8005}, " fn"),
};

inline std::string Controls(const standin::PanelRecord &r) {
    std::string s;
    for (const standin::PanelControl &c : r.controls)
        s += std::to_string(c.cid) + " \"" + c.label + "\" " + c.ctrlclass + "\n";
    return s;
}
inline std::string Data(const standin::PanelRecord &r) {
    std::string s;
    for (const standin::PanelDataDesc &d : r.data)
        s += std::to_string(d.vid) + " \"" + d.name + "\" " + d.datatype + "\n";
    return s;
}

} // namespace testsupport
