#include "GuardedBuffer.h"
#include <cstring>

namespace testsupport {

GuardedBuffer::GuardedBuffer(size_t capacity)
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const size_t page = info.dwPageSize;
    if (capacity == 0)
        capacity = 1;
    m_size = ((capacity + page - 1) / page) * page;
    m_base = static_cast<char*>(VirtualAlloc(nullptr, m_size + page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old = 0;
    m_guarded = m_base && VirtualProtect(m_base + m_size, page, PAGE_NOACCESS, &old);
}

GuardedBuffer::~GuardedBuffer()
{
    if (m_base)
        VirtualFree(m_base, 0, MEM_RELEASE);
}

char* GuardedBuffer::Place(const std::string& bytes)
{
    const size_t n = bytes.size() < m_size ? bytes.size() : m_size;
    char* start = m_base + m_size - n;
    memcpy(start, bytes.data(), n);
    return start;
}

char* GuardedBuffer::PlaceText(const std::string& text)
{
    const size_t n = text.size() < m_size ? text.size() : m_size - 1;
    char* start = m_base + m_size - n - 1;
    memcpy(start, text.data(), n);
    start[n] = 0;
    return start;
}

}  // namespace testsupport
