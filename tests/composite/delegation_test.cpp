// The delegation library against a scripted item service and evaluation
// service: the camera list, evaluator life per tile, call order and results.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "composite/delegation.h"

namespace {

using namespace lentara;

// ---- scripted scene: camera items are indices into gCameras -----------------
std::vector<std::string> gCameras;
std::vector<std::string> gCalls; // "create A", "init #1 1", ...
int gNextEvaluator = 0;
int gPreviewResult[16];
double gLastFilm[2];
double gRayValue = 1.0;

LWItemID ItemOf(std::size_t i) { return reinterpret_cast<LWItemID>(i + 1); }
std::size_t IndexOf(LWItemID id) { return reinterpret_cast<std::size_t>(id) - 1; }
int EvalNumber(LWCameraEvaluatorID e) { return static_cast<int>(reinterpret_cast<std::intptr_t>(e)); }

LWItemID First(LWItemType type, LWItemID) { return type == LWI_CAMERA && !gCameras.empty() ? ItemOf(0) : nullptr; }
LWItemID Next(LWItemID id) { return IndexOf(id) + 1 < gCameras.size() ? ItemOf(IndexOf(id) + 1) : nullptr; }
const char *Name(LWItemID id) { return gCameras[IndexOf(id)].c_str(); }

LWCameraEvaluatorID Create(LWItemID item) {
    gCalls.push_back("create " + gCameras[IndexOf(item)]);
    return reinterpret_cast<LWCameraEvaluatorID>(static_cast<std::intptr_t>(++gNextEvaluator));
}
std::string Ev(LWCameraEvaluatorID e) { return "#" + std::to_string(EvalNumber(e)); }
void Destroy(LWCameraEvaluatorID e) { gCalls.push_back("destroy " + Ev(e)); }
LWError Init(LWCameraEvaluatorID e, int mode) {
    gCalls.push_back("init " + Ev(e) + " " + std::to_string(mode));
    return "init failed"; // never passed on
}
void CleanUp(LWCameraEvaluatorID e) { gCalls.push_back("cleanUp " + Ev(e)); }
LWError NewTime(LWCameraEvaluatorID e, LWFrame f, LWTime t) {
    gCalls.push_back("newTime " + Ev(e) + " " + std::to_string(f) + " " + std::to_string(t));
    return "new time failed";
}
int Preview(LWCameraEvaluatorID e, double, double, LWDMatrix4 m) {
    gCalls.push_back("preview " + Ev(e));
    m[0][0] = EvalNumber(e);
    return gPreviewResult[EvalNumber(e) % 16];
}
LWError NewFrame(LWCameraEvaluatorID e) {
    gCalls.push_back("newFrame " + Ev(e));
    return nullptr;
}
int Evaluate(LWCameraEvaluatorID e, double fx, double fy, double, double, double, LWCameraRay *ray) {
    gCalls.push_back("evaluate " + Ev(e));
    gLastFilm[0] = fx;
    gLastFilm[1] = fy;
    for (int i = 0; i < 3; ++i) ray->rayPos[i] = ray->rayDir[i] = ray->filmNorm[i] = gRayValue;
    return LWCAMTYPEEVAL_RAY;
}

LWItemInfo gItemInfo{};
LWCameraEvaluationFuncs gEval{Create, Destroy, Init, CleanUp, NewTime, Preview, NewFrame, Evaluate};

class Delegation : public ::testing::Test {
protected:
    void SetUp() override {
        gItemInfo = LWItemInfo{};
        gItemInfo.first = First;
        gItemInfo.next = Next;
        gItemInfo.name = Name;
        svc.iteminfo = &gItemInfo;
        svc.camevalfuncs = &gEval;
        gCalls.clear();
        gNextEvaluator = 0;
        gRayValue = 1.0;
        for (int &r : gPreviewResult) r = 1;
    }
    std::vector<std::string> List(LWItemID carrier) {
        std::vector<std::string> names;
        const int n = CameraListCount(svc, carrier);
        for (int i = 0; i < n; ++i) names.push_back(CameraListName(svc, carrier, i));
        return names;
    }
    HostServices svc;
};

using Names = std::vector<std::string>;

TEST_F(Delegation, CameraListLeavesOutOnlyTheCarrier) {
    gCameras = {"A", "B", "C"};
    EXPECT_EQ(List(ItemOf(0)), (Names{"(none)", "B", "C"}));
    EXPECT_EQ(List(ItemOf(1)), (Names{"(none)", "A", "C"}));
    EXPECT_EQ(List(ItemOf(2)), (Names{"(none)", "A", "B"}));
    // With B the carrier: choice 2 is C, choice 3 names nothing.
    EXPECT_EQ(getItemByIndex(svc, ItemOf(1), 1), ItemOf(2));
    EXPECT_EQ(getItemByIndex(svc, ItemOf(1), 0), ItemOf(0));
    EXPECT_EQ(getItemByIndex(svc, ItemOf(1), 2), nullptr);
    EXPECT_EQ(getItemByIndex(svc, ItemOf(1), -1), nullptr);
    EXPECT_EQ(getItemByIndex(svc, ItemOf(1), -7), nullptr);
    // Names past the end or below 1 are "(none)".
    EXPECT_STREQ(CameraListName(svc, ItemOf(1), 3), "(none)");
    EXPECT_STREQ(CameraListName(svc, ItemOf(1), -2), "(none)");
}

TEST_F(Delegation, CameraListWithoutOtherCamerasOrService) {
    gCameras = {"Only"};
    EXPECT_EQ(List(ItemOf(0)), (Names{"(none)"}));
    gCameras = {"A", "B"};
    svc.iteminfo = nullptr;
    EXPECT_EQ(CameraListCount(svc, ItemOf(0)), 1);
    EXPECT_STREQ(CameraListName(svc, ItemOf(0), 1), "(none)");
    EXPECT_EQ(getItemByIndex(svc, ItemOf(0), 0), nullptr);
}

TEST_F(Delegation, PanelPickReplacesTheEvaluator) {
    gCameras = {"A", "Carrier", "C"};
    Tile tile;
    PickCamera(svc, ItemOf(1), tile, 2);
    EXPECT_EQ(tile.tileChoice, 2);
    EXPECT_EQ(tile.tileItem, ItemOf(2));
    EXPECT_EQ(EvalNumber(tile.tileEvaluator), 1);
    PickCamera(svc, ItemOf(1), tile, 1);
    EXPECT_EQ(tile.tileItem, ItemOf(0));
    // Picking "(none)" or a position past the end destroys and stores 0.
    PickCamera(svc, ItemOf(1), tile, 5);
    EXPECT_EQ(tile.tileChoice, 0);
    EXPECT_EQ(tile.tileEvaluator, nullptr);
    PickCamera(svc, ItemOf(1), tile, std::numeric_limits<int>::min());
    EXPECT_EQ(tile.tileChoice, 0);
    EXPECT_EQ(gCalls, (Names{"create C", "destroy #1", "create A", "destroy #2"})); // no init on a pick
    // Without a carrier nothing is created.
    PickCamera(svc, nullptr, tile, 1);
    EXPECT_EQ(tile.tileChoice, 0);
    EXPECT_EQ(tile.tileEvaluator, nullptr);
}

TEST_F(Delegation, PickWithoutTheServiceKeepsTheChoiceAndStaysEmpty) {
    gCameras = {"A", "Carrier"};
    svc.camevalfuncs = nullptr;
    Tile tile;
    PickCamera(svc, ItemOf(1), tile, 1);
    EXPECT_EQ(tile.tileChoice, 1);
    EXPECT_EQ(tile.tileEvaluator, nullptr);
    LWCameraRay ray{};
    EXPECT_EQ(EvaluateTile(svc, tile, 0, 0, 0, 0, 0, &ray), 0);
}

TEST_F(Delegation, RenderProtocolOrderOverTheTiles) {
    gCameras = {"A", "B", "Carrier", "D"};
    Tile tiles[3];
    tiles[0].tileChoice = 3; // D
    tiles[1].tileChoice = 7; // names nothing: stays stored
    tiles[2].tileChoice = 1; // A
    PickCamera(svc, ItemOf(2), tiles[2], 1);
    gCalls.clear();

    InitTiles(svc, ItemOf(2), tiles, 3, LWINIT_RENDER);
    EXPECT_EQ(gCalls, (Names{"create D", "destroy #1", "create A", "init #2 1", "init #3 1"}));
    EXPECT_EQ(tiles[1].tileChoice, 7);
    EXPECT_EQ(tiles[1].tileEvaluator, nullptr);

    gCalls.clear();
    NewTimeTiles(svc, tiles, 3, 4, 0.5);
    NewFrameTiles(svc, tiles, 3, 4, 0.5);
    EXPECT_EQ(gCalls, (Names{"newTime #2 4 0.500000", "newTime #3 4 0.500000", "newTime #2 4 0.500000",
                             "newFrame #2", "newTime #3 4 0.500000", "newFrame #3"}));

    gCalls.clear();
    CleanUpTiles(svc, tiles, 3);
    DestroyTiles(svc, tiles, 3);
    EXPECT_EQ(gCalls, (Names{"cleanUp #2", "cleanUp #3", "destroy #2", "destroy #3"}));
    EXPECT_EQ(tiles[0].tileEvaluator, nullptr);
    EXPECT_EQ(tiles[2].tileEvaluator, nullptr);
}

TEST_F(Delegation, PreviewReturnsTheHighestNumberedTilesResult) {
    gCameras = {"A", "Carrier"};
    Tile tiles[4];
    LWDMatrix4 m = {{7, 0, 0, 0}};
    EXPECT_EQ(PreviewTiles(svc, tiles, 4, 0, 0, m), 0);
    EXPECT_EQ(m[0][0], 7.0); // untouched without a tile camera

    PickCamera(svc, ItemOf(1), tiles[0], 1); // #1
    PickCamera(svc, ItemOf(1), tiles[2], 1); // #2
    gPreviewResult[1] = 1;
    gPreviewResult[2] = 0;
    gCalls.clear();
    EXPECT_EQ(PreviewTiles(svc, tiles, 4, 0, 0, m), 0);
    EXPECT_EQ(m[0][0], 2.0); // the same matrix went to tile 0, then tile 2
    EXPECT_EQ(gCalls, (Names{"preview #1", "preview #2"}));
    DestroyTiles(svc, tiles, 4);
}

TEST_F(Delegation, EvaluateRefusesBadInputAndNonFiniteRays) {
    gCameras = {"A", "Carrier"};
    Tile tile, empty;
    PickCamera(svc, ItemOf(1), tile, 1);
    LWCameraRay ray{};
    EXPECT_EQ(EvaluateTile(svc, tile, 0.001, -0.002, 0, 0, 0.5, &ray), 1);
    EXPECT_EQ(gLastFilm[0], 0.001);
    EXPECT_EQ(gLastFilm[1], -0.002);

    ray.rayPos[0] = 42.0;
    EXPECT_EQ(EvaluateTile(svc, empty, 0, 0, 0, 0, 0, &ray), 0);
    EXPECT_EQ(ray.rayPos[0], 42.0); // an empty tile writes nothing
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    gCalls.clear();
    EXPECT_EQ(EvaluateTile(svc, tile, nan, 0, 0, 0, 0, &ray), 0);
    EXPECT_EQ(EvaluateTile(svc, tile, 0, inf, 0, 0, 0, &ray), 0);
    EXPECT_EQ(EvaluateTile(svc, tile, 0, 0, nan, 0, 0, &ray), 0);
    EXPECT_EQ(EvaluateTile(svc, tile, 0, 0, 0, 0, nan, &ray), 0);
    EXPECT_TRUE(gCalls.empty()); // the tile camera was never asked
    EXPECT_EQ(EvaluateTile(svc, tile, 0, 0, 0, 0, 0, nullptr), 0);

    gRayValue = nan; // a tile camera that writes a bad ray: reported as none
    EXPECT_EQ(EvaluateTile(svc, tile, 0, 0, 0, 0, 0, &ray), 0);
    DestroyTiles(svc, &tile, 1);
}

// The returned-ray check looks at each of the nine members: one bad value in
// any of them refuses the ray; the largest and smallest finite values do not.
TEST(ReturnedRay, EveryMemberIsChecked) {
    const double bad[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity()};
    const double fine[] = {std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
                           std::numeric_limits<double>::denorm_min(), -0.0};
    auto member = [](LWCameraRay &r, int i) -> double & {
        double *v[] = {r.rayPos, r.rayDir, r.filmNorm};
        return v[i / 3][i % 3];
    };
    for (int i = 0; i < 9; ++i) {
        for (double b : bad) {
            LWCameraRay r{};
            r.rayDir[2] = 1.0;
            member(r, i) = b;
            EXPECT_FALSE(RayIsUsable(r)) << "member " << i << " = " << b;
        }
        for (double f : fine) {
            LWCameraRay r{};
            r.rayDir[2] = 1.0;
            if (i != 5) member(r, i) = f; // member 5 keeps the direction from being zero
            EXPECT_TRUE(RayIsUsable(r)) << "member " << i << " = " << f;
        }
    }
    LWCameraRay r{};
    EXPECT_FALSE(RayIsUsable(r)); // a zero direction
    r.rayDir[0] = -0.0;
    EXPECT_FALSE(RayIsUsable(r));
    for (int i = 0; i < 3; ++i) {
        LWCameraRay d{};
        d.rayDir[i] = std::numeric_limits<double>::denorm_min();
        EXPECT_TRUE(RayIsUsable(d)) << "direction member " << i;
    }
    // Every member bad at once, and a NaN beside values that would cancel an
    // infinity in a plain sum.
    LWCameraRay all{};
    for (int i = 0; i < 9; ++i) member(all, i) = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(RayIsUsable(all));
    LWCameraRay mixed{};
    mixed.rayDir[2] = 1.0;
    mixed.rayPos[0] = std::numeric_limits<double>::infinity();
    mixed.filmNorm[0] = -std::numeric_limits<double>::infinity();
    EXPECT_FALSE(RayIsUsable(mixed));
}

// ---- scene block ----------------------------------------------------------
std::vector<unsigned int> gBlock;
std::size_t gReadPos;
void WriteU4(void *, const unsigned int *v, int n) { gBlock.insert(gBlock.end(), v, v + n); }
int ReadU4(void *, unsigned int *v, int n) {
    int got = 0;
    while (got < n && gReadPos < gBlock.size()) v[got++] = gBlock[gReadPos++];
    return got;
}

TEST_F(Delegation, ChoicesSavedAsReadAndShortBlocksKeepTheRest) {
    Tile tiles[3];
    tiles[0].tileChoice = 3;
    tiles[1].tileChoice = -2; // negative: saved back as read
    tiles[2].tileChoice = 0;
    LWSaveState save{};
    save.writeU4 = WriteU4;
    gBlock.clear();
    SaveChoices(&save, tiles, 3);
    EXPECT_EQ(gBlock, (std::vector<unsigned int>{3u, 0xFFFFFFFEu, 0u}));

    // Tiles that have cameras from earlier picks lose them: no tile renders
    // a camera other than its loaded choice names, and nothing is resolved.
    gCameras = {"A", "B", "C"};
    Tile loaded[3];
    PickCamera(svc, ItemOf(1), loaded[0], 1);
    PickCamera(svc, ItemOf(1), loaded[2], 2);
    ASSERT_NE(loaded[0].tileEvaluator, nullptr);
    ASSERT_NE(loaded[2].tileEvaluator, nullptr);
    gCalls.clear();
    LWLoadState load{};
    load.readU4 = ReadU4;
    gBlock.pop_back(); // a block one value short
    gReadPos = 0;
    LoadChoices(svc, &load, loaded, 3);
    EXPECT_EQ(loaded[0].tileChoice, 3);
    EXPECT_EQ(loaded[1].tileChoice, -2);
    EXPECT_EQ(loaded[2].tileChoice, 2); // kept
    for (const Tile &t : loaded) {
        EXPECT_EQ(t.tileItem, nullptr);
        EXPECT_EQ(t.tileEvaluator, nullptr);
    }
    EXPECT_EQ(gCalls.size(), 2u);
    for (const std::string &c : gCalls) EXPECT_EQ(c.rfind("destroy ", 0), 0u) << c;
    LWCameraRay ray{};
    EXPECT_EQ(EvaluateTile(svc, loaded[2], 0, 0, 0, 0, 0, &ray), 0);
}

struct Counted {
    explicit Counted(LWItemID) { ++alive; }
    ~Counted() { --alive; }
    static int alive;
};
int Counted::alive = 0;

TEST(OneAtATime, SecondCreationRefusedUntilTheFirstIsDestroyed) {
    unsigned char flag = 0;
    LWError err = nullptr;
    LWInstance a = CreateOneAtATime<Counted>(flag, "only one", nullptr, &err);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(err, nullptr);
    EXPECT_EQ(CreateOneAtATime<Counted>(flag, "only one", nullptr, &err), nullptr);
    EXPECT_STREQ(err, "only one");
    EXPECT_EQ(Counted::alive, 1);
    DestroyOneAtATime<Counted>(flag, nullptr); // ignored: the flag stays
    EXPECT_EQ(flag, 1);
    DestroyOneAtATime<Counted>(flag, a);
    EXPECT_EQ(flag, 0);
    LWInstance b = CreateOneAtATime<Counted>(flag, "only one", nullptr, nullptr);
    EXPECT_NE(b, nullptr);
    DestroyOneAtATime<Counted>(flag, b);
    EXPECT_EQ(Counted::alive, 0);
}

} // namespace
