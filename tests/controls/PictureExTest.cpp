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

HGLOBAL ToGlobal(const std::string& bytes)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size() ? bytes.size() : 1);
    if (h) {
        memcpy(GlobalLock(h), bytes.data(), bytes.size());
        GlobalUnlock(h);
    }
    return h;
}

BOOL LoadBytes(TestPictureEx& picture, const std::string& bytes)
{
    HGLOBAL h = ToGlobal(bytes);
    BOOL loaded = picture.LoadFromMemory(h, (DWORD)bytes.size());
    GlobalFree(h);
    return loaded;
}

// The canvas as a map: R, B, G for the palette's colours, '.' for the
// background colour and W for the fill of a new canvas.
std::string CanvasMap(TestPictureEx& picture)
{
    std::string map;
    SIZE size = picture.GetSize();
    for (int y = 0; y < size.cy; ++y) {
        for (int x = 0; x < size.cx; ++x) {
            COLORREF c = picture.GetCanvasPixel(x, y);
            char ch = '?';
            if (c == kRed)
                ch = 'R';
            else if (c == kBlue)
                ch = 'B';
            else if (c == kGreen)
                ch = 'G';
            else if (c == picture.GetBkColor())
                ch = '.';
            else if (c == GetSysColor(COLOR_MENU))
                ch = 'W';
            map += ch;
        }
        map += '\n';
    }
    return map;
}

// Four frames on an 8 x 6 screen: disposals 1, 2, 3 and 0; the third has a
// transparent colour; a looping extension follows the first control extension.
std::string FourFrames()
{
    std::vector<BYTE> third = {0, 0, 3, 0,  3, 3, 3, 3,  3, 3, 3, 3,  3, 3, 3, 3};
    return GifBuilder(8, 6, kPalette)
        .Control(1, 10)
        .Netscape()
        .Image(0, 0, 8, 6, 1)
        .Control(2, 3)
        .Image(2, 1, 4, 3, 2)
        .Control(3, 20, 0)
        .Image(4, 2, 4, 4, 0, third)
        .Control(0, 5)
        .Image(0, 0, 2, 2, 2)
        .Trailer()
        .Bytes();
}

// Two frames that stay long on show, for the playing tests.
std::string SlowFrames(int delay)
{
    return GifBuilder(4, 4, kPalette)
        .Control(1, delay)
        .Image(0, 0, 4, 4, 1)
        .Control(1, delay)
        .Image(0, 0, 4, 4, 2)
        .Trailer()
        .Bytes();
}

int ThreadsOfThisProcess()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    THREADENTRY32 entry;
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL ok = Thread32First(snapshot, &entry); ok; ok = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId())
            ++count;
    }
    CloseHandle(snapshot);
    return count;
}

// Polls until the condition holds or the time is up.
template <class Condition>
bool WaitFor(Condition condition, DWORD timeoutMs = 5000)
{
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(5);
    }
    return true;
}

}  // namespace

