#pragma once
// Builds small GIF files in memory for the tests. The image data is coded as
// LZW literals only (every pixel its own code, a clear code before the table
// fills), which every decoder reads and which keeps the encoder tiny.
#include <windows.h>
#include <string>
#include <vector>

class GifBuilder {
public:
    // A logical screen with a global table of four colours.
    GifBuilder(int width, int height, const std::vector<COLORREF>& palette, bool gif89 = true,
               BYTE backgroundIndex = 0)
    {
        m_bytes = gif89 ? "GIF89a" : "GIF87a";
        Word(width);
        Word(height);
        m_bytes += (char)(0x80 | 0x10 | 1);  // table present, 2 bits of colour, 4 entries
        m_bytes += (char)backgroundIndex;
        m_bytes += (char)0;
        ColorTable(palette);
    }

    // Graphic control extension; transparent < 0 for none.
    GifBuilder& Control(int disposal, int delay, int transparent = -1)
    {
        m_bytes += "\x21\xF9\x04";
        m_bytes += (char)((disposal << 2) | (transparent >= 0 ? 1 : 0));
        Word(delay);
        m_bytes += (char)(transparent >= 0 ? transparent : 0);
        m_bytes += (char)0;
        return *this;
    }

    // The looping application extension.
    GifBuilder& Netscape()
    {
        m_bytes += std::string("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
        return *this;
    }

    GifBuilder& Comment(const std::string& text)
    {
        m_bytes += "\x21\xFE";
        m_bytes += (char)text.size();
        m_bytes += text;
        m_bytes += (char)0;
        return *this;
    }

    // An image filled with one colour index; pixels (row by row) override it.
    GifBuilder& Image(int left, int top, int width, int height, BYTE fill,
                      const std::vector<BYTE>& pixels = {}, const std::vector<COLORREF>& local = {})
    {
        m_bytes += ',';
        Word(left);
        Word(top);
        Word(width);
        Word(height);
        m_bytes += (char)(local.empty() ? 0 : 0x81);
        if (!local.empty())
            ColorTable(local);
        std::vector<BYTE> indices(pixels);
        if (indices.empty())
            indices.assign((size_t)width * height, fill);
        LzwLiterals(indices);
        return *this;
    }

    GifBuilder& Trailer()
    {
        m_bytes += ';';
        return *this;
    }

    const std::string& Bytes() const { return m_bytes; }

private:
    void Word(int v)
    {
        m_bytes += (char)(v & 0xFF);
        m_bytes += (char)((v >> 8) & 0xFF);
    }

    void ColorTable(const std::vector<COLORREF>& palette)
    {
        for (size_t i = 0; i < 4; ++i) {
            COLORREF c = i < palette.size() ? palette[i] : 0;
            m_bytes += (char)GetRValue(c);
            m_bytes += (char)GetGValue(c);
            m_bytes += (char)GetBValue(c);
        }
    }

    void LzwLiterals(const std::vector<BYTE>& indices)
    {
        const int minCodeSize = 2;
        const int clear = 1 << minCodeSize;
        std::string data;
        unsigned bits = 0;
        int count = 0;
        auto emit = [&](int code, int width) {
            bits |= (unsigned)code << count;
            count += width;
            while (count >= 8) {
                data += (char)(bits & 0xFF);
                bits >>= 8;
                count -= 8;
            }
        };
        // Follow the decoder's table so each code goes out at the width it reads.
        int width = minCodeSize + 1;
        int next = clear + 2;
        bool first = true;
        emit(clear, width);
        for (BYTE index : indices) {
            if (next >= 4094) {
                emit(clear, width);
                width = minCodeSize + 1;
                next = clear + 2;
                first = true;
            }
            emit(index, width);
            if (!first) {
                ++next;
                if (next == (1 << width) && width < 12)
                    ++width;
            }
            first = false;
        }
        emit(clear + 1, width);
        if (count)
            data += (char)(bits & 0xFF);
        m_bytes += (char)minCodeSize;
        for (size_t i = 0; i < data.size(); i += 255) {
            std::string chunk = data.substr(i, 255);
            m_bytes += (char)chunk.size();
            m_bytes += chunk;
        }
        m_bytes += (char)0;
    }

    std::string m_bytes;
};
