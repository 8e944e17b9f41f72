#include "FileDigest.h"
#include "CHandle.h"
#include <wincrypt.h>
#include <vector>

namespace {

// The CryptoAPI provider and hash of one digest, released in reverse order.
struct DigestContext {
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    ~DigestContext()
    {
        if (hash)
            CryptDestroyHash(hash);
        if (provider)
            CryptReleaseContext(provider, 0);
    }
};

}  // namespace

std::string GetFileDigestHex(const std::string& path, BOOL sha256)
{
    CHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.IsValid())
        return std::string();
    DigestContext context;
    if (!CryptAcquireContextA(&context.provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT) ||
        !CryptCreateHash(context.provider, sha256 ? CALG_SHA_256 : CALG_MD5, 0, 0, &context.hash))
        return std::string();

    std::vector<BYTE> block(65536);
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file, block.data(), static_cast<DWORD>(block.size()), &read, nullptr))
            return std::string();
        if (read == 0)
            break;
        if (!CryptHashData(context.hash, block.data(), read, 0))
            return std::string();
    }
    BYTE digest[32] = {};
    DWORD length = sizeof digest;
    if (!CryptGetHashParam(context.hash, HP_HASHVAL, digest, &length, 0))
        return std::string();
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (DWORD i = 0; i < length; ++i) {
        hex += kHex[digest[i] >> 4];
        hex += kHex[digest[i] & 15];
    }
    return hex;
}
