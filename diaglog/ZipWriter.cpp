#include "ZipWriter.h"
#include <zlib.h>
#include <string>
#include <vector>

namespace {

const DWORD kLocalHeaderSignature = 0x04034b50;
const DWORD kCentralHeaderSignature = 0x02014b50;
const DWORD kEndOfCentralSignature = 0x06054b50;
const WORD kVersion = 20;                 // 2.0: deflate, made on MS-DOS
const DWORD kCrcOffsetInLocalHeader = 14;
const ULONGLONG kMaxOffset = 0xFFFFFFFFull;
const size_t kMaxEntries = 0xFFFF;
const size_t kOutChunk = 16384;

void Put16(std::string& s, WORD v)
{
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>(v >> 8);
}

void Put32(std::string& s, DWORD v)
{
    Put16(s, static_cast<WORD>(v & 0xFFFF));
    Put16(s, static_cast<WORD>(v >> 16));
}

struct Entry {
    std::string name;
    std::string extraGlobal;
    std::string comment;
    WORD method = 0;
    WORD dosTime = 0;
    WORD dosDate = 0;
    WORD internalAttributes = 0;
    DWORD externalAttributes = 0;
    DWORD crc = 0;
    DWORD compressedSize = 0;
    DWORD size = 0;
    DWORD localHeaderOffset = 0;
};

}  // namespace

struct ZipWriter {
    HANDLE file = INVALID_HANDLE_VALUE;
    ULONGLONG position = 0;     // bytes written so far = the end of the archive
    bool failed = false;        // a write failed: nothing more is written
    std::vector<Entry> entries;

    bool inEntry = false;
    Entry current;
    ULONGLONG compressed = 0;
    ULONGLONG uncompressed = 0;
    uLong crc = 0;
    z_stream stream = {};
    bool deflating = false;
    std::vector<unsigned char> out = std::vector<unsigned char>(kOutChunk);

    bool Write(const void* data, size_t len);
    bool WriteCompressed(const void* data, size_t len);
    bool Deflate(int flush);
    bool PatchLocalHeader();
    void EndDeflate();
};

bool ZipWriter::Write(const void* data, size_t len)
{
    const char* p = static_cast<const char*>(data);
    while (!failed && len > 0) {
        DWORD chunk = len > 0x100000 ? 0x100000 : static_cast<DWORD>(len);
        DWORD written = 0;
        if (!WriteFile(file, p, chunk, &written, nullptr) || written == 0) {
            failed = true;
            break;
        }
        p += written;
        len -= written;
        position += written;
    }
    return !failed;
}

bool ZipWriter::WriteCompressed(const void* data, size_t len)
{
    compressed += len;
    return Write(data, len);
}

// Runs the compressor over its pending input and writes what it produces.
bool ZipWriter::Deflate(int flush)
{
    for (;;) {
        stream.next_out = out.data();
        stream.avail_out = static_cast<uInt>(out.size());
        int rc = deflate(&stream, flush);
        if (rc == Z_STREAM_ERROR) {
            failed = true;
            return false;
        }
        size_t produced = out.size() - stream.avail_out;
        if (produced > 0 && !WriteCompressed(out.data(), produced))
            return false;
        if (flush == Z_FINISH ? rc == Z_STREAM_END : (stream.avail_in == 0 && stream.avail_out != 0))
            return true;
    }
}

void ZipWriter::EndDeflate()
{
    if (deflating) {
        deflateEnd(&stream);
        deflating = false;
    }
}

// Writes the entry's CRC and sizes into its local header and returns to the end.
bool ZipWriter::PatchLocalHeader()
{
    std::string fields;
    Put32(fields, current.crc);
    Put32(fields, current.compressedSize);
    Put32(fields, current.size);
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(current.localHeaderOffset + kCrcOffsetInLocalHeader);
    ULONGLONG end = position;
    if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) {
        failed = true;
        return false;
    }
    position = at.QuadPart;
    bool ok = Write(fields.data(), fields.size());
    at.QuadPart = static_cast<LONGLONG>(end);
    if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN))
        failed = true;
    position = end;
    return ok && !failed;
}

zipFile zipOpen(const char* path, int append)
{
    if (path == nullptr || *path == '\0' || append != APPEND_STATUS_CREATE)
        return nullptr;
    HANDLE h = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return nullptr;
    ZipWriter* zip = new ZipWriter;
    zip->file = h;
    return zip;
}

