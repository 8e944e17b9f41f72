// Digests a file with the log's MD5 routine and prints the digest, the time
// taken and the throughput: "<digest> <seconds> <MB/s>".
#include "CMD5.h"
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: md5_bench FILE\n");
        return 2;
    }
    HANDLE file = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER size = {};
    if (file == INVALID_HANDLE_VALUE || !GetFileSizeEx(file, &size)) {
        fprintf(stderr, "md5_bench: cannot read %s\n", argv[1]);
        return 1;
    }
    CloseHandle(file);

    LARGE_INTEGER frequency, start, stop;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    CString digest;
    CMD5::GetFileDigest(argv[1], digest);
    QueryPerformanceCounter(&stop);
    if (digest.GetLength() != 32) {
        fprintf(stderr, "md5_bench: no digest for %s\n", argv[1]);
        return 1;
    }
    double seconds = static_cast<double>(stop.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    double megabytes = static_cast<double>(size.QuadPart) / (1024.0 * 1024.0);
    printf("%s %.3f %.1f\n", (LPCSTR)digest, seconds, seconds > 0 ? megabytes / seconds : 0.0);
    return 0;
}
