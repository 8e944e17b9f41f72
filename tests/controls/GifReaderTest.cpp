#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "CGifReader.h"
#include "ControlsTestSupport.h"
#include "ByteMutator.h"
#include "GuardedBuffer.h"

using testsupport::ByteMutator;
using testsupport::GuardedBuffer;

using controlstest::GifBuilder;

namespace {

const std::vector<COLORREF> kPalette = {RGB(255, 255, 255), RGB(255, 0, 0), RGB(0, 0, 255), RGB(0, 128, 0)};

std::vector<GifFrameSpan> Frames(const std::string& bytes)
{
    return CGifReader((const BYTE*)bytes.data(), (DWORD)bytes.size()).ReadFrames();
}

// Three frames with disposals 1, 2 and 3; a looping extension sits after the
// first control extension, a comment before it.
std::string ThreeFrames()
{
    return GifBuilder(8, 6, kPalette, true, 2)
        .Comment("made for a test")
        .Control(1, 10)
        .Netscape()
        .Image(0, 0, 8, 6, 1)
        .Control(2, 3)
        .Image(2, 1, 4, 3, 2)
        .Control(3, 20, 0)
        .Image(5, 4, 3, 2, 3)
        .Trailer()
        .Bytes();
}

}  // namespace

TEST(GifReaderTest, BrokenSubBlockChainsStopTheWalk)
{
    std::string gif = ThreeFrames();
    std::vector<GifFrameSpan> all = Frames(gif);
    // A sub-block length pointing past the end of the data in the last image.
    std::string damaged = gif.substr(0, gif.size() - 1);
    size_t lastData = all[2].offset + all[2].length - 1;  // its terminator
    damaged[lastData] = '\x7F';
    EXPECT_EQ(2u, Frames(damaged).size());
    // A control extension whose block is shorter than four bytes gives no delay.
    std::string shortControl = GifBuilder(2, 2, kPalette).Bytes() + std::string("\x21\xF9\x02\x04\x05\x00", 6);
    shortControl += GifBuilder(2, 2, kPalette).Image(0, 0, 2, 2, 1).Bytes().substr(25);
    std::vector<GifFrameSpan> frames = Frames(shortControl);
    ASSERT_EQ(1u, frames.size());
    EXPECT_EQ(-1, frames[0].delay);
    EXPECT_EQ(0, frames[0].disposal);
}

TEST(GifReaderTest, FuzzedDataNeverReadsPastItsEnd)
{
    const int kRounds = 20000;
    const std::string seeds[] = {
        ThreeFrames(),
        GifBuilder(6, 4, kPalette, false).Image(0, 0, 6, 4, 1).Image(1, 2, 2, 2, 2, {}, kPalette).Trailer().Bytes(),
    };
    GuardedBuffer buffer;
    ASSERT_TRUE(buffer.Ok());
    ByteMutator mutator(20240611u, 4, 16, true);
    int framesSeen = 0;
    for (int round = 0; round < kRounds; ++round) {
        std::string data = seeds[round % 2];
        mutator.Mutate(data);
        if (data.size() > buffer.Capacity())
            data.resize(buffer.Capacity());
        CGifReader reader((const BYTE*)buffer.Place(data), (DWORD)data.size());
        for (const GifFrameSpan& f : reader.ReadFrames()) {
            ASSERT_LE((size_t)f.offset + f.length, data.size());
            std::vector<BYTE> built = reader.BuildFrameGif(f);
            ASSERT_EQ(13 + reader.GetColorTableSize() + f.length + 1, built.size());
            ++framesSeen;
        }
        COLORREF color;
        reader.GetBackgroundColor(color);
    }
    EXPECT_GT(framesSeen, 0);
}
