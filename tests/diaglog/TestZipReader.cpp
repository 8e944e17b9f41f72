#include "DiaglogTestSupport.h"
#include "TestSupport.h"
#include <zlib.h>

namespace diaglogtest {
namespace {

unsigned long Get16(const std::string& s, size_t at)
{
    return static_cast<unsigned char>(s[at]) | static_cast<unsigned char>(s[at + 1]) << 8;
}

unsigned long Get32(const std::string& s, size_t at)
{
    return Get16(s, at) | Get16(s, at + 2) << 16;
}

bool Inflate(const std::string& in, size_t expected, std::string& out)
{
    z_stream zs = {};
    if (inflateInit2(&zs, -MAX_WBITS) != Z_OK)
        return false;
    out.assign(expected, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    zs.avail_in = static_cast<uInt>(in.size());
    char spare;
    zs.next_out = expected > 0 ? reinterpret_cast<Bytef*>(&out[0]) : reinterpret_cast<Bytef*>(&spare);
    zs.avail_out = expected > 0 ? static_cast<uInt>(expected) : 1;
    int rc = inflate(&zs, Z_FINISH);
    bool ok = rc == Z_STREAM_END && zs.total_out == expected && zs.avail_in == 0;
    inflateEnd(&zs);
    return ok;
}

}  // namespace

bool Read(const std::string& path, Archive& archive, std::string& error)
{
    archive = Archive();
    std::string zip;
    if (!testsupport::ReadFileBytes(path, zip)) {
        error = "cannot read " + path;
        return false;
    }
    if (zip.size() < 22) {
        error = "too short for an end record";
        return false;
    }
    size_t end = zip.size() - 22;
    for (;;) {
        if (Get32(zip, end) == 0x06054b50 && end + 22 + Get16(zip, end + 20) == zip.size())
            break;
        if (end == 0 || zip.size() - end > 22 + 0xFFFF) {
            error = "no end record";
            return false;
        }
        end--;
    }
    unsigned long count = Get16(zip, end + 10);
    unsigned long dirSize = Get32(zip, end + 12);
    unsigned long dirOffset = Get32(zip, end + 16);
    archive.comment = zip.substr(end + 22);
    if (Get16(zip, end + 8) != count || dirOffset + dirSize != end) {
        error = "end record does not match the directory";
        return false;
    }
    size_t at = dirOffset;
    for (unsigned long i = 0; i < count; i++) {
        if (at + 46 > end || Get32(zip, at) != 0x02014b50) {
            error = "bad central header";
            return false;
        }
        Entry e;
        e.method = Get16(zip, at + 10);
        e.dosTime = Get16(zip, at + 12);
        e.dosDate = Get16(zip, at + 14);
        e.crc = Get32(zip, at + 16);
        e.compressedSize = Get32(zip, at + 20);
        e.size = Get32(zip, at + 24);
        size_t nameLen = Get16(zip, at + 28);
        size_t extraLen = Get16(zip, at + 30);
        size_t commentLen = Get16(zip, at + 32);
        size_t local = Get32(zip, at + 42);
        e.name = zip.substr(at + 46, nameLen);
        at += 46 + nameLen + extraLen + commentLen;

        if (local + 30 > dirOffset || Get32(zip, local) != 0x04034b50 || Get16(zip, local + 8) != e.method ||
            Get32(zip, local + 14) != e.crc || Get32(zip, local + 18) != e.compressedSize ||
            Get32(zip, local + 22) != e.size || zip.substr(local + 30, Get16(zip, local + 26)) != e.name) {
            error = "local header of " + e.name + " does not match";
            return false;
        }
        size_t data = local + 30 + Get16(zip, local + 26) + Get16(zip, local + 28);
        if (data + e.compressedSize > dirOffset) {
            error = "data of " + e.name + " runs past the directory";
            return false;
        }
        std::string raw = zip.substr(data, e.compressedSize);
        if (e.method == 0) {
            e.data = raw;
        } else if (e.method != 8 || !Inflate(raw, e.size, e.data)) {
            error = "cannot inflate " + e.name;
            return false;
        }
        if (e.data.size() != e.size ||
            crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), static_cast<uInt>(e.data.size())) != e.crc) {
            error = "size or CRC of " + e.name + " is wrong";
            return false;
        }
        archive.entries.push_back(e);
    }
    return true;
}

}  // namespace diaglogtest
