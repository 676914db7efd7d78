#include "standin/iostate.h"

#include <cerrno>
#include <cstdarg>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace standin {

LWID makeId(const char code[4]) {
    return (static_cast<LWID>(static_cast<unsigned char>(code[0])) << 24) |
           (static_cast<LWID>(static_cast<unsigned char>(code[1])) << 16) |
           (static_cast<LWID>(static_cast<unsigned char>(code[2])) << 8) |
           static_cast<LWID>(static_cast<unsigned char>(code[3]));
}

namespace {

std::string idText(const LWBlockIdent *ident) {
    if (!ident) return std::string();
    if (ident->token) return ident->token;
    char code[5] = {static_cast<char>(ident->id >> 24), static_cast<char>(ident->id >> 16),
                    static_cast<char>(ident->id >> 8), static_cast<char>(ident->id), 0};
    return code;
}

std::string fmt(const char *format, ...) __attribute__((format(printf, 1, 2)));
std::string fmt(const char *format, ...) {
    char buf[64];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(buf, sizeof buf, format, ap);
    va_end(ap);
    return buf;
}

// Id list of a findBlk/readID call: entries up to the one with id 0.  The
// walk is bounded so a list without terminator cannot run away forever.
LWID matchToken(const LWBlockIdent *list, const std::string &token) {
    if (!list) return 0;
    for (int i = 0; i < 4096 && list[i].id != 0; ++i)
        if (idText(&list[i]) == token) return list[i].id;
    return 0;
}

LWID matchId(const LWBlockIdent *list, LWID id) {
    if (!list || id == 0) return 0;
    for (int i = 0; i < 4096 && list[i].id != 0; ++i)
        if (list[i].id == id) return id;
    return 0;
}

std::vector<std::string> splitWords(const std::string &line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        std::size_t j = i;
        while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '\r') ++j;
        if (j > i) words.push_back(line.substr(i, j - i));
        i = j;
    }
    return words;
}

bool parseSigned(const std::string &w, long long lo, long long hi, long long &out) {
    errno = 0;
    char *end = nullptr;
    long long v = std::strtoll(w.c_str(), &end, 10);
    if (errno != 0 || end == w.c_str() || *end != '\0' || v < lo || v > hi) return false;
    out = v;
    return true;
}

bool parseHex(const std::string &w, unsigned long long hi, unsigned long long &out) {
    if (w.empty() || w[0] == '-' || w[0] == '+') return false;
    errno = 0;
    char *end = nullptr;
    unsigned long long v = std::strtoull(w.c_str(), &end, 16);
    if (errno != 0 || end == w.c_str() || *end != '\0' || v > hi) return false;
    out = v;
    return true;
}

bool parseReal(const std::string &w, double &out) {
    char *end = nullptr;
    double v = std::strtod(w.c_str(), &end);
    if (end == w.c_str() || *end != '\0') return false;
    out = v;
    return true;
}

}  // namespace

// ---------------------------------------------------------------- saving

MemorySaveState::MemorySaveState(int ioMode) {
    // In the record's field order.
    state_ = LWSaveState{ioMode == LWIO_BINARY ? LWIO_BINARY : LWIO_ASCII,
                         this, write, writeI1, writeI2, writeI4, writeU1, writeU2, writeU4, writeFP, writeStr,
                         writeID, beginBlk, endBlk, depthFn, writeDP};
}

void MemorySaveState::clear() {
    data_.clear();
    blocks_.clear();
}

std::vector<std::string> MemorySaveState::lines() const {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < data_.size()) {
        std::size_t nl = data_.find('\n', start);
        if (nl == std::string::npos) nl = data_.size();
        out.push_back(data_.substr(start, nl - start));
        start = nl + 1;
    }
    return out;
}

void MemorySaveState::line(const std::string &text) {
    data_ += text;
    data_ += '\n';
}

void MemorySaveState::bytesBE(std::uint64_t value, int size) {
    for (int i = size - 1; i >= 0; --i) data_ += static_cast<char>((value >> (8 * i)) & 0xFF);
}

static MemorySaveState *saver(void *d) { return static_cast<MemorySaveState *>(d); }

