#include "demo/Marble.h"

#include "effects/RenderVertex.h"
#include "geometry/MeshFile.h"
#include "geometry/Random.h"
#include "platform/EngineResult.h"
#include "platform/Timer.h"
#include "support/FakeApplication.h"

#include <gtest/gtest.h>

#include "support/GLDriverLeaks.h"
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

DWORD fakeNow = 0; // milliseconds
DWORD FakeClock() {
    return fakeNow;
}

// A 2 x 2 24-bit Windows bitmap; the loader recognises it by its content whatever the name.
std::vector<std::uint8_t> TinyBitmap() {
    std::vector<std::uint8_t> bytes(70, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
        }
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, 70);
    put32(10, 54);
    put32(14, 40);
    put32(18, 2);
    put32(22, 2);
    bytes[26] = 1;
    bytes[28] = 24;
    put32(34, 16);
    for (std::size_t i = 54; i < 70; ++i) {
        bytes[i] = static_cast<std::uint8_t>(0x40 + i);
    }
    return bytes;
}

const char* const textureFiles[] = {"Marble1.jpg",   "Marble2.jpg", "Marble3.jpg", "Marble4.jpg",
                                    "PeskyBack.jpg", "Wolk.jpg",    "Sterf.bmp"};
constexpr int marbleFaces = 4;       // the test's Hedra.msh is a tetrahedron
constexpr int backgroundTexture = 4; // index among the device's textures, in loading order
constexpr int bannerTexture = 6;

class MarbleScene : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { KeepGLDriverLoaded(); }

    void SetUp() override {
        SetTimeSourceForTesting(FakeClock);
        fakeNow = 0;
        demoClock.Restart();
        previous = fs::current_path();
        folder = fs::temp_directory_path() / ("vellomire-marble-" + std::to_string(getpid()));
        fs::create_directories(folder / "Data");
        fs::current_path(folder);
        WriteAllFiles();
        ASSERT_EQ(fake.Create(), 0);
        ThePuzzle().lastMoveTime = 0;
        ThePuzzle().lastStepTime = 0;
        ThePuzzle().resolvePending = false;
    }

    void TearDown() override {
        scene.Release();
        fs::current_path(previous);
        fs::remove_all(folder);
        SetTimeSourceForTesting(nullptr);
    }

    static void WriteAllFiles() {
        const D3DVECTOR positions[] = {{0, 1, 0}, {1, -1, -1}, {-1, -1, -1}, {0, -1, 1}};
        const MeshFace faces[] = {{0, 1, 2}, {0, 3, 1}, {0, 2, 3}, {1, 3, 2}};
        ASSERT_TRUE(WriteMeshFile("Data/Hedra.msh", positions, faces));
        const std::vector<std::uint8_t> bitmap = TinyBitmap();
        for (const char* name : textureFiles) {
            std::ofstream out(fs::path("Data") / name, std::ios::binary);
            out.write(reinterpret_cast<const char*>(bitmap.data()),
                      static_cast<std::streamsize>(bitmap.size()));
        }
    }

    RecordingDevice& Device() { return fake.Device(); }

    // Renders one frame at demo-clock and scene-clock time ms (both started at 0).
    SceneResult RenderAt(DWORD ms) {
        fakeNow = ms;
        Device().ClearCalls();
        drawsBefore = Device().Draws().size();
        return scene.Render(&demoClock, 0.0f);
    }

    // The draws of the last RenderAt.
    std::vector<RecordedDraw> FrameDraws() {
        const auto& all = Device().Draws();
        return {all.begin() + static_cast<std::ptrdiff_t>(drawsBefore), all.end()};
    }

    IDirect3DBaseTexture8* DeviceTexture(int index) { return Device().Textures().at(index); }

    static D3DCOLOR Diffuse(const RecordedDraw& draw) {
        RenderVertex vertex;
        std::memcpy(&vertex, draw.vertexData.data(), sizeof vertex);
        return vertex.diffuse;
    }

    static bool IsCloud(const RecordedDraw& draw) { return draw.primitiveCount == 250; }

    fs::path previous;
    fs::path folder;
    FakeApplication fake;
    Timer demoClock; // started at fake time 0
    Marble scene;
    std::size_t drawsBefore = 0;
};

