#include <gtest/gtest.h>
#include "afxwin.h"
#include <tlhelp32.h>
#include <string>
#include "ByteMutator.h"
#include "ControlsTestSupport.h"

using controlstest::GifBuilder;

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kGreen = RGB(0, 128, 0);
const std::vector<COLORREF> kPalette = {kWhite, kRed, kBlue, kGreen};

BOOL LoadBytes(TestPictureEx& picture, const std::string& bytes)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size() ? bytes.size() : 1);
    memcpy(GlobalLock(h), bytes.data(), bytes.size());
    GlobalUnlock(h);
    BOOL loaded = picture.LoadFromMemory(h, static_cast<DWORD>(bytes.size()));
    GlobalFree(h);
    return loaded;
}

// A map of colours: R, B, G for the palette's, '.' for the background colour
// and W for the fill of a new canvas.
char Letter(COLORREF c, COLORREF background)
{
    return c == kRed ? 'R' : c == kBlue ? 'B' : c == kGreen ? 'G' : c == background ? '.'
         : c == GetSysColor(COLOR_MENU) ? 'W' : '?';
}

std::string CanvasMap(TestPictureEx& picture)
{
    std::string map;
    for (int y = 0; y < picture.GetSize().cy; ++y, map += '\n')
        for (int x = 0; x < picture.GetSize().cx; ++x)
            map += Letter(picture.GetCanvasPixel(x, y), picture.GetBkColor());
    return map;
}

// Four frames on an 8 x 6 screen: disposals 1, 2, 3 and 0; the third has a
// transparent colour; a looping extension follows the first control extension.
std::string FourFrames()
{
    std::vector<BYTE> third = {0, 0, 3, 0, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3};
    return GifBuilder(8, 6, kPalette).Control(1, 10).Netscape().Image(0, 0, 8, 6, 1).Control(2, 3)
        .Image(2, 1, 4, 3, 2).Control(3, 20, 0).Image(4, 2, 4, 4, 0, third).Control(0, 5).Image(0, 0, 2, 2, 2)
        .Trailer().Bytes();
}

// Two frames that stay long on show, for the playing tests.
std::string SlowFrames(int delay)
{
    return GifBuilder(4, 4, kPalette).Control(1, delay).Image(0, 0, 4, 4, 1).Control(1, delay).Image(0, 0, 4, 4, 2)
        .Trailer().Bytes();
}

int ThreadsOfThisProcess()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry;
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL ok = Thread32First(snapshot, &entry); ok; ok = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snapshot);
    return count;
}

// Polls until the condition holds or the time is up.
template <class Condition>
bool WaitFor(Condition condition, DWORD timeoutMs = 20000)
{
    for (DWORD start = GetTickCount(); !condition(); Sleep(5))
        if (GetTickCount() - start > timeoutMs)
            return false;
    return true;
}

}  // namespace

TEST(PictureExTest, FramesComposeStepByStep)
{
    TestPictureEx picture;
    ASSERT_TRUE(LoadBytes(picture, FourFrames()));
    ASSERT_EQ(4, picture.GetFrameCount());
    EXPECT_EQ(8, picture.GetSize().cx);
    EXPECT_EQ(GetSysColor(COLOR_3DFACE), picture.GetBkColor());
    // Each frame: left, top, width, height, delay, disposal.
    std::string frames;
    for (int i = 0; i < 4; ++i) {
        const PictureFrame* f = picture.GetFrame(i);
        ASSERT_TRUE(f != nullptr && f->m_pPicture != nullptr) << i;
        for (int n : {f->m_nLeft, f->m_nTop, f->m_nWidth, f->m_nHeight, f->m_nDelay, f->m_nDisposal})
            frames += std::to_string(n) + ",";
    }
    EXPECT_EQ("0,0,8,6,10,1,2,1,4,3,3,2,4,2,4,4,20,3,0,0,2,2,5,0,", frames);
    const char* steps[] = {
        // A new canvas; frame 0 covers the screen.
        "WWWWWWWW\nWWWWWWWW\nWWWWWWWW\nWWWWWWWW\nWWWWWWWW\nWWWWWWWW\n",
        "RRRRRRRR\nRRRRRRRR\nRRRRRRRR\nRRRRRRRR\nRRRRRRRR\nRRRRRRRR\n",
        // Frame 0 is kept (disposal 1); frame 1 on top.
        "RRRRRRRR\nRRBBBBRR\nRRBBBBRR\nRRBBBBRR\nRRRRRRRR\nRRRRRRRR\n",
        // Frame 1 is cleared (disposal 2); frame 2 shows what lies under its transparent pixels.
        "RRRRRRRR\nRR....RR\nRR....GR\nRR..GGGG\nRRRRGGGG\nRRRRGGGG\n",
        // What lay under frame 2 is restored (disposal 3); frame 3.
        "BBRRRRRR\nBB....RR\nRR....RR\nRR....RR\nRRRRRRRR\nRRRRRRRR\n",
        // After the last frame the canvas is cleared and frame 0 shows again.
        "RRRRRRRR\nRRRRRRRR\nRRRRRRRR\nRRRRRRRR\nRRRRRRRR\nRRRRRRRR\n",
    };
    const int current[] = {0, 0, 1, 2, 3, 0};
    for (int step = 0; step < 6; ++step) {
        ASSERT_TRUE(step == 0 || picture.AdvanceFrame());
        EXPECT_EQ(current[step], picture.GetCurrentFrame()) << step;
        EXPECT_EQ(steps[step], CanvasMap(picture)) << step;
    }
    EXPECT_FALSE(picture.IsPlaying());
}