TEST(PictureExTest, FramesComposeStepByStep)
{
    TestPictureEx picture;
    ASSERT_TRUE(LoadBytes(picture, FourFrames()));
    EXPECT_TRUE(picture.IsGIF());
    ASSERT_TRUE(picture.IsAnimatedGIF());
    ASSERT_EQ(4, picture.GetFrameCount());
    EXPECT_EQ(8, picture.GetSize().cx);
    EXPECT_EQ(6, picture.GetSize().cy);
    EXPECT_EQ(GetSysColor(COLOR_3DFACE), picture.GetBkColor());

    // Each frame: left, top, width, height, delay, disposal.
    std::string frames;
    for (int i = 0; i < 4; ++i) {
        const PictureFrame* f = picture.GetFrame(i);
        ASSERT_TRUE(f != nullptr && f->m_pPicture != nullptr) << i;
        frames += std::to_string(f->m_nLeft) + "," + std::to_string(f->m_nTop) + "," + std::to_string(f->m_nWidth) + ","
                  + std::to_string(f->m_nHeight) + "," + std::to_string(f->m_nDelay) + ","
                  + std::to_string(f->m_nDisposal) + " ";
    }
    EXPECT_EQ("0,0,8,6,10,1 2,1,4,3,3,2 4,2,4,4,20,3 0,0,2,2,5,0 ", frames);

    const char* steps[] = {
        // A new canvas.
        "WWWWWWWW\nWWWWWWWW\nWWWWWWWW\nWWWWWWWW\nWWWWWWWW\nWWWWWWWW\n",
        // Frame 0 covers the screen.
        "RRRRRRRR\nRRRRRRRR\nRRRRRRRR\nRRRRRRRR\nRRRRRRRR\nRRRRRRRR\n",
        // Frame 0 is kept (disposal 1); frame 1 on top.
        "RRRRRRRR\nRRBBBBRR\nRRBBBBRR\nRRBBBBRR\nRRRRRRRR\nRRRRRRRR\n",
        // Frame 1 is cleared to the background (disposal 2); frame 2 shows
        // what lies under its transparent pixels.
        "RRRRRRRR\nRR....RR\nRR....GR\nRR..GGGG\nRRRRGGGG\nRRRRGGGG\n",
        // What lay under frame 2 is restored (disposal 3); frame 3.
        "BBRRRRRR\nBB....RR\nRR....RR\nRR....RR\nRRRRRRRR\nRRRRRRRR\n",
        // After the last frame the canvas is cleared and frame 0 shows again.
        "RRRRRRRR\nRRRRRRRR\nRRRRRRRR\nRRRRRRRR\nRRRRRRRR\nRRRRRRRR\n",
        "RRRRRRRR\nRRBBBBRR\nRRBBBBRR\nRRBBBBRR\nRRRRRRRR\nRRRRRRRR\n",
    };
    const int current[] = {0, 0, 1, 2, 3, 0, 1};
    for (int step = 0; step < 7; ++step) {
        SCOPED_TRACE(step);
        if (step > 0) {
            ASSERT_TRUE(picture.AdvanceFrame());
        }
        EXPECT_EQ(current[step], picture.GetCurrentFrame());
        EXPECT_EQ(steps[step], CanvasMap(picture));
    }
    EXPECT_FALSE(picture.IsPlaying());
}

TEST(PictureExTest, Gif87aFramesWithoutControlExtensionWaitAShortDelay)
{
    std::string gif = GifBuilder(4, 4, kPalette, false)
                          .Image(0, 0, 4, 4, 3)
                          .Image(1, 1, 2, 2, 1)
                          .Trailer()
                          .Bytes();
    TestPictureEx picture;
    ASSERT_TRUE(LoadBytes(picture, gif));
    ASSERT_EQ(2, picture.GetFrameCount());
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(-1, picture.GetFrame(i)->m_nDelay);
        EXPECT_EQ(100u, TestPictureEx::GetFrameWait(*picture.GetFrame(i)));
    }
    ASSERT_TRUE(picture.AdvanceFrame());
    EXPECT_EQ("GGGG\nGGGG\nGGGG\nGGGG\n", CanvasMap(picture));
    ASSERT_TRUE(picture.AdvanceFrame());
    EXPECT_EQ("GGGG\nGRRG\nGRRG\nGGGG\n", CanvasMap(picture));

    // Played, such a frame moves on after its short wait instead of waiting for ever.
    ASSERT_TRUE(picture.Draw());
    EXPECT_TRUE(WaitFor([&] { return picture.GetCurrentFrame() == 0; }));
    EXPECT_TRUE(WaitFor([&] { return picture.GetCurrentFrame() == 1; }));
    picture.Stop();
    EXPECT_FALSE(picture.IsPlaying());
}

TEST(PictureExTest, FrameWaitFollowsTheDelay)
{
    PictureFrame frame;
    const int delays[] = {-1, 0, 4, 5, 10, 65535};
    const DWORD waits[] = {100, 100, 100, 50, 100, 655350};
    for (int i = 0; i < 6; ++i) {
        frame.m_nDelay = delays[i];
        EXPECT_EQ(waits[i], TestPictureEx::GetFrameWait(frame)) << delays[i];
    }
}

