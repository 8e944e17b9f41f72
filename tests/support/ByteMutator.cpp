#include "ByteMutator.h"

namespace testsupport {

ByteMutator::ByteMutator(unsigned seed, unsigned maxEdits, unsigned maxCopied, bool extremeBytes)
    : m_random(seed), m_maxEdits(maxEdits), m_maxCopied(maxCopied), m_kinds(extremeBytes ? 5 : 4)
{
}

void ByteMutator::Mutate(std::string& data)
{
    int edits = 1 + (int)(m_random() % m_maxEdits);
    for (int e = 0; e < edits && !data.empty(); ++e) {
        size_t at = m_random() % data.size();
        switch (m_random() % m_kinds) {
        case 0: data[at] = (char)(m_random() & 0xFF); break;
        case 1: data[at] = (char)(data[at] ^ (1 << (m_random() % 8))); break;
        case 2: data.resize(at); break;
        case 3: data.insert(at, data.substr(m_random() % data.size(), m_random() % m_maxCopied)); break;
        default: data[at] = (char)((m_random() & 1) ? 0xFF : 0x00); break;
        }
    }
}

}  // namespace testsupport
