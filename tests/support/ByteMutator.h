#pragma once
#include <random>
#include <string>

namespace testsupport {

// Damages data at random for the fixed-seed fuzz tests of the binary readers.
// Each call makes one to maxEdits edits, each at a random place: a random
// byte, one bit flipped, the data cut short there, a run of up to
// maxCopied - 1 of its own bytes copied in, and with extremeBytes also a byte
// set to 0x00 or 0xFF. The same seed and settings give the same inputs.
class ByteMutator {
public:
    ByteMutator(unsigned seed, unsigned maxEdits, unsigned maxCopied, bool extremeBytes);

    void Mutate(std::string& data);

private:
    std::mt19937 m_random;
    unsigned m_maxEdits;
    unsigned m_maxCopied;
    unsigned m_kinds;
};

}  // namespace testsupport
