#pragma once
#include "afx.h"

// MD5 message digest as RFC 1321 describes it.
class CMD5 {
public:
    CMD5();

    // Starts a new digest.
    void Init();
    // Takes bytes in; every complete 64-byte block is transformed at once.
    void Update(const void* pData, DWORD nLength);
    // Pads, appends the bit count and writes the digest; the running state is
    // cleared afterwards, the digest stays readable.
    void Final();
    const BYTE* GetDigest() const { return m_digest; }

    // The 16 digest bytes as 32 lower-case hexadecimal digits.
    static void DigestToHex(const BYTE* pDigest, CString& hex);
    // Digests a whole file into hex text. A file that cannot be opened or read
    // leaves the text as it was; should an exception interrupt the digest,
    // the text becomes the system's message for the last error.
    static void GetFileDigest(LPCSTR pszPath, CString& hex);

private:
    void Transform(const BYTE* pBlock);

    DWORD m_state[4];
    DWORD m_count[2];   // bits taken in, low word first
    BYTE m_buffer[64];
    BYTE m_digest[16];
};
