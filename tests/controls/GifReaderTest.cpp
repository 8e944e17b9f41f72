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

TEST(GifReaderTest, HeaderAndColourTable)
{
    std::string gif = ThreeFrames();
    CGifReader reader((const BYTE*)gif.data(), (DWORD)gif.size());
    ASSERT_TRUE(reader.IsGif());
    EXPECT_EQ(8, reader.GetScreenWidth());
    EXPECT_EQ(6, reader.GetScreenHeight());
    EXPECT_EQ(12u, reader.GetColorTableSize());
    COLORREF background = 0;
    ASSERT_TRUE(reader.GetBackgroundColor(background));
    EXPECT_EQ(RGB(0, 0, 255), background);
    // Other versions, short data and a colour table running past the data are not GIFs.
    std::string other = gif;
    other[4] = '8';
    EXPECT_FALSE(CGifReader((const BYTE*)other.data(), (DWORD)other.size()).IsGif());
    EXPECT_FALSE(CGifReader((const BYTE*)gif.data(), 12).IsGif());
    EXPECT_FALSE(CGifReader((const BYTE*)gif.data(), 13 + 11).IsGif());
    EXPECT_TRUE(CGifReader((const BYTE*)gif.data(), 13 + 12).IsGif());
    EXPECT_FALSE(CGifReader(nullptr, 100).IsGif());
}

TEST(GifReaderTest, FrameBytesRunFromControlExtensionToImageEnd)
{
    std::string gif = ThreeFrames();
    CGifReader reader((const BYTE*)gif.data(), (DWORD)gif.size());
    std::vector<GifFrameSpan> frames = reader.ReadFrames();
    ASSERT_EQ(3u, frames.size());
    // The comment before the first control extension belongs to no frame; the
    // looping extension after it belongs to the first; the frames follow each other.
    EXPECT_EQ(13u + 12u + 19u, frames[0].offset);
    EXPECT_NE(std::string::npos, gif.substr(frames[0].offset, frames[0].length).find("NETSCAPE2.0"));
    EXPECT_EQ(frames[0].offset + frames[0].length, frames[1].offset);
    EXPECT_EQ(frames[1].offset + frames[1].length, frames[2].offset);
    EXPECT_EQ(gif.size() - 1, frames[2].offset + frames[2].length);
    // A frame's own GIF: header, colour table, the frame's bytes, a trailer.
    std::vector<BYTE> built = reader.BuildFrameGif(frames[1]);
    EXPECT_EQ(gif.substr(0, 25) + gif.substr(frames[1].offset, frames[1].length) + ";",
              std::string(built.begin(), built.end()));
    GifFrameSpan outside = frames[2];
    outside.length += 2;
    EXPECT_TRUE(reader.BuildFrameGif(outside).empty());

    // Without control extensions a frame is its image alone, local colour table included.
    std::string gif87 = GifBuilder(6, 4, kPalette, false)
                            .Image(0, 0, 6, 4, 1)
                            .Image(1, 2, 2, 2, 2, {}, {RGB(1, 2, 3)})
                            .Trailer()
                            .Bytes();
    frames = Frames(gif87);
    ASSERT_EQ(2u, frames.size());
    EXPECT_EQ(',', gif87[frames[1].offset]);
    EXPECT_EQ(-1, frames[1].delay);
    EXPECT_EQ(gif87.size() - 1, frames[1].offset + frames[1].length);
}

TEST(GifReaderTest, NoFrameUnknownBlockAndTrailer)
{
    GifBuilder header(4, 4, kPalette);
    EXPECT_TRUE(Frames(GifBuilder(header).Trailer().Bytes()).empty());
    EXPECT_TRUE(Frames(GifBuilder(header).Netscape().Comment("x").Trailer().Bytes()).empty());
    EXPECT_TRUE(Frames(GifBuilder(header).Control(1, 5).Trailer().Bytes()).empty());

    // Parsing ends at an unknown block or an unknown extension label, and at the trailer.
    std::string one = GifBuilder(header).Image(0, 0, 4, 4, 1).Bytes();
    std::string two = GifBuilder(header).Image(0, 0, 4, 4, 1).Image(0, 0, 4, 4, 2).Bytes();
    std::string image = two.substr(one.size());
    EXPECT_EQ(1u, Frames(one + "\x99" + image).size());
    EXPECT_EQ(1u, Frames(one + std::string("\x21\x02\x00", 3) + image).size());
    EXPECT_EQ(1u, Frames(one + ";" + image).size());
    EXPECT_EQ(2u, Frames(two).size());
}

TEST(GifReaderTest, TruncatedDataKeepsTheCompleteFrames)
{
    std::string gif = ThreeFrames();
    std::vector<GifFrameSpan> all = Frames(gif);
    ASSERT_EQ(3u, all.size());
    GuardedBuffer buffer;
    ASSERT_TRUE(buffer.Ok());
    for (size_t n = 0; n <= gif.size(); ++n) {
        SCOPED_TRACE(n);
        std::string part = gif.substr(0, n);
        CGifReader reader((const BYTE*)buffer.Place(part), (DWORD)n);
        std::vector<GifFrameSpan> frames = reader.ReadFrames();
        size_t complete = 0;
        while (complete < all.size() && all[complete].offset + all[complete].length <= n)
            ++complete;
        ASSERT_EQ(complete, frames.size());
        for (size_t i = 0; i < frames.size(); ++i) {
            EXPECT_EQ(all[i].offset, frames[i].offset);
            EXPECT_EQ(all[i].length, frames[i].length);
        }
    }
}

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
