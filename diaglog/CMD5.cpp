#include "CMD5.h"
#include "SystemErrorText.h"
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>

namespace {

inline DWORD RotateLeft(DWORD x, int n)
{
    return (x << n) | (x >> (32 - n));
}

inline DWORD F(DWORD x, DWORD y, DWORD z) { return (x & y) | (~x & z); }
inline DWORD G(DWORD x, DWORD y, DWORD z) { return (x & z) | (y & ~z); }
inline DWORD H(DWORD x, DWORD y, DWORD z) { return x ^ y ^ z; }
inline DWORD I(DWORD x, DWORD y, DWORD z) { return y ^ (x | ~z); }

// One step of a round: a = b + ((a + f(b,c,d) + x + t) <<< s).
template <DWORD (*Fn)(DWORD, DWORD, DWORD)>
inline void Step(DWORD& a, DWORD b, DWORD c, DWORD d, DWORD x, int s, DWORD t)
{
    a = b + RotateLeft(a + Fn(b, c, d) + x + t, s);
}

// Little-endian words to bytes and back: plain copies where the machine
// keeps its words little-endian (x86), byte by byte elsewhere.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
void Encode(BYTE* out, const DWORD* in, size_t bytes)
{
    memcpy(out, in, bytes);
}

void Decode(DWORD* out, const BYTE* in, size_t bytes)
{
    memcpy(out, in, bytes);
}
#else
void Encode(BYTE* out, const DWORD* in, size_t bytes)
{
    for (size_t i = 0, j = 0; j < bytes; i++, j += 4) {
        out[j] = static_cast<BYTE>(in[i]);
        out[j + 1] = static_cast<BYTE>(in[i] >> 8);
        out[j + 2] = static_cast<BYTE>(in[i] >> 16);
        out[j + 3] = static_cast<BYTE>(in[i] >> 24);
    }
}

void Decode(DWORD* out, const BYTE* in, size_t bytes)
{
    for (size_t i = 0, j = 0; j < bytes; i++, j += 4)
        out[i] = in[j] | (in[j + 1] << 8) | (in[j + 2] << 16) | (static_cast<DWORD>(in[j + 3]) << 24);
}
#endif

// The stream's own buffer: the file is read in large requests, while the
// digest still takes it in 1024-byte pieces.
const size_t kStreamBuffer = 256 * 1024;

// Closes a stdio stream on every way out.
class StreamCloser {
public:
    explicit StreamCloser(FILE* stream) : m_stream(stream) {}
    ~StreamCloser() { if (m_stream != nullptr) fclose(m_stream); }
    StreamCloser(const StreamCloser&) = delete;
    StreamCloser& operator=(const StreamCloser&) = delete;

private:
    FILE* m_stream;
};

}  // namespace

CMD5::CMD5()
{
    memset(m_digest, 0, sizeof m_digest);
    Init();
}

void CMD5::Init()
{
    m_state[0] = 0x67452301;
    m_state[1] = 0xefcdab89;
    m_state[2] = 0x98badcfe;
    m_state[3] = 0x10325476;
    m_count[0] = m_count[1] = 0;
    memset(m_buffer, 0, sizeof m_buffer);
}

void CMD5::Update(const void* pData, DWORD nLength)
{
    const BYTE* input = static_cast<const BYTE*>(pData);
    DWORD index = (m_count[0] >> 3) & 0x3F;
    DWORD bitsLow = nLength << 3;
    m_count[0] += bitsLow;
    if (m_count[0] < bitsLow)
        m_count[1]++;
    m_count[1] += nLength >> 29;

    DWORD partLength = 64 - index;
    DWORD i = 0;
    if (nLength >= partLength) {
        memcpy(&m_buffer[index], input, partLength);
        Transform(m_buffer);
        for (i = partLength; i + 63 < nLength; i += 64)
            Transform(&input[i]);
        index = 0;
    }
    memcpy(&m_buffer[index], &input[i], nLength - i);
}

void CMD5::Final()
{
    static const BYTE padding[64] = {0x80};
    BYTE bits[8];
    Encode(bits, m_count, 8);

    DWORD index = (m_count[0] >> 3) & 0x3F;
    DWORD padLength = index < 56 ? 56 - index : 120 - index;
    Update(padding, padLength);
    Update(bits, 8);
    Encode(m_digest, m_state, 16);

    memset(m_state, 0, sizeof m_state);
    memset(m_count, 0, sizeof m_count);
    memset(m_buffer, 0, sizeof m_buffer);
}

