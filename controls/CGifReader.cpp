#include "CGifReader.h"
#include <string.h>

namespace {

const DWORD kHeaderSize = 13;           // signature, version, logical screen descriptor
const DWORD kImageDescriptorSize = 10;  // "," and nine bytes
const BYTE kExtension = 0x21;
const BYTE kImage = 0x2C;
const BYTE kTrailer = 0x3B;
const BYTE kGraphicControl = 0xF9;
const BYTE kApplication = 0xFF;
const BYTE kComment = 0xFE;
const BYTE kPlainText = 0x01;

// Bytes of a colour table announced by a packed byte's low three bits.
DWORD ColorTableBytes(BYTE packed)
{
    return 3u << ((packed & 7) + 1);
}

}  // namespace

CGifReader::CGifReader(const BYTE* pData, DWORD nSize) : m_pData(pData), m_nSize(pData ? nSize : 0)
{
    if (m_nSize < kHeaderSize || memcmp(m_pData, "GIF", 3) != 0 ||
        (memcmp(m_pData + 3, "87a", 3) != 0 && memcmp(m_pData + 3, "89a", 3) != 0))
        return;
    BYTE packed = m_pData[10];
    DWORD table = (packed & 0x80) ? ColorTableBytes(packed) : 0;
    if (table > m_nSize - kHeaderSize)
        return;
    m_bGif = TRUE;
    m_nScreenWidth = Word(6);
    m_nScreenHeight = Word(8);
    m_nColorTableSize = table;
}

BOOL CGifReader::GetBackgroundColor(COLORREF& color) const
{
    if (!m_bGif || m_nColorTableSize == 0)
        return FALSE;
    DWORD index = m_pData[11];
    if (index * 3 + 3 > m_nColorTableSize)
        return FALSE;
    const BYTE* rgb = m_pData + kHeaderSize + index * 3;
    color = RGB(rgb[0], rgb[1], rgb[2]);
    return TRUE;
}

DWORD CGifReader::SkipSubBlocks(DWORD pos) const
{
    while (pos < m_nSize) {
        DWORD len = m_pData[pos++];
        if (len == 0)
            return pos;
        if (len > m_nSize - pos)
            return 0;
        pos += len;
    }
    return 0;
}

std::vector<GifFrameSpan> CGifReader::ReadFrames() const
{
    std::vector<GifFrameSpan> frames;
    if (!m_bGif)
        return frames;

    // The frame being gathered: a graphic control extension opens it and the
    // next image (or plain text) closes it.
    GifFrameSpan current;
    BOOL open = FALSE;

    DWORD pos = kHeaderSize + m_nColorTableSize;
    while (pos < m_nSize) {
        BYTE introducer = m_pData[pos];
        if (introducer == kExtension) {
            if (m_nSize - pos < 2)
                break;
            BYTE label = m_pData[pos + 1];
            if (label != kGraphicControl && label != kApplication && label != kComment &&
                label != kPlainText)
                break;
            DWORD end = SkipSubBlocks(pos + 2);
            if (end == 0)
                break;
            if (label == kGraphicControl && !open) {
                current = GifFrameSpan();
                current.offset = pos;
                // Block size, packed byte, delay (16 bits), transparent index.
                if (m_pData[pos + 2] >= 4) {
                    current.disposal = (m_pData[pos + 3] >> 2) & 7;
                    current.delay = Word(pos + 4);
                }
                open = TRUE;
            } else if (label == kPlainText) {
                if (!open) {
                    current = GifFrameSpan();
                    current.offset = pos;
                }
                current.length = end - current.offset;
                frames.push_back(current);
                open = FALSE;
            }
            pos = end;
        } else if (introducer == kImage) {
            if (m_nSize - pos < kImageDescriptorSize)
                break;
            BYTE packed = m_pData[pos + 9];
            DWORD data = pos + kImageDescriptorSize;
            if (packed & 0x80) {
                DWORD table = ColorTableBytes(packed);
                if (table > m_nSize - data)
                    break;
                data += table;
            }
            // The LZW minimum code size precedes the data sub-blocks.
            if (data >= m_nSize)
                break;
            DWORD end = SkipSubBlocks(data + 1);
            if (end == 0)
                break;
            if (!open) {
                current = GifFrameSpan();
                current.offset = pos;
            }
            current.left = Word(pos + 1);
            current.top = Word(pos + 3);
            current.width = Word(pos + 5);
            current.height = Word(pos + 7);
            current.length = end - current.offset;
            frames.push_back(current);
            open = FALSE;
            pos = end;
        } else {
            // The trailer or an unknown block: the walk ends.
            break;
        }
    }
    return frames;
}

std::vector<BYTE> CGifReader::BuildFrameGif(const GifFrameSpan& frame) const
{
    std::vector<BYTE> out;
    DWORD head = kHeaderSize + m_nColorTableSize;
    if (!m_bGif || frame.offset < head || frame.offset > m_nSize ||
        frame.length > m_nSize - frame.offset)
        return out;
    out.reserve(head + frame.length + 1);
    out.insert(out.end(), m_pData, m_pData + head);
    out.insert(out.end(), m_pData + frame.offset, m_pData + frame.offset + frame.length);
    out.push_back(kTrailer);
    return out;
}
