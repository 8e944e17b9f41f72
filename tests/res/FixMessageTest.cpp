#include <gtest/gtest.h>
#include "CRegScanner.h"
#include "CString.h"
#include "resource.h"
#include <string>
#include <vector>

// In the program, the fix's messages are the string table's texts.

namespace {

// An engine whose messages are recorded instead of shown.
class RecordingScanner : public CRegScanner {
public:
    explicit RecordingScanner(CRegistryProblemArray& problems)
        : CRegScanner(nullptr, &problems, nullptr, nullptr, nullptr, nullptr, nullptr)
    {
    }
    using CRegScanner::CreateRestorePoint;
    std::vector<std::string> messages;

protected:
    void ShowFixMessage(LPCSTR pszText) override { messages.push_back(pszText); }
};

TEST(FixMessages, RestorePointFailureIsTheStringTableText)
{
    CRegistryProblemArray problems;
    RecordingScanner engine(problems);
    // The system here offers no restore points, so setting one fails.
    engine.CreateRestorePoint();
    CString expected;
    ASSERT_TRUE(expected.LoadString(IDS_RESTORE_POINT_FAILED));
    ASSERT_EQ(1u, engine.messages.size());
    EXPECT_EQ(std::string(static_cast<LPCSTR>(expected)), engine.messages[0]);
}

}  // namespace