// Frames without a control extension (GIF87a) wait a short delay instead of
// for ever; short delays are raised to a tenth of a second.
TEST(PictureExTest, FrameWaits)
{
    TestPictureEx picture;
    ASSERT_TRUE(LoadBytes(picture, GifBuilder(4, 4, kPalette, false).Image(0, 0, 4, 4, 3).Image(1, 1, 2, 2, 1)
                                       .Trailer().Bytes()));
    ASSERT_EQ(2, picture.GetFrameCount());
    EXPECT_EQ(-1, picture.GetFrame(1)->m_nDelay);
    ASSERT_TRUE(picture.AdvanceFrame());
    ASSERT_TRUE(picture.AdvanceFrame());
    EXPECT_EQ("GGGG\nGRRG\nGRRG\nGGGG\n", CanvasMap(picture));
    PictureFrame frame;  // playing itself is PlayingStoppingAndResuming's
    const int delays[] = {-1, 0, 4, 5, 10, 65535};
    const DWORD waits[] = {100, 100, 100, 50, 100, 655350};
    for (int i = 0; i < 6; ++i) {
        frame.m_nDelay = delays[i];
        EXPECT_EQ(waits[i], TestPictureEx::GetFrameWait(frame)) << delays[i];
    }
}

TEST(PictureExTest, DamagedEmptyAndStillPictures)
{
    std::string gif = FourFrames();
    TestPictureEx picture;
    // Cut inside the second frame: one frame, shown as a still picture.
    ASSERT_TRUE(LoadBytes(picture, gif.substr(0, gif.find("\x21\xF9\x04\x08") + 12)));
    EXPECT_TRUE(picture.IsGIF());
    EXPECT_FALSE(picture.IsAnimatedGIF());
    // No frame, only a header, nothing, and bytes that are no picture.
    for (const std::string& bytes : {GifBuilder(4, 4, kPalette).Netscape().Trailer().Bytes(), gif.substr(0, 20),
                                     std::string(), std::string("this is not a picture at all")})
        EXPECT_FALSE(LoadBytes(picture, bytes));
    EXPECT_FALSE(picture.Draw());
    EXPECT_EQ(CLR_INVALID, picture.GetCanvasPixel(0, 0));
    // A size beyond the memory block is not believed.
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, gif.size());
    memcpy(GlobalLock(h), gif.data(), gif.size());
    GlobalUnlock(h);
    EXPECT_TRUE(picture.LoadFromMemory(h, 0x7FFFFFFF));
    EXPECT_EQ(4, picture.GetFrameCount());
    GlobalFree(h);
    EXPECT_FALSE(picture.LoadFromMemory(nullptr, 10));

    // A still picture draws once without a thread, at its own size.
    ASSERT_TRUE(LoadBytes(picture, GifBuilder(6, 5, kPalette).Control(0, 10).Image(0, 0, 6, 5, 2).Trailer().Bytes()));
    EXPECT_EQ(6, picture.GetSize().cx);
    EXPECT_FALSE(picture.AdvanceFrame());
    const int threads = ThreadsOfThisProcess();
    ASSERT_TRUE(picture.Draw());
    EXPECT_FALSE(picture.IsPlaying());
    EXPECT_EQ(threads, ThreadsOfThisProcess());
    EXPECT_EQ(kBlue, picture.GetCanvasPixel(5, 4));
    ASSERT_TRUE(LoadBytes(picture, classlibtest::MakeBmpFile(3, 2, [](int, int) { return kRed; })));
    EXPECT_FALSE(picture.IsGIF());
    EXPECT_EQ(3, picture.GetSize().cx);
    ASSERT_TRUE(picture.Draw());
    EXPECT_EQ(kRed, picture.GetCanvasPixel(2, 1));
    picture.UnLoad();
    EXPECT_EQ(0, picture.GetSize().cx);
    EXPECT_EQ(kWhite, picture.GetBkColor());

    // From files: the progress page's animation, a missing and an empty file.
    testsupport::TempDir dir;
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File("four.gif"), gif));
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File("empty.gif"), ""));
    EXPECT_TRUE(picture.Load(dir.File("four.gif").c_str()));
    EXPECT_EQ(4, picture.GetFrameCount());
    EXPECT_FALSE(picture.Load(dir.File("missing.gif").c_str()));
    EXPECT_FALSE(picture.Load(dir.File("empty.gif").c_str()));
    if (const char* source = getenv("KELDRIX_SOURCE")) {
        EXPECT_TRUE(picture.Load((std::string("Z:") + source + "/res/process-animation.gif").c_str()));
        EXPECT_EQ(8, picture.GetFrameCount());
    }
}