TEST(MarbleTiming, FrameKindsFlashesAndFade) {
    using namespace marble_timing;
    EXPECT_TRUE(IsPuzzleFrame(25.7499f));
    EXPECT_FALSE(IsPuzzleFrame(25.75f));
    EXPECT_FALSE(IsPuzzleFrame(49.0f));
    EXPECT_TRUE(IsPuzzleFrame(49.01f));

    EXPECT_EQ(OpeningFlashGrey(0.0f), 190);
    EXPECT_EQ(OpeningFlashGrey(1.0f), 95);
    EXPECT_EQ(OpeningFlashGrey(2.0f), 0);
    EXPECT_EQ(ClosingFlashGrey(23.5f), 0);
    EXPECT_EQ(ClosingFlashGrey(25.75f), 180);

    EXPECT_EQ(CloudColour(39.99f), 0x00FFFFFFu);
    EXPECT_EQ(CloudColour(40.0f), 0xFFFFFFFFu);
    EXPECT_EQ(CloudColour(42.0f), 0x80808080u);
    EXPECT_EQ(CloudColour(43.999f), 0x01010101u);
    EXPECT_EQ(CloudColour(44.0f), 0x00000000u);
}

TEST_F(MarbleScene, RenderBeforeInitDrawsNothingAndLeavesThePuzzle) {
    SeedRandom(321);
    const int nextValue = Random();
    SeedRandom(321);
    const SceneResult result = RenderAt(1000);
    EXPECT_STREQ(result.text, "Scene not initialized.");
    EXPECT_STREQ(result.caption, "Marble (Scene)");
    EXPECT_EQ(Device().CountOf("Clear"), 0);
    EXPECT_TRUE(FrameDraws().empty());
    EXPECT_EQ(ThePuzzle().lastStepTime, 0);
    EXPECT_EQ(Random(), nextValue) << "no generator value drawn";
}

TEST_F(MarbleScene, SecondInitReportsAndChangesNothing) {
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    const BoardCell* board = ThePuzzle().board;
    const std::size_t textures = Device().Textures().size();
    EXPECT_EQ(textures, 7u);

    const SceneResult again = scene.Init(&fake.application);
    EXPECT_STREQ(again.text, "Scene already initialized.");
    EXPECT_STREQ(again.caption, "Marble (Scene)");
    EXPECT_EQ(ThePuzzle().board, board);
    EXPECT_EQ(Device().Textures().size(), textures);
    EXPECT_FALSE(RenderAt(0).Failed());
}

TEST_F(MarbleScene, EachFailingLoadNamesItsFileAndLeavesNothingBehind) {
    const struct {
        const char* file;
        const char* caption;
        EngineResult code;
    } cases[] = {
        {"Hedra.msh", "Marble (Scene): Tried to load mesh: Data\\Hedra.msh", -25},
        {"Marble1.jpg", "Marble (Scene): Tried to load texture: Data\\Marble1.jpg", -29},
        {"Marble2.jpg", "Marble (Scene): Tried to load texture: Data\\Marble2.jpg", -29},
        {"Marble3.jpg", "Marble (Scene): Tried to load texture: Data\\Marble3.jpg", -29},
        {"Marble4.jpg", "Marble (Scene): Tried to load texture: Data\\Marble4.jpg", -29},
        {"PeskyBack.jpg", "Marble (Scene): Tried to load texture: Data\\PeskyBack.jpg", -29},
        {"Wolk.jpg", "Marble (Scene): Tried to load texture: Data\\Wolk.jpg", -29},
        {"Sterf.bmp", "Marble (Scene): Tried to load texture: Data\\Sterf.bmp", -29},
    };
    std::size_t loadedBefore = 0; // textures load in the order of the table
    for (const auto& test : cases) {
        const std::size_t created = Device().Textures().size();
        fs::remove(fs::path("Data") / test.file);

        const SceneResult result = scene.Init(&fake.application);
        EXPECT_STREQ(result.text, DescribeEngineError(test.code)) << test.file;
        EXPECT_STREQ(result.caption, test.caption);
        EXPECT_EQ(Device().Textures().size() - created, loadedBefore) << test.file;
        for (RecordingTexture* texture : Device().Textures()) {
            EXPECT_TRUE(texture->released) << test.file;
        }
        EXPECT_EQ(ThePuzzle().board, nullptr) << test.file;
        EXPECT_STREQ(RenderAt(0).text, "Scene not initialized.") << test.file;

        WriteAllFiles();
        if (std::string(test.file) != "Hedra.msh") {
            ++loadedBefore;
        }
    }
    EXPECT_FALSE(scene.Init(&fake.application).Failed()) << "a later Init starts from scratch";
    scene.Release();
    scene.Release();
    for (RecordingTexture* texture : Device().Textures()) {
        EXPECT_TRUE(texture->released);
    }
}

