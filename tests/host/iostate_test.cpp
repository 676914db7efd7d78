#include "standin/iostate.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using standin::makeId;
using standin::MemoryLoadState;
using standin::MemorySaveState;

namespace {

// Writes one value of every kind, wrapped in a block, then a trailing string.
void writeSample(const LWSaveState *s) {
    const char i1[2] = {-3, 100};
    const short i2[2] = {-32768, 32767};
    const int i4[3] = {-2, 0, 2147483647};
    const unsigned char u1[1] = {0xAB};
    const unsigned short u2[1] = {0x1A2B};
    const unsigned int u4[2] = {0xDEADBEEFu, 7u};
    const float fp[2] = {0.1f, -1e30f};
    const double dp[2] = {0.1, 1.0 / 3.0};
    LWBlockIdent blk = {makeId("CAMR"), "Camera"};
    s->beginBlk(s->writeData, &blk, 0);
    s->writeI1(s->writeData, i1, 2);
    s->writeI2(s->writeData, i2, 2);
    s->writeI4(s->writeData, i4, 3);
    s->writeU1(s->writeData, u1, 1);
    s->writeU2(s->writeData, u2, 1);
    s->writeU4(s->writeData, u4, 2);
    s->writeFP(s->writeData, fp, 2);
    s->writeDP(s->writeData, dp, 2);
    s->writeStr(s->writeData, "hello world");
    s->endBlk(s->writeData);
    s->writeStr(s->writeData, "after");
}

void readSample(const LWLoadState *l) {
    LWBlockIdent ids[] = {{makeId("CAMR"), "Camera"}, {0, nullptr}};
    ASSERT_EQ(l->findBlk(l->readData, ids), makeId("CAMR"));
    EXPECT_EQ(l->depth(l->readData), 1);
    char i1[2];
    short i2[2];
    int i4[3];
    unsigned char u1;
    unsigned short u2;
    unsigned int u4[2];
    float fp[2];
    double dp[2];
    char str[32];
    ASSERT_EQ(l->readI1(l->readData, i1, 2), 2);
    EXPECT_EQ(i1[0], -3);
    EXPECT_EQ(i1[1], 100);
    ASSERT_EQ(l->readI2(l->readData, i2, 2), 2);
    EXPECT_EQ(i2[0], -32768);
    EXPECT_EQ(i2[1], 32767);
    ASSERT_EQ(l->readI4(l->readData, i4, 3), 3);
    EXPECT_EQ(i4[0], -2);
    EXPECT_EQ(i4[2], 2147483647);
    ASSERT_EQ(l->readU1(l->readData, &u1, 1), 1);
    EXPECT_EQ(u1, 0xAB);
    ASSERT_EQ(l->readU2(l->readData, &u2, 1), 1);
    EXPECT_EQ(u2, 0x1A2B);
    ASSERT_EQ(l->readU4(l->readData, u4, 2), 2);
    EXPECT_EQ(u4[0], 0xDEADBEEFu);
    EXPECT_EQ(u4[1], 7u);
    ASSERT_EQ(l->readFP(l->readData, fp, 2), 2);
    EXPECT_EQ(fp[0], 0.1f);
    EXPECT_EQ(fp[1], -1e30f);
    ASSERT_EQ(l->readDP(l->readData, dp, 2), 2);
    EXPECT_EQ(dp[0], 0.1);  // exact: round-trip precision
    EXPECT_EQ(dp[1], 1.0 / 3.0);
    ASSERT_EQ(l->readStr(l->readData, str, sizeof str), 11);
    EXPECT_STREQ(str, "hello world");
    l->endBlk(l->readData);
    EXPECT_EQ(l->depth(l->readData), 0);
    ASSERT_GT(l->readStr(l->readData, str, sizeof str), 0);
    EXPECT_STREQ(str, "after");
}

}  // namespace

TEST(SceneIO, TextFormatIsOneLinePerWrite) {
    MemorySaveState save(LWIO_ASCII);
    writeSample(save.state());
    std::vector<std::string> expected = {"{ Camera",
                                         "-3 100",
                                         "-32768 32767",
                                         "-2 0 2147483647",
                                         "AB",
                                         "1A2B",
                                         "DEADBEEF 7",
                                         "0.10000000149011612 -1.0000000150474662e+30",
                                         "0.10000000000000001 0.33333333333333331",
                                         "hello world",
                                         "}",
                                         "after"};
    EXPECT_EQ(save.lines(), expected);
    MemoryLoadState load(save);
    readSample(load.state());
    EXPECT_TRUE(load.atEnd());
}