void MemorySaveState::write(void *d, const char *buf, int len) {
    auto *s = saver(d);
    std::string chunk = (buf && len > 0) ? std::string(buf, static_cast<std::size_t>(len)) : std::string();
    if (s->state_.ioMode == LWIO_ASCII)
        s->line(chunk);
    else
        s->data_ += chunk;
}

template <typename T>
static void writeInts(MemorySaveState *s, int mode, const T *v, int n, int size, bool isSigned,
                      void (MemorySaveState::*lineFn)(const std::string &),
                      void (MemorySaveState::*beFn)(std::uint64_t, int)) {
    if (!v || n <= 0) {
        if (mode == LWIO_ASCII) (s->*lineFn)("");
        return;
    }
    if (mode == LWIO_ASCII) {
        std::string text;
        for (int i = 0; i < n; ++i) {
            if (i) text += ' ';
            if (isSigned)
                text += fmt("%lld", static_cast<long long>(v[i]));
            else
                text += fmt("%llX", static_cast<unsigned long long>(v[i]));
        }
        (s->*lineFn)(text);
    } else {
        for (int i = 0; i < n; ++i) {
            std::uint64_t bits = static_cast<std::uint64_t>(static_cast<std::int64_t>(v[i]));
            if (!isSigned) bits = static_cast<std::uint64_t>(v[i]);
            (s->*beFn)(bits, size);
        }
    }
}

void MemorySaveState::writeI1(void *d, const char *v, int n) {
    auto *s = saver(d);
    if (s->state_.ioMode == LWIO_BINARY) {
        if (v && n > 0) s->data_.append(v, static_cast<std::size_t>(n));
        return;
    }
    std::vector<signed char> tmp;
    if (v && n > 0) tmp.assign(reinterpret_cast<const signed char *>(v), reinterpret_cast<const signed char *>(v) + n);
    writeInts(s, s->state_.ioMode, tmp.empty() ? nullptr : tmp.data(), n, 1, true, &MemorySaveState::line,
              &MemorySaveState::bytesBE);
}
void MemorySaveState::writeI2(void *d, const short *v, int n) {
    auto *s = saver(d);
    writeInts(s, s->state_.ioMode, v, n, 2, true, &MemorySaveState::line, &MemorySaveState::bytesBE);
}
void MemorySaveState::writeI4(void *d, const int *v, int n) {
    auto *s = saver(d);
    writeInts(s, s->state_.ioMode, v, n, 4, true, &MemorySaveState::line, &MemorySaveState::bytesBE);
}
void MemorySaveState::writeU1(void *d, const unsigned char *v, int n) {
    auto *s = saver(d);
    writeInts(s, s->state_.ioMode, v, n, 1, false, &MemorySaveState::line, &MemorySaveState::bytesBE);
}
void MemorySaveState::writeU2(void *d, const unsigned short *v, int n) {
    auto *s = saver(d);
    writeInts(s, s->state_.ioMode, v, n, 2, false, &MemorySaveState::line, &MemorySaveState::bytesBE);
}
void MemorySaveState::writeU4(void *d, const unsigned int *v, int n) {
    auto *s = saver(d);
    writeInts(s, s->state_.ioMode, v, n, 4, false, &MemorySaveState::line, &MemorySaveState::bytesBE);
}

namespace {

// Reals: in ASCII one line of "%.17g" words, in binary the IEEE bits
// big-endian (Bits: the unsigned integer of the real's width).
template <typename Bits, typename Real>
void writeReals(MemorySaveState *s, int ioMode, const Real *v, int n,
                void (MemorySaveState::*line)(const std::string &),
                void (MemorySaveState::*bytesBE)(std::uint64_t, int)) {
    if (ioMode == LWIO_ASCII) {
        std::string text;
        for (int i = 0; v && i < n; ++i) {
            if (i) text += ' ';
            text += fmt("%.17g", static_cast<double>(v[i]));
        }
        (s->*line)(text);
        return;
    }
    for (int i = 0; v && i < n; ++i) {
        Bits bits;
        std::memcpy(&bits, &v[i], sizeof bits);
        (s->*bytesBE)(bits, static_cast<int>(sizeof bits));
    }
}

} // namespace

void MemorySaveState::writeFP(void *d, const float *v, int n) {
    auto *s = saver(d);
    writeReals<std::uint32_t>(s, s->state_.ioMode, v, n, &MemorySaveState::line, &MemorySaveState::bytesBE);
}