int zipOpenNewFileInZip(zipFile zip, const char* name, const zip_fileinfo* info,
                        const void* extraLocal, unsigned extraLocalSize,
                        const void* extraGlobal, unsigned extraGlobalSize,
                        const char* comment, int method, int level)
{
    if (zip == nullptr || name == nullptr || *name == '\0')
        return ZIP_PARAMERROR;
    if (method != ZIP_STORED && method != ZIP_DEFLATED)
        return ZIP_PARAMERROR;
    if (zip->inEntry && zipCloseFileInZip(zip) != ZIP_OK)
        return ZIP_ERRNO;
    if (zip->failed)
        return ZIP_ERRNO;

    Entry e;
    e.name = name;
    if (extraLocal == nullptr)
        extraLocalSize = 0;
    if (extraGlobal != nullptr)
        e.extraGlobal.assign(static_cast<const char*>(extraGlobal), extraGlobalSize);
    if (comment != nullptr)
        e.comment = comment;
    if (e.name.size() > 0xFFFF || extraLocalSize > 0xFFFF || e.extraGlobal.size() > 0xFFFF ||
        e.comment.size() > 0xFFFF || zip->entries.size() >= kMaxEntries ||
        zip->position > kMaxOffset)
        return ZIP_PARAMERROR;
    e.method = static_cast<WORD>(method);
    if (info != nullptr) {
        e.dosTime = info->dosTime;
        e.dosDate = info->dosDate;
        e.internalAttributes = info->internalAttributes;
        e.externalAttributes = info->externalAttributes;
    }
    e.localHeaderOffset = static_cast<DWORD>(zip->position);

    if (method == ZIP_DEFLATED) {
        zip->stream = z_stream();
        if (deflateInit2(&zip->stream, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            return ZIP_INTERNALERROR;
        zip->deflating = true;
    }

    // CRC and sizes stay zero here; zipCloseFileInZip patches them in.
    std::string header;
    Put32(header, kLocalHeaderSignature);
    Put16(header, kVersion);
    Put16(header, 0);
    Put16(header, e.method);
    Put16(header, e.dosTime);
    Put16(header, e.dosDate);
    Put32(header, 0);
    Put32(header, 0);
    Put32(header, 0);
    Put16(header, static_cast<WORD>(e.name.size()));
    Put16(header, static_cast<WORD>(extraLocalSize));
    header += e.name;
    if (extraLocalSize > 0)
        header.append(static_cast<const char*>(extraLocal), extraLocalSize);
    if (!zip->Write(header.data(), header.size())) {
        zip->EndDeflate();
        return ZIP_ERRNO;
    }

    zip->current = e;
    zip->compressed = 0;
    zip->uncompressed = 0;
    zip->crc = crc32(0L, Z_NULL, 0);
    zip->inEntry = true;
    return ZIP_OK;
}

int zipWriteInFileInZip(zipFile zip, const void* buf, unsigned len)
{
    if (zip == nullptr || !zip->inEntry || (buf == nullptr && len > 0))
        return ZIP_PARAMERROR;
    if (zip->failed)
        return ZIP_ERRNO;
    if (len == 0)
        return ZIP_OK;
    zip->crc = crc32(zip->crc, static_cast<const Bytef*>(buf), len);
    zip->uncompressed += len;
    if (zip->uncompressed > kMaxOffset) {
        zip->failed = true;
        return ZIP_PARAMERROR;
    }
    if (!zip->deflating)
        return zip->WriteCompressed(buf, len) ? ZIP_OK : ZIP_ERRNO;
    zip->stream.next_in = static_cast<Bytef*>(const_cast<void*>(buf));
    zip->stream.avail_in = len;
    return zip->Deflate(Z_NO_FLUSH) ? ZIP_OK : ZIP_ERRNO;
}

int zipCloseFileInZip(zipFile zip)
{
    if (zip == nullptr || !zip->inEntry)
        return ZIP_PARAMERROR;
    zip->inEntry = false;
    if (zip->deflating && !zip->failed) {
        zip->stream.next_in = nullptr;
        zip->stream.avail_in = 0;
        zip->Deflate(Z_FINISH);
    }
    zip->EndDeflate();
    if (zip->failed)
        return ZIP_ERRNO;
    if (zip->compressed > kMaxOffset || zip->position > kMaxOffset) {
        zip->failed = true;
        return ZIP_PARAMERROR;
    }
    zip->current.crc = static_cast<DWORD>(zip->crc);
    zip->current.compressedSize = static_cast<DWORD>(zip->compressed);
    zip->current.size = static_cast<DWORD>(zip->uncompressed);
    if (!zip->PatchLocalHeader())
        return ZIP_ERRNO;
    zip->entries.push_back(zip->current);
    return ZIP_OK;
}

int zipClose(zipFile zip, const char* globalComment)
{
    if (zip == nullptr)
        return ZIP_PARAMERROR;
    int result = ZIP_OK;
    if (zip->inEntry && zipCloseFileInZip(zip) != ZIP_OK)
        result = ZIP_ERRNO;

    std::string comment = globalComment != nullptr ? globalComment : "";
    if (result == ZIP_OK && !zip->failed) {
        ULONGLONG directoryStart = zip->position;
        std::string directory;
        for (const Entry& e : zip->entries) {
            Put32(directory, kCentralHeaderSignature);
            Put16(directory, kVersion);
            Put16(directory, kVersion);
            Put16(directory, 0);
            Put16(directory, e.method);
            Put16(directory, e.dosTime);
            Put16(directory, e.dosDate);
            Put32(directory, e.crc);
            Put32(directory, e.compressedSize);
            Put32(directory, e.size);
            Put16(directory, static_cast<WORD>(e.name.size()));
            Put16(directory, static_cast<WORD>(e.extraGlobal.size()));
            Put16(directory, static_cast<WORD>(e.comment.size()));
            Put16(directory, 0);
            Put16(directory, e.internalAttributes);
            Put32(directory, e.externalAttributes);
            Put32(directory, e.localHeaderOffset);
            directory += e.name;
            directory += e.extraGlobal;
            directory += e.comment;
        }
        if (directoryStart + directory.size() > kMaxOffset || comment.size() > 0xFFFF) {
            result = ZIP_PARAMERROR;
        } else {
            DWORD directorySize = static_cast<DWORD>(directory.size());
            Put32(directory, kEndOfCentralSignature);
            Put16(directory, 0);
            Put16(directory, 0);
            Put16(directory, static_cast<WORD>(zip->entries.size()));
            Put16(directory, static_cast<WORD>(zip->entries.size()));
            Put32(directory, directorySize);
            Put32(directory, static_cast<DWORD>(directoryStart));
            Put16(directory, static_cast<WORD>(comment.size()));
            directory += comment;
            if (!zip->Write(directory.data(), directory.size()))
                result = ZIP_ERRNO;
        }
    } else {
        result = ZIP_ERRNO;
    }
    zip->EndDeflate();
    if (!CloseHandle(zip->file))
        result = ZIP_ERRNO;
    delete zip;
    return result;
}