TEST(SceneIO, BinaryFormatIsBigEndian) {
    MemorySaveState save(LWIO_BINARY);
    const int minusTwo = -2;
    const unsigned short u2 = 0x1A2B;
    const double one = 1.0;
    save.state()->writeI4(save.state()->writeData, &minusTwo, 1);
    save.state()->writeU2(save.state()->writeData, &u2, 1);
    save.state()->writeDP(save.state()->writeData, &one, 1);
    save.state()->writeStr(save.state()->writeData, "ab");
    const unsigned char expected[] = {0xFF, 0xFF, 0xFF, 0xFE, 0x1A, 0x2B, 0x3F, 0xF0, 0, 0, 0, 0, 0, 0, 'a', 'b', 0};
    ASSERT_EQ(save.bytes().size(), sizeof expected);
    EXPECT_EQ(0, std::memcmp(save.bytes().data(), expected, sizeof expected));

    MemorySaveState full(LWIO_BINARY);
    writeSample(full.state());
    MemoryLoadState load(full);
    readSample(load.state());
    EXPECT_TRUE(load.atEnd());
}

TEST(SceneIO, SameWritesGiveIdenticalBlocks) {
    for (int mode : {LWIO_ASCII, LWIO_BINARY}) {
        MemorySaveState a(mode), b(mode);
        writeSample(a.state());
        writeSample(b.state());
        EXPECT_EQ(a.bytes(), b.bytes());
    }
}

TEST(SceneIO, FindBlockSkipsOtherBlocksWithNesting) {
    for (int mode : {LWIO_ASCII, LWIO_BINARY}) {
        MemorySaveState save(mode);
        const LWSaveState *s = save.state();
        LWBlockIdent a = {makeId("AAAA"), "Alpha"}, b = {makeId("BBBB"), "Beta"}, in = {makeId("NEST"), "Nest"};
        int v = 1;
        s->beginBlk(s->writeData, &a, 0);
        s->beginBlk(s->writeData, &in, 1);
        s->writeI4(s->writeData, &v, 1);
        s->endBlk(s->writeData);
        s->endBlk(s->writeData);
        v = 42;
        s->beginBlk(s->writeData, &b, 1);
        s->writeI4(s->writeData, &v, 1);
        s->endBlk(s->writeData);
        EXPECT_EQ(save.depth(), 0);

        MemoryLoadState load(save);
        const LWLoadState *l = load.state();
        LWBlockIdent want[] = {b, {0, nullptr}};
        ASSERT_EQ(l->findBlk(l->readData, want), b.id) << "mode " << mode;
        int got = 0;
        EXPECT_EQ(l->readI4(l->readData, &got, 1), 1);
        EXPECT_EQ(got, 42);
        // Reading past the block's data yields nothing instead of leaving it.
        EXPECT_EQ(l->readI4(l->readData, &got, 1), 0);
        l->endBlk(l->readData);
        EXPECT_TRUE(load.atEnd());
        EXPECT_EQ(l->findBlk(l->readData, want), 0u);
    }
}

TEST(SceneIO, ReadersReportHowManyValuesTheyRead) {
    MemoryLoadState text("1 2\nabc\n0x10 zz\n", LWIO_ASCII);
    const LWLoadState *l = text.state();
    int v[3] = {0, 0, 0};
    EXPECT_EQ(l->readI4(l->readData, v, 3), 2);
    EXPECT_EQ(l->readI4(l->readData, v, 3), 0);  // garbage line
    unsigned int u[2];
    EXPECT_EQ(l->readU4(l->readData, u, 2), 1);
    EXPECT_EQ(u[0], 0x10u);
    EXPECT_EQ(l->readI4(l->readData, v, 1), 0);  // end of data

    short s;
    MemoryLoadState range("70000\n", LWIO_ASCII);
    EXPECT_EQ(range.state()->readI2(range.state()->readData, &s, 1), 0) << "out-of-range value accepted";

    const char bytes[] = {0, 0, 0, 5, 0, 0};
    MemoryLoadState bin(std::string(bytes, sizeof bytes), LWIO_BINARY);
    EXPECT_EQ(bin.state()->readI4(bin.state()->readData, v, 2), 1);
    EXPECT_EQ(v[0], 5);
    double d;
    EXPECT_EQ(bin.state()->readDP(bin.state()->readData, &d, 1), 0);
}