TEST(PictureExTest, DamagedAndEmptyData)
{
    std::string gif = FourFrames();
    TestPictureEx picture;
    // Cut inside the third frame: the first two play.
    std::string cut = gif.substr(0, gif.find("\x21\xF9\x04\x0D") + 12);
    ASSERT_TRUE(LoadBytes(picture, cut));
    EXPECT_EQ(2, picture.GetFrameCount());
    // Cut inside the second frame: one frame, shown as a still picture.
    cut = gif.substr(0, gif.find("\x21\xF9\x04\x08") + 12);
    ASSERT_TRUE(LoadBytes(picture, cut));
    EXPECT_TRUE(picture.IsGIF());
    EXPECT_FALSE(picture.IsAnimatedGIF());
    EXPECT_EQ(0, picture.GetFrameCount());
    // No frame at all, only a header, nothing, and bytes that are no picture.
    EXPECT_FALSE(LoadBytes(picture, GifBuilder(4, 4, kPalette).Netscape().Trailer().Bytes()));
    EXPECT_FALSE(picture.IsGIF());
    EXPECT_FALSE(LoadBytes(picture, gif.substr(0, 20)));
    EXPECT_FALSE(LoadBytes(picture, ""));
    EXPECT_FALSE(LoadBytes(picture, "this is not a picture at all"));
    EXPECT_FALSE(picture.Draw());
    EXPECT_EQ(CLR_INVALID, picture.GetCanvasPixel(0, 0));
    // A size beyond the memory block is not believed.
    HGLOBAL h = ToGlobal(gif);
    EXPECT_TRUE(picture.LoadFromMemory(h, 0x7FFFFFFF));
    EXPECT_EQ(4, picture.GetFrameCount());
    GlobalFree(h);
    EXPECT_FALSE(picture.LoadFromMemory(nullptr, 10));
}

TEST(PictureExTest, StillPicturesDrawOnceWithoutThread)
{
    // A one-frame GIF keeps its logical screen size.
    TestPictureEx picture;
    ASSERT_TRUE(LoadBytes(picture, GifBuilder(6, 5, kPalette).Control(0, 10).Image(0, 0, 6, 5, 2).Trailer().Bytes()));
    EXPECT_TRUE(picture.IsGIF());
    EXPECT_FALSE(picture.IsAnimatedGIF());
    EXPECT_EQ(6, picture.GetSize().cx);
    EXPECT_EQ(5, picture.GetSize().cy);
    EXPECT_FALSE(picture.AdvanceFrame());
    int threads = ThreadsOfThisProcess();
    ASSERT_TRUE(picture.Draw());
    EXPECT_FALSE(picture.IsPlaying());
    EXPECT_EQ(threads, ThreadsOfThisProcess());
    EXPECT_EQ(kBlue, picture.GetCanvasPixel(5, 4));

    // A bitmap takes its size from the picture at the screen's resolution.
    const int width = 3, height = 2;
    const std::string bmp = classlibtest::MakeBmpFile(width, height, [](int, int) { return kRed; });
    ASSERT_TRUE(LoadBytes(picture, bmp));
    EXPECT_FALSE(picture.IsGIF());
    EXPECT_EQ(width, picture.GetSize().cx);
    EXPECT_EQ(height, picture.GetSize().cy);
    ASSERT_TRUE(picture.Draw());
    EXPECT_EQ(kRed, picture.GetCanvasPixel(2, 1));

    picture.UnLoad();
    EXPECT_EQ(0, picture.GetSize().cx);
    EXPECT_EQ(kWhite, picture.GetBkColor());
}

TEST(PictureExTest, PlayingStoppingAndResuming)
{
    TestPictureEx picture;
    ASSERT_TRUE(LoadBytes(picture, SlowFrames(1000)));
    int threads = ThreadsOfThisProcess();
    ASSERT_GT(threads, 0);

    // Step by hand to the second frame, then play: it resumes there.
    ASSERT_TRUE(picture.AdvanceFrame());
    ASSERT_TRUE(picture.AdvanceFrame());
    ASSERT_EQ(1, picture.GetCurrentFrame());
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
    EXPECT_FALSE(picture.IsPlaying());
    EXPECT_EQ(threads, ThreadsOfThisProcess());
    EXPECT_EQ(1, picture.GetCurrentFrame());

    // Played again, then unloaded while playing: the thread is gone before
    // the canvas and the frames.
    ASSERT_TRUE(picture.Draw());
    ASSERT_TRUE(WaitFor([&] { return picture.IsPlaying(); }));
    picture.UnLoad();
    EXPECT_FALSE(picture.IsPlaying());
    EXPECT_EQ(0, picture.GetFrameCount());
    EXPECT_EQ(threads, ThreadsOfThisProcess());
    EXPECT_FALSE(picture.Draw());

    // Destroyed while playing.
    {
        TestPictureEx playing;
        ASSERT_TRUE(LoadBytes(playing, SlowFrames(0)));
        ASSERT_TRUE(playing.Draw());
        ASSERT_TRUE(WaitFor([&] { return playing.GetCurrentFrame() == 1; }));
    }
    EXPECT_EQ(threads, ThreadsOfThisProcess());
}

