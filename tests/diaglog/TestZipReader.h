#pragma once
#include <string>
#include <vector>

// A test-local reader of zip archives: walks the central directory, checks
// each local header against it, inflates the data and checks size and CRC.
namespace ziptest {

struct Entry {
    std::string name;
    unsigned method = 0;
    unsigned dosTime = 0;
    unsigned dosDate = 0;
    unsigned long crc = 0;
    unsigned long compressedSize = 0;
    unsigned long size = 0;
    std::string data;   // the uncompressed bytes
};

struct Archive {
    std::vector<Entry> entries;
    std::string comment;
};

// Reads and verifies a whole archive; false with a reason on any defect.
bool Read(const std::string& path, Archive& archive, std::string& error);

}  // namespace ziptest