TEST(PictureExTest, PlayingStoppingAndResuming)
{
    TestPictureEx picture;
    ASSERT_TRUE(LoadBytes(picture, SlowFrames(1000)));
    const int threads = ThreadsOfThisProcess();
    // Step by hand to the second frame, then play: it resumes there.
    ASSERT_TRUE(picture.AdvanceFrame());
    ASSERT_TRUE(picture.AdvanceFrame());
    ASSERT_TRUE(picture.Draw());
    ASSERT_TRUE(WaitFor([&] { return picture.IsPlaying(); }));
    // A second Draw while playing starts no second thread, and no hand steps are taken.
    ASSERT_TRUE(picture.Draw());
    EXPECT_EQ(threads + 1, ThreadsOfThisProcess());
    EXPECT_FALSE(picture.AdvanceFrame());
    EXPECT_EQ(1, picture.GetCurrentFrame());
    EXPECT_EQ(kBlue, picture.GetCanvasPixel(0, 0));
    // Stop ends the thread at once, well before the frame's ten seconds.
    DWORD start = GetTickCount();
    picture.Stop();
    EXPECT_LT(GetTickCount() - start, 3000u);
    EXPECT_EQ(threads, ThreadsOfThisProcess());
    EXPECT_EQ(1, picture.GetCurrentFrame());
    // Unloaded while playing: the thread is gone before the canvas and the frames.
    ASSERT_TRUE(picture.Draw());
    ASSERT_TRUE(WaitFor([&] { return picture.IsPlaying(); }));
    picture.UnLoad();
    EXPECT_FALSE(picture.IsPlaying());
    EXPECT_EQ(threads, ThreadsOfThisProcess());
    EXPECT_FALSE(picture.Draw());
    {
        TestPictureEx playing;  // destroyed while playing
        ASSERT_TRUE(LoadBytes(playing, SlowFrames(0)));
        ASSERT_TRUE(playing.Draw());
        ASSERT_TRUE(WaitFor([&] { return playing.GetCurrentFrame() == 1; }));
    }
    EXPECT_EQ(threads, ThreadsOfThisProcess());
}

TEST(PictureExTest, FuzzedGifsLoadAndStepWithoutCrash)
{
    const std::string seeds[] = {
        FourFrames(),
        GifBuilder(4, 4, kPalette, false).Image(0, 0, 4, 4, 3).Image(1, 1, 2, 2, 1, {}, kPalette).Trailer().Bytes(),
    };
    testsupport::ByteMutator mutator(777u, 3, 12, false);
    int loaded = 0;
    for (int round = 0; round < 600; ++round) {
        std::string data = seeds[round % 2];
        mutator.Mutate(data);
        TestPictureEx picture;
        if (!LoadBytes(picture, data))
            continue;
        ++loaded;
        picture.Draw();
        picture.Stop();
        for (int step = 0; step < 5; ++step)
            picture.AdvanceFrame();
    }
    EXPECT_GT(loaded, 0);
}