TEST(PictureExTest, ProgressPageAnimationsLoadFromFiles)
{
    const char* source = getenv("KELDRIX_SOURCE");
    if (!source)
        GTEST_SKIP() << "KELDRIX_SOURCE is not set";
    std::string res = std::string("Z:") + source + "/res/";
    TestPictureEx bar;
    ASSERT_TRUE(bar.Load((res + "Animated-Bar.gif").c_str()));
    EXPECT_EQ(30, bar.GetFrameCount());
    EXPECT_EQ(240, bar.GetSize().cx);
    EXPECT_EQ(12, bar.GetSize().cy);
    TestPictureEx spinner;
    ASSERT_TRUE(spinner.Load((res + "process-animation.gif").c_str()));
    EXPECT_EQ(8, spinner.GetFrameCount());
    EXPECT_EQ(16, spinner.GetSize().cx);
    EXPECT_EQ(16, spinner.GetSize().cy);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(100u, TestPictureEx::GetFrameWait(*spinner.GetFrame(i)));

    testsupport::TempDir dir;
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File("four.gif"), FourFrames()));
    EXPECT_TRUE(bar.Load(dir.File("four.gif").c_str()));
    EXPECT_EQ(4, bar.GetFrameCount());
    TestPictureEx empty;
    EXPECT_FALSE(empty.Load(dir.File("missing.gif").c_str()));
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File("empty.gif"), ""));
    EXPECT_FALSE(empty.Load(dir.File("empty.gif").c_str()));
    EXPECT_FALSE(empty.Draw());
}

TEST(PictureExTest, FuzzedGifsLoadAndStepWithoutCrash)
{
    const int kRounds = 600;
    const std::string seeds[] = {
        FourFrames(),
        GifBuilder(4, 4, kPalette, false).Image(0, 0, 4, 4, 3).Image(1, 1, 2, 2, 1, {}, kPalette).Trailer().Bytes(),
    };
    testsupport::ByteMutator mutator(777u, 3, 12, false);
    int loaded = 0;
    for (int round = 0; round < kRounds; ++round) {
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

TEST(PictureExTest, WindowShowsTheCanvas)
{
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 50, 50, 200, 100, nullptr, nullptr));
    TestPictureEx picture;
    ASSERT_TRUE(picture.Create("", WS_CHILD | WS_VISIBLE, CRect(10, 10, 100, 90), &parent, 1349));
    ASSERT_TRUE(LoadBytes(picture, FourFrames()));
    // The control takes the canvas size and keeps its place.
    CRect rect;
    picture.GetWindowRect(&rect);
    parent.ScreenToClient(&rect);
    EXPECT_EQ(CRect(10, 10, 18, 16), rect);

    auto windowMap = [&]() {
        ::RedrawWindow(picture.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        std::string map;
        HDC hDC = ::GetDC(picture.m_hWnd);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 8; ++x) {
                COLORREF c = ::GetPixel(hDC, x, y);
                map += c == kRed ? 'R' : c == kBlue ? 'B' : c == picture.GetBkColor() ? '.' : '?';
            }
        ::ReleaseDC(picture.m_hWnd, hDC);
        return map;
    };
    ASSERT_TRUE(picture.AdvanceFrame());
    ASSERT_TRUE(picture.AdvanceFrame());
    EXPECT_EQ("RRRRRRRR" "RRBBBBRR" "RRBBBBRR" "RRBBBBRR" "RRRRRRRR" "RRRRRRRR", windowMap());
    // With a paint rectangle, that part of the canvas is copied to the top left.
    CRect part(2, 1, 8, 6);
    picture.SetPaintRect(&part);
    std::string map = windowMap();
    for (int y = 0; y < 5; ++y)
        EXPECT_EQ(y < 3 ? "BBBBRR" : "RRRRRR", map.substr(y * 8, 6)) << y;

    // Destroying the window stops the animation.
    ASSERT_TRUE(picture.Draw());
    ASSERT_TRUE(WaitFor([&] { return picture.IsPlaying(); }));
    picture.DestroyWindow();
    EXPECT_FALSE(picture.IsPlaying());
    EXPECT_EQ(4, picture.GetFrameCount());
}