void MemorySaveState::writeDP(void *d, const double *v, int n) {
    auto *s = saver(d);
    writeReals<std::uint64_t>(s, s->state_.ioMode, v, n, &MemorySaveState::line, &MemorySaveState::bytesBE);
}

void MemorySaveState::writeStr(void *d, const char *str) {
    auto *s = saver(d);
    std::string text = str ? str : "";
    if (s->state_.ioMode == LWIO_ASCII) {
        // A newline inside the value would split it into two lines on reading.
        for (char &c : text)
            if (c == '\n') c = ' ';
        s->line(text);
    } else {
        s->data_ += text;
        s->data_ += '\0';
    }
}

void MemorySaveState::writeID(void *d, const LWBlockIdent *ident) {
    auto *s = saver(d);
    if (!ident) return;
    if (s->state_.ioMode == LWIO_ASCII)
        s->line(idText(ident));
    else
        s->bytesBE(ident->id, 4);
}

void MemorySaveState::beginBlk(void *d, const LWBlockIdent *ident, int /*leaf*/) {
    auto *s = saver(d);
    if (!ident) return;
    if (s->state_.ioMode == LWIO_ASCII) {
        s->line("{ " + idText(ident));
        s->blocks_.push_back(0);
    } else {
        s->bytesBE(ident->id, 4);
        s->blocks_.push_back(s->data_.size());
        s->bytesBE(0, 4);  // length, patched by endBlk
    }
}

void MemorySaveState::endBlk(void *d) {
    auto *s = saver(d);
    if (s->blocks_.empty()) return;
    std::size_t at = s->blocks_.back();
    s->blocks_.pop_back();
    if (s->state_.ioMode == LWIO_ASCII) {
        s->line("}");
        return;
    }
    std::uint64_t len = s->data_.size() - (at + 4);
    for (int i = 0; i < 4; ++i) s->data_[at + static_cast<std::size_t>(i)] = static_cast<char>((len >> (8 * (3 - i))) & 0xFF);
}

int MemorySaveState::depthFn(void *d) { return saver(d)->depth(); }

// ---------------------------------------------------------------- loading

MemoryLoadState::MemoryLoadState(const std::string &bytes, int ioMode) : data_(bytes) { init(ioMode); }

MemoryLoadState::MemoryLoadState(const MemorySaveState &saved) : data_(saved.bytes()) { init(saved.ioMode()); }

void MemoryLoadState::init(int ioMode) {
    // In the record's field order.
    state_ = LWLoadState{ioMode == LWIO_BINARY ? LWIO_BINARY : LWIO_ASCII,
                         this, read, readI1, readI2, readI4, readU1, readU2, readU4, readFP, readStr, readID,
                         findBlk, endBlk, depthFn, readDP};
}

static MemoryLoadState *loader(void *d) { return static_cast<MemoryLoadState *>(d); }

std::size_t MemoryLoadState::limit() const {
    if (state_.ioMode == LWIO_ASCII || ends_.empty()) return data_.size();
    return ends_.back() < data_.size() ? ends_.back() : data_.size();
}

bool MemoryLoadState::peekLine(std::string &out) const {
    if (pos_ >= data_.size()) return false;
    std::size_t nl = data_.find('\n', pos_);
    if (nl == std::string::npos) nl = data_.size();
    out = data_.substr(pos_, nl - pos_);
    return true;
}

// Value reads never consume the line that closes the current block, so a
// plug-in that reads more than it wrote cannot walk out of its block.
bool MemoryLoadState::nextLine(std::string &out) {
    if (!peekLine(out)) return false;
    if (!ends_.empty() && out == "}") return false;
    std::size_t nl = data_.find('\n', pos_);
    pos_ = nl == std::string::npos ? data_.size() : nl + 1;
    return true;
}

void MemoryLoadState::skipBlockRest() {
    int level = 1;
    std::string text;
    while (level > 0 && peekLine(text)) {
        std::size_t e = data_.find('\n', pos_);
        pos_ = e == std::string::npos ? data_.size() : e + 1;
        if (text == "}")
            --level;
        else if (text.compare(0, 2, "{ ") == 0)
            ++level;
    }
}