TEST(SceneIO, StringReadsStayInsideTheBuffer) {
    for (int mode : {LWIO_ASCII, LWIO_BINARY}) {
        MemorySaveState save(mode);
        save.state()->writeStr(save.state()->writeData, "abcdefgh");
        MemoryLoadState load(save);
        char buf[8];
        std::memset(buf, '#', sizeof buf);
        EXPECT_EQ(load.state()->readStr(load.state()->readData, buf, 4), 3);
        EXPECT_STREQ(buf, "abc");
        EXPECT_EQ(buf[4], '#');
    }
    MemoryLoadState unterminated(std::string("abc", 3), LWIO_BINARY);
    char buf[8] = "zzzzzzz";
    EXPECT_EQ(unterminated.state()->readStr(unterminated.state()->readData, buf, 8), 0);
    EXPECT_STREQ(buf, "");
}

// Feeds random and corrupted blocks to every reader with guarded buffers.
TEST(SceneIO, HostileBlocksNeverOverrunOrHang) {
    std::mt19937 rng(1234);
    MemorySaveState good(LWIO_BINARY);
    writeSample(good.state());
    MemorySaveState goodText(LWIO_ASCII);
    writeSample(goodText.state());
    for (int round = 0; round < 400; ++round) {
        int mode = round % 2 ? LWIO_BINARY : LWIO_ASCII;
        std::string bytes = mode == LWIO_BINARY ? good.bytes() : goodText.bytes();
        if (round % 4 < 2) {
            for (int k = 0; k < 1 + static_cast<int>(rng() % 8); ++k)
                bytes[rng() % bytes.size()] = static_cast<char>(rng());
            bytes.resize(rng() % (bytes.size() + 1));
        } else {
            bytes.resize(rng() % 64);
            for (char &c : bytes) c = static_cast<char>(rng() % 4 == 0 ? '\n' : rng());
        }
        MemoryLoadState load(bytes, mode);
        const LWLoadState *l = load.state();
        LWBlockIdent ids[] = {{makeId("CAMR"), "Camera"}, {makeId("NEST"), "Nest"}, {0, nullptr}};
        for (int step = 0; step < 64 && !load.atEnd(); ++step) {
            struct {
                char data[16];
                char canary[8];
            } g;
            std::memset(&g, 0x5A, sizeof g);
            switch (rng() % 8) {
            case 0: l->readI4(l->readData, reinterpret_cast<int *>(g.data), 4); break;
            case 1: l->readDP(l->readData, reinterpret_cast<double *>(g.data), 2); break;
            case 2: l->readStr(l->readData, g.data, sizeof g.data); break;
            case 3: l->read(l->readData, g.data, sizeof g.data); break;
            case 4: l->readU2(l->readData, reinterpret_cast<unsigned short *>(g.data), 8); break;
            case 5: l->findBlk(l->readData, ids); break;
            case 6: l->endBlk(l->readData); break;
            default: l->readFP(l->readData, reinterpret_cast<float *>(g.data), 4); break;
            }
            for (char c : g.canary) ASSERT_EQ(c, 0x5A) << "reader wrote past its buffer";
            ASSERT_LE(load.position(), bytes.size());
        }
    }
}

TEST(SceneIO, CorruptBinaryBlockLengthIsRejected) {
    const unsigned char bytes[] = {'C', 'A', 'M', 'R', 0x7F, 0xFF, 0xFF, 0xFF, 1, 2};
    MemoryLoadState load(std::string(reinterpret_cast<const char *>(bytes), sizeof bytes), LWIO_BINARY);
    LWBlockIdent ids[] = {{makeId("CAMR"), "Camera"}, {0, nullptr}};
    EXPECT_EQ(load.state()->findBlk(load.state()->readData, ids), 0u);
    EXPECT_EQ(load.depth(), 0);
}
