#pragma once
#include <windows.h>
#include <string>

namespace testsupport {

// Memory whose last readable byte is followed by a PAGE_NOACCESS page: data
// placed so that it ends there makes any read past its end fault at once.
class GuardedBuffer {
public:
    // Room for at least capacity bytes, in whole pages (one at the least).
    explicit GuardedBuffer(size_t capacity = 1);
    ~GuardedBuffer();
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;

    // True when the memory is there and the guard page is in place.
    bool Ok() const { return m_guarded; }
    // How many bytes lie before the guard page.
    size_t Capacity() const { return m_size; }
    // The first byte of the guard page.
    const char* Limit() const { return m_base + m_size; }

    // Copies bytes (the first Capacity() of them) so that their last one is
    // the last readable byte; returns where they start.
    char* Place(const std::string& bytes);
    // Copies text (the first Capacity() - 1 bytes of it) and a terminating
    // zero so that the zero is the last readable byte; returns the text.
    char* PlaceText(const std::string& text);

private:
    char* m_base = nullptr;
    size_t m_size = 0;
    bool m_guarded = false;
};

}  // namespace testsupport