bool MemoryLoadState::takeBE(int size, std::uint64_t &out) {
    std::size_t lim = limit();
    if (pos_ > lim || lim - pos_ < static_cast<std::size_t>(size)) return false;
    std::uint64_t v = 0;
    for (int i = 0; i < size; ++i) v = (v << 8) | static_cast<unsigned char>(data_[pos_ + static_cast<std::size_t>(i)]);
    pos_ += static_cast<std::size_t>(size);
    out = v;
    return true;
}

// Up to n values: in ASCII the words of one line, each read by parse
// (false ends the run); in binary big-endian fields of `size` bytes, each
// turned into a value by fromBits.
template <typename T, typename Parse, typename FromBits>
int MemoryLoadState::readValues(T *out, int n, int size, Parse parse, FromBits fromBits) {
    if (!out || n <= 0) return 0;
    if (state_.ioMode == LWIO_ASCII) {
        std::string text;
        if (!nextLine(text)) return 0;
        auto words = splitWords(text);
        int got = 0;
        for (const auto &w : words) {
            if (got >= n) break;
            if (!parse(w, out[got])) break;
            ++got;
        }
        return got;
    }
    int got = 0;
    for (; got < n; ++got) {
        std::uint64_t bits;
        if (!takeBE(size, bits)) break;
        out[got] = fromBits(bits);
    }
    return got;
}

template <typename T> int MemoryLoadState::readSigned(T *out, int n, int size) {
    auto parse = [](const std::string &w, T &to) {
        long long v;
        if (!parseSigned(w, std::numeric_limits<T>::min(), std::numeric_limits<T>::max(), v)) return false;
        to = static_cast<T>(v);
        return true;
    };
    // Sign-extend from the stored width.
    auto fromBits = [size](std::uint64_t bits) {
        return static_cast<T>(static_cast<std::int64_t>(bits << (64 - 8 * size)) >> (64 - 8 * size));
    };
    return readValues(out, n, size, parse, fromBits);
}

template <typename T> int MemoryLoadState::readUnsigned(T *out, int n, int size) {
    auto parse = [](const std::string &w, T &to) {
        unsigned long long v;
        if (!parseHex(w, std::numeric_limits<T>::max(), v)) return false;
        to = static_cast<T>(v);
        return true;
    };
    return readValues(out, n, size, parse, [](std::uint64_t bits) { return static_cast<T>(bits); });
}

int MemoryLoadState::read(void *d, char *buf, int len) {
    auto *s = loader(d);
    if (!buf || len <= 0) return 0;
    if (s->state_.ioMode == LWIO_ASCII) {
        std::string text;
        if (!s->nextLine(text)) return 0;
        std::size_t n = text.size() < static_cast<std::size_t>(len) ? text.size() : static_cast<std::size_t>(len);
        std::memcpy(buf, text.data(), n);
        return static_cast<int>(n);
    }
    std::size_t lim = s->limit();
    std::size_t avail = s->pos_ < lim ? lim - s->pos_ : 0;
    std::size_t n = avail < static_cast<std::size_t>(len) ? avail : static_cast<std::size_t>(len);
    std::memcpy(buf, s->data_.data() + s->pos_, n);
    s->pos_ += n;
    return static_cast<int>(n);
}

int MemoryLoadState::readI1(void *d, char *v, int n) {
    auto *s = loader(d);
    if (s->state_.ioMode == LWIO_BINARY) return read(d, v, n);
    std::vector<signed char> tmp(n > 0 ? static_cast<std::size_t>(n) : 0);
    int got = s->readSigned(tmp.data(), n, 1);
    for (int i = 0; i < got; ++i) v[i] = static_cast<char>(tmp[static_cast<std::size_t>(i)]);
    return got;
}
int MemoryLoadState::readI2(void *d, short *v, int n) { return loader(d)->readSigned(v, n, 2); }
int MemoryLoadState::readI4(void *d, int *v, int n) { return loader(d)->readSigned(v, n, 4); }
int MemoryLoadState::readU1(void *d, unsigned char *v, int n) { return loader(d)->readUnsigned(v, n, 1); }
int MemoryLoadState::readU2(void *d, unsigned short *v, int n) { return loader(d)->readUnsigned(v, n, 2); }
int MemoryLoadState::readU4(void *d, unsigned int *v, int n) { return loader(d)->readUnsigned(v, n, 4); }