TEST_F(MarbleScene, CloudContinuesTheSequenceThePuzzleReseeded) {
    SeedRandom(1); // the puzzle draws 41 and 18467: two marbles above, three below
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    RenderAt(0);
    RenderAt(30000);
    const std::vector<RecordedDraw> draws = FrameDraws();
    ASSERT_EQ(draws.size(), 3u);
    ASSERT_TRUE(IsCloud(draws[1]));

    SeedRandom(1);
    for (int fill = 0; fill < 10; ++fill) {
        Random();
    }
    for (int i = 0; i < 750; ++i) {
        RenderVertex vertex;
        std::memcpy(&vertex, draws[1].vertexData.data() + i * sizeof vertex, sizeof vertex);
        for (float coordinate : {vertex.position.x, vertex.position.y, vertex.position.z}) {
            ASSERT_EQ(coordinate, std::floor(coordinate)) << "vertex " << i;
            ASSERT_GE(coordinate, -5.0f);
            ASSERT_LE(coordinate, 6.0f);
            ASSERT_EQ(coordinate, static_cast<float>(6 - Random() % 12)) << "vertex " << i;
        }
    }
}

TEST_F(MarbleScene, FramesFollowTheSceneClock) {
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    fakeNow = 5000; // the scene clock starts at the first Render, whatever the demo clock
    demoClock.Restart();
    const struct {
        DWORD ms; // since the first frame
        bool cloud;
    } frames[] = {
        {0, false}, {25749, false}, {25750, true}, {40000, true}, {48999, true}, {49010, false},
    };
    for (const auto& frame : frames) {
        RenderAt(5000 + frame.ms);
        const std::vector<RecordedDraw> draws = FrameDraws();
        ASSERT_FALSE(draws.empty());
        EXPECT_EQ(IsCloud(draws.size() > 1 ? draws[1] : draws[0]), frame.cloud) << frame.ms;
        EXPECT_EQ(Device().Calls().front(), Call("Clear", 0, D3DCLEAR_TARGET, 0x00262626, 0, 0))
            << "each frame starts by clearing the colour only, to the backdrop grey";
    }
}

TEST_F(MarbleScene, FlashesAreAdditiveGreysOverThePuzzle) {
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    const struct {
        DWORD ms;
        D3DCOLOR flash;
    } frames[] = {{0, 0xBEBEBEBE}, {1000, 0x5F5F5F5F}, {2000, 0x00000000}, {23530, 0x03030303}};
    for (const auto& frame : frames) {
        RenderAt(frame.ms);
        const RecordedDraw last = FrameDraws().back();
        EXPECT_EQ(last.texture, nullptr) << frame.ms;
        EXPECT_EQ(last.RenderState(D3DRS_ALPHABLENDENABLE), TRUE) << frame.ms;
        EXPECT_EQ(Diffuse(last), frame.flash) << frame.ms;
    }
    RenderAt(10000);
    EXPECT_NE(FrameDraws().back().RenderState(D3DRS_ALPHABLENDENABLE), TRUE) << "no flash";
}

