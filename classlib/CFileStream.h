#pragma once
#include <cstdio>

// Owns one C runtime stream for a scope and closes it.
class CFileStream {
public:
    CFileStream() = default;
    explicit CFileStream(FILE* stream) : m_stream(stream) {}
    ~CFileStream() { Close(); }
    CFileStream(const CFileStream&) = delete;
    CFileStream& operator=(const CFileStream&) = delete;

    FILE* Get() const { return m_stream; }
    // Closes the stream; FALSE when closing it failed (data not written).
    bool Close()
    {
        bool ok = true;
        if (m_stream != nullptr)
            ok = fclose(m_stream) == 0;
        m_stream = nullptr;
        return ok;
    }

private:
    FILE* m_stream = nullptr;
};