// Words as reals; binary fields hold the IEEE bits.
int MemoryLoadState::readFP(void *d, float *v, int n) {
    auto parse = [](const std::string &w, float &to) {
        double x;
        if (!parseReal(w, x)) return false;
        to = static_cast<float>(x);
        return true;
    };
    auto fromBits = [](std::uint64_t bits) {
        const std::uint32_t b32 = static_cast<std::uint32_t>(bits);
        float f;
        std::memcpy(&f, &b32, 4);
        return f;
    };
    return loader(d)->readValues(v, n, 4, parse, fromBits);
}

int MemoryLoadState::readDP(void *d, double *v, int n) {
    auto fromBits = [](std::uint64_t bits) {
        double x;
        std::memcpy(&x, &bits, 8);
        return x;
    };
    return loader(d)->readValues(v, n, 8, [](const std::string &w, double &to) { return parseReal(w, to); }, fromBits);
}

int MemoryLoadState::readStr(void *d, char *buf, int max) {
    auto *s = loader(d);
    if (!buf || max <= 0) return 0;
    std::string text;
    if (s->state_.ioMode == LWIO_ASCII) {
        if (!s->nextLine(text)) {
            buf[0] = '\0';
            return 0;
        }
    } else {
        std::size_t lim = s->limit();
        std::size_t start = s->pos_;
        std::size_t end = start;
        while (end < lim && s->data_[end] != '\0') ++end;
        if (end >= lim) {  // no terminator inside the block: not a string
            s->pos_ = lim;
            buf[0] = '\0';
            return 0;
        }
        text = s->data_.substr(start, end - start);
        s->pos_ = end + 1;
    }
    std::size_t n = text.size() < static_cast<std::size_t>(max - 1) ? text.size() : static_cast<std::size_t>(max - 1);
    std::memcpy(buf, text.data(), n);
    buf[n] = '\0';
    return static_cast<int>(n);
}

LWID MemoryLoadState::readID(void *d, const LWBlockIdent *list) {
    auto *s = loader(d);
    if (s->state_.ioMode == LWIO_ASCII) {
        std::string text;
        if (!s->nextLine(text)) return 0;
        return matchToken(list, text);
    }
    std::uint64_t id;
    if (!s->takeBE(4, id)) return 0;
    return matchId(list, static_cast<LWID>(id));
}

LWID MemoryLoadState::findBlk(void *d, const LWBlockIdent *list) {
    auto *s = loader(d);
    if (s->state_.ioMode == LWIO_ASCII) {
        std::string text;
        while (s->peekLine(text)) {
            if (text == "}") return 0;  // end of the enclosing block
            std::size_t nl = s->data_.find('\n', s->pos_);
            s->pos_ = nl == std::string::npos ? s->data_.size() : nl + 1;
            if (text.compare(0, 2, "{ ") != 0) continue;  // stray data of the enclosing block
            LWID id = matchToken(list, text.substr(2));
            if (id) {
                s->ends_.push_back(0);
                return id;
            }
            // Skip the unwanted block with everything nested in it.
            s->skipBlockRest();
        }
        return 0;
    }
    for (;;) {
        std::size_t lim = s->limit();
        std::uint64_t id, len;
        if (s->pos_ > lim || lim - s->pos_ < 8) {
            s->pos_ = lim > s->pos_ ? lim : s->pos_;
            return 0;
        }
        s->takeBE(4, id);
        s->takeBE(4, len);
        if (len > lim - s->pos_) {  // length runs past the enclosing block: corrupt
            s->pos_ = lim;
            return 0;
        }
        std::size_t bodyEnd = s->pos_ + static_cast<std::size_t>(len);
        if (LWID hit = matchId(list, static_cast<LWID>(id))) {
            s->ends_.push_back(bodyEnd);
            return hit;
        }
        s->pos_ = bodyEnd;
    }
}

void MemoryLoadState::endBlk(void *d) {
    auto *s = loader(d);
    if (s->ends_.empty()) return;
    if (s->state_.ioMode == LWIO_ASCII) {
        s->skipBlockRest();
    } else {
        std::size_t end = s->ends_.back();
        if (end > s->data_.size()) end = s->data_.size();
        if (s->pos_ < end) s->pos_ = end;
    }
    s->ends_.pop_back();
}

int MemoryLoadState::depthFn(void *d) { return loader(d)->depth(); }

}  // namespace standin