TEST_F(MarbleScene, CloudFrameDrawsBannerFoggedCloudBannerInItsColour) {
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    RenderAt(0);
    const struct {
        DWORD ms;
        D3DCOLOR colour, ambient, fog;
    } frames[] = {{30000, 0x00FFFFFF, 0x00131313, 0x00262626},
                  {40000, 0xFFFFFFFF, 0x00131313, 0x00262626},
                  {42000, 0x80808080, 0x00090909, 0x00131313},
                  {44000, 0x00000000, 0x00000000, 0x00000000}};
    for (const auto& frame : frames) {
        RenderAt(frame.ms);
        const std::vector<RecordedDraw> draws = FrameDraws();
        ASSERT_EQ(draws.size(), 3u);
        EXPECT_EQ(draws[0].texture, DeviceTexture(bannerTexture));
        EXPECT_EQ(draws[2].texture, DeviceTexture(bannerTexture));
        for (const RecordedDraw& draw : draws) {
            EXPECT_EQ(Diffuse(draw), frame.colour) << frame.ms;
            EXPECT_EQ(draw.RenderState(D3DRS_ALPHABLENDENABLE), TRUE);
        }
        EXPECT_EQ(draws[1].RenderState(D3DRS_FOGENABLE), TRUE);
        // The cloud's ambient light and fog colour fade with it, so the fade ends in black.
        EXPECT_EQ(draws[1].RenderState(D3DRS_AMBIENT), frame.ambient) << frame.ms;
        EXPECT_EQ(draws[1].RenderState(D3DRS_FOGCOLOR) & 0x00FFFFFF, frame.fog) << frame.ms;
        EXPECT_NE(draws[2].RenderState(D3DRS_FOGENABLE), TRUE);
    }
    EXPECT_TRUE(Device().Misuse().empty());
}

TEST_F(MarbleScene, CloudFramesLeaveTheBoardAlone) {
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    for (DWORD ms = 0; ms < 25000; ms += 100) {
        RenderAt(ms);
    }
    std::vector<BoardCell> before(ThePuzzle().board, ThePuzzle().board + boardCells);
    const std::int64_t lastStep = ThePuzzle().lastStepTime;
    for (DWORD ms = 25750; ms <= 49000; ms += 100) {
        RenderAt(ms);
    }
    EXPECT_EQ(std::vector<BoardCell>(ThePuzzle().board, ThePuzzle().board + boardCells), before);
    EXPECT_EQ(ThePuzzle().lastStepTime, lastStep);
}

TEST_F(MarbleScene, EmptyBoardDrawsTheBackgroundAndAFullBoardFiftyFiveMarbles) {
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    BoardCell* board = ThePuzzle().board;
    ThePuzzle().lastMoveTime = 1 << 30; // no step changes the board

    std::fill(board, board + boardCells, BoardCell{0});
    RenderAt(0);
    RenderAt(10000);
    std::vector<RecordedDraw> draws = FrameDraws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].texture, DeviceTexture(backgroundTexture));
    EXPECT_EQ(draws[0].RenderState(D3DRS_LIGHTING), FALSE);

    for (int cell = 0; cell < boardCells; ++cell) {
        board[cell] = static_cast<BoardCell>(1 + (cell * 7) % 4);
    }
    RenderAt(10016);
    draws = FrameDraws();
    ASSERT_EQ(draws.size(), 56u);
    for (int cell = 0; cell < boardCells; ++cell) {
        const RecordedDraw& marble = draws[1 + cell];
        EXPECT_EQ(marble.primitiveCount, static_cast<UINT>(marbleFaces));
        EXPECT_EQ(marble.texture, DeviceTexture(board[cell] - 1)) << "cell " << cell;
        EXPECT_NE(marble.RenderState(D3DRS_LIGHTING), FALSE);
        EXPECT_EQ(marble.RenderState(D3DRS_SPECULARENABLE), TRUE);
        EXPECT_EQ(marble.material.Specular.r, 2.0f);
        EXPECT_EQ(marble.material.Power, 3.0f);
    }
    EXPECT_TRUE(Device().Misuse().empty());
}

TEST_F(MarbleScene, FailedDrawsAreReportedAndTheFrameGoesOn) {
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    Device().cooperativeLevel = D3DERR_DEVICELOST;
    fake.application.Update();
    ASSERT_FALSE(fake.application.IsDeviceUsable());

    ::testing::internal::CaptureStderr();
    const SceneResult puzzle = RenderAt(0);
    const SceneResult cloud = RenderAt(30000);
    FlushDebugOutput();
    const std::string output = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(puzzle.Failed());
    EXPECT_FALSE(cloud.Failed());
    EXPECT_NE(output.find(DescribeEngineError(engine_code::deviceNotUsable)), std::string::npos);
}

} // namespace
