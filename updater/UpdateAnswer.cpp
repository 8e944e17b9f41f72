#include "UpdateAnswer.h"
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

const size_t kMaxText = 2048;

std::string Trim(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return std::string();
    size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::string Unescape(const std::string& text)
{
    static const struct {
        const char* entity;
        char character;
    } kEntities[] = {{"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}, {"&amp;", '&'}};
    std::string plain;
    for (size_t i = 0; i < text.size();) {
        bool replaced = false;
        if (text[i] == '&') {
            for (const auto& e : kEntities) {
                size_t length = strlen(e.entity);
                if (text.compare(i, length, e.entity) == 0) {
                    plain += e.character;
                    i += length;
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced)
            plain += text[i++];
    }
    return plain;
}

// The trimmed, unescaped text of the first <tag>...</tag> inside the root; FALSE when absent or too long.
BOOL ElementText(const std::string& body, const char* tag, std::string& text)
{
    std::string open = std::string("<") + tag + ">";
    std::string close = std::string("</") + tag + ">";
    size_t start = body.find(open);
    if (start == std::string::npos)
        return FALSE;
    start += open.size();
    size_t end = body.find(close, start);
    if (end == std::string::npos || end - start > kMaxText)
        return FALSE;
    text = Unescape(Trim(body.substr(start, end - start)));
    return TRUE;
}

BOOL IsHex(const std::string& text, size_t length)
{
    if (text.size() != length)
        return FALSE;
    for (char c : text)
        if (!isxdigit(static_cast<unsigned char>(c)))
            return FALSE;
    return TRUE;
}

}  // namespace

BOOL UpdateAnswer::Parse(const std::string& document)
{
    const std::string kOpen = "<keldrixupdate>", kClose = "</keldrixupdate>";
    size_t start = document.find(kOpen);
    size_t end = start == std::string::npos ? start : document.find(kClose, start);
    if (end == std::string::npos)
        return FALSE;
    std::string body = document.substr(start + kOpen.size(), end - start - kOpen.size());

    UpdateAnswer answer;
    std::string kind, version;
    if (!ElementText(body, "kind", kind) || !ElementText(body, "version", version) ||
        !ElementText(body, "url", answer.m_url))
        return FALSE;
    if (kind == "program")
        answer.m_kind = kProgram;
    else if (kind == "whitelist")
        answer.m_kind = kWhitelist;
    else
        return FALSE;

    char* rest = nullptr;
    answer.m_version = strtod(version.c_str(), &rest);
    if (version.empty() || *rest || !std::isfinite(answer.m_version) || answer.m_version < 0)
        return FALSE;
    if (answer.m_url.compare(0, 7, "http://") != 0 && answer.m_url.compare(0, 8, "https://") != 0)
        return FALSE;

    if (ElementText(body, "sha256", answer.m_digest))
        answer.m_sha256 = TRUE;
    else if (ElementText(body, "md5", answer.m_digest))
        answer.m_sha256 = FALSE;
    else
        return FALSE;
    if (!IsHex(answer.m_digest, answer.m_sha256 ? 64 : 32))
        return FALSE;
    for (char& c : answer.m_digest)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));

    *this = answer;
    return TRUE;
}