void CMD5::Transform(const BYTE* pBlock)
{
    DWORD a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];
    DWORD x[16];
    Decode(x, pBlock, 64);

    // Round 1
    Step<F>(a, b, c, d, x[0], 7, 0xd76aa478);
    Step<F>(d, a, b, c, x[1], 12, 0xe8c7b756);
    Step<F>(c, d, a, b, x[2], 17, 0x242070db);
    Step<F>(b, c, d, a, x[3], 22, 0xc1bdceee);
    Step<F>(a, b, c, d, x[4], 7, 0xf57c0faf);
    Step<F>(d, a, b, c, x[5], 12, 0x4787c62a);
    Step<F>(c, d, a, b, x[6], 17, 0xa8304613);
    Step<F>(b, c, d, a, x[7], 22, 0xfd469501);
    Step<F>(a, b, c, d, x[8], 7, 0x698098d8);
    Step<F>(d, a, b, c, x[9], 12, 0x8b44f7af);
    Step<F>(c, d, a, b, x[10], 17, 0xffff5bb1);
    Step<F>(b, c, d, a, x[11], 22, 0x895cd7be);
    Step<F>(a, b, c, d, x[12], 7, 0x6b901122);
    Step<F>(d, a, b, c, x[13], 12, 0xfd987193);
    Step<F>(c, d, a, b, x[14], 17, 0xa679438e);
    Step<F>(b, c, d, a, x[15], 22, 0x49b40821);

    // Round 2
    Step<G>(a, b, c, d, x[1], 5, 0xf61e2562);
    Step<G>(d, a, b, c, x[6], 9, 0xc040b340);
    Step<G>(c, d, a, b, x[11], 14, 0x265e5a51);
    Step<G>(b, c, d, a, x[0], 20, 0xe9b6c7aa);
    Step<G>(a, b, c, d, x[5], 5, 0xd62f105d);
    Step<G>(d, a, b, c, x[10], 9, 0x02441453);
    Step<G>(c, d, a, b, x[15], 14, 0xd8a1e681);
    Step<G>(b, c, d, a, x[4], 20, 0xe7d3fbc8);
    Step<G>(a, b, c, d, x[9], 5, 0x21e1cde6);
    Step<G>(d, a, b, c, x[14], 9, 0xc33707d6);
    Step<G>(c, d, a, b, x[3], 14, 0xf4d50d87);
    Step<G>(b, c, d, a, x[8], 20, 0x455a14ed);
    Step<G>(a, b, c, d, x[13], 5, 0xa9e3e905);
    Step<G>(d, a, b, c, x[2], 9, 0xfcefa3f8);
    Step<G>(c, d, a, b, x[7], 14, 0x676f02d9);
    Step<G>(b, c, d, a, x[12], 20, 0x8d2a4c8a);

    // Round 3
    Step<H>(a, b, c, d, x[5], 4, 0xfffa3942);
    Step<H>(d, a, b, c, x[8], 11, 0x8771f681);
    Step<H>(c, d, a, b, x[11], 16, 0x6d9d6122);
    Step<H>(b, c, d, a, x[14], 23, 0xfde5380c);
    Step<H>(a, b, c, d, x[1], 4, 0xa4beea44);
    Step<H>(d, a, b, c, x[4], 11, 0x4bdecfa9);
    Step<H>(c, d, a, b, x[7], 16, 0xf6bb4b60);
    Step<H>(b, c, d, a, x[10], 23, 0xbebfbc70);
    Step<H>(a, b, c, d, x[13], 4, 0x289b7ec6);
    Step<H>(d, a, b, c, x[0], 11, 0xeaa127fa);
    Step<H>(c, d, a, b, x[3], 16, 0xd4ef3085);
    Step<H>(b, c, d, a, x[6], 23, 0x04881d05);
    Step<H>(a, b, c, d, x[9], 4, 0xd9d4d039);
    Step<H>(d, a, b, c, x[12], 11, 0xe6db99e5);
    Step<H>(c, d, a, b, x[15], 16, 0x1fa27cf8);
    Step<H>(b, c, d, a, x[2], 23, 0xc4ac5665);

    // Round 4
    Step<I>(a, b, c, d, x[0], 6, 0xf4292244);
    Step<I>(d, a, b, c, x[7], 10, 0x432aff97);
    Step<I>(c, d, a, b, x[14], 15, 0xab9423a7);
    Step<I>(b, c, d, a, x[5], 21, 0xfc93a039);
    Step<I>(a, b, c, d, x[12], 6, 0x655b59c3);
    Step<I>(d, a, b, c, x[3], 10, 0x8f0ccc92);
    Step<I>(c, d, a, b, x[10], 15, 0xffeff47d);
    Step<I>(b, c, d, a, x[1], 21, 0x85845dd1);
    Step<I>(a, b, c, d, x[8], 6, 0x6fa87e4f);
    Step<I>(d, a, b, c, x[15], 10, 0xfe2ce6e0);
    Step<I>(c, d, a, b, x[6], 15, 0xa3014314);
    Step<I>(b, c, d, a, x[13], 21, 0x4e0811a1);
    Step<I>(a, b, c, d, x[4], 6, 0xf7537e82);
    Step<I>(d, a, b, c, x[11], 10, 0xbd3af235);
    Step<I>(c, d, a, b, x[2], 15, 0x2ad7d2bb);
    Step<I>(b, c, d, a, x[9], 21, 0xeb86d391);

    m_state[0] += a;
    m_state[1] += b;
    m_state[2] += c;
    m_state[3] += d;
    memset(x, 0, sizeof x);
}

void CMD5::DigestToHex(const BYTE* pDigest, CString& hex)
{
    static const char digits[] = "0123456789abcdef";
    char text[33];
    for (int i = 0; i < 16; i++) {
        text[2 * i] = digits[pDigest[i] >> 4];
        text[2 * i + 1] = digits[pDigest[i] & 0x0F];
    }
    text[32] = '\0';
    hex = text;
}

void CMD5::GetFileDigest(LPCSTR pszPath, CString& hex)
{
    try {
        CMD5 md5;
        BYTE buffer[1024] = {};
        FILE* stream = fopen(pszPath, "rb");
        if (stream == nullptr)
            return;
        std::unique_ptr<char[]> streamBuffer(new char[kStreamBuffer]);
        StreamCloser closer(stream);
        setvbuf(stream, streamBuffer.get(), _IOFBF, kStreamBuffer);
        size_t read;
        while ((read = fread(buffer, 1, sizeof buffer, stream)) > 0)
            md5.Update(buffer, static_cast<DWORD>(read));
        // A digest of part of the file would pass for the file's own: a read
        // error counts like a file that cannot be read.
        if (ferror(stream))
            return;
        md5.Final();
        DigestToHex(md5.GetDigest(), hex);
    } catch (CException* e) {
        DWORD error = GetLastError();
        e->Delete();
        hex = GetSystemErrorText(error);
    } catch (const std::exception&) {
        hex = GetSystemErrorText(GetLastError());
    }
}
