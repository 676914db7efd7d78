// In-memory scene I/O states: an LWSaveState that writes into a byte block and
// an LWLoadState that reads one back, in text (LWIO_ASCII) or binary
// (LWIO_BINARY) mode.
//
// Text format: every write call produces exactly one line ending in '\n'.
//   signed integers   decimal, values separated by one space
//   unsigned integers hexadecimal, upper case, no prefix ("1A2B")
//   float / double    "%.17g" (round-trips exactly)
//   strings, raw data the bytes themselves as the line
//   writeID           the block token as the line
//   beginBlk / endBlk "{ Token" / "}"
// Binary format: integers and IEEE values big-endian, strings NUL-terminated,
// blocks as a 4-byte id followed by a 4-byte big-endian length of the body.
#ifndef STANDIN_IOSTATE_H
#define STANDIN_IOSTATE_H

#include "module/lwhost.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace standin {

// Four-character block code, e.g. makeId("CAMR").
LWID makeId(const char code[4]);

class MemorySaveState {
public:
    explicit MemorySaveState(int ioMode = LWIO_ASCII);
    MemorySaveState(const MemorySaveState &) = delete;
    MemorySaveState &operator=(const MemorySaveState &) = delete;

    // The record to hand to a plug-in; stays valid as long as this object.
    const LWSaveState *state() const { return &state_; }
    int ioMode() const { return state_.ioMode; }
    const std::string &bytes() const { return data_; }
    std::vector<std::string> lines() const;  // text mode: block split at '\n'
    int depth() const { return static_cast<int>(blocks_.size()); }
    void clear();

private:
    static void write(void *, const char *, int);
    static void writeI1(void *, const char *, int);
    static void writeI2(void *, const short *, int);
    static void writeI4(void *, const int *, int);
    static void writeU1(void *, const unsigned char *, int);
    static void writeU2(void *, const unsigned short *, int);
    static void writeU4(void *, const unsigned int *, int);
    static void writeFP(void *, const float *, int);
    static void writeStr(void *, const char *);
    static void writeID(void *, const LWBlockIdent *);
    static void beginBlk(void *, const LWBlockIdent *, int);
    static void endBlk(void *);
    static int depthFn(void *);
    static void writeDP(void *, const double *, int);

    void line(const std::string &text);
    void bytesBE(std::uint64_t value, int size);

    LWSaveState state_{};
    std::string data_;
    std::vector<std::size_t> blocks_;  // binary: offset of each open block's length word
};

class MemoryLoadState {
public:
    MemoryLoadState(const std::string &bytes, int ioMode);
    explicit MemoryLoadState(const MemorySaveState &saved);
    MemoryLoadState(const MemoryLoadState &) = delete;
    MemoryLoadState &operator=(const MemoryLoadState &) = delete;

    const LWLoadState *state() const { return &state_; }
    int ioMode() const { return state_.ioMode; }
    std::size_t position() const { return pos_; }
    bool atEnd() const { return pos_ >= data_.size(); }
    int depth() const { return static_cast<int>(ends_.size()); }

private:
    static int read(void *, char *, int);
    static int readI1(void *, char *, int);
    static int readI2(void *, short *, int);
    static int readI4(void *, int *, int);
    static int readU1(void *, unsigned char *, int);
    static int readU2(void *, unsigned short *, int);
    static int readU4(void *, unsigned int *, int);
    static int readFP(void *, float *, int);
    static int readStr(void *, char *, int);
    static LWID readID(void *, const LWBlockIdent *);
    static LWID findBlk(void *, const LWBlockIdent *);
    static void endBlk(void *);
    static int depthFn(void *);
    static int readDP(void *, double *, int);

    void init(int ioMode);
    std::size_t limit() const;             // end of the innermost open block
    bool nextLine(std::string &out);        // text mode
    bool peekLine(std::string &out) const;  // text mode, does not consume
    void skipBlockRest();                    // text mode: past the "}" that closes the current block
    bool takeBE(int size, std::uint64_t &out);
    template <typename T, typename Parse, typename FromBits>
    int readValues(T *out, int n, int size, Parse parse, FromBits fromBits);
    template <typename T> int readSigned(T *out, int n, int size);
    template <typename T> int readUnsigned(T *out, int n, int size);

    LWLoadState state_{};
    std::string data_;
    std::size_t pos_ = 0;
    std::vector<std::size_t> ends_;  // binary: end offset of each open block; text: one entry per level
};

}  // namespace standin

#endif
