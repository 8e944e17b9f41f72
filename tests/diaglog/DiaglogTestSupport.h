#pragma once
// Helpers of the diagnostic log tests: sample bytes and their digests, the
// gatherers' XML lines and the environment for a scope.
#include "LogElement.h"
#include <regex>
#include <set>
#include <string>
#include <tuple>
#include <vector>
#include <windows.h>

namespace diaglogtest {

// Deterministic sample bytes; the digests below were taken of the same bytes
// with md5sum.
inline std::string SampleBytes(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; i++)
        bytes[i] = static_cast<char>((i * 131 + (i >> 8) * 7 + 13) & 0xFF);
    return bytes;
}

struct SampleDigest {
    size_t size;
    const char* md5;
};

const SampleDigest kSampleDigests[] = {
    {0, "d41d8cd98f00b204e9800998ecf8427e"},
    {55, "87477f2c64b9f0c0866f7a7e3f31682e"},
    {56, "9205e1574617fab56dea2cdfbe992727"},
    {63, "0dd0ac145f67d5079d5fefae73875d1c"},
    {64, "d290ede1337579c755c45b9fec6d6ab1"},
    {65, "ba5f7ff6540295d33b0da4b008a67795"},
    {1023, "b3461755045122713afef182696eb444"},
    {1025, "e1cac1c739cbbcbe9c8fcd9dc164ad1b"},
    {1000000, "7d1befb539c7e7a8b9328e48937ca37e"},
};

inline const char* SampleDigestOf(size_t size)
{
    for (const SampleDigest& sample : kSampleDigests) {
        if (sample.size == size)
            return sample.md5;
    }
    return "";
}

inline std::string Render(LogElement& element)
{
    return std::string(*element.GetXml());
}

// The File elements of a text, as (name, expanded name, md5), in order.
typedef std::tuple<std::string, std::string, std::string> FileLine;

inline std::vector<FileLine> FileLines(const std::string& xml)
{
    static const std::regex line("<File name=\"([^\"]*)\" expanded-name=\"([^\"]*)\" md5=\"([^\"]*)\"/>\n");
    std::vector<FileLine> files;
    for (std::sregex_iterator it(xml.begin(), xml.end(), line), end; it != end; ++it)
        files.emplace_back((*it)[1].str(), (*it)[2].str(), (*it)[3].str());
    return files;
}


// Sets an environment variable of this process for the scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value) : m_name(name)
    {
        char old[32768];
        DWORD length = GetEnvironmentVariableA(name, old, sizeof old);
        m_had = length > 0 && length < sizeof old;
        if (m_had)
            m_old.assign(old, length);
        SetEnvironmentVariableA(name, value.c_str());
    }
    ~ScopedEnvironment() { SetEnvironmentVariableA(m_name.c_str(), m_had ? m_old.c_str() : nullptr); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string m_name;
    std::string m_old;
    bool m_had = false;
};


}  // namespace diaglogtest
