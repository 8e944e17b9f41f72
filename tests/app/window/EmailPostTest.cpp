// The e-mail sign-up's form post against the loopback web host that the
// window check email_post starts (signup_server.py) and names in the
// program's test switch.
#include <gtest/gtest.h>
#include <string>
#include "CAppConfig.h"
#include "CEmailCollectDHtmlDlg.h"
#include "TestSupport.h"

namespace {

std::string Post(const CString& form, LPCSTR path = CEmailCollectDHtmlDlg::kFormPath)
{
    CString response;
    CEmailCollectDHtmlDlg::PostForm(CEmailCollectDHtmlDlg::GetWebHost(), path, form, response);
    return std::string(response, response.GetLength());
}

TEST(EmailSignUpPost, EveryValueIsEncodedInTheFieldOrder)
{
    CAppConfig config;
    testsupport::SharedStateLock lock;
    testsupport::SavedValues affiliate({"AffiliateID"}, HKEY_CURRENT_USER, "SOFTWARE");
    ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, "SOFTWARE", "AffiliateID", REG_SZ, "a&b c", 6), ERROR_SUCCESS);
    config.m_langId = "1033";
    config.m_cpId = "C=1";
    struct Case {
        const char *first, *last, *email;
        BOOL keep;
        const char* fields;  // after "pid=2&lid=1033&cpid=C%3D1&uid=a%26b+c"
    } const cases[] = {
        {"Ann", "Lee", "ann@example.com", TRUE, "&fname=Ann&lname=Lee&email=ann%40example.com&subscribe=on"},
        {"A&B=C", "x+y%z", "o'neil@ex.com", FALSE, "&fname=A%26B%3DC&lname=x%2By%25z&email=o%27neil%40ex.com&subscribe=off"},
        {"Zo\xEB \xDCnal", "F\xEAte \x80", " e@x.y", TRUE, "&fname=Zo%EB+%DCnal&lname=F%EAte+%80&email=+e%40x.y&subscribe=on"},
        {"x&email=evil@x.y", "", "", FALSE, "&fname=x%26email%3Devil%40x.y&lname=&email=&subscribe=off"},
    };
    for (const Case& c : cases) {
        CEmailCollectDHtmlDlg dialog(config);
        dialog.m_firstName = c.first;
        dialog.m_lastName = c.last;
        dialog.m_emailAddress = c.email;
        dialog.m_keepUpdated = c.keep;
        std::string body = std::string("pid=2&lid=1033&cpid=C%3D1&uid=a%26b+c") + c.fields;
        EXPECT_EQ(Post(dialog.BuildFormText()), "/email/fromapp/\nContent-Type: application/x-www-form-urlencoded\n" + body);
    }
    EXPECT_STREQ(CEmailCollectDHtmlDlg(config).BuildPrivacyUrl(), "http://" + CEmailCollectDHtmlDlg::GetWebHost() +
                                                                         "/redirect/?aid=10&lid=1033&pid=2&cpid=C%3D1&vid=&uid=a%26b+c");
}

TEST(EmailSignUpPost, OnlyOkWithBlanksAroundIsAccepted)
{
    std::string big;
    for (int i = 0; i < 5000; ++i)
        big += static_cast<char>(i % 1000 == 0 ? 0 : 1 + i % 250);
    struct Case {
        const char* path;
        std::string response;  // "" also when nothing was read
        BOOL accepted;
    } const cases[] = {
        {"ok/", "ok", TRUE}, {"spaced/", " OK \r\n", TRUE}, {"no/", "no", FALSE},
        {"error/", "", FALSE},  // the body of a status 500 is not read
        {"big/", big, FALSE},
        {"silent/", "", FALSE},  // ends by the receive time-out
    };
    for (const Case& c : cases) {
        std::string response = Post("x=1", c.path);
        EXPECT_EQ(response, c.response) << c.path;
        EXPECT_EQ(CEmailCollectDHtmlDlg::IsAcceptedResponse(CString(response.data(), response.size())), c.accepted)
            << c.path;
    }
}

}  // namespace
