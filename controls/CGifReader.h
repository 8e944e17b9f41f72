#pragma once
#include <windows.h>
#include <vector>

// Where one frame of an animated GIF lies in the file, and how it is shown.
struct GifFrameSpan {
    DWORD offset = 0;   // first byte: the graphic control extension, else the image itself
    DWORD length = 0;   // up to and including the image's data sub-blocks
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int delay = -1;     // hundredths of a second; -1 without a graphic control extension
    int disposal = 0;   // 0 to 7
};

// Reads the block structure of GIF data held in memory. It decodes no pixels:
// it finds the frames and cuts each out as a stand-alone one-frame GIF. Every
// read is bounded by the data's size; a truncated or damaged file yields the
// complete frames found before the damage.
class CGifReader {
public:
    CGifReader(const BYTE* pData, DWORD nSize);

    // The data starts with "GIF87a" or "GIF89a" and its global colour table fits.
    BOOL IsGif() const { return m_bGif; }
    int GetScreenWidth() const { return m_nScreenWidth; }
    int GetScreenHeight() const { return m_nScreenHeight; }
    // Bytes of the global colour table (0 when there is none).
    DWORD GetColorTableSize() const { return m_nColorTableSize; }
    // The table entry at the background index; FALSE without a table.
    BOOL GetBackgroundColor(COLORREF& color) const;

    // Walks the blocks after the header and colour table, one span per frame,
    // in file order, until the trailer, an unknown block or the data's end.
    std::vector<GifFrameSpan> ReadFrames() const;

    // The stand-alone GIF of one frame: header, global colour table, the
    // frame's bytes and a trailer.
    std::vector<BYTE> BuildFrameGif(const GifFrameSpan& frame) const;

private:
    // Offset just past a chain of sub-blocks starting at pos; 0 when the chain
    // runs past the data.
    DWORD SkipSubBlocks(DWORD pos) const;
    WORD Word(DWORD pos) const { return (WORD)(m_pData[pos] | (m_pData[pos + 1] << 8)); }

    const BYTE* m_pData;
    DWORD m_nSize;
    BOOL m_bGif = FALSE;
    int m_nScreenWidth = 0;
    int m_nScreenHeight = 0;
    DWORD m_nColorTableSize = 0;
};
